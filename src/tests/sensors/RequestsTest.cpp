#include "core/ToolContext.h"
#include "link/Answer.h"
#include "params/ResponseTime.h"
#include "sensors/RowDecoding.h"
#include "sensors/SensorRequests.h"

#include <gtest/gtest.h>

namespace {
TEST(SensorRequests, TextsOfTheReads) {
    EXPECT_EQ(blockReadRequest("01", 310), "01030136000A");
    EXPECT_EQ(blockReadRequest("11", 400), "11030190000A");
    EXPECT_EQ(blockReadRequest("01", 0), "01030000000A");
    EXPECT_EQ(coilReadRequest("01"), "010100200020");
    EXPECT_EQ(deviceRegisterRequest("05", 0x0141), "050301410001");
    EXPECT_EQ(deviceRegisterRequest("C8", 0x0141), "C80301410001");
    EXPECT_EQ(deviceRegisterRequest("01", 0x0140), "010301400001");
}

TEST(ResponseTimeRequest, ValueInFourHexDigits) {
    EXPECT_EQ(responseTimeWriteRequest("01", 300), "01100140000102012C");
    EXPECT_EQ(responseTimeWriteRequest("01", 5), "011001400001020005");
    EXPECT_EQ(responseTimeWriteRequest("FF", 65535), "FF100140000102FFFF");
}

TEST(ResponseTimeRange, LeavingTheFieldCorrectsItsValue) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "10"},         {"0", "5"},         {"3", "5"},         {"4", "5"},
        {"5", "5"},         {"300", "300"},     {"65535", "65535"}, {"65536", "65535"},
        {"70000", "65535"}, {"99999", "65535"},
    };
    for (auto [in, out] : cases)
        EXPECT_EQ(correctedResponseTimeText(in), out) << in;
}

// Scales every byte as raw decimal, like the designer ranges, or fails like a bad field.
struct RawScale : ScaleAccess {
    QString scaled(int, uint8_t raw) const override {
        if (fail)
            throw ReceiveFault("not a number");
        return QString::number(raw);
    }
    bool fail = false;
};

QString blockAnswer(const QStringList& registers) {
    return "0103" + QString("%1").arg(2 * registers.size(), 2, 16, QChar('0')).toUpper() +
           registers.join("") + "XX";
}

TEST(RowDecoding, TheSlotExampleOfTheGateway) {
    RawScale scale;
    const Answer a(blockAnswer(
        {"0005", "0012", "3456", "0011", "0022", "0033", "0044", "1234", "0000", "0000"}));
    const SensorRowTexts t = decodeSensorRow(a, scale);
    EXPECT_EQ(t.org, "05");
    EXPECT_EQ(t.id, "00123456");
    EXPECT_EQ(t.data[0], "68");
    EXPECT_EQ(t.data[1], "51");
    EXPECT_EQ(t.data[2], "34");
    EXPECT_EQ(t.data[3], "17");
    EXPECT_EQ(t.time, "4660");
}

TEST(RowDecoding, TimeIsUnsigned16Bits) {
    RawScale scale;
    for (auto [reg, shown] : {std::pair{"8000", "32768"}, std::pair{"FFFF", "65535"}}) {
        const Answer a(blockAnswer(
            {"0005", "0000", "0001", "0000", "0000", "0000", "0000", reg, "0000", "0000"}));
        EXPECT_EQ(decodeSensorRow(a, scale).time, shown);
    }
}

TEST(RowDecoding, AShortAnswerOrABadRangeThrows) {
    RawScale scale;
    EXPECT_THROW(decodeSensorRow(Answer("0103140005001234560011002200330044"), scale),
                 ReceiveFault);
    scale.fail = true;
    const Answer full(blockAnswer(
        {"0005", "0012", "3456", "0011", "0022", "0033", "0044", "1234", "0000", "0000"}));
    EXPECT_THROW(decodeSensorRow(full, scale), ReceiveFault);
}
} // namespace
