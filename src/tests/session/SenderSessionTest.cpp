// The sender rows of the transceiver through the whole main window against the in-process
// gateway under the manual clock, in ASCII and RTU: templates, value checks, the edited marks,
// apply (the row's block into registers 400 + 10 x row) and transmit with the release of a
// rocker-button telegram.

#include "support/WindowSession.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace {
using Block = std::array<uint16_t, 10>;
const QColor kRed(255, 0, 0);
const char* const kFields[] = {"txt_snd_data_1", "txt_snd_data_2", "txt_snd_data_3",
                               "txt_snd_data_4", "txt_snd_status"};

// Row r of the gateway holds ORG 6 and data bytes 1..4 = 10r+1 .. 10r+4, status 10r+5: no
// value that a template writes.
QStringList gatewayRowTexts(int row) {
    QStringList t;
    for (int f = 1; f <= 5; ++f)
        t << QString::number(10 * row + f);
    return t;
}

class SenderSession : public ::testing::TestWithParam<const char*>, public WindowSession {
protected:
    SenderSession()
        : WindowSession(gateway()) {}
    static std::unique_ptr<GatewayModel> gateway() {
        auto m = std::make_unique<GatewayModel>(1, GatewayVariant::Transceiver, 3);
        m->learnSensor(0, 0x05, 0x0021A3F1);
        for (int r = 0; r < GatewayModel::kSenderRows; ++r) {
            const auto b = [r](int k) { return uint8_t(10 * r + k); };
            // registers +3..+6 hold data bytes 4, 3, 2, 1
            m->setSenderSlot(r, 0x06, 0xFF9A0000u + r, {b(4), b(3), b(2), b(1)}, b(5));
        }
        return m;
    }
    void SetUp() override {
        connect(GetParam());
        clock.advance(30000); // identification, response time, flags and the first pass
        ASSERT_FALSE(s.FirstReadPending);
        ASSERT_FALSE(w->timers().Timer5.isEnabled());
        find<QTabWidget>("SSTab1")->setCurrentIndex(1);
    }

    QLineEdit* field(int row, int f) const {
        return find<QLineEdit>(QString("%1_%2").arg(kFields[f]).arg(row));
    }
    QComboBox* list(const char* name, int row) const {
        return find<QComboBox>(QString("%1_%2").arg(name).arg(row));
    }
    QPushButton* button(const char* name, int row) const {
        return find<QPushButton>(QString("%1_%2").arg(name).arg(row));
    }
    QStringList texts(int row) const {
        QStringList t;
        for (int f = 0; f < 5; ++f)
            t << field(row, f)->text();
        return t;
    }
    // Which of the five fields and the ORG list show the red edited mark.
    std::vector<bool> marks(int row) const {
        std::vector<bool> m;
        for (int f = 0; f < 5; ++f)
            m.push_back(field(row, f)->palette().color(QPalette::Text) == kRed);
        m.push_back(list("Combo1", row)->palette().color(QPalette::ButtonText) == kRed);
        return m;
    }
    Block gatewayBlock(int row) const {
        Block b{};
        for (int i = 0; i < 10; ++i)
            b[i] = model->reg(400 + 10 * row + i);
        return b;
    }
    void type(int row, int f, const QString& text) { field(row, f)->setText(text); }
    void chooseTemplate(int row, int entry) { choose(list("Telegram", row), entry); }
    void apply(int row) {
        button("Command2", row)->click();
        clock.advance(300);
    }
    std::vector<TransmittedTelegram> telegramsOf(int row) const {
        std::vector<TransmittedTelegram> t;
        for (const TransmittedTelegram& x : model->transmitLog())
            if (x.senderRow == row)
                t.push_back(x);
        return t;
    }
};

const std::vector<bool> kAllMarked(6, true);
const std::vector<bool> kNoneMarked(6, false);
} // namespace

TEST_P(SenderSession, TheFirstReadFillsTheRowsWithoutMarksOrMessages) {
    for (int row = 0; row < GatewayModel::kSenderRows; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(texts(row), gatewayRowTexts(row));
        EXPECT_EQ(list("Combo1", row)->currentText(), "6");
        EXPECT_EQ(find<QLineEdit>(QString("txt_sender_id_%1").arg(row))->text(),
                  hex8(0xFF9A0000u + row));
        EXPECT_EQ(marks(row), kNoneMarked);
        EXPECT_TRUE(button("Command1", row)->isEnabled());
        EXPECT_TRUE(button("Command2", row)->isEnabled());
    }
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join("|").toStdString();
}

struct TemplateCase {
    int entry;
    const char* caption;
    QStringList values; // data bytes 1..4, status
    const char* org;
};

