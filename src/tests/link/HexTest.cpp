#include "link/Hex.h"

#include <gtest/gtest.h>

TEST(LongToHexStr, PadsButNeverShortens) {
    struct Case {
        int32_t value, bytes;
        const char* text;
    } cases[] = {{10, 1, "0A"},       {0x1234, 1, "1234"},
                 {5, 2, "0005"},      {5, 0, "5"},
                 {0xE2D5, 2, "E2D5"}, {-1, 1, "FFFFFFFF"},
                 {0, 1, "00"},        {255, 1, "FF"},
                 {0, 0, "0"},         {0x12345, 10, "00000000000000012345"}};
    for (const auto& c : cases)
        EXPECT_EQ(LongToHexStr(c.value, c.bytes), c.text) << c.value << "," << c.bytes;
}

TEST(ByteToHex, TwoUpperCaseDigits) {
    EXPECT_EQ(ByteToHex(0), "00");
    EXPECT_EQ(ByteToHex(171), "AB");
    EXPECT_EQ(ByteToHex(255), "FF");
    EXPECT_EQ(ByteToHex(9), "09");
    EXPECT_EQ(hexOf(QByteArray("\x01\xAB\x00\xFF", 4)), "01AB00FF");
}

TEST(CalculateLRC, KnownRequests) {
    struct Case {
        const char* message;
        const char* lrc;
    } cases[] = {{"010301410001", "B9"},
                 {"010301400001", "BA"},
                 {"", "00"},
                 {"01", "FF"},
                 {"0", "00"},
                 {"F", "F1"},
                 {"01030", "FC"}};
    for (const auto& c : cases)
        EXPECT_EQ(CalculateLRC(c.message), c.lrc) << c.message;
    EXPECT_EQ(CalculateLRC("01G3"), "");
}

TEST(CalculateCRC, KnownFrames) {
    struct Case {
        QByteArray bytes;
        const char* crc;
    } cases[] = {{QByteArray::fromHex("010301410001"), "E2D5"},
                 {QByteArray::fromHex("010100200020"), "183C"},
                 {QByteArray::fromHex("01050040FF00"), "EE8D"},
                 {QByteArray(), "FFFF"}};
    for (const auto& c : cases)
        EXPECT_EQ(CalculateCRC(c.bytes), c.crc) << c.bytes.toHex().constData();
}

TEST(ShiftRightOne, TopBitBecomesZero) {
    EXPECT_EQ(ShiftRightOne(0xFFFF), 0x7FFF);
    EXPECT_EQ(ShiftRightOne(0x8000), 0x4000);
    EXPECT_EQ(ShiftRightOne(1), 0);
}

TEST(Frames, AsciiAndRtuLayouts) {
    EXPECT_EQ(asciiFrame("010301410001"), QByteArray(":010301410001B9\r\n"));
    EXPECT_EQ(rtuFrame(QByteArray::fromHex("010301410001")).toHex(' ').toUpper(),
              QByteArray("01 03 01 41 00 01 D5 E2"));
    EXPECT_EQ(rtuFrame(QByteArray::fromHex("010100200020")).right(2).toHex().toUpper(), "3C18");
    EXPECT_EQ(rtuFrame(QByteArray::fromHex("01050040FF00")).right(2).toHex().toUpper(), "8DEE");
}

TEST(AddressHex, OnlyDecimalZeroTo255) {
    EXPECT_EQ(addressHex("1"), QString("01"));
    EXPECT_EQ(addressHex("17"), QString("11"));
    EXPECT_EQ(addressHex("200"), QString("C8"));
    EXPECT_EQ(addressHex("0"), QString("00"));
    EXPECT_EQ(addressHex("256"), std::nullopt);
    EXPECT_EQ(addressHex(""), std::nullopt);
    EXPECT_EQ(addressHex("1a"), std::nullopt);
    EXPECT_EQ(addressHex("0001"), std::nullopt);
}

TEST(BytesFromHex, RefusesOddLengthAndNonHex) {
    EXPECT_EQ(bytesFromHex("01ff"), QByteArray::fromHex("01ff"));
    EXPECT_EQ(bytesFromHex("010"), std::nullopt);
    EXPECT_EQ(bytesFromHex("0G"), std::nullopt);
    EXPECT_EQ(bytesFromHex(""), QByteArray());
}
