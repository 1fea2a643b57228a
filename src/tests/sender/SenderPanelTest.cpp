// The sender rows against a real link over a scripted port, in both modes.

#include "tests/sender/SenderRig.h"

#include <QMouseEvent>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

const QString kRange = "Bitte geben Sie eine Zahl zwischen 0 und 255 ein!";

TEST(SenderRows, ButtonTwoWritesItsValuesAndMarksThem) {
    SenderRig rig("ASCII");
    for (int f = 0; f < 5; ++f)
        rig.type(3, f, "9");
    rig.panel.orgList(3)->setCurrentIndex(1);
    rig.panel.selectTemplate(3, 2);
    EXPECT_EQ(rig.values(3), QStringList({"112", "0", "0", "0", "48"}));
    EXPECT_EQ(rig.panel.orgList(3)->currentText(), "5");
    for (int f = 0; f < 5; ++f)
        EXPECT_TRUE(SenderRig::red(rig.field(3, f))) << f;
    EXPECT_TRUE(SenderRig::red(rig.panel.orgList(3)));
    EXPECT_TRUE(rig.messages.shown.isEmpty());
    EXPECT_TRUE(rig.port.written.isEmpty());
    EXPECT_FALSE(SenderRig::red(rig.field(2, 0))); // other rows untouched
}

TEST(SenderRows, FieldsThatAlreadyHeldTheValueAreMarkedToo) {
    SenderRig rig("ASCII");
    rig.panel.selectTemplate(1, 3); // Button 3 over the designer zeros: 16, 0, 0, 0, 48
    for (int f = 0; f < 5; ++f)
        EXPECT_TRUE(SenderRig::red(rig.field(1, f))) << f;
    // selecting the entry already shown still counts as a choice
    EXPECT_TRUE(SenderRig::red(rig.panel.orgList(1)));
}

TEST(SenderRows, LearnKp12PSelectsOrgSeven) {
    SenderRig rig("ASCII");
    rig.panel.selectTemplate(0, 7);
    EXPECT_EQ(rig.values(0), QStringList({"64", "24", "2", "135", "48"}));
    EXPECT_EQ(rig.panel.orgList(0)->currentText(), "7");
}

TEST(SenderRows, ManualChangesNothing) {
    SenderRig rig("ASCII");
    rig.type(4, 2, "77");
    rig.panel.selectTemplate(4, 0);
    EXPECT_EQ(rig.values(4), QStringList({"0", "0", "77", "0", "0"}));
    EXPECT_FALSE(SenderRig::red(rig.panel.orgList(4)));
    EXPECT_EQ(rig.panel.orgList(4)->currentIndex(), 0);
}

struct TypedCase {
    const char* typed;
    const char* message; // nullptr: accepted
};

class SenderValueEntry : public ::testing::TestWithParam<TypedCase> {};

