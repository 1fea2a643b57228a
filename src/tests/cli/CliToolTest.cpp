// qrx-cli against the in-process gateway on the manual clock: every command in both modes, the
// exit codes of failures, the bad-usage table (nothing sent), the watch, learn-button and the
// verbose tap; the JSON of read exactly as documented.

#include "support/CliRig.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {
const char* modeName(LineMode m) {
    return m == LineMode::Ascii ? "ascii" : "rtu";
}

class Cli : public ::testing::TestWithParam<LineMode> {
protected:
    QStringList line(const char* address = "1") const {
        return {"--port", "simulator", "--mode", modeName(GetParam()), "--address", address};
    }
};
} // namespace

TEST_P(Cli, EveryCommandDoesWhatItSays) {
    const struct {
        QStringList args;
        const char* out; // regular expression over the whole of standard output
        std::function<bool(GatewayModel&)> holds;
    } cases[] = {
        {{"identify"}, "^device QTX40\nmodule_type 0x0041\nresponse_time 20\n$", {}},
        {{"response-time"}, "^20\n$", {}},
        {{"response-time", "300"},
         "^response time 300 ms, read back\n$",
         [](auto& g) { return g.responseTimeMs() == 300; }},
        {{"learn", "5", "00abcdef", "6"},
         "^row 5: learned 00ABCDEF, ORG 06, read back\n$",
         [](auto& g) { return g.reg(50) == 6 && g.reg(51) == 0x00AB && g.reg(52) == 0xCDEF; }},
        {{"learn", "--replace", "2", "00abcdef", "6"}, // row 2 holds 01834C17
         "^row 2: learned 00ABCDEF, ORG 06, read back\n$",
         [](auto& g) { return g.reg(20) == 6 && g.reg(21) == 0x00AB; }},
        {{"delete", "9"},
         "^row 9: deleted \\(ORG 00, ID 00000000\\), read back\n$",
         [](auto& g) { return g.reg(90) == 0 && g.reg(92) == 0; }},
        {{"invert", "3", "on"},
         "^row 3: data byte 1 inverted, read back\n$",
         [](auto& g) { return g.coil(0x23); }},
        {{"invert", "17", "OFF"},
         "^row 17: data byte 1 not inverted, read back\n$",
         [](auto& g) { return !g.coil(0x31); }},
        {{"sender", "1", "--org", "6", "--data", "1,2,3,4", "--status", "9"},
         "^sender row 1: ORG 6, data 1,2,3,4, status 9, read back\n$",
         [](auto& g) {
             // the sender tab's "Data-Byte 0" is register 3 of the slot, "Data-Byte 3" register 6
             return g.reg(410) == 6 && g.reg(413) == 1 && g.reg(416) == 4 && g.reg(417) == 9;
         }},
        {{"transmit", "2"},
         "^sender row 2: ORG [567], data ([0-9]+,){3}[0-9]+, status [0-9]+, transmitted\n$",
         [](auto& g) { return g.transmitLog().size() == 1 && g.transmitLog()[0].senderRow == 2; }},
        {{"read", "--format", "csv"},
         "^slot,row,org,id,data0,data1,data2,data3,time,inverted,status\n"
         "(sensor,[0-9]+,[0-9A-F]{2},[0-9A-F]{8},([0-9]+,){4}[0-9]+,(true|false),\n){32}"
         "(sender,[0-7],[0-9]+,[0-9A-F]{8},([0-9]+,){4},,[0-9]+\n){8}$",
         {}},
        {{"read"}, "\nsensors\n(.*\n){33}\nsenders\n(.*\n){9}$", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        CliRig rig;
        EXPECT_EQ(rig.run(line() + c.args), 0) << rig.io.err.toStdString();
        EXPECT_TRUE(QRegularExpression(c.out).match(rig.io.out).hasMatch())
            << rig.io.out.toStdString();
        EXPECT_EQ(rig.io.err, "");
        if (c.holds) {
            EXPECT_TRUE(c.holds(*rig.gateway));
        }
    }
}

TEST_P(Cli, ReadJsonHoldsWhatTheGatewayHolds) {
    CliRig rig;
    ASSERT_EQ(rig.run(line() + QStringList{"read", "--format", "json"}), 0);
    EXPECT_EQ(rig.port->requestLog().size(), 43u) << "identification, flags, 32 + 8 slots";
    const QJsonObject g = QJsonDocument::fromJson(rig.io.out.toUtf8()).object();
    EXPECT_EQ(g["device"], "QTX40");
    EXPECT_EQ(g["response_time"], 20);
    const QJsonArray sensors = g["sensors"].toArray(), senders = g["senders"].toArray();
    ASSERT_EQ(sensors.size(), 32);
    ASSERT_EQ(senders.size(), 8);
    GatewayModel& m = *rig.gateway;
    for (int row = 0; row < 32; ++row) {
        const QJsonObject s = sensors[row].toObject();
        EXPECT_EQ(s["org"].toString().toUInt(nullptr, 16), m.reg(10 * row) & 0xFF);
        EXPECT_EQ(s["id"].toString().toUInt(nullptr, 16),
                  uint32_t(m.reg(10 * row + 1)) << 16 | m.reg(10 * row + 2));
        EXPECT_EQ(s["inverted"].toBool(), row == 17);
    }
    EXPECT_EQ(sensors[20].toObject()["data"], QJsonArray({0x44, 0x33, 0x22, 0x11}));
    EXPECT_EQ(sensors[20].toObject()["time"], 0x8001) << "unsigned";
    EXPECT_EQ(senders[0].toObject()["org"], 5) << "a number, as the sender row's list shows it";
    EXPECT_EQ(senders[0].toObject()["data"], QJsonArray({0, 0, 0, 0x50}));
    EXPECT_EQ(senders[0].toObject()["status"], 0x30);

    CliRig receiver(GatewayVariant::Receiver);
    ASSERT_EQ(receiver.run(line() + QStringList{"read", "--format", "json"}), 0);
    EXPECT_TRUE(receiver.io.out.contains(R"("device":"QRX40")"));
    EXPECT_TRUE(receiver.io.out.endsWith(R"("senders":[]})"
                                         "\n"));
    EXPECT_EQ(receiver.port->requestLog().size(), 35u);
}

TEST_P(Cli, FailuresEndWithOneAndNameTheStep) {
    FaultPlan silent;
    silent.silent = true;
    FaultPlan exceptions;
    exceptions.exceptionEvery = 1;
    const QString asked = QString("qrx-cli: asked address 1 on simulator (the built-in gateway) "
                                  "with --mode %1 --baud 9600 --parity even\n"
                                  "qrx-cli: a wrong address, mode, baud rate or parity gets no "
                                  "answer; qrx-cli --port simulator scan finds the gateway's\n")
                              .arg(modeName(GetParam()));
    const struct {
        FaultPlan faults;
        GatewayVariant variant;
        QStringList args;
        int exit;
        QString err;
    } cases[] = {
        {silent,
         GatewayVariant::Transceiver,
         {"--timeout", "200", "identify"},
         1,
         "qrx-cli: read response time: no answer (3 attempts)\n" + asked},
        {{.silent = true, .strayEveryMs = 100}, // a second master, or a bad bias
         GatewayVariant::Transceiver,
         {"--timeout", "200", "identify"},
         1,
         "qrx-cli: read response time: no answer (3 attempts); meanwhile 18 bytes from another "
         "device on the line: a second master, or another baud rate or parity?\n" +
             asked},
        {exceptions,
         GatewayVariant::Transceiver,
         {"read"},
         1,
         "qrx-cli: identify: exception 04 slave device failure (3 attempts)\n"},
        {{},
         GatewayVariant::Receiver,
         {"sender", "0", "--org", "5", "--data", "0,0,0,0", "--status", "0"},
         2,
         "qrx-cli: sender: the gateway is a QRX40 receiver; sender rows are the QTX40's only\n"},
        {{},
         GatewayVariant::Receiver,
         {"transmit", "0"},
         2,
         "qrx-cli: transmit: the gateway is a QRX40 receiver; sender rows are the QTX40's only\n"},
        {{}, // the row holds 01834C17: read, nothing written
         GatewayVariant::Transceiver,
         {"learn", "2", "00ABCDEF", "06"},
         2,
         "qrx-cli: learn: row 2 holds sensor 01834C17, ORG 07; nothing written (--replace "
         "replaces it)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        CliRig rig(c.variant, c.faults);
        EXPECT_EQ(rig.run(line() + c.args), c.exit);
        EXPECT_EQ(rig.io.err, c.err);
        EXPECT_EQ(rig.io.out, "");
        for (const QByteArray& rq : rig.port->requestLog())
            EXPECT_EQ(uint8_t(rq[1]), 0x03) << "only the identification's reads";
    }
}

// An older receiver does not answer the identification: taken as the receiver, as the window
// does, with a note. A driver without RS485 mode is said; the port works without it.
TEST_P(Cli, AGatewaySilentToTheIdentificationIsTakenAsTheReceiver) {
    CliRig rig(GatewayVariant::Receiver, FaultPlan{.noIdentification = true});
    rig.adapt = [](SimulatedGatewayPort& port) { port.refuseRs485(); };
    EXPECT_EQ(rig.run(line() + QStringList{"read", "--format", "json"}), 0);
    EXPECT_EQ(rig.io.err,
              "qrx-cli: RS485 mode not available on simulator (Inappropriate ioctl for "
              "device); the port works without it\n"
              "qrx-cli: no answer to the identification: taken as the receiver QRX40\n");
    EXPECT_TRUE(rig.io.out.startsWith(R"({"device":"QRX40","response_time":20,)"));
}

TEST_P(Cli, TheTimeOutFollowsTheResponseTime) {
    // 300 ms response time: 1000 ms serve the identification, then 3 x 300 + 100 ms plus the
    // line time serve the block reads; a fixed 250 ms does not
    CliRig slow;
    slow.model->setResponseTimeMs(300);
    EXPECT_EQ(slow.run(line() + QStringList{"--retries", "0", "read"}), 0)
        << slow.io.err.toStdString();
    CliRig fixed;
    fixed.model->setResponseTimeMs(300);
    EXPECT_EQ(fixed.run(line() + QStringList{"--retries", "0", "--timeout", "250", "read"}), 1);
}

TEST_P(Cli, WatchPrintsLearnedSlotsPerPassUntilCountOrCtrlC) {
    CliRig rig;
    ASSERT_EQ(rig.run(line() + QStringList{"watch", "--count", "4", "--interval", "3000",
                                           "--format", "json"}),
              0);
    const QStringList lines = rig.lines();
    ASSERT_EQ(lines.size(), 4 * 2) << "rows 2 and 9, four passes";
    EXPECT_GE(rig.io.flushes, 4);
    QMap<int, int> lastTime;
    int changes = 0;
    for (const QString& l : lines) {
        const QJsonObject o = QJsonDocument::fromJson(l.toUtf8()).object();
        EXPECT_EQ(o.keys().size(), 7);
        EXPECT_TRUE(QRegularExpression(R"(^2026-12-01T00:00:\d\d\.\d{3}Z$)")
                        .match(o["utc"].toString())
                        .hasMatch())
            << l.toStdString();
        const int row = o["row"].toInt(), time = o["time"].toInt();
        EXPECT_TRUE(row == 2 || row == 9);
        EXPECT_EQ(o["changed"].toBool(), lastTime.contains(row) && lastTime[row] != time);
        changes += o["changed"].toBool();
        lastTime[row] = time;
    }
    EXPECT_GT(changes, 0) << "the sensors send every 2 to 8 s";

    CliRig csv; // Ctrl-C ends it as done, without a half pass
    csv.tool.start(QStringList{"qrx-cli"} + line() + QStringList{"watch", "--interval", "0"}, {});
    csv.clock.advance(10000);
    csv.tool.interrupt();
    EXPECT_EQ(csv.tool.exitCode(), 0);
    const QStringList rows = csv.lines();
    EXPECT_EQ(rows[0], "utc,row,id,org,data0,data1,data2,data3,time,changed");
    EXPECT_EQ((rows.size() - 1) % 2, 0);
    EXPECT_GT(rows.size(), 1);
}

TEST_P(Cli, AToolEndedMidReadLetsGoOfTheLine) {
    auto rig = std::make_unique<CliRig>();
    rig->tool.start(QStringList{"qrx-cli"} + line() + QStringList{"read"}, {});
    rig->clock.advance(500);
    ASSERT_FALSE(rig->tool.finished());
    const size_t sent = rig->port->requestLog().size();
    rig.reset(); // the request underway is cancelled while its client still listens
    EXPECT_GT(sent, 2u);
}

TEST_P(Cli, LearnButtonWaitsForTheSensorAndSwitchesLearnModeOffWhenNoneComes) {
    CliRig rig; // the simulated sensor presses its button 3 s after learn mode is on
    EXPECT_EQ(rig.run(line() + QStringList{"learn-button", "7"}), 0) << rig.io.err.toStdString();
    EXPECT_TRUE(QRegularExpression("^  7 0[567]  [0-9A-F]{8} ").match(rig.io.out).hasMatch())
        << rig.io.out.toStdString();
    EXPECT_GE(rig.clock.nowMs(), 3000);

    CliRig waiting;
    waiting.model->setLearnDelayMs(100000);
    EXPECT_EQ(waiting.run(line() + QStringList{"learn-button", "7", "--wait", "2"}), 1);
    EXPECT_EQ(waiting.io.err, "qrx-cli: learn-button row 7: no sensor learned within 2 s\n");
    EXPECT_FALSE(waiting.gateway->coil(7)) << "learn mode switched off again";
    EXPECT_LT(waiting.clock.nowMs(), 3000);

    CliRig interrupted;
    interrupted.model->setLearnDelayMs(100000);
    interrupted.tool.start(QStringList{"qrx-cli"} + line() + QStringList{"learn-button", "7"}, {});
    interrupted.clock.advance(1000);
    EXPECT_TRUE(interrupted.gateway->coil(7));
    interrupted.tool.interrupt();
    for (int i = 0; i < 5000 && !interrupted.tool.finished(); ++i)
        interrupted.clock.advance(1);
    EXPECT_EQ(interrupted.tool.exitCode(), 130);
    EXPECT_FALSE(interrupted.gateway->coil(7));
}

TEST_P(Cli, VerboseShowsEveryFrameDecoded) {
    FaultPlan drop;
    drop.dropEvery = 2; // the response-time read is lost once
    CliRig rig(GatewayVariant::Transceiver, drop);
    ASSERT_EQ(rig.run(line() + QStringList{"--verbose", "identify"}), 0);
    const QStringList err = rig.io.err.split('\n', Qt::SkipEmptyParts);
    const QString written =
        GetParam() == LineMode::Ascii ? ":010301410001B9" : "01 03 01 41 00 01 D5 E2";
    const QStringList expected = {
        "^ +0 ms -> " + written + "    identify$",
        "<- .*    1 register \\(taken, [0-9]+ ms\\)$",
        "-> .*    read response time$",
        "^ +[0-9]+ ms    no answer to read response time \\(time-out\\)$",
        "-> .*    read response time$",
        "<- .*    1 register \\(taken, [0-9]+ ms\\)$",
    };
    ASSERT_EQ(err.size(), expected.size()) << rig.io.err.toStdString();
    for (int i = 0; i < err.size(); ++i)
        EXPECT_TRUE(QRegularExpression(expected[i]).match(err[i]).hasMatch())
            << err[i].toStdString();
    EXPECT_EQ(rig.io.out, "device QTX40\nmodule_type 0x0041\nresponse_time 20\n");
}

INSTANTIATE_TEST_SUITE_P(BothModes, Cli, ::testing::Values(LineMode::Ascii, LineMode::Rtu),
                         [](const auto& info) { return std::string(modeName(info.param)); });
