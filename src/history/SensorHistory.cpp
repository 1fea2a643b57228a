#include "history/SensorHistory.h"

#include "platform/Timer.h"
#include "sensors/RowDecoding.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>

ShownValues::ShownValues() = default;
ShownValues::~ShownValues() = default;

uint32_t ShownValues::enter(const std::array<uint8_t, 4>& raw,
                            const std::array<QString, 4>& shown) {
    bool fits = !sets_.empty();
    for (int k = 0; k < 4 && fits; ++k) {
        const Entry& e = (*sets_.back())[k][raw[k]];
        fits = !e.known || e.text == shown[k];
    }
    if (!fits)
        sets_.push_back(std::make_unique<Set>());
    Set& set = *sets_.back();
    for (int k = 0; k < 4; ++k) {
        Entry& e = set[k][raw[k]];
        if (e.known)
            continue;
        bool ok = false;
        // the table wrote the text in the program's locale; read it back the same way
        const double v = QLocale().toDouble(shown[k], &ok);
        e = Entry{shown[k], ok ? v : std::numeric_limits<double>::quiet_NaN(), true};
    }
    return uint32_t(sets_.size() - 1);
}

double ShownValues::value(uint32_t set, int byte, uint8_t raw) const {
    if (set >= sets_.size() || byte < 0 || byte > 3)
        return std::numeric_limits<double>::quiet_NaN();
    const Entry& e = (*sets_[set])[byte][raw];
    return e.known ? e.value : std::numeric_limits<double>::quiet_NaN();
}

SensorHistory::SensorHistory(const Clock& clock, size_t recordsPerRow)
    : clock_(clock) {
    rows_.reserve(kSensorRows);
    for (int i = 0; i < kSensorRows; ++i)
        rows_.emplace_back(recordsPerRow);
}

SensorHistory::~SensorHistory() = default;

void SensorHistory::record(int row, const SensorRowTexts& d) {
    if (row < 0 || row >= kSensorRows)
        return;
    Row& r = rows_[row];
    if (d.orgByte == 0) {
        r.learned = false;
        return;
    }
    HistoryRecord rec;
    rec.wallMs = clock_.wallMs();
    rec.sensorId = d.sensorId;
    rec.valueSet = shown_.enter(d.raw, d.data);
    rec.timeValue = d.timeValue;
    rec.raw = d.raw;
    rec.org = d.orgByte;
    const bool sameSensor = r.learned && !r.ring.empty() && r.ring.last().org == rec.org &&
                            r.ring.last().sensorId == rec.sensorId;
    if (!sameSensor) {
        // a new sensor, or the first look at this one: its time value is where we start
        r.telegrams = 0;
        r.lastTelegramMs.reset();
        r.sensorSinceMs = rec.wallMs;
    } else if (r.ring.last().timeValue != rec.timeValue) {
        rec.telegram = true;
        ++r.telegrams;
        r.lastTelegramMs = rec.wallMs;
    }
    r.learned = true;
    r.ring.push(rec);
    if (recorded_)
        recorded_(row);
}

double SensorHistory::shownValue(const HistoryRecord& r, int byte) const {
    return byte >= 0 && byte < 4 ? shown_.value(r.valueSet, byte, r.raw[byte])
                                 : std::numeric_limits<double>::quiet_NaN();
}

RowSummary SensorHistory::summary(int row, int64_t nowMs, int64_t silentAfterMs) const {
    RowSummary s;
    s.row = row;
    if (row < 0 || row >= kSensorRows || rows_[row].ring.empty())
        return s;
    const Row& r = rows_[row];
    s.learned = r.learned;
    s.org = r.ring.last().org;
    s.sensorId = r.ring.last().sensorId;
    s.telegrams = r.telegrams;
    s.lastTelegramMs = r.lastTelegramMs;
    // a sensor that has sent nothing since we first saw it is silent since then
    s.silentForMs = std::max<int64_t>(0, nowMs - r.lastTelegramMs.value_or(r.sensorSinceMs));
    s.silent = s.learned && s.silentForMs > silentAfterMs;
    return s;
}

std::vector<RowSummary> SensorHistory::summaries(int64_t nowMs, int64_t silentAfterMs) const {
    std::vector<RowSummary> out;
    for (int row = 0; row < kSensorRows; ++row)
        if (!rows_[row].ring.empty())
            out.push_back(summary(row, nowMs, silentAfterMs));
    return out;
}

namespace {
bool sameSensor(const HistoryRecord& a, const HistoryRecord& b) {
    return a.org == b.org && a.sensorId == b.sensorId;
}
} // namespace

std::vector<SensorTrend> SensorHistory::trends(int row, int byte) const {
    std::vector<SensorTrend> series;
    if (row < 0 || row >= kSensorRows)
        return series;
    const RecordRing& ring = rows_[row].ring;
    for (size_t i = 0; i < ring.size(); ++i) {
        const HistoryRecord& r = ring[i];
        if (i == 0 || !sameSensor(r, ring[i - 1]))
            series.push_back({r.sensorId, r.org, {}});
        const double v = shownValue(r, byte);
        if (!std::isnan(v))
            series.back().points.append(QPointF(double(r.wallMs), v));
    }
    return series;
}

bool SensorHistory::startsSeries(int row) const {
    if (row < 0 || row >= kSensorRows || rows_[row].ring.empty())
        return false;
    const RecordRing& ring = rows_[row].ring;
    return ring.size() == 1 || !sameSensor(ring.last(), ring[ring.size() - 2]);
}
