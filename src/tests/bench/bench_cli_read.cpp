// qrx-cli read of a transceiver (43 requests) against the in-process gateway, which paces every
// byte at the line rate, on the manual clock: the virtual time the command takes against the
// least the line allows, the sum of every request's and answer's line time plus the gateway's
// response time (20 ms) per request. The command is answer-paced when the ratio stays near 1;
// the goal is at most 1.25 at 9600 and 115200 baud, RTU and ASCII.

#include "cli/CliTool.h"
#include "link/Hex.h"
#include "sim/SimulatedGatewayPort.h"

#include <benchmark/benchmark.h>

namespace {
// Characters of a frame on the line: RTU bytes + CRC; ASCII ":" + hex + LRC + CR LF.
int frameCharacters(const QByteArray& pdu, bool ascii) {
    return ascii ? 1 + 2 * (int(pdu.size()) + 1) + 2 : int(pdu.size()) + 2;
}

void cliRead(benchmark::State& state) {
    const bool ascii = state.range(0) == 0;
    const int baud = int(state.range(1));
    const QStringList args{"qrx-cli",
                           "--port",
                           "simulator",
                           "--mode",
                           ascii ? "ascii" : "rtu",
                           "--baud",
                           QString::number(baud),
                           "--address",
                           "1",
                           "read"};
    double virtualMs = 0, leastMs = 0;
    size_t requests = 0;
    for (auto _ : state) {
        ManualClock clock;
        RecordingStreams io;
        SimulatedGatewayPort* gateway = nullptr;
        CliTool tool(clock, io, [&](const QString&) {
            auto p = std::make_unique<SimulatedGatewayPort>(clock, makeDemoModel());
            gateway = p.get();
            return p;
        });
        tool.start(args, {});
        while (!tool.finished() && clock.nowMs() < 600000)
            clock.advance(1);
        if (tool.exitCode() != 0)
            state.SkipWithError("the read failed");
        state.PauseTiming();
        // the least time: every request and its answer on the line, and the response time
        const double charMs = LineChoice{ascii ? LineMode::Ascii : LineMode::Rtu, baud, 'E'}
                                  .settings()
                                  .characterMicros() /
                              1000.0;
        const GatewayModel& model = gateway->model();
        GatewayModel replay = model; // reads only: the answers again, without the line
        for (const QByteArray& rq : gateway->requestLog()) {
            const QByteArray answer = replay.handle(rq).value_or(QByteArray());
            leastMs += (frameCharacters(rq, ascii) + frameCharacters(answer, ascii)) * charMs +
                       model.responseTimeMs();
        }
        virtualMs += double(clock.nowMs());
        requests += gateway->requestLog().size();
        state.ResumeTiming();
    }
    const auto avg = benchmark::Counter::kAvgIterations;
    state.counters["requests"] = benchmark::Counter(double(requests), avg);
    state.counters["virtual_ms"] = benchmark::Counter(virtualMs, avg);
    state.counters["least_ms"] = benchmark::Counter(leastMs, avg);
    state.counters["ratio"] = virtualMs / leastMs;
}
} // namespace

// mode (0 ASCII, 1 RTU), baud
BENCHMARK(cliRead)
    ->Name("BM_CliReadTransceiver")
    ->ArgNames({"rtu", "baud"})
    ->Args({0, 9600})
    ->Args({0, 115200})
    ->Args({1, 9600})
    ->Args({1, 115200})
    ->Unit(benchmark::kMillisecond);