TEST_P(SenderSession, EachTemplateWritesItsValuesAndMarksThemButSendsNothing) {
    const TemplateCase cases[] = {
        {1, "Button 1", {"80", "0", "0", "0", "48"}, "5"},
        {2, "Button 2", {"112", "0", "0", "0", "48"}, "5"},
        {3, "Button 3", {"16", "0", "0", "0", "48"}, "5"},
        {4, "Button 4", {"48", "0", "0", "0", "48"}, "5"},
        {5, "Key-Card", {"48", "0", "0", "0", "48"}, "5"},
        {6, "LEARN - KP12", {"8", "40", "2", "135", "48"}, "7"},
        {7, "LEARN - KP12 P", {"64", "24", "2", "135", "48"}, "7"},
        {8, "Telegram KP12", {"0", "127", "127", "15", "48"}, "7"},
    };
    for (const TemplateCase& c : cases) {
        const int row = c.entry - 1; // one row each, rows 0..7
        SCOPED_TRACE(c.caption);
        const Block before = gatewayBlock(row);
        chooseTemplate(row, c.entry);
        EXPECT_EQ(list("Telegram", row)->currentText(), c.caption);
        EXPECT_EQ(texts(row), c.values);
        EXPECT_EQ(list("Combo1", row)->currentText(), c.org);
        EXPECT_EQ(marks(row), kAllMarked);
        EXPECT_FALSE(w->timers().Timer5.isEnabled()) << "a template sends nothing";
        clock.advance(500);
        EXPECT_EQ(gatewayBlock(row), before);
    }
    EXPECT_EQ(list("Telegram", 0)->itemText(8), "Telegram KP12 P");
    EXPECT_TRUE(model->transmitLog().empty());
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join("|").toStdString();
}

TEST_P(SenderSession, ManuellChangesNothing) {
    chooseTemplate(2, 0);
    EXPECT_EQ(texts(2), gatewayRowTexts(2));
    EXPECT_EQ(list("Combo1", 2)->currentText(), "6");
    EXPECT_EQ(marks(2), kNoneMarked);
    EXPECT_FALSE(w->timers().Timer5.isEnabled());
}

TEST_P(SenderSession, AnOrgChoiceMarksOnlyTheList) {
    choose(list("Combo1", 4), 2);
    EXPECT_EQ(marks(4), (std::vector<bool>{false, false, false, false, false, true}));
    EXPECT_FALSE(w->timers().Timer5.isEnabled());
}

struct ValueCase {
    const char* typed;
    const char* message; // empty: accepted
    const char* shown;
};

TEST_P(SenderSession, TypedValuesAreCheckedWithTheirMessages) {
    const ValueCase cases[] = {
        {"256", "Bitte geben Sie eine Zahl zwischen 0 und 255 ein!", "0"},
        {"-1", "Bitte geben Sie eine Zahl zwischen 0 und 255 ein!", "0"},
        {"", "Bitte geben Sie eine Zahl ein", "0"},
        {"abc", "Keine gültige Eingabe", "0"},
        {"0x10", "Keine gültige Eingabe", "0"},
        {"255", "", "255"},
        {"0", "", "0"},
        {"12.5", "", "12.5"},
    };
    for (int f = 0; f < 5; ++f) {
        for (const ValueCase& c : cases) {
            SCOPED_TRACE(std::string(kFields[f]) + " " + c.typed);
            messages.shown.clear();
            type(5, f, "7"); // a change, so that the typed text is one as well
            messages.shown.clear();
            type(5, f, c.typed);
            EXPECT_EQ(messages.shown, *c.message ? QStringList{c.message} : QStringList{});
            EXPECT_EQ(field(5, f)->text(), c.shown);
            EXPECT_TRUE(marks(5)[f]);
            if (*c.message) {
                EXPECT_EQ(field(5, f)->selectedText(), "0") << "selected for the next entry";
            }
        }
    }
    EXPECT_FALSE(w->timers().Timer5.isEnabled());
    EXPECT_EQ(gatewayBlock(5)[6], 51) << "a check sends nothing";
}

struct ApplyCase {
    int row;
    int entry;         // template list entry
    QStringList typed; // typed after the template: data bytes 1..4, status ("" leaves it)
    int orgEntry;      // ORG list entry chosen by the user, -1 none
    Block registers; // +0 ORG, +1/+2 sender ID (the gateway keeps its own over the zeros written),
                     // +3..+6 data bytes 4..1, +7 status
    QStringList shown; // the fields after the apply
};

