// The gateway scan on the manual clock: the line time it takes (virtual, from the simulated
// line's character times and the probes' time-outs) and the processor time it costs.
//   found_ms   a gateway at the start settings (ASCII 9600 even) and address 1: goal < 1000
//   line_ms    one line setting at 9600 over 247 addresses of an empty line: goal < 25000
//   ratio      the full scan of an empty line (48 settings x 247 addresses) over the sum of its
//              probes' line times and margins: goal <= 1.05

#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "scan/GatewayScan.h"
#include "sim/SimulatedGatewayPort.h"

#include <benchmark/benchmark.h>

namespace {
// The scan to its end against a gateway at ASCII 9600 even, address 1, or a silent line.
ScanReport scanOnce(const ScanOptions& options, bool silent) {
    ManualClock clock;
    SimulatedGatewayPort port(clock, makeDemoModel(), FaultPlan{.silent = silent});
    port.setGatewayLine(LineChoice{}.settings());
    RecordingMessageBoxes messages;
    LineSession session(clock, port, messages);
    GatewayScan scan(session, clock);
    scan.start(options, {});
    while (scan.running())
        clock.advance(60000);
    return scan.report();
}

void runScan(benchmark::State& state, const ScanOptions& options, bool silent,
             const char* counter) {
    ScanReport r;
    for (auto _ : state)
        r = scanOnce(options, silent);
    if (silent != r.found.empty())
        state.SkipWithError("unexpected result");
    state.counters[counter] = double(r.elapsedMs);
    state.counters["probes"] = r.probes;
}

ScanOptions oneSetting(LineMode mode) {
    ScanOptions o;
    o.modes = {mode};
    o.bauds = {9600};
    o.parities = {'E'};
    return o;
}
} // namespace

static void BM_ScanFindsStartSettings(benchmark::State& state) {
    runScan(state, ScanOptions{}, false, "found_ms");
}
static void BM_ScanOneSetting247Rtu(benchmark::State& state) {
    runScan(state, oneSetting(LineMode::Rtu), true, "line_ms");
}
static void BM_ScanOneSetting247Ascii(benchmark::State& state) {
    runScan(state, oneSetting(LineMode::Ascii), true, "line_ms");
}
static void BM_ScanEmptyLineFull(benchmark::State& state) {
    const ScanOptions all;
    runScan(state, all, true, "scan_ms");
    double bound = 0; // line times and margins, unrounded
    for (const LineChoice& line : scanLines(all))
        bound += scanAddresses(all).size() * (probeLineMs(line) + all.marginMs);
    state.counters["bound_ms"] = bound;
    state.counters["ratio"] = state.counters["scan_ms"] / bound;
}
BENCHMARK(BM_ScanFindsStartSettings)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScanOneSetting247Rtu)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanOneSetting247Ascii)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanEmptyLineFull)->Unit(benchmark::kMillisecond);
