#pragma once
// The line tap: what the link did on the line, for any number of observers (the traffic view,
// the command line's verbose output, the gateway scan). The link builds an event only when an
// observer listens.

#include <QByteArray>
#include <cstdint>

enum class LineEventKind {
    Written,  // a request frame went out
    Received, // bytes came in, as the port handed them over (before collection)
    Taken,    // a complete answer passed the checks and went to its handler
    Rejected, // a complete frame or stray bytes did not pass (see Rejection)
    TimedOut, // the answer time-out ran out with the request unanswered
    Drained,  // bytes taken off the line as late, while the next request waited for quiet
};

enum class Rejection {
    None,
    CheckFailed,  // CRC or LRC wrong, or not hex
    OtherAddress, // a good frame from another slave address
    NotAccepted,  // a function code the tool does not take
    Exception,    // a good exception answer (function code with the high bit); exceptionCode
    Noise,        // bytes that start no frame
    Misfit,       // a good answer that does not fit the request (another function, quantity,
                  // or address written): an answer to a request replaced within its time-out
};

struct LineEvent {
    LineEventKind kind = LineEventKind::Written;
    int64_t atMs = 0; // the link's clock
    QByteArray frame; // as on the line: RTU bytes with CRC, ASCII text with ":" and CR LF
    bool ascii = false;
    int32_t requestKind = 0; // the outstanding request kind (0 for a client's exchange)
    Rejection rejection = Rejection::None;
    uint8_t exceptionCode = 0;
    bool late = false; // Taken: the answer came after its time-out had run out
};

class LineObserver {
public:
    virtual ~LineObserver() = default;
    virtual void lineEvent(const LineEvent& event) = 0;
};
