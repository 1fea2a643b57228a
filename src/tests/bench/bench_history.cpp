// Cost of the sensor history: recording one decoded row (the goal: under 1 µs, well below the
// table read's pace of one row per Timer1 tick, 250 ms or more), the UTC time text of a record as
// the CSV export writes it (the same goal), and redrawing the trend chart with 4 lines of 10,000
// points each offscreen (the goal: within one 60 Hz frame, 16 ms).

#include "history/SensorHistory.h"
#include "history/TrendChartView.h"
#include "platform/Timer.h"
#include "platform/UtcTime.h"
#include "sensors/RowDecoding.h"

#include <QPixmap>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {
// Rows as the table read hands them over: 32 rows in turn, the bytes of a drifting value.
void recordRow(benchmark::State& state) {
    QtClock clock;
    SensorHistory history(clock);
    SensorRowTexts row;
    row.orgByte = 0x07;
    row.sensorId = 0x01834C17;
    std::array<QString, 256> shown;
    for (int v = 0; v < 256; ++v)
        shown[size_t(v)] = QString::number(v * 100.0 / 255, 'g', 15);
    uint32_t n = 0;
    for (auto _ : state) {
        const uint8_t v = uint8_t(128 + 100 * std::sin(n / 500.0));
        row.raw = {v, uint8_t(n / 7), 0, 0x08};
        row.data = {shown[v], shown[uint8_t(n / 7)], shown[0], shown[8]};
        row.timeValue = uint16_t(n / 64); // a telegram every other pass
        history.record(int(n % kSensorRows), row);
        ++n;
    }
    state.counters["bytes_per_record"] = double(sizeof(HistoryRecord));
    state.SetItemsProcessed(state.iterations());
}

void redrawTrend(benchmark::State& state) {
    ManualClock clock;
    TrendChartView view(clock);
    view.resize(900, 520);
    std::vector<TrendChartView::Line> lines(4);
    const double start = double(clock.wallMs());
    for (int l = 0; l < 4; ++l) {
        lines[size_t(l)].name = QString("Row %1 Byte %2").arg(2).arg(l);
        for (int i = 0; i < 10000; ++i) // a reading every 13 s: about 36 hours
            lines[size_t(l)].points.append(
                QPointF(start + 13000.0 * i, 60 * l + 50 * std::sin(i / (300.0 + 50 * l))));
    }
    view.setLines(lines);
    benchmark::DoNotOptimize(view.grab()); // the first drawing lays the chart out
    for (auto _ : state) {
        QPixmap frame = view.grab();
        benchmark::DoNotOptimize(frame);
    }
}
} // namespace

static void BM_HistoryRecordRow(benchmark::State& state) {
    recordRow(state);
}
static void BM_HistoryUtcTimeText(benchmark::State& state) {
    int64_t wallMs = 1796083200000; // 2026-12-01T00:00:00Z, a record every 250 ms
    for (auto _ : state)
        benchmark::DoNotOptimize(utcTimeText(wallMs += 250));
}
static void BM_TrendRedraw4x10000(benchmark::State& state) {
    redrawTrend(state);
}
BENCHMARK(BM_HistoryRecordRow);
BENCHMARK(BM_HistoryUtcTimeText);
BENCHMARK(BM_TrendRedraw4x10000)->Unit(benchmark::kMillisecond);