TEST_P(SenderValueEntry, RejectsWithMessageAndZero) {
    SenderRig rig("ASCII");
    const TypedCase c = GetParam();
    for (int f = 0; f < 5; ++f) {
        rig.messages.shown.clear();
        rig.type(6, f, "5"); // start from a different text so that empty text is a change
        rig.type(6, f, QString::fromUtf8(c.typed));
        QLineEdit* field = rig.field(6, f);
        EXPECT_TRUE(SenderRig::red(field));
        if (!c.message) {
            EXPECT_TRUE(rig.messages.shown.isEmpty()) << c.typed;
            EXPECT_EQ(field->text(), QString::fromUtf8(c.typed));
            continue;
        }
        EXPECT_EQ(rig.messages.shown, QStringList(QString::fromUtf8(c.message))) << c.typed;
        EXPECT_EQ(field->text(), "0");
        EXPECT_EQ(field->selectedText(), "0");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Typed, SenderValueEntry,
    ::testing::Values(TypedCase{"256", "Bitte geben Sie eine Zahl zwischen 0 und 255 ein!"},
                      TypedCase{"-1", "Bitte geben Sie eine Zahl zwischen 0 und 255 ein!"},
                      TypedCase{"255", nullptr}, TypedCase{"12.5", nullptr},
                      TypedCase{"", "Bitte geben Sie eine Zahl ein"},
                      TypedCase{"abc", "Keine gültige Eingabe"}));

TEST(SenderRows, MessagesStayGermanInEnglish) {
    SenderRig rig("ASCII");
    rig.settings.LanguageCode = "1033";
    rig.panel.setManualEntryText("Manual");
    rig.type(0, 0, "x");
    EXPECT_EQ(rig.messages.shown, QStringList("Keine gültige Eingabe"));
    EXPECT_EQ(rig.panel.telegramList(5)->itemText(0), "Manual");
}

TEST(SenderRows, FirstReadMarksAndChecksNothing) {
    SenderRig rig("ASCII");
    rig.settings.FirstReadPending = true;
    rig.scale.offsets = true; // column 3 shows 1000 and more: out of range, unchecked
    rig.panel.decodeRow(2, Answer("011014"
                                  "0006"
                                  "A1B2C3D4"
                                  "0001"
                                  "0002"
                                  "0003"
                                  "0004"
                                  "0030"
                                  "00000000"));
    rig.panel.selectTemplate(2, 6);
    rig.type(2, 4, "300");
    EXPECT_TRUE(rig.messages.shown.isEmpty());
    for (int f = 0; f < 5; ++f)
        EXPECT_FALSE(SenderRig::red(rig.field(2, f))) << f;
    EXPECT_FALSE(SenderRig::red(rig.panel.orgList(2)));
}

TEST(SenderRows, DecodeFillsTheRowFromTheBlock) {
    SenderRig rig("ASCII");
    rig.settings.FirstReadPending = true;
    rig.scale.offsets = true;
    // ORG 06, ID A1B2C3D4, registers +3..+7 low bytes 01, 02, 03, 04, 30
    const Answer block("011014"
                       "0006"
                       "A1B2C3D4"
                       "0001"
                       "0002"
                       "0003"
                       "0004"
                       "0030"
                       "00000000");
    rig.panel.decodeRow(5, block);
    EXPECT_EQ(rig.panel.orgList(5)->currentIndex(), 1);
    EXPECT_EQ(rig.panel.senderIdField(5)->text(), "A1B2C3D4");
    // data_1 = byte at 33-34 scaled in column 0 ... data_4 = byte at 21-22 in column 3
    EXPECT_EQ(rig.values(5), QStringList({"4", "1003", "2002", "3001", "48"}));
}

TEST(SenderRows, DecodeKeepsOrgEightAndShortAnswersChangeNothing) {
    SenderRig rig("ASCII");
    rig.settings.FirstReadPending = true;
    rig.panel.orgList(1)->setCurrentIndex(2);
    rig.panel.decodeRow(1, Answer("011014"
                                  "0008"
                                  "00000001"
                                  "0001"
                                  "0002"
                                  "0003"
                                  "0004"
                                  "0030"
                                  "00000000"));
    EXPECT_EQ(rig.panel.orgList(1)->currentIndex(), 2);
    EXPECT_THROW(rig.panel.decodeRow(3, Answer("011014"
                                               "0007"
                                               "A1B2C3D4"
                                               "0001"
                                               "0002")),
                 ReceiveFault);
    EXPECT_EQ(rig.panel.senderIdField(3)->text(), "00000000");
    EXPECT_EQ(rig.panel.orgList(3)->currentIndex(), 0);
}

TEST(SenderRows, ClickSelectsTheWholeText) {
    SenderRig rig("ASCII");
    QLineEdit* field = rig.field(0, 2);
    field->setText("123");
    field->deselect();
    const QPointF at(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, at, field->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, field->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(field, &press);
    QApplication::sendEvent(field, &release);
    EXPECT_EQ(field->selectedText(), "123");
}

TEST(SenderRows, ControlsFollowTheVariantButIdAndTemplateStay) {
    SenderRig rig("ASCII");
    rig.panel.setRowControlsEnabled(false);
    for (int r = 0; r < kSenderRows; ++r) {
        EXPECT_FALSE(rig.panel.transmitButton(r)->isEnabled());
        EXPECT_FALSE(rig.panel.orgList(r)->isEnabled());
        EXPECT_FALSE(rig.field(r, 4)->isEnabled());
        EXPECT_TRUE(rig.panel.telegramList(r)->isEnabled());
        EXPECT_TRUE(rig.panel.senderIdField(r)->isEnabled());
    }
    rig.panel.setRowControlsEnabled(true);
    rig.panel.setRowButtonsEnabled(false);
    EXPECT_FALSE(rig.panel.applyButton(7)->isEnabled());
    EXPECT_TRUE(rig.field(7, 0)->isEnabled());
    rig.panel.setButtonCaptions("Set value", "Transmit radio telegram");
    EXPECT_EQ(rig.panel.applyButton(3)->text(), "Set value");
    EXPECT_EQ(rig.panel.transmitButton(3)->text(), "Transmit radio telegram");
}

TEST(SenderRows, ObjectNamesAndCaptions) {
    SenderRig rig("ASCII");
    EXPECT_NE(rig.panel.findChild<QLineEdit*>("txt_snd_data_4_7"), nullptr);
    EXPECT_NE(rig.panel.findChild<QLineEdit*>("txt_snd_status_0"), nullptr);
    EXPECT_NE(rig.panel.findChild<QLineEdit*>("txt_sender_id_3"), nullptr);
    EXPECT_NE(rig.panel.findChild<QComboBox*>("Combo1_5"), nullptr);
    EXPECT_EQ(rig.panel.findChild<QComboBox*>("Telegram_0")->itemText(8), "Telegram KP12 P");
    EXPECT_EQ(rig.panel.findChild<QComboBox*>("Telegram_1")->itemText(8), "Telegram KP12");
    EXPECT_EQ(rig.panel.findChild<QPushButton*>("Command1_2")->text(), "Funktelegramm Senden");
    EXPECT_EQ(rig.panel.findChild<QPushButton*>("Command2_2")->text(), "Wert übernehmen");
    EXPECT_EQ(rig.panel.findChild<QLabel*>("lbl_register_7")->text(), "470-479");
}

} // namespace
