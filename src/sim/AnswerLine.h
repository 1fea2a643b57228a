#pragma once
// Answer bytes on their way over the gateway's line: a frame starts once its response delay has
// passed and the transmitter is free, and byte i is out at start + (i + 1) character times.
// Shared by the in-process port and the pseudo-terminal server.

#include <QByteArray>
#include <algorithm>
#include <deque>
#include <utility>

class AnswerLine {
public:
    void schedule(const QByteArray& frame, double earliestStartUs, double charUs) {
        if (frame.isEmpty())
            return;
        const double startUs = std::max(earliestStartUs, freeUs_);
        for (int i = 0; i < frame.size(); ++i)
            pending_.emplace_back(startUs + (i + 1) * charUs, frame[i]);
        freeUs_ = pending_.back().first;
    }
    // The bytes out by nowUs, in order.
    QByteArray takeDue(double nowUs) {
        QByteArray out;
        while (!pending_.empty() && pending_.front().first <= nowUs) {
            out.append(pending_.front().second);
            pending_.pop_front();
        }
        return out;
    }
    bool empty() const { return pending_.empty(); }
    // When the last byte underway is out.
    double lastDueUs() const { return pending_.empty() ? 0 : pending_.back().first; }
    // Drops what is underway; the transmitter stays busy until the time it was given.
    void clear() { pending_.clear(); }

private:
    std::deque<std::pair<double, char>> pending_;
    double freeUs_ = 0; // when the transmitter is free again
};
