#pragma once
// One request and its verified answer, for clients without windows (command line, backup and
// restore, gateway scan). The link frames the request, collects and checks the answer with the
// same code as the window's requests, retries after a time-out, and reports the outcome.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>

struct ExchangeOptions {
    int timeoutMs = 1000; // from the write to the answer's last byte
    int retries = 0;      // further attempts after a time-out
};

enum class ExchangeOutcome {
    Answered,  // `answer` holds the verified answer
    Exception, // the gateway answered with an exception: `exceptionCode`
    TimedOut,  // no answer in any attempt (`exceptionCode`: the last exception of an attempt)
    Refused,   // the request cannot be framed, or the line is not held: nothing written
    PortClosed,
    Cancelled,
};

struct ExchangeResult {
    ExchangeOutcome outcome = ExchangeOutcome::TimedOut;
    QByteArray answer; // address, function code and data, without the check
    uint8_t exceptionCode = 0;
    int attempts = 0;
    int64_t latencyMs = 0; // from the last write to the answer
    // Bytes that came in meanwhile and answered nothing: noise, another slave's or another
    // master's frames, answers to other requests.
    int strayBytes = 0;
    bool ok() const { return outcome == ExchangeOutcome::Answered; }
};

inline ExchangeResult resultOf(ExchangeOutcome outcome) {
    ExchangeResult r;
    r.outcome = outcome;
    return r;
}

using ExchangeDone = std::function<void(const ExchangeResult&)>;

// Readable text of an outcome, for messages: "no answer", "exception 02 illegal data address".
QString describeOutcome(const ExchangeResult& result);
// What the line carried during a failed exchange besides answers: "meanwhile 140 bytes from
// another device on the line: a second master, or another baud rate or parity?" (German
// "inzwischen ..."); empty without stray bytes. Every client's failure text ends with it.
QString lineMeanwhileText(int strayBytes, bool english = true);
// Exceptions that may pass: 04 slave device failure, 05 acknowledge, 06 busy, 0A and 0B of a
// gateway's path. The same request may be taken later; 01, 02 and 03 stay as they are.
bool exceptionMayPass(uint8_t code);
// The Modbus name of an exception code: 01 illegal function, 02 illegal data address, ...
QString exceptionName(uint8_t code);
