// Speed of backup and restore against the in-process gateway on the manual clock, 9600 baud even
// parity: the simulated time a save of a transceiver (43 reads) and a restore of 32 changed sensor
// rows (32 writes, each read back) take, against the least the line allows: every request's and
// answer's line time plus the gateway's response time once per request. Counters: `ratio` (goal
// at most 1.25), `line_ms` (taken), `ideal_ms`, `requests`.

#include "backup/Backup.h"
#include "bench/BenchLine.h"

#include <QTemporaryDir>

namespace {
void saveTransceiver(benchmark::State& state, LineMode mode) {
    QTemporaryDir dir;
    double lineMs = 0, idealMs = 0, requests = 0;
    for (auto _ : state) {
        BenchLine b(mode);
        GatewayClient client(b.line.link(), 1, backupExchangeOptions(20));
        SaveJob save(client, b.clock);
        bool saved = false;
        lineMs += double(b.run([&](auto finished) {
            save.start(dir.filePath("bench.qrxcfg"), {}, [&, finished](const auto& failure) {
                saved = !failure;
                finished();
            });
        }));
        if (!saved)
            state.SkipWithError("not saved");
        idealMs += b.idealMs();
        requests += double(b.cost.requests);
    }
    report(state, lineMs, idealMs, requests);
}

void restore32Rows(benchmark::State& state, LineMode mode) {
    GatewayConfig file;
    file.device = "QTX40";
    file.responseTimeMs = 20;
    for (int row = 0; row < kGatewaySensorSlots; ++row) {
        file.sensors[row].org = 0x06;
        file.sensors[row].id = 0x00A00000u + row; // every row differs from the demo gateway
    }
    double lineMs = 0, idealMs = 0, requests = 0;
    for (auto _ : state) {
        BenchLine b(mode);
        GatewayClient client(b.line.link(), 1, backupExchangeOptions(20));
        b.run([&](auto finished) { client.readAll({}, [finished](const auto&) { finished(); }); });
        b.cost = LineCost{}; // the restore alone
        const std::vector<RowWrite> plan = planRestore(file, compareConfig(file, client.image));
        if (plan.size() != 32u)
            state.SkipWithError("not 32 rows");
        RestoreJob job(client);
        lineMs += double(b.run([&](auto finished) {
            job.start(plan, {}, [&, finished](const std::vector<RowResult>& results) {
                if (verifiedCount(results) != 32)
                    state.SkipWithError("not all verified");
                finished();
            });
        }));
        idealMs += b.idealMs();
        requests += double(b.cost.requests);
    }
    report(state, lineMs, idealMs, requests);
}
} // namespace

static void BM_SaveTransceiverRtu(benchmark::State& state) {
    saveTransceiver(state, LineMode::Rtu);
}
static void BM_SaveTransceiverAscii(benchmark::State& state) {
    saveTransceiver(state, LineMode::Ascii);
}
static void BM_Restore32RowsRtu(benchmark::State& state) {
    restore32Rows(state, LineMode::Rtu);
}
static void BM_Restore32RowsAscii(benchmark::State& state) {
    restore32Rows(state, LineMode::Ascii);
}
BENCHMARK(BM_SaveTransceiverRtu)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveTransceiverAscii)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Restore32RowsRtu)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Restore32RowsAscii)->Unit(benchmark::kMillisecond);
