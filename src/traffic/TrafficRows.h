#pragma once
// A traffic record as the table and the CSV show it: direction, the frame (hex for RTU, the line
// for ASCII), its meaning in the gateway's terms, the check result and the latency; and the line
// statistics as one text. German and English.

#include "traffic/TrafficRecorder.h"

#include <QString>

// Time-outs, rejected frames, drained pieces and late answers.
bool isProblem(const TrafficRecord& r);
// "to gateway" for requests, "from gateway" for what came in, empty for a time-out.
QString directionText(const TrafficRecord& r, bool english);
// RTU: the bytes in hex, spaced; ASCII: the line without CR LF, other control characters as <0D>;
// MBAP: the header's bytes, " | ", then unit id and PDU.
QString frameText(const QByteArray& frame, FrameFormat format);
QString meaningText(const TrafficRecord& r, bool english);
// taken, late, check failed, other address, not accepted, exception, noise, drained, time-out;
// empty for a request.
QString checkText(const TrafficRecord& r, bool english);
// Requests, answers, time-outs, check failures, exceptions, late answers, foreign frames, bytes
// out and in, the latency's median and maximum.
QString countersText(const TrafficCounters& c, bool english);
