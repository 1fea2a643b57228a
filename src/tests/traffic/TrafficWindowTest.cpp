// The traffic window against the whole main window and the in-process gateway on the manual
// clock: nothing is recorded before it is first opened; then a faulty line shows in its rows and
// counters; pause, the problem filter, clear, reset, CSV; its texts in both languages.

#include "traffic/TrafficWindow.h"
#include "support/WindowSession.h"
#include "traffic/TrafficModel.h"
#include "traffic/TrafficRecorder.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
std::unique_ptr<GatewayModel> oneSensor() {
    auto m = std::make_unique<GatewayModel>(1, GatewayVariant::Receiver, 3);
    m->learnSensor(4, 0x07, 0x01800A22);
    return m;
}
FaultPlan corruptEvery(int n) {
    FaultPlan p;
    p.corruptEvery = n;
    return p;
}

struct TrafficSession : WindowSession {
    explicit TrafficSession(QString language = {})
        : WindowSession(oneSensor(), corruptEvery(4), std::move(language)) {}
    TrafficWindow& openTraffic() {
        find<QAction>("act_traffic")->trigger();
        return w->trafficWindow();
    }
    template <class T> T* control(const char* name) { return inOpenWindow<T>("frmTraffic", name); }
    QStringList column(int c) {
        QStringList texts;
        TrafficModel& m = w->trafficWindow().model();
        for (int row = 0; row < m.rowCount(); ++row)
            texts << m.data(m.index(row, c)).toString();
        return texts;
    }
};
} // namespace

TEST(TrafficWindow, AFaultyLineShowsInTheRowsAndCounters) {
    TrafficSession session;
    session.connect("RTU");
    session.clock.advance(20000); // identified, shaded, one pass
    EXPECT_EQ(session.w->trafficRecorder(), nullptr) << "never opened: nothing recorded";

    TrafficWindow& t = session.openTraffic();
    ASSERT_NE(session.w->trafficRecorder(), nullptr);
    const TrafficRecorder& recorder = *session.w->trafficRecorder();
    EXPECT_EQ(t.model().rowCount(), 0);
    session.find<QCheckBox>("chk_read")->setChecked(true);
    session.clock.advance(10000);
    const TrafficCounters& n = recorder.counters();
    ASSERT_GT(n.requests, 20u);
    EXPECT_GT(n.checkFailures, 0u);
    EXPECT_EQ(session.column(TrafficModel::Check).count("Prüfsumme falsch"), int(n.checkFailures));
    EXPECT_EQ(session.column(TrafficModel::Direction).count("zum Gateway"), int(n.requests));
    EXPECT_TRUE(
        session.column(TrafficModel::Meaning).contains("Sensorzeile 4 lesen (Register 40-49)"));
    QScrollBar* bar = session.control<QTableView>("lst_traffic")->verticalScrollBar();
    EXPECT_EQ(bar->value(), bar->maximum()) << "the newest row in view";
    // the counters take new counts once a second; the last ones show when the line falls quiet
    session.find<QCheckBox>("chk_read")->setChecked(false);
    session.clock.advance(2000);
    EXPECT_TRUE(session.control<QLabel>("lbl_counters")
                    ->text()
                    .contains(QString("Prüfsummenfehler %1 ").arg(n.checkFailures)));
    EXPECT_TRUE(t.resting());
    session.find<QCheckBox>("chk_read")->setChecked(true);

    const uint64_t problems = n.checkFailures + n.timeOuts + n.lateAnswers;
    session.control<QCheckBox>("chk_pause")->setChecked(true);
    const int rows = t.model().rowCount();
    const uint64_t requests = n.requests;
    session.clock.advance(2000);
    EXPECT_EQ(t.model().rowCount(), rows);
    EXPECT_GT(n.requests, requests) << "paused, the counting goes on";
    session.control<QCheckBox>("chk_pause")->setChecked(false);

    session.control<QCheckBox>("chk_problems")->setChecked(true);
    EXPECT_EQ(t.model().rowCount(), int(problems)) << "problems only, none while paused";

    QTemporaryDir dir;
    const QString path = dir.filePath("traffic.csv");
    t.setSavePathChooser([&](const QString&, const QString&, const QString&) { return path; });
    session.control<QPushButton>("bt_save_csv")->click();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().count('\n'), 1 + t.model().rowCount());

    session.control<QPushButton>("bt_clear")->click();
    EXPECT_EQ(t.model().rowCount(), 0);
    EXPECT_GT(n.requests, 0u) << "clearing the list keeps the counters";
    session.control<QPushButton>("bt_reset")->click();
    EXPECT_TRUE(session.control<QLabel>("lbl_counters")->text().startsWith("Anfragen 0 ·"));
    t.close();
}

TEST(TrafficWindow, TextsFollowTheStoredLanguage) {
    const struct {
        const char* language;
        const char* action;
        const char* title;
        const char* meaningHeader;
        const char* taken;
        const char* counters;
    } cases[] = {
        {"1031", "Datenverkehr…", "Datenverkehr", "Bedeutung", "übernommen", "Anfragen "},
        {"1033", "Traffic…", "Traffic", "Meaning", "taken", "Requests "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        TrafficSession session(c.language);
        EXPECT_EQ(session.find<QAction>("act_traffic")->text(), QString::fromUtf8(c.action));
        TrafficWindow& t = session.openTraffic();
        session.connect("ASCII");
        session.clock.advance(3000);
        EXPECT_EQ(t.windowTitle(), c.title);
        EXPECT_EQ(t.model().headerData(TrafficModel::Meaning, Qt::Horizontal).toString(),
                  c.meaningHeader);
        EXPECT_TRUE(session.column(TrafficModel::Check).contains(QString::fromUtf8(c.taken)));
        EXPECT_TRUE(session.control<QLabel>("lbl_counters")->text().startsWith(c.counters));
        t.close();
    }
}

// Hidden or minimised, the window does no work while the recorder goes on; showing it again
// takes the backlog at once.
TEST(TrafficWindow, HiddenOrMinimisedItRestsAndCatchesUpWhenShown) {
    for (bool minimise : {false, true}) {
        SCOPED_TRACE(minimise ? "minimised" : "hidden");
        TrafficSession session;
        session.connect("RTU");
        TrafficWindow& t = session.openTraffic();
        session.find<QCheckBox>("chk_read")->setChecked(true);
        session.clock.advance(3000);
        minimise ? t.setWindowState(Qt::WindowMinimized) : t.hide();
        const int rows = t.model().rowCount();
        auto* counters = t.findChild<QLabel*>("lbl_counters");
        const QString shown = counters->text();
        session.clock.advance(3000);
        EXPECT_EQ(t.model().rowCount(), rows);
        EXPECT_EQ(counters->text(), shown);
        minimise ? t.setWindowState(Qt::WindowNoState) : t.show();
        EXPECT_EQ(size_t(t.model().rowCount()), session.w->trafficRecorder()->records().size());
        EXPECT_NE(counters->text(), shown);
        t.close();
    }
}
