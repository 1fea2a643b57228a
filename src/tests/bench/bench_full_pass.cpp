// Cost of a whole session in processor time: the main window made, the port opened, the gateway
// identified, the rows shaded and one full pass over the 32 sensor and 8 sender blocks, against
// the in-process transceiver under the manual clock (the line time itself is simulated).

#include "support/WindowSession.h"

#include <benchmark/benchmark.h>

namespace {
void fullPass(benchmark::State& state, const char* mode) {
    int64_t requests = 0, lineMs = 0;
    for (auto _ : state) {
        WindowSession session(makeDemoModel());
        session.connect(mode);
        while (session.s.FirstReadPending && session.clock.nowMs() < 120000)
            session.clock.advance(50);
        if (session.s.FirstReadPending)
            state.SkipWithError("the pass did not end");
        requests += int64_t(session.port->requestLog().size());
        lineMs += session.clock.nowMs();
    }
    state.counters["requests"] =
        benchmark::Counter(double(requests), benchmark::Counter::kAvgIterations);
    state.counters["line_ms"] =
        benchmark::Counter(double(lineMs), benchmark::Counter::kAvgIterations);
}
} // namespace

static void BM_FullPassRtu(benchmark::State& state) {
    fullPass(state, "RTU");
}
static void BM_FullPassAscii(benchmark::State& state) {
    fullPass(state, "ASCII");
}
BENCHMARK(BM_FullPassRtu)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullPassAscii)->Unit(benchmark::kMillisecond);
