// The history against the whole main window and the in-process gateway on the manual clock:
// records from the table read's single pass and continuous reading, the window's silent
// marking, its texts in both languages, and its exports.

#include "history/HistoryWindow.h"
#include "history/SensorHistory.h"
#include "history/TrendChartView.h"
#include "sensors/ScaleFrame.h"
#include "support/WindowSession.h"

#include <QAction>
#include <QCheckBox>
#include <QImage>
#include <QLineSeries>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
std::unique_ptr<GatewayModel> twoSensors() {
    auto m = std::make_unique<GatewayModel>(1, GatewayVariant::Receiver, 3);
    m->learnSensor(0, 0x05, 0x0012A3F1);
    m->learnSensor(3, 0x07, 0x01800A22);
    return m;
}

struct HistorySession : WindowSession {
    HistorySession()
        : WindowSession(twoSensors()) {}
    SensorHistory& history() { return w->history(); }
    HistoryWindow& openHistory() {
        find<QAction>("act_history")->trigger();
        return w->historyWindow();
    }
    QTableWidget* list() { return inOpenWindow<QTableWidget>("frmHistory", "lst_rows"); }
    bool marked(int line) { return list()->item(line, 5)->background() != QBrush(); }
};

class HistoryModes : public ::testing::TestWithParam<const char*> {};
} // namespace

TEST_P(HistoryModes, EveryDecodedRowIsRecordedAsTheTableShowsIt) {
    HistorySession session;
    session.w->scaleFrame().maxField(3)->setText("100"); // byte 0 over 0..100
    session.connect(GetParam());
    session.clock.advance(20000); // identified, shaded, one single pass
    ASSERT_EQ(session.s.RequestKind, RequestKinds::None);
    for (int row = 0; row < kSensorRows; ++row)
        EXPECT_EQ(session.history().records(row).size(), row == 0 || row == 3 ? 1u : 0u) << row;
    for (int row : {0, 3}) {
        // the model has moved on since the pass: the record is what the table shows
        const HistoryRecord& r = session.history().records(row).last();
        EXPECT_EQ(hex2(r.org), session.org(row));
        EXPECT_EQ(hex8(r.sensorId), session.id(row));
        EXPECT_EQ(QString::number(r.timeValue), session.text(QString("txt_time_%1").arg(row)));
        for (int k = 0; k < 4; ++k) {
            const QString shown = session.text(QString("txt_data_%1_%2").arg(k + 1).arg(row));
            EXPECT_EQ(QString::number(session.history().shownValue(r, k), 'g', 15), shown) << k;
            const double fromRaw = k == 0 ? r.raw[k] * 100.0 / 255 : r.raw[k];
            EXPECT_EQ(QString::number(fromRaw, 'g', 15), shown) << k;
        }
        EXPECT_FALSE(r.telegram);
    }
    // continuous reading: pass after pass, with the telegrams the sensors send meanwhile
    session.find<QCheckBox>("chk_read")->setChecked(true);
    session.clock.advance(120000);
    const RecordRing& ring = session.history().records(3);
    ASSERT_GT(ring.size(), 5u);
    int telegrams = 0;
    for (size_t i = 1; i < ring.size(); ++i) {
        EXPECT_GT(ring[i].wallMs, ring[i - 1].wallMs);
        telegrams += ring[i].telegram;
    }
    EXPECT_GT(telegrams, 0);
    EXPECT_EQ(ring.last().timeValue, session.text("txt_time_3").toUInt());
    EXPECT_EQ(session.history().summary(3, session.clock.wallMs(), 60000).telegrams, telegrams);
}

INSTANTIATE_TEST_SUITE_P(AsciiAndRtu, HistoryModes, ::testing::Values("ASCII", "RTU"));

TEST(HistoryWindow, RowsSilentForLongerThanTheThresholdAreMarked) {
    HistorySession session;
    session.connect("RTU");
    session.clock.advance(20000); // one pass, then idle: no more telegrams are seen
    session.openHistory();
    QTableWidget* list = session.list();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(list->item(1, 1)->text(), "01800A22");
    session.clock.advance(59 * 60000);
    EXPECT_FALSE(session.marked(0));
    session.clock.advance(2 * 60000); // the window's refresh has run meanwhile
    EXPECT_TRUE(session.marked(0));
    EXPECT_TRUE(session.marked(1));
    session.inOpenWindow<QSpinBox>("frmHistory", "txt_silent_minutes")->setValue(120);
    EXPECT_FALSE(session.marked(0));
}

