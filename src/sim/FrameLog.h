#pragma once
// One readable line per request or answer on the simulated gateway's line, for its log:
// "<- 01 read registers 0x0000 x10 check ok", "-> 01 registers 0005 0012 ...".

#include <QByteArray>
#include <QString>

// pdu: address, function, data (no check). Short or odd frames are described, never over-read.
QString describeRequest(const QByteArray& pdu);
QString describeAnswer(const QByteArray& pdu);
