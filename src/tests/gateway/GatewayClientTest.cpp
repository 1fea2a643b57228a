// The gateway client against the in-process gateway: the whole read equals what the gateway
// holds, every write is read back, and a failure names its step.

#include "gateway/GatewayClient.h"
#include "support/LineRig.h"

#include <gtest/gtest.h>

namespace {
struct ClientRig : LineRig {
    ClientRig(LineMode mode, GatewayVariant variant)
        : LineRig(mode, {}, variant)
        , client(line->link(), 1, {500, 1}) {
        model->learnSensor(17, 0x05, 0x0021C488);
        model->handle(QByteArray::fromHex("01050031FF00")); // row 17 inverted
        if (variant == GatewayVariant::Transceiver)
            model->fillDemoSenderRows();
    }
    // Runs an operation to its end; the failure's text, or "" when it succeeded.
    template <class Start> QString run(Start start) {
        std::optional<std::optional<StepFailure>> result;
        start([&](const std::optional<StepFailure>& f) { result = f; });
        runUntil([&] { return result.has_value(); });
        EXPECT_TRUE(result.has_value());
        return result && *result ? (*result)->text() : QString();
    }
    GatewayClient client;
};

using Param = std::tuple<LineMode, GatewayVariant>;
class Client : public ::testing::TestWithParam<Param> {
protected:
    ClientRig rig{std::get<0>(GetParam()), std::get<1>(GetParam())};
    bool transceiver() const { return std::get<1>(GetParam()) == GatewayVariant::Transceiver; }
};
} // namespace

TEST_P(Client, TheWholeReadEqualsTheGateway) {
    int steps = 0, total = 0;
    EXPECT_EQ(rig.run([&](auto done) {
        rig.client.readAll([&](int n, int of) { steps = n, total = of; }, done);
    }),
              "");
    const GatewayImage& g = rig.client.image;
    EXPECT_EQ(total, transceiver() ? 43 : 35);
    EXPECT_EQ(steps, total);
    EXPECT_EQ(g.deviceText(), transceiver() ? "QTX40" : "QRX40");
    EXPECT_EQ(g.responseTimeMs, rig.model->responseTimeMs());
    for (int row = 0; row < kGatewaySensorSlots; ++row) {
        const SensorSlot& s = g.sensors[row];
        EXPECT_EQ(s.org, rig.model->reg(10 * row) & 0xFF) << row;
        EXPECT_EQ(s.id,
                  uint32_t(rig.model->reg(10 * row + 1)) << 16 | rig.model->reg(10 * row + 2));
        EXPECT_EQ(s.inverted, row == 17);
    }
    ASSERT_EQ(g.senders.size(), transceiver() ? 8u : 0u);
    if (transceiver()) {
        EXPECT_EQ(g.senders[0].org, rig.model->reg(400) & 0xFF);
        EXPECT_EQ(g.senders[0].data[0], rig.model->reg(403) & 0xFF) << "Data-Byte 0 in register 3";
        EXPECT_EQ(g.senders[0].data[3], rig.model->reg(406) & 0xFF);
        EXPECT_EQ(g.senders[0].status, rig.model->reg(407) & 0xFF);
    }
}

TEST_P(Client, WritesAreReadBackAndRefusalsNameTheStep) {
    GatewayClient& c = rig.client;
    const SenderSlot sender{6, 0, {1, 2, 3, 4}, 9};
    const struct {
        const char* what;
        std::function<void(OperationDone)> start;
        bool receiverFails;
    } cases[] = {
        {"entry", [&](auto d) { c.writeSensorEntry(5, 0x06, 0x00ABCDEF, d); }, false},
        {"delete", [&](auto d) { c.writeSensorEntry(2, 0, 0, d); }, false},
        {"inversion", [&](auto d) { c.setInversion(3, true, d); }, false},
        {"response", [&](auto d) { c.setResponseTime(300, d); }, false},
        {"sender", [&](auto d) { c.writeSenderRow(1, sender, d); }, true},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        const QString failure = rig.run(k.start);
        if (k.receiverFails && !transceiver()) {
            EXPECT_EQ(failure, "write sender row 1: exception 02 illegal data address");
            continue;
        }
        EXPECT_EQ(failure, "");
    }
    EXPECT_EQ(rig.model->reg(50), 0x06);
    EXPECT_EQ(rig.model->reg(52), 0xCDEF);
    EXPECT_EQ(rig.model->reg(20), 0);
    EXPECT_TRUE(rig.model->coil(0x23));
    EXPECT_EQ(rig.model->responseTimeMs(), 300);
    if (transceiver()) {
        EXPECT_EQ(rig.model->reg(413), 1) << "Data-Byte 0 of sender row 1";
    }

    // nobody answers at 9: not even the response-time read after the identification
    GatewayClient elsewhere(rig.line->link(), 9, {200, 1});
    EXPECT_EQ(rig.run([&](auto d) { elsewhere.readAll({}, d); }),
              "read response time: no answer (2 attempts)");
}

INSTANTIATE_TEST_SUITE_P(ModesAndVariants, Client,
                         ::testing::Combine(::testing::Values(LineMode::Ascii, LineMode::Rtu),
                                            ::testing::Values(GatewayVariant::Receiver,
                                                              GatewayVariant::Transceiver)));
