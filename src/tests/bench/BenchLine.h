#pragma once
// The line of the benchmarks that measure line time: a LineSession over the in-process demo
// gateway on the manual clock, with the characters and requests on the line counted, and the
// least time the line allows for them.

#include "link/LineSession.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "sim/SimulatedGatewayPort.h"

#include <benchmark/benchmark.h>
#include <functional>

// Characters on the line and requests written.
struct LineCost : LineObserver {
    void lineEvent(const LineEvent& e) override {
        if (e.kind == LineEventKind::Written)
            ++requests;
        if (e.kind == LineEventKind::Written || e.kind == LineEventKind::Taken)
            characters += e.frame.size();
    }
    int64_t characters = 0;
    int64_t requests = 0;
};

struct BenchLine {
    explicit BenchLine(LineMode mode)
        : port(clock, makeDemoModel())
        , line(clock, port, messages) {
        line.configure({mode, 9600, 'E'});
        line.open();
        line.link().addObserver(&cost);
    }
    ~BenchLine() { line.link().removeObserver(&cost); }
    // Runs an operation to its end; the simulated milliseconds it took.
    int64_t run(const std::function<void(std::function<void()> finished)>& start) {
        bool done = false;
        const int64_t began = clock.nowMs();
        start([&] { done = true; });
        for (int waited = 0; !done && waited < 600000; ++waited)
            clock.advance(1);
        return clock.nowMs() - began;
    }
    // 10 bits a character in ASCII (7E1), 11 in RTU (8E1); 20 ms response time a request.
    double idealMs() {
        return double(cost.characters) * line.line().settings().characterMicros() / 1000.0 +
               double(cost.requests) * port.model().responseTimeMs();
    }

    ManualClock clock;
    SimulatedGatewayPort port;
    RecordingMessageBoxes messages;
    LineSession line;
    LineCost cost;
};

inline void report(benchmark::State& state, double lineMs, double idealMs, double requests) {
    state.counters["ratio"] = lineMs / idealMs;
    state.counters["line_ms"] = benchmark::Counter(lineMs, benchmark::Counter::kAvgIterations);
    state.counters["ideal_ms"] = benchmark::Counter(idealMs, benchmark::Counter::kAvgIterations);
    state.counters["requests"] = benchmark::Counter(requests, benchmark::Counter::kAvgIterations);
}
