#pragma once
// The record of every sensor row the table read decodes, kept in memory for the run: per row
// the last 100,000 records (a ring), each with the wall-clock time, the raw data bytes, the
// values as the table showed them, the time value, and whether a telegram had arrived since
// the row's previous record (its time value changed). Nothing goes to disk here. No widgets.

#include "core/ProgramSettings.h"
#include "platform/BoundedRing.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Clock;
struct SensorRowTexts;

inline constexpr size_t kRecordsPerRow = 100000;

struct HistoryRecord {
    int64_t wallMs = 0; // ms since 1970-01-01 UTC
    uint32_t sensorId = 0;
    uint32_t valueSet = 0; // where the shown values of the data bytes are kept (ShownValues)
    uint16_t timeValue = 0;
    std::array<uint8_t, 4> raw{}; // data bytes 0..3
    uint8_t org = 0;
    bool telegram = false; // the time value differs from the same sensor's previous record
};
static_assert(sizeof(HistoryRecord) <= 32, "a record takes at most 32 bytes");

// The last `capacity` records of one row, oldest first.
using RecordRing = BoundedRing<HistoryRecord>;

// The scaled values as the table showed them, kept once per value set, data byte and raw byte
// rather than in every record. The ranges change seldom: a value set holds until a shown text
// differs from the one it holds for the same byte, then a new set begins.
class ShownValues {
public:
    ShownValues();
    ~ShownValues();
    // The value set that holds these four shown texts for these raw bytes.
    uint32_t enter(const std::array<uint8_t, 4>& raw, const std::array<QString, 4>& shown);
    // The shown value as a number; NaN when the text was not a number in the locale.
    double value(uint32_t set, int byte, uint8_t raw) const;

private:
    struct Entry {
        QString text;
        double value = 0;
        bool known = false;
    };
    using Set = std::array<std::array<Entry, 256>, 4>;
    std::vector<std::unique_ptr<Set>> sets_;
};

// The values of one data byte while a row held one sensor.
struct SensorTrend {
    uint32_t sensorId = 0;
    uint8_t org = 0;
    QList<QPointF> points; // x: ms since 1970-01-01 UTC, y: the shown value
};

// One row in the history's list.
struct RowSummary {
    int row = 0;
    bool learned = false; // false once the row was read empty
    uint8_t org = 0;
    uint32_t sensorId = 0;
    int telegrams = 0; // seen from the row's present sensor
    std::optional<int64_t> lastTelegramMs;
    int64_t silentForMs = 0; // since its last telegram, or since it was first recorded
    bool silent = false;     // learned and silent for longer than the threshold
};

class SensorHistory {
public:
    explicit SensorHistory(const Clock& clock, size_t recordsPerRow = kRecordsPerRow);
    ~SensorHistory();

    // One decoded sensor row. An empty slot (ORG 00) is not recorded: it ends the row's
    // sensor, so the next sensor in the row starts afresh.
    void record(int row, const SensorRowTexts& decoded);
    // Told of each record after it is kept.
    void setRecordedHandler(std::function<void(int row)> handler) {
        recorded_ = std::move(handler);
    }

    const RecordRing& records(int row) const { return rows_[row].ring; }
    double shownValue(const HistoryRecord& r, int byte) const;
    // The rows that hold records, by row number.
    std::vector<RowSummary> summaries(int64_t nowMs, int64_t silentAfterMs) const;
    RowSummary summary(int row, int64_t nowMs, int64_t silentAfterMs) const;
    // Data byte `byte` of the row's records as (wall ms, shown value), oldest first, one series
    // per sensor the row held in turn: a row learned anew with another sensor starts a new
    // series, so that a trend never joins two sensors. Records whose shown text was not a number
    // are left out.
    std::vector<SensorTrend> trends(int row, int byte) const;
    // Whether the row's last record is the first of a series: its sensor differs from the
    // record before.
    bool startsSeries(int row) const;

private:
    struct Row {
        explicit Row(size_t capacity)
            : ring(capacity) {}
        RecordRing ring;
        bool learned = false;
        int telegrams = 0;
        std::optional<int64_t> lastTelegramMs;
        int64_t sensorSinceMs = 0;
    };
    const Clock& clock_;
    std::vector<Row> rows_;
    ShownValues shown_;
    std::function<void(int)> recorded_;
};
