// Speed of the commissioning. Verifying a transceiver with 32 learned sensors against a site file
// of those 32 costs one whole read of it (43 requests): the simulated time it takes on the manual
// clock, 9600 baud even parity, against the least the line allows (goal: `ratio` at most 1.25).
// Writing the handover report of 8 gateways x 32 sensors as PDF (goal: under 1 s) and as JSON.

#include "backup/Backup.h"
#include "bench/BenchLine.h"
#include "commission/Commissioning.h"
#include "commission/ReportJson.h"
#include "commission/ReportPdf.h"
#include "support/CommissionFixtures.h"

namespace {
void verify32(benchmark::State& state, LineMode mode) {
    QByteArray csv = "row,id,org\n";
    for (int row = 0; row < kGatewaySensorSlots; ++row)
        csv += QByteArray::number(row) + ",0183" + QByteArray::number(0x1000 + row, 16) + ",07\n";
    SiteFile site = *parseSiteFile(csv).site;
    site.placeAt(1);
    double lineMs = 0, idealMs = 0, requests = 0;
    for (auto _ : state) {
        BenchLine b(mode);
        for (int row = 0; row < kGatewaySensorSlots; ++row)
            b.port.model().learnSensor(row, 0x07, 0x01831000u + uint32_t(row));
        Commissioning run(b.line.link(), b.clock, [](std::optional<uint16_t> ms) {
            return backupExchangeOptions(ms.value_or(20));
        });
        run.setSite(site);
        lineMs += double(b.run([&](auto finished) { run.verify({{}, {}, finished}); }));
        if (countReport(makeReport({}, run)).verified != kGatewaySensorSlots)
            state.SkipWithError("not 32 verified");
        idealMs += b.idealMs();
        requests += double(b.cost.requests);
    }
    report(state, lineMs, idealMs, requests);
}
} // namespace

static void BM_Verify32SensorsRtu(benchmark::State& state) {
    verify32(state, LineMode::Rtu);
}
static void BM_Verify32SensorsAscii(benchmark::State& state) {
    verify32(state, LineMode::Ascii);
}
static void BM_ReportPdf8Gateways(benchmark::State& state) {
    const CommissionReport r = exampleReport(8, 32);
    for (auto _ : state)
        benchmark::DoNotOptimize(reportPdf(r, true));
}
static void BM_ReportJson8Gateways(benchmark::State& state) {
    const CommissionReport r = exampleReport(8, 32);
    for (auto _ : state)
        benchmark::DoNotOptimize(reportJson(r, true));
}
BENCHMARK(BM_Verify32SensorsRtu)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Verify32SensorsAscii)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportPdf8Gateways)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportJson8Gateways)->Unit(benchmark::kMillisecond);
