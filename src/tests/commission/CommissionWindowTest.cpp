// The commissioning window over the whole main window against two in-process gateways, in German
// and English: the menu entry, a site file opened, the gateways verified, the missing sensor shown
// first and written on the confirmation with the line held meanwhile, a minute of listening that
// finds the silent sensor, the report; the site's labels in the sensor rows' tooltips and the
// history window.

#include "commission/CommissionWindow.h"
#include "commission/Commissioning.h"
#include "history/HistoryWindow.h"
#include "support/WindowSession.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
struct Texts {
    const char* language;
    const char* entry;
    const char* verified;
    const char* preview;
    const char* summary;
};
const Texts kTexts[] = {
    {"1031", "Inbetriebnahme…", "bestätigt",
     "Wird geschrieben, wenn Sie bestätigen:\nGateway 1, Zeile 3: 0081C3B5 ORG 06 (Büro)",
     "7 von 7 Sensoren bestätigt, 1 Mangel"},
    {"1033", "Commissioning…", "verified",
     "Will be written when you confirm:\nGateway 1, row 3: 0081C3B5 ORG 06 (Büro)",
     "7 of 7 sensors verified, 1 deficiency"},
};
// The demo gateway's sensors, one more to write, and gateway 2's.
const char* const kSite =
    "address;row;id;org;label\n1;0;0021A3F1;05;Flur\n1;1;0081B220;06;Fenster\n"
    "1;2;01834C17;07;Kühlraum\n1;5;01835D02;07;Feuchte\n"
    "1;9;0021C488;05;Besprechung\n1;;0081C3B5;06;Büro\n2;0;01840000;05;OG\n";
} // namespace

TEST(CommissionWindow, VerifyWriteListenReportAndTheLabels) {
    for (const Texts& t : kTexts) {
        WindowSession session(makeDemoModel(), {}, t.language);
        auto until = [&](const std::function<bool()>& done) {
            for (int waited = 0; !done() && waited < 120000; waited += 10)
                session.clock.advance(10);
            ASSERT_TRUE(done());
        };
        session.port->addGateway(std::make_unique<GatewayModel>(2, GatewayVariant::Receiver, 4))
            .learnSensor(0, 0x05, 0x01840000);
        session.model->silenceSensor(9);
        QTemporaryDir dir;
        QFile csv(dir.filePath("site.csv"));
        ASSERT_TRUE(csv.open(QIODevice::WriteOnly) && csv.write(kSite) > 0);
        csv.close();
        ScriptedFileDialogs dialogs;
        dialogs.path = csv.fileName();
        session.connect("ASCII");
        until([&] { return !session.s.FirstReadPending && session.s.RequestKind == 0; });

        QAction* entry = session.find<QAction>("act_commission");
        EXPECT_EQ(entry->text(), t.entry);
        entry->trigger();
        CommissionWindow& win = session.w->commissionWindow();
        ASSERT_TRUE(session.openWindow("frmCommission"));
        win.setFileDialogs(dialogs);
        win.bt_open_Click();
        EXPECT_EQ(win.sensorTable()->rowCount(), 7);
        EXPECT_EQ(session.find<QLineEdit>("txt_data_1_9")->toolTip(), "Besprechung");

        win.bt_verify_Click();
        EXPECT_TRUE(session.w->link().lineClaimed());
        until([&] { return !win.run().running(); });
        EXPECT_FALSE(session.w->link().lineClaimed());
        EXPECT_EQ(win.sensorTable()->item(0, 5)->text(), t.verified);

        win.bt_apply_Click(); // the preview, the line held so that it stays true
        EXPECT_EQ(win.stateLabel()->text(), t.preview);
        EXPECT_TRUE(session.w->link().lineClaimed());
        EXPECT_EQ(session.model->reg(30), 0);
        win.bt_apply_Click(); // confirmed
        until([&] { return !win.run().running(); });
        EXPECT_EQ(session.model->reg(32), 0xC3B5);
        EXPECT_EQ(session.find<QLineEdit>("txt_time_3")->toolTip(), "Büro");

        win.findChild<QSpinBox*>("txt_listen_minutes")->setValue(1);
        win.bt_listen_Click();
        session.clock.advance(30000);
        EXPECT_NE(win.sensorTable()->item(0, 6)->text(), "0"); // ticking while listening
        until([&] { return !win.run().running(); });
        EXPECT_EQ(win.stateLabel()->text(), t.summary);
        EXPECT_EQ(win.sensorTable()->item(4, 6)->text(), "0");
        EXPECT_TRUE(win.writeReport(dir.filePath("report.pdf")));
        QFile pdf(dir.filePath("report.pdf"));
        ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
        EXPECT_TRUE(pdf.read(5) == "%PDF-");

        HistoryWindow& history = session.w->historyWindow();
        history.open();
        EXPECT_EQ(history.rowList()->item(0, 6)->text(), "Flur");
        win.close();
        history.close();
    }
}
