#pragma once
// The traffic of the main window's line, from the link's tap: one record per frame written,
// answer taken or rejected, time-out and drained piece, the last 100,000 kept (older ones go; the
// counters keep counting), and the line statistics. Made when the traffic window is first opened:
// until then the link has no observer and builds no events. No widgets.

#include "link/LineTap.h"
#include "platform/BoundedRing.h"

#include <cstdint>
#include <functional>
#include <map>

class Clock;
class Link;

inline constexpr size_t kTrafficFrames = 100000;

struct TrafficRecord {
    int64_t wallMs = 0; // ms since 1970-01-01 UTC
    QByteArray frame;   // as on the line; empty for a time-out
    QByteArray request; // answers and time-outs: the request frame they belong to, as on the line
    int32_t latencyMs = -1; // answers and time-outs: since the request was written; -1 unknown
    LineEventKind kind = LineEventKind::Written;
    Rejection rejection = Rejection::None;
    uint8_t exceptionCode = 0;
    bool late = false;
    FrameFormat format = FrameFormat::Rtu;
};

// Answer latencies in whole milliseconds, as a count per value: the median over a whole run
// without keeping every answer.
class LatencyStats {
public:
    void add(int64_t ms);
    uint64_t count() const { return count_; }
    double median() const; // 0 without answers; the mean of the two middle values for an even count
    int64_t maximum() const { return count_ ? counts_.rbegin()->first : 0; }

private:
    std::map<int64_t, uint64_t> counts_;
    uint64_t count_ = 0;
};

struct TrafficCounters {
    uint64_t requests = 0;
    uint64_t answers = 0; // taken, late ones included
    uint64_t timeOuts = 0;
    uint64_t checkFailures = 0;
    uint64_t exceptions = 0;
    uint64_t lateAnswers = 0; // taken after the time-out, or drained while the next request waited
    uint64_t foreign = 0;     // other address, function not accepted, noise
    uint64_t bytesOut = 0;
    uint64_t bytesIn = 0;
    LatencyStats latency; // of the answers taken
};

class TrafficRecorder : public LineObserver {
public:
    TrafficRecorder(Link& link, const Clock& clock, size_t capacity = kTrafficFrames);
    ~TrafficRecorder() override;
    TrafficRecorder(const TrafficRecorder&) = delete;
    TrafficRecorder& operator=(const TrafficRecorder&) = delete;

    void lineEvent(const LineEvent& event) override;

    const BoundedRing<TrafficRecord>& records() const { return records_; }
    const TrafficCounters& counters() const { return counters_; }
    void resetCounters() { counters_ = {}; }
    // Forgets the records; the counters go on.
    void clear() { records_.clear(); }
    // While paused nothing is recorded; the counters go on.
    void setPaused(bool paused) { paused_ = paused; }
    bool paused() const { return paused_; }
    // Called after every event, recorded or only counted (the traffic window's wake-up).
    void setEventHandler(std::function<void()> handler) { onEvent_ = std::move(handler); }

private:
    void count(const LineEvent& e, int32_t latencyMs);
    int32_t latencyOf(const LineEvent& e) const;
    void record(const LineEvent& e, int32_t latencyMs);

    Link& link_;
    const Clock& clock_;
    BoundedRing<TrafficRecord> records_;
    TrafficCounters counters_;
    bool paused_ = false;
    QByteArray request_; // the last request written
    int64_t writtenAtMs_ = -1;
    bool draining_ = false; // the last event was a drained piece: the next one continues it
    std::function<void()> onEvent_;
};
