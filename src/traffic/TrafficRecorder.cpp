#include "traffic/TrafficRecorder.h"

#include "link/Link.h"
#include "platform/Timer.h"

#include <optional>

void LatencyStats::add(int64_t ms) {
    ++counts_[ms];
    ++count_;
}

double LatencyStats::median() const {
    if (count_ == 0)
        return 0;
    // the values at ranks (n - 1) / 2 and n / 2, counted from the smallest
    const uint64_t low = (count_ - 1) / 2, high = count_ / 2;
    uint64_t seen = 0;
    std::optional<int64_t> lowValue;
    for (const auto& [ms, n] : counts_) {
        seen += n;
        if (!lowValue && seen > low)
            lowValue = ms;
        if (seen > high)
            return (double(*lowValue) + double(ms)) / 2;
    }
    return double(*lowValue);
}

TrafficRecorder::TrafficRecorder(Link& link, const Clock& clock, size_t capacity)
    : link_(link)
    , clock_(clock)
    , records_(capacity) {
    link_.addObserver(this);
}

TrafficRecorder::~TrafficRecorder() {
    link_.removeObserver(this);
}

int32_t TrafficRecorder::latencyOf(const LineEvent& e) const {
    // bytes that start no frame, and another slave's answers, belong to no request of ours
    const bool answersUs =
        e.kind == LineEventKind::Taken || e.kind == LineEventKind::TimedOut ||
        e.kind == LineEventKind::Drained ||
        (e.kind == LineEventKind::Rejected && e.rejection != Rejection::Noise &&
         e.rejection != Rejection::OtherAddress && e.rejection != Rejection::OtherTransaction);
    return answersUs && writtenAtMs_ >= 0 ? int32_t(e.atMs - writtenAtMs_) : -1;
}

void TrafficRecorder::count(const LineEvent& e, int32_t latencyMs) {
    TrafficCounters& c = counters_;
    switch (e.kind) {
    case LineEventKind::Written:
        ++c.requests;
        c.bytesOut += uint64_t(e.frame.size());
        break;
    case LineEventKind::Received:
        c.bytesIn += uint64_t(e.frame.size());
        break;
    case LineEventKind::Taken:
        ++c.answers;
        c.lateAnswers += e.late ? 1 : 0;
        if (latencyMs >= 0)
            c.latency.add(latencyMs);
        break;
    case LineEventKind::Rejected:
        if (e.rejection == Rejection::CheckFailed)
            ++c.checkFailures;
        else if (e.rejection == Rejection::Exception)
            ++c.exceptions;
        else
            ++c.foreign;
        break;
    case LineEventKind::TimedOut:
        ++c.timeOuts;
        break;
    case LineEventKind::Drained:
        c.lateAnswers += draining_ ? 0 : 1; // an answer drained in several pieces counts once
        break;
    }
    draining_ =
        e.kind == LineEventKind::Drained || (e.kind == LineEventKind::Received && draining_);
}

void TrafficRecorder::lineEvent(const LineEvent& e) {
    const int32_t latencyMs = latencyOf(e);
    count(e, latencyMs);
    if (e.kind == LineEventKind::Written) {
        request_ = e.frame;
        writtenAtMs_ = e.atMs;
    }
    // what came in is recorded as the frames the collectors made of it
    if (!paused_ && e.kind != LineEventKind::Received)
        record(e, latencyMs);
    if (onEvent_)
        onEvent_();
}

void TrafficRecorder::record(const LineEvent& e, int32_t latencyMs) {
    TrafficRecord r;
    r.wallMs = clock_.wallMs();
    r.frame = e.frame;
    if (e.kind != LineEventKind::Written)
        r.request = request_;
    r.latencyMs = latencyMs;
    r.kind = e.kind;
    r.rejection = e.rejection;
    r.exceptionCode = e.exceptionCode;
    r.late = e.late;
    r.format = e.format;
    records_.push(std::move(r));
}
