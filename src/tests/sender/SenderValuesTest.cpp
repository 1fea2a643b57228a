#include "sender/SenderValues.h"

#include <gtest/gtest.h>

namespace {

struct CheckCase {
    const char* text;
    ValueVerdict verdict;
};

class SenderValueCheck : public ::testing::TestWithParam<CheckCase> {};

TEST_P(SenderValueCheck, ClassifiesTypedText) {
    EXPECT_EQ(checkSenderValue(QString::fromUtf8(GetParam().text)), GetParam().verdict)
        << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SenderValueCheck,
    ::testing::Values(
        CheckCase{"0", ValueVerdict::Accepted}, CheckCase{"255", ValueVerdict::Accepted},
        CheckCase{"12.5", ValueVerdict::Accepted}, CheckCase{"12,5", ValueVerdict::Accepted},
        CheckCase{" 7 ", ValueVerdict::Accepted}, CheckCase{"", ValueVerdict::Empty},
        CheckCase{"256", ValueVerdict::OutOfRange}, CheckCase{"-1", ValueVerdict::OutOfRange},
        CheckCase{"255.5", ValueVerdict::OutOfRange}, CheckCase{"-0.4", ValueVerdict::OutOfRange},
        CheckCase{"abc", ValueVerdict::NotANumber}, CheckCase{"1e2", ValueVerdict::NotANumber},
        CheckCase{"inf", ValueVerdict::NotANumber}, CheckCase{"0x10", ValueVerdict::NotANumber},
        CheckCase{"1.2.3", ValueVerdict::NotANumber}, CheckCase{"-", ValueVerdict::NotANumber}));

TEST(SenderByte, RoundsHalvesAwayFromZero) {
    EXPECT_EQ(senderByte("12.5"), 13);
    EXPECT_EQ(senderByte("12.4"), 12);
    EXPECT_EQ(senderByte("254.5"), 255);
    EXPECT_EQ(senderByte("0.5"), 1);
    EXPECT_EQ(senderByte("255"), 255);
    EXPECT_EQ(senderByte("256"), std::nullopt);
    EXPECT_EQ(senderByte("x"), std::nullopt);
    EXPECT_EQ(senderByte(""), std::nullopt);
}

TEST(SenderTemplates, RowZeroCarriesTheKp12PEntry) {
    EXPECT_EQ(telegramEntries(0).size(), 9);
    EXPECT_EQ(telegramEntries(0).at(8), "Telegram KP12 P");
    EXPECT_EQ(telegramEntries(5).at(8), "Telegram KP12");
    EXPECT_EQ(telegramEntries(7).at(0), "Manuell");
    EXPECT_FALSE(telegramTemplate(0));
    EXPECT_FALSE(telegramTemplate(9));
    EXPECT_FALSE(telegramTemplate(-1));
}

TEST(SenderRequestText, BlockOfRowZero) {
    EXPECT_EQ(senderBlockRequestText("01", 0, 0, {80, 0, 0, 0, 48}), "0110019000"
                                                                     "0A14"
                                                                     "0005"
                                                                     "0000"
                                                                     "0000"
                                                                     "0000"
                                                                     "0000"
                                                                     "0000"
                                                                     "0050"
                                                                     "0030"
                                                                     "0000"
                                                                     "0000");
}

TEST(SenderRequestText, BlockKeepsDataByteOrder) {
    // data byte 4 goes first (register +3), data byte 1 last (register +6)
    EXPECT_EQ(senderBlockRequestText("F7", 7, 2, {1, 2, 3, 4, 255}), "F71001D6000A14"
                                                                     "0007"
                                                                     "0000"
                                                                     "0000"
                                                                     "0004"
                                                                     "0003"
                                                                     "0002"
                                                                     "0001"
                                                                     "00FF"
                                                                     "0000"
                                                                     "0000");
}

TEST(SenderRequestText, TransmitSwitchesTheRowsCoil) {
    EXPECT_EQ(transmitRequestText("01", 2), "01050042FF00");
    EXPECT_EQ(transmitRequestText("0A", 7), "0A050047FF00");
}

} // namespace
