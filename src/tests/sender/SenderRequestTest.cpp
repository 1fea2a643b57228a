// Apply and transmit of the sender rows: the exact frames on the line, in both modes.

#include "tests/sender/SenderRig.h"

#include <QComboBox>
#include <gtest/gtest.h>

namespace {

class SenderRequests : public ::testing::TestWithParam<const char*> {
protected:
    QString mode() const { return GetParam(); }
    QByteArray frame(const char* hex) const { return frameOf(mode(), hex); }
};

TEST_P(SenderRequests, ApplyRowZeroWritesItsBlock) {
    SenderRig rig(mode());
    const QStringList typed{"80", "0", "0", "0", "48"};
    for (int f = 0; f < 5; ++f)
        rig.type(0, f, typed[f]);
    rig.panel.applyButton(0)->click();
    EXPECT_EQ(rig.takeWritten(), QByteArrayList{frame("01100190000A14"
                                                      "0005"
                                                      "0000"
                                                      "0000"
                                                      "0000"
                                                      "0000"
                                                      "0000"
                                                      "0050"
                                                      "0030"
                                                      "0000"
                                                      "0000")});
    EXPECT_EQ(rig.settings.RequestKind, RequestKinds::ApplySenderValue);
    EXPECT_EQ(rig.settings.SenderRow, 0);
    EXPECT_FALSE(rig.t1->isEnabled());
    // the marks are gone
    const QColor system = QApplication::palette(rig.field(0, 0)).color(QPalette::Text);
    for (int f = 0; f < 5; ++f)
        EXPECT_EQ(SenderPanel::textColour(rig.field(0, f)), system) << f;
    EXPECT_FALSE(SenderRig::red(rig.panel.orgList(0)));
}

TEST_P(SenderRequests, ApplyRowSevenStartsAtRegister470) {
    SenderRig rig(mode());
    rig.panel.orgList(7)->setCurrentIndex(1);
    rig.panel.applyButton(7)->click();
    EXPECT_EQ(rig.takeWritten(), QByteArrayList{frame("011001D6000A14"
                                                      "0006"
                                                      "0000"
                                                      "0000"
                                                      "0000"
                                                      "0000"
                                                      "0000"
                                                      "0000"
                                                      "0000"
                                                      "0000"
                                                      "0000")});
    EXPECT_EQ(rig.settings.SenderRow, 7);
}

TEST_P(SenderRequests, TransmitRowTwoSwitchesItsCoil) {
    SenderRig rig(mode());
    rig.panel.transmitButton(2)->click();
    EXPECT_EQ(rig.takeWritten(), QByteArrayList{frame("01050042FF00")});
    EXPECT_EQ(rig.settings.RequestKind, RequestKinds::TransmitTelegram);
    EXPECT_EQ(rig.settings.TransmitRow, 2);
    EXPECT_FALSE(rig.t1->isEnabled());
}

TEST_P(SenderRequests, ButtonOneIsReleasedWithZeros) {
    SenderRig rig(mode());
    for (int f = 0; f < 5; ++f)
        rig.type(4, f, "9");
    rig.panel.selectTemplate(4, 1); // Button 1: 80, 0, 0, 0, 48
    rig.panel.transmitButton(4)->click();
    EXPECT_EQ(rig.takeWritten(), QByteArrayList{frame("01050044FF00")});
    rig.clock.advance(199);
    EXPECT_TRUE(rig.takeWritten().isEmpty());
    rig.clock.advance(1); // 200 ms: the zero block
    EXPECT_EQ(rig.takeWritten(), QByteArrayList{frame("011001B8000A14"
                                                      "0005"
                                                      "0000"
                                                      "0000"
                                                      "0000"
                                                      "0000"
                                                      "0000"
                                                      "0000"
                                                      "0000"
                                                      "0000"
                                                      "0000")});
    rig.clock.advance(99);
    EXPECT_TRUE(rig.takeWritten().isEmpty());
    rig.clock.advance(1); // 300 ms: the release telegram
    EXPECT_EQ(rig.takeWritten(), QByteArrayList{frame("01050044FF00")});
    rig.clock.advance(2000);
    EXPECT_TRUE(rig.takeWritten().isEmpty());
    EXPECT_FALSE(rig.t6->isEnabled());
    EXPECT_FALSE(rig.t7->isEnabled());
    EXPECT_EQ(rig.values(4), QStringList({"0", "0", "0", "0", "0"}));
    for (int f = 0; f < 5; ++f)
        EXPECT_TRUE(SenderRig::red(rig.field(4, f))) << f;
}

TEST_P(SenderRequests, OtherTemplatesTransmitOnce) {
    for (int entry : {0, 5, 6, 7, 8}) {
        SenderRig rig(mode());
        rig.panel.selectTemplate(1, entry);
        rig.panel.transmitButton(1)->click();
        rig.clock.advance(1000);
        EXPECT_EQ(rig.takeWritten(), QByteArrayList{frame("01050041FF00")}) << entry;
    }
}

TEST_P(SenderRequests, ApplyRestoresTheLearnTemplate) {
    SenderRig rig(mode());
    rig.panel.selectTemplate(3, 6); // LEARN - KP12
    rig.type(3, 0, "1");
    rig.type(3, 3, "200");
    rig.panel.orgList(3)->setCurrentIndex(0);
    rig.panel.applyButton(3)->click();
    EXPECT_EQ(rig.values(3), QStringList({"8", "40", "2", "135", "48"}));
    EXPECT_EQ(rig.panel.orgList(3)->currentIndex(), 2);
    EXPECT_EQ(rig.takeWritten(), QByteArrayList{frame("011001AE000A14"
                                                      "0007"
                                                      "0000"
                                                      "0000"
                                                      "0087"
                                                      "0002"
                                                      "0028"
                                                      "0008"
                                                      "0030"
                                                      "0000"
                                                      "0000")});
    EXPECT_FALSE(SenderRig::red(rig.field(3, 0)));
}

TEST_P(SenderRequests, FractionsAreRoundedWhenSent) {
    SenderRig rig(mode());
    rig.type(0, 0, "12.5");
    rig.type(0, 1, "12.4");
    rig.type(0, 4, "0,5");
    rig.panel.applyButton(0)->click();
    EXPECT_EQ(rig.takeWritten(), QByteArrayList{frame("01100190000A14"
                                                      "0005"
                                                      "0000"
                                                      "0000"
                                                      "0000"
                                                      "0000"
                                                      "000C"
                                                      "000D"
                                                      "0001"
                                                      "0000"
                                                      "0000")});
    EXPECT_EQ(rig.field(0, 0)->text(), "12.5"); // the field keeps what was typed
}

TEST_P(SenderRequests, UncheckedValuesAreNeverSent) {
    SenderRig rig(mode());
    rig.settings.FirstReadPending = true; // typed while the first read runs: not checked
    rig.type(6, 2, "300");
    rig.type(6, 3, "abc");
    rig.panel.applyButton(6)->click();
    EXPECT_TRUE(rig.port.written.isEmpty());
    EXPECT_EQ(rig.messages.shown, QStringList("Bitte geben Sie eine Zahl zwischen 0 und 255 ein!"));
    EXPECT_EQ(rig.settings.RequestKind, RequestKinds::None);
}

TEST_P(SenderRequests, TheAnswerEndsTheRequestAndTheReadStaysStopped) {
    SenderRig rig(mode());
    rig.panel.applyButton(0)->click();
    rig.takeWritten();
    if (mode() == "ASCII")
        rig.port.receive(asciiFrame("01100190000A"));
    else
        rig.port.receive(rtuFrame(*bytesFromHex("01100190000A")));
    rig.link.ReceiveAnswer();
    if (mode() == "RTU")
        EXPECT_EQ(rig.settings.RequestKind, RequestKinds::None);
    else // ASCII has no handler for this kind: the kind stays until the next request
        EXPECT_EQ(rig.settings.RequestKind, RequestKinds::ApplySenderValue);
    EXPECT_FALSE(rig.t1->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Modes, SenderRequests, ::testing::Values("ASCII", "RTU"));

TEST(SenderRequestsAscii, NoAddressNoRequest) {
    SenderRig rig("ASCII");
    rig.main.address = "";
    rig.panel.applyButton(0)->click();
    rig.panel.transmitButton(0)->click();
    rig.main.address = "300";
    rig.panel.transmitButton(0)->click();
    EXPECT_TRUE(rig.port.written.isEmpty());
    EXPECT_TRUE(rig.t1->isEnabled());
}

} // namespace
