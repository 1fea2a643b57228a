// The sensor history without a window: telegram detection, the ring bound, and the CSV export.

#include "history/HistoryCsv.h"
#include "history/SensorHistory.h"
#include "platform/Timer.h"
#include "sensors/RowDecoding.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {
SensorRowTexts decoded(uint8_t org, uint32_t id, uint16_t timeValue,
                       std::array<uint8_t, 4> raw = {1, 2, 3, 4},
                       std::array<QString, 4> shown = {"1", "2", "3", "4"}) {
    SensorRowTexts t;
    t.orgByte = org;
    t.sensorId = id;
    t.timeValue = timeValue;
    t.raw = raw;
    t.data = shown;
    return t;
}
} // namespace

TEST(SensorHistory, ATelegramIsATimeValueThatChangedForTheSameSensor) {
    struct Step {
        uint8_t org;
        uint32_t id;
        uint16_t timeValue;
        bool recorded;
        bool telegram;
        int telegramsSoFar;
    } steps[] = {
        {0x07, 0xA, 10, true, false, 0}, // the first look is where counting starts
        {0x07, 0xA, 10, true, false, 0}, // unchanged
        {0x07, 0xA, 11, true, true, 1},  // changed: a telegram arrived
        {0x07, 0xA, 3, true, true, 2},   // any change counts, the counter wraps
        {0x00, 0x0, 0, false, false, 0}, // emptied: nothing recorded
        {0x07, 0xA, 0, true, false, 0},  // learned anew: a fresh start, not a telegram
        {0x07, 0xA, 1, true, true, 1},   //
        {0x05, 0xB, 7, true, false, 0},  // another sensor in the row: a fresh start
        {0x06, 0xB, 7, true, false, 0},  // another ORG is another sensor
    };
    ManualClock clock;
    SensorHistory history(clock);
    size_t expected = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(int(&step - steps));
        clock.advance(1000);
        history.record(4, decoded(step.org, step.id, step.timeValue));
        expected += step.recorded;
        ASSERT_EQ(history.records(4).size(), expected);
        const HistoryRecord& last = history.records(4).last();
        const RowSummary s = history.summary(4, clock.wallMs(), 60000);
        EXPECT_EQ(s.learned, step.org != 0);
        if (step.recorded) {
            EXPECT_EQ(last.telegram, step.telegram);
            EXPECT_EQ(last.wallMs, clock.wallMs());
            EXPECT_EQ(s.telegrams, step.telegramsSoFar);
        }
    }
    EXPECT_TRUE(history.records(3).empty());
}

TEST(SensorHistory, EachRowKeepsItsLast100000Records) {
    ManualClock clock;
    SensorHistory history(clock);
    for (int i = 0; i <= 100000; ++i)
        history.record(31, decoded(0x07, 0xA, uint16_t(i), {uint8_t(i), 0, 0, 0},
                                   {QString::number(uint8_t(i)), "0", "0", "0"}));
    const RecordRing& ring = history.records(31);
    ASSERT_EQ(ring.size(), 100000u);
    EXPECT_EQ(ring[0].timeValue, 1); // the very first went
    EXPECT_EQ(ring.last().timeValue, uint16_t(100000));
    EXPECT_EQ(history.shownValue(ring[0], 0), 1.0);
    EXPECT_EQ(history.shownValue(ring.last(), 0), double(uint8_t(100000)));
}

// A silent sensor: no telegram since the last, or since it was first seen.
TEST(SensorHistory, SilentAfterTheThresholdOnTheManualClock) {
    ManualClock clock;
    SensorHistory history(clock);
    history.record(2, decoded(0x07, 0xA, 5));
    clock.advance(10 * 60000);
    history.record(2, decoded(0x07, 0xA, 6)); // a telegram at minute 10
    clock.advance(60 * 60000);
    EXPECT_FALSE(history.summary(2, clock.wallMs(), 60 * 60000).silent); // exactly 60 min
    clock.advance(1);
    history.record(2, decoded(0x07, 0xA, 6)); // read again, nothing new
    const RowSummary s = history.summary(2, clock.wallMs(), 60 * 60000);
    EXPECT_TRUE(s.silent);
    EXPECT_EQ(s.silentForMs, 60 * 60000 + 1);
    EXPECT_EQ(s.lastTelegramMs, clock.wallMs() - 60 * 60000 - 1);
    history.record(2, decoded(0x00, 0, 0)); // an empty slot is not silent
    EXPECT_FALSE(history.summary(2, clock.wallMs(), 60 * 60000).silent);
}

// Two rows in time order; the same raw byte before and after its range changed; a German
// table ("," as the decimal separator) and '.' in the file.
TEST(HistoryCsv, TheFileExactly) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    ManualClock clock;
    clock.setWallStartMs(1796113800000); // 2026-12-01T08:30:00.000Z
    SensorHistory history(clock);
    history.record(5, decoded(0x07, 0x01834C17, 65535, {128, 0, 255, 7}, {"128", "0", "255", "7"}));
    clock.advance(250);
    history.record(2, decoded(0x05, 0x0021A3F1, 1, {0, 0x30, 0, 0}, {"-40", "48", "0", "0"}));
    clock.advance(86400000 + 1);
    history.record(5, decoded(0x07, 0x01834C17, 12, {128, 51, 255, 7},
                              {"50,1960784313725", "-20", "1,5", "7"}));
    history.record(9, decoded(0x06, 0x1, 1)); // not chosen
    const QByteArray csv = historyCsv(history, {5, 2, 5}, [](int row) {
        return row == 5 ? QString("Kühlraum \"Nord\", Decke") : QString();
    });
    QLocale::setDefault(before);
    EXPECT_EQ(csv.toStdString(),
              "time_utc,row,sensor_id,org,byte0,byte1,byte2,byte3,scaled0,scaled1,scaled2,"
              "scaled3,time_value,telegram,label\n"
              "2026-12-01T08:30:00.000Z,5,01834C17,07,128,0,255,7,128,0,255,7,65535,0,"
              "\"Kühlraum \"\"Nord\"\", Decke\"\n"
              "2026-12-01T08:30:00.250Z,2,0021A3F1,05,0,48,0,0,-40,48,0,0,1,0,\n"
              "2026-12-02T08:30:00.251Z,5,01834C17,07,128,51,255,7,50.1960784313725,-20,1.5,7,12,"
              "1,\"Kühlraum \"\"Nord\"\", Decke\"\n");
}

// A row learned anew with another sensor: the trend starts a new series, never joining the two.
TEST(SensorHistory, AnotherSensorInTheRowStartsANewSeries) {
    const struct {
        uint32_t id;
        uint8_t byte0;
        bool starts;
    } steps[] = {
        {0xA, 10, true}, {0xA, 11, false}, {0xB, 90, true}, {0xB, 91, false}, {0xA, 12, true}};
    ManualClock clock;
    SensorHistory history(clock);
    for (const auto& s : steps) {
        history.record(6, decoded(0x07, s.id, 1, {s.byte0, 0, 0, 0},
                                  {QString::number(s.byte0), "0", "0", "0"}));
        EXPECT_EQ(history.startsSeries(6), s.starts) << int(s.byte0);
    }
    QStringList series;
    for (const SensorTrend& t : history.trends(6, 0)) {
        series << QString::number(t.sensorId, 16);
        for (const QPointF& p : t.points)
            series.last() += " " + QString::number(p.y());
    }
    EXPECT_EQ(series, QStringList({"a 10 11", "b 90 91", "a 12"}));
}