TEST_P(SenderSession, ApplyWritesTheRowsBlockIntoTheGatewayAndClearsTheMarks) {
    const ApplyCase cases[] = {
        {0, 1, {}, -1, {5, 0xFF9A, 0, 0, 0, 0, 80, 48, 0, 0}, {"80", "0", "0", "0", "48"}},
        // typed over a template: the template's values go out and come back into the row
        {7,
         6,
         {"99", "", "", "1", "2"},
         0,
         {7, 0xFF9A, 7, 135, 2, 40, 8, 48, 0, 0},
         {"8", "40", "2", "135", "48"}},
        {3,
         0,
         {"200", "10", "0", "255", "1"},
         2,
         {7, 0xFF9A, 3, 255, 0, 10, 200, 1, 0, 0},
         {"200", "10", "0", "255", "1"}},
        // a fraction goes out as the nearest whole number, halves away from zero
        {5,
         0,
         {"12.5", "0.4", "254.5", "", ""},
         0,
         {5, 0xFF9A, 5, 54, 255, 0, 13, 55, 0, 0},
         {"12.5", "0.4", "254.5", "54", "55"}},
    };
    for (const ApplyCase& c : cases) {
        SCOPED_TRACE(c.row);
        chooseTemplate(c.row, c.entry);
        for (int f = 0; f < c.typed.size(); ++f)
            if (!c.typed[f].isEmpty())
                type(c.row, f, c.typed[f]);
        if (c.orgEntry >= 0)
            choose(list("Combo1", c.row), c.orgEntry);
        apply(c.row);
        EXPECT_EQ(gatewayBlock(c.row), c.registers);
        EXPECT_EQ(texts(c.row), c.shown);
        EXPECT_EQ(marks(c.row), kNoneMarked);
        EXPECT_FALSE(w->timers().Timer5.isEnabled()) << "answered";
    }
    EXPECT_EQ(gatewayBlock(1)[6], 11) << "other rows stay";
    EXPECT_TRUE(model->transmitLog().empty()) << "an apply transmits nothing";
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join("|").toStdString();
}

TEST_P(SenderSession, AButtonRowGivesPressZeroBlockAndReleaseAbout300msLater) {
    for (int entry = 1; entry <= 4; ++entry) {
        const int row = entry + 1; // rows 2..5
        SCOPED_TRACE(entry);
        chooseTemplate(row, entry);
        apply(row);
        const Block press = gatewayBlock(row);
        // the release marks all five fields it writes, the zeros that stood there as well; it
        // chooses no ORG
        const std::vector<bool> released{true, true, true, true, true, false};
        button("Command1", row)->click();
        clock.advance(150);
        ASSERT_EQ(telegramsOf(row).size(), 1u);
        EXPECT_EQ(telegramsOf(row)[0].registers, press);
        EXPECT_FALSE(model->coil(0x40 + row)) << "the gateway clears the coil once sent";
        clock.advance(1000);
        const auto sent = telegramsOf(row);
        ASSERT_EQ(sent.size(), 2u);
        EXPECT_EQ(sent[1].registers, (Block{5, 0xFF9A, uint16_t(row), 0, 0, 0, 0, 0, 0, 0}));
        EXPECT_EQ(gatewayBlock(row), sent[1].registers) << "the zero block was written";
        EXPECT_NEAR(double(sent[1].atMs - sent[0].atMs), 300.0, 20.0);
        EXPECT_EQ(texts(row), (QStringList{"0", "0", "0", "0", "0"}));
        EXPECT_EQ(marks(row), released);
    }
    EXPECT_EQ(model->transmitLog().size(), 8u);
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join("|").toStdString();
}

TEST_P(SenderSession, OtherRowsTransmitOnce) {
    for (const int entry : {0, 5, 6, 7, 8}) {
        const int row = entry == 0 ? 1 : entry - 1;
        SCOPED_TRACE(entry);
        chooseTemplate(row, entry);
        apply(row);
        const Block block = gatewayBlock(row);
        const QStringList shown = texts(row);
        button("Command1", row)->click();
        clock.advance(2000);
        const auto sent = telegramsOf(row);
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].registers, block);
        EXPECT_EQ(texts(row), shown);
        EXPECT_EQ(gatewayBlock(row), block);
    }
    EXPECT_EQ(model->transmitLog().size(), 5u);
}

TEST_P(SenderSession, TransmitSendsWhatTheGatewayHoldsNotWhatTheRowShows) {
    type(6, 0, "222"); // not applied
    button("Command1", 6)->click();
    clock.advance(500);
    ASSERT_EQ(telegramsOf(6).size(), 1u);
    EXPECT_EQ(telegramsOf(6)[0].registers[6], 61);
    EXPECT_EQ(telegramsOf(6)[0].registers[1], 0xFF9A) << "the gateway's own sender ID";
    EXPECT_TRUE(marks(6)[0]) << "the mark stays until the apply";
}

TEST_P(SenderSession, WithoutAddressApplyAndTransmitDoNothingAndTheRowKeepsItsValues) {
    chooseTemplate(4, 1); // "Button 1": a transmit would be followed by the release
    find<QLineEdit>("txt_Modbus_adress")->clear();
    messages.shown.clear();
    button("Command2", 4)->click();
    button("Command1", 4)->click();
    EXPECT_FALSE(w->timers().Timer5.isEnabled()) << "nothing was sent";
    clock.advance(2000);
    EXPECT_EQ(texts(4), (QStringList{"80", "0", "0", "0", "48"})) << "no release either";
    EXPECT_EQ(gatewayBlock(4)[6], 41);
    EXPECT_TRUE(model->transmitLog().empty());
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join("|").toStdString();
    EXPECT_EQ(find<QLabel>("lbl_Alarm")->text(), "");
}

INSTANTIATE_TEST_SUITE_P(Modes, SenderSession, ::testing::Values("ASCII", "RTU"));