TEST(HistoryWindow, TextsFollowTheStoredLanguage) {
    struct Case {
        const char* language;
        const char* action;
        const char* title;
        const char* firstColumn;
        const char* csvButton;
    } cases[] = {
        {"1031", "Verlauf…", "Verlauf", "Zeile", "CSV exportieren…"},
        {"1033", "History…", "History", "Row", "Export CSV…"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        WindowSession session(twoSensors(), {}, c.language);
        auto* action = session.find<QAction>("act_history");
        EXPECT_EQ(action->text(), c.action);
        action->trigger();
        HistoryWindow& h = session.w->historyWindow();
        EXPECT_TRUE(h.isVisible());
        EXPECT_EQ(h.windowTitle(), c.title);
        EXPECT_EQ(h.rowList()->horizontalHeaderItem(0)->text(), c.firstColumn);
        EXPECT_EQ(h.findChild<QPushButton*>("bt_export_csv")->text(), c.csvButton);
        h.close();
    }
}

TEST(HistoryWindow, TheSelectionGoesToTheChartAndToTheFiles) {
    HistorySession session;
    session.connect("ASCII");
    session.clock.advance(20000);
    HistoryWindow& h = session.openHistory();
    auto* chartOrHint = h.chartView()->parentWidget();
    EXPECT_EQ(chartOrHint->property("currentIndex"), 1) << "no row chosen: how to choose one";
    h.selectRows({3});
    EXPECT_EQ(chartOrHint->property("currentIndex"), 0);
    EXPECT_EQ(h.chartView()->lineCount(), 4);
    session.inOpenWindow<QCheckBox>("frmHistory", "chk_byte_1")->setChecked(false);
    ASSERT_EQ(h.chartView()->lineCount(), 3);
    EXPECT_EQ(h.chartView()->line(1)->name(), "Zeile 3 Byte 2");
    session.find<QCheckBox>("chk_read")->setChecked(true);
    session.clock.advance(30000); // live: the new records join the lines
    EXPECT_EQ(size_t(h.chartView()->line(0)->count()), session.history().records(3).size());

    QTemporaryDir dir;
    const QString csv = dir.filePath("history.csv");
    h.setSavePathChooser([&](const QString&, const QString&, const QString&) { return csv; });
    h.findChild<QPushButton*>("bt_export_csv")->click();
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    EXPECT_EQ(size_t(lines.size()), 1 + session.history().records(3).size() + 1); // ends in \n
    EXPECT_TRUE(lines[1].contains(",3,01800A22,07,")) << lines[1].toStdString();

    EXPECT_TRUE(h.exportPng(dir.filePath("trend.png")));
    EXPECT_FALSE(QImage(dir.filePath("trend.png")).isNull());
    EXPECT_TRUE(session.messages.shown.isEmpty());
    EXPECT_FALSE(h.exportCsv(dir.filePath("no/such/folder/history.csv")));
    ASSERT_EQ(session.messages.shown.size(), 1);
    EXPECT_TRUE(session.messages.shown[0].startsWith("Die Datei"))
        << session.messages.shown[0].toStdString();
}

// Live, the chart draws new points at most once a second, also when the rows it shows are read
// a few hundred milliseconds apart.
TEST(HistoryWindow, TheLiveChartRedrawsAtMostOnceASecond) {
    HistorySession session;
    session.connect("RTU");
    session.clock.advance(20000);
    HistoryWindow& h = session.openHistory();
    h.selectRows({0, 3});
    std::vector<int64_t> drawn; // when lines got points
    for (int line = 0; line < h.chartView()->lineCount(); ++line)
        QObject::connect(h.chartView()->line(line), &QXYSeries::pointAdded,
                         [&] { drawn.push_back(session.clock.nowMs()); });
    session.find<QCheckBox>("chk_read")->setChecked(true);
    session.clock.advance(20000);
    ASSERT_GT(drawn.size(), 3u);
    for (size_t i = 1; i < drawn.size(); ++i)
        EXPECT_TRUE(drawn[i] == drawn[i - 1] || drawn[i] - drawn[i - 1] >= 1000) << i;
}
