#pragma once
// What a frame on the line means in the gateway's own terms: "identify", "read sensor row 5
// (registers 50-59)", "transmit sender row 0"; answers "10 registers", "32 coils", "echo",
// "exception 02 illegal data address". Pure functions over the bytes, shared by the traffic view
// and the command line's verbose output. Short or unknown frames are described, never over-read.

#include "link/Hex.h" // pduOfFrame

#include <QByteArray>
#include <QString>
#include <optional>

// pdu: address, function code, data (no check).
QString requestMeaning(const QByteArray& pdu, bool english = true);
// request: the pdu the answer belongs to, when known; it gives the number of coils read.
QString answerMeaning(const QByteArray& pdu, const QByteArray& request = {}, bool english = true);
