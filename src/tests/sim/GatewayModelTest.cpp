#include "sim/GatewayModel.h"

#include <QString>
#include <gtest/gtest.h>

namespace {
QString ask(GatewayModel& m, const char* request) {
    const auto answer = m.handle(QByteArray::fromHex(request));
    return answer ? QString(answer->toHex().toUpper()) : QString("silent");
}
} // namespace

TEST(GatewayModel, AnswersAndExceptionsByFunction) {
    GatewayModel m(1, GatewayVariant::Transceiver, 3);
    m.learnSensor(2, 0x07, 0x00123456);
    struct Case {
        const char* request;
        const char* answer;
    } cases[] = {
        {"010301410001", "0103020041"}, // module type of the transceiver
        {"010301400001", "0103020014"}, // response time, 20 ms
        {"0110014000010201"
         "2C",
         "011001400001"}, // write response time
        {"010301400001", "010302012C"},
        {"010300150002", "01030400123456"}, // sensor ID of row 2
        {"0105004400FF", "018503"},         // coil value neither 0000 nor FF00
        {"010400000001", "018401"},         // illegal function
        {"010301600001", "018302"},         // register between the blocks
        {"010100600001", "018102"},         // coil beyond the transmit coils
        {"000301410001", "silent"},         // broadcast
        {"020301410001", "silent"},         // another slave
    };
    for (const auto& c : cases)
        EXPECT_EQ(ask(m, c.request), c.answer) << c.request;
}

TEST(GatewayModel, TheReceiverHasNoSenderObjects) {
    GatewayModel m(1, GatewayVariant::Receiver, 3);
    EXPECT_NE(ask(m, "010301410001"), "0103020041");
    EXPECT_EQ(ask(m, "01030190000A"), "018302");
    EXPECT_EQ(ask(m, "01050040FF00"), "018502");
}

TEST(GatewayModel, LearnModeLearnsASensorAfterTheDelayAndClears) {
    GatewayModel m(1, GatewayVariant::Transceiver, 3);
    m.setLearnDelayMs(2000);
    m.advanceTo(0);
    EXPECT_EQ(ask(m, "010F000400010101"), "010F00040001");
    EXPECT_TRUE(m.coil(4));
    m.advanceTo(1000);
    EXPECT_EQ(m.reg(40) & 0xFF, 0);
    m.advanceTo(2500);
    EXPECT_NE(m.reg(40) & 0xFF, 0);
    EXPECT_FALSE(m.coil(4));
}

TEST(GatewayModel, LearnModeOffCancels) {
    GatewayModel m(1, GatewayVariant::Transceiver, 3);
    m.setLearnDelayMs(2000);
    m.advanceTo(0);
    ask(m, "010F000400010101");
    ask(m, "010F000400010100");
    m.advanceTo(5000);
    EXPECT_EQ(m.reg(40) & 0xFF, 0);
}

TEST(GatewayModel, DeletionEmptiesTheSlotAndTransmitIsLogged) {
    GatewayModel m(1, GatewayVariant::Transceiver, 3);
    m.learnSensor(0, 0x05, 0x0012A3F1);
    EXPECT_EQ(ask(m, "01100000000306000000000000"), "011000000003");
    EXPECT_EQ(m.reg(0), 0);
    EXPECT_EQ(m.reg(1), 0);
    m.setSenderSlot(2, 0x05, 0, {0x50, 0, 0, 0}, 0x30);
    EXPECT_EQ(ask(m, "01050042FF00"), "01050042FF00");
    ASSERT_EQ(m.transmitLog().size(), 1u);
    EXPECT_FALSE(m.coil(0x42));
}

TEST(GatewayModel, ASenderBlockWriteKeepsTheGatewaysSenderId) {
    GatewayModel m(1, GatewayVariant::Transceiver, 3);
    m.setSenderSlot(1, 0x05, 0xFF9A0001, {0, 0, 0, 0x50}, 0x30);
    // kind 12's block: ORG 07, zero ID registers, data 87 02 28 08, status 30
    EXPECT_EQ(ask(m, "0110019A000A14"
                     "0007000000000087000200280008003000000000"),
              "0110019A000A");
    const uint16_t expected[] = {0x07, 0xFF9A, 0x0001, 0x87, 0x02, 0x28, 0x08, 0x30};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(m.reg(410 + i), expected[i]) << i;
}

TEST(GatewayModel, TheInversionCoilInvertsDataByteOneOfItsRowOnly) {
    GatewayModel plain(1, GatewayVariant::Receiver, 8), inverted(1, GatewayVariant::Receiver, 8);
    for (GatewayModel* m : {&plain, &inverted}) {
        m->learnSensor(2, 0x07, 0x01800001);
        m->learnSensor(3, 0x07, 0x01800002);
    }
    EXPECT_EQ(ask(inverted, "010F002200010101"), "010F00220001");
    EXPECT_TRUE(inverted.coil(0x22));
    plain.advanceTo(20000);
    inverted.advanceTo(20000);
    ASSERT_GT(plain.reg(27), 0) << "the sensor has sent telegrams";
    EXPECT_EQ(inverted.reg(25), uint16_t(~plain.reg(25) & 0xFF)); // data byte 1 of row 2
    for (int r : {23, 24, 26, 27, 33, 34, 35, 36, 37})
        EXPECT_EQ(inverted.reg(r), plain.reg(r)) << r;
}
