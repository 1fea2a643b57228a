// qrx-cli backup, restore and scan against the in-process gateway on the manual clock: a backup
// restored onto a gateway with other sensors (the differences, nothing written without --yes,
// then written and verified, then no differences), a restore the gateway breaks off, refused
// files that send nothing, and the scan finding a gateway, finding none and stopped by Ctrl-C.

#include "backup/ConfigFile.h"
#include "support/CliRig.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
const char* modeName(LineMode m) {
    return m == LineMode::Ascii ? "ascii" : "rtu";
}

bool onlyReads(const SimulatedGatewayPort& port) {
    for (const QByteArray& rq : port.requestLog())
        if (uint8_t(rq[1]) != 0x01 && uint8_t(rq[1]) != 0x03)
            return false;
    return true;
}

// The rig's gateway with other sensors than CliRig's: row 2 holds another sensor, row 9 none,
// row 4 is inverted and row 17 not, sender row 1 differs, and it answers after 40 ms.
GatewayModel otherGateway() {
    GatewayModel m(1, GatewayVariant::Transceiver, 3);
    m.learnSensor(2, 0x05, 0x00ABCDEF);
    m.handle(QByteArray::fromHex("01050024FF00")); // row 4 inverted
    m.fillDemoSenderRows();
    m.setSenderSlot(1, 0x07, 0, {1, 2, 3, 4}, 5);
    m.setResponseTimeMs(40);
    return m;
}

class CliBackup : public ::testing::TestWithParam<LineMode> {
protected:
    QStringList line() const {
        return {"--port", "simulator", "--mode", modeName(GetParam()), "--address", "1"};
    }
    // Saves CliRig's gateway to the file.
    void backUp() {
        CliRig source;
        ASSERT_EQ(source.run(line() + QStringList{"backup", path}), 0)
            << source.io.err.toStdString();
        EXPECT_EQ(source.io.out + source.io.err, "");
        EXPECT_EQ(source.port->requestLog().size(), 43u) << "the gateway identified once";
        ASSERT_TRUE(readConfigFile(path).config);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("gateway.qrxcfg");
};
} // namespace

TEST_P(CliBackup, RestoredOntoAGatewayWithOtherSensorsItThenHoldsTheSame) {
    backUp();
    const QString differences =
        "Sensor 2: ORG 05 → 07, ID 00ABCDEF → 01834C17\n"
        "Sensor 4: data byte 1 inverted yes → no\n"
        "Sensor 9: ORG 00 → 05, ID 00000000 → 0021C488\n"
        "Sensor 17: data byte 1 inverted no → yes\n"
        "Sender 1: ORG 07 → 06, Data-Byte 0: 1 → 9, Data-Byte 1: 2 → 0, Data-Byte 2: 3 → 0, "
        "Data-Byte 3: 4 → 0, status 5 → 0\n"
        "Response time: 40 ms → 20 ms\n";
    const struct {
        QStringList args;
        int exit;
        QString out;
        const char* err;
    } steps[] = {
        {{"restore", path},
         3,
         differences,
         "qrx-cli: restore: dry run, nothing was written: 6 rows differ (--yes writes them)\n"},
        {{"restore", "--dry-run", path},
         3,
         differences,
         "qrx-cli: restore: dry run, nothing was written: 6 rows differ (--yes writes them)\n"},
        {{"restore", "--yes", path},
         0,
         differences + "Sensor 2: written and verified\nSensor 4: written and verified\n"
                       "Sensor 9: written and verified\nSensor 17: written and verified\n"
                       "Sender 1: written and verified\nResponse time: written and verified\n"
                       "6 of 6 rows written and verified.\n",
         ""},
        {{"restore", path}, 0, "No differences.\n", ""},
        {{"restore", "--dry-run", path},
         0,
         "No differences.\n",
         "qrx-cli: restore: dry run, nothing was written\n"},
    };
    GatewayModel gateway = otherGateway();
    for (const auto& step : steps) {
        SCOPED_TRACE(step.args.join(' ').toStdString());
        CliRig rig;
        rig.model = std::make_unique<GatewayModel>(gateway);
        EXPECT_EQ(rig.run(line() + step.args), step.exit);
        EXPECT_EQ(rig.io.out, step.out);
        EXPECT_EQ(rig.io.err, step.err);
        EXPECT_EQ(onlyReads(*rig.port), step.args[1] != "--yes");
        gateway = *rig.gateway;
    }
}

TEST_P(CliBackup, ARestoreTheGatewayBreaksOffSaysWhichRowsAreWrittenAndVerified) {
    backUp();
    CliRig rig;
    rig.model = std::make_unique<GatewayModel>(otherGateway());
    rig.tool.start(QStringList{"qrx-cli"} + line() + QStringList{"restore", "--yes", path}, {});
    // 43 reads, then row 2 written and read back: the gateway falls silent
    while (rig.port->requestLog().size() < 45)
        rig.clock.advance(1);
    rig.port->faults().silent = true;
    for (int i = 0; i < 60000 && !rig.tool.finished(); ++i)
        rig.clock.advance(1);
    EXPECT_EQ(rig.tool.exitCode(), 1);
    EXPECT_TRUE(rig.io.out.endsWith("Sensor 2: written and verified\n"
                                    "Sensor 4: failed: inversion row 4: no answer (3 attempts)\n"
                                    "Sensor 9: not written\nSensor 17: not written\n"
                                    "Sender 1: not written\nResponse time: not written\n"
                                    "1 of 6 rows written and verified.\n"))
        << rig.io.out.toStdString();
    EXPECT_EQ(rig.io.err, "qrx-cli: restore: inversion row 4: no answer (3 attempts)\n");
    EXPECT_EQ(rig.gateway->reg(22), 0x01834C17 & 0xFFFF);
}

// A sender row of ORG 00 cannot be written: listed with the reason, it leaves nothing to do.
TEST_P(CliBackup, ARowThatCannotBeWrittenDoesNotCountAsADifference) {
    backUp();
    ConfigLoad load = readConfigFile(path);
    load.config->senders[1].org = 0;
    ASSERT_FALSE(writeConfigFile(path, *load.config));
    CliRig rig;
    EXPECT_EQ(rig.run(line() + QStringList{"restore", path}), 0);
    EXPECT_EQ(rig.io.out, "Sender 1: ORG 06 → 00 – ORG 00 cannot be written\n");
}

TEST(CliUsage, ARefusedConfigurationFileEndsWithTwoAndSendsNothing) {
    QTemporaryDir dir;
    GatewayImage image;
    image.moduleType = 0x0041;
    image.sensors[9] = SensorSlot{0x05, 0x0021C488, {}, 0, false};
    const QByteArray good = configJson(configFromImage(image, 0));
    QByteArray badId = good;
    badId.replace("\"0021C488\"", "\"0021C48\"");
    const struct {
        QByteArray content; // none: no file
        const char* command;
        const char* err; // after "qrx-cli: "
    } cases[] = {
        {"{\n  \"format\": \"qrx-gateway-configuration\",\n  oops\n}", "restore",
         "restore: FILE refused: Not valid JSON in line 3: "},
        {badId, "restore",
         "restore: FILE refused: \"sensors[9].id\": ID \"0021C48\" is not 8 hex digits\n"},
        {"{\"hello\": 1}", "restore",
         "restore: FILE refused: Not a gateway configuration: the field \"format\" is missing or "
         "is not \"qrx-gateway-configuration\"\n"},
        {{}, "restore", "restore: Cannot read the file FILE: "},
        {"notes of the site visit\n", "backup",
         "backup: FILE is not a gateway configuration and is not overwritten (Not valid JSON in "
         "line 1: "},
    };
    int n = 0;
    for (const auto& c : cases) {
        const QString path = dir.filePath(QString("case%1.qrxcfg").arg(++n));
        SCOPED_TRACE(path.toStdString());
        if (!c.content.isNull()) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.content);
        }
        CliRig rig;
        EXPECT_EQ(rig.run({"--port", "simulator", "--address", "1", c.command, path}), 2);
        EXPECT_EQ(rig.port, nullptr) << "the port was not even opened";
        EXPECT_TRUE(rig.io.err.startsWith("qrx-cli: " + QString(c.err).replace("FILE", path)))
            << rig.io.err.toStdString();
        EXPECT_EQ(rig.io.err.count('\n'), 1);
        EXPECT_EQ(rig.io.out, "");
        QFile kept(path);
        EXPECT_EQ(kept.open(QIODevice::ReadOnly) ? kept.readAll() : QByteArray(), c.content);
    }
}

TEST(CliScan, FindsTheGatewayAtItsOwnSettingsOrSaysThereIsNone) {
    const struct {
        LineChoice gatewayLine;
        int address;
        QStringList args;
        int exit;
        const char* out; // regular expression over the whole of standard output
        int refusedBaud = 0;
    } cases[] = {
        {{LineMode::Rtu, 19200, 'N'},
         17,
         {"--modes", "rtu", "--bauds", "9600,19200", "--addresses", "15-18"},
         0,
         "^found: address 17, RTU 19200 none, QTX40, response time 20 ms\n"
         "activity at RTU 19200 even \\(address 17\\): [0-9]+ bytes that made no valid answer\n"
         "1 gateway found \\(19 probes, [0-9.]+ s\\)\n$"},
        {{LineMode::Rtu, 38400, 'N'},
         17,
         {"--modes", "rtu", "--bauds", "19200,38400", "--parities", "none", "--addresses", "17"},
         0,
         "^found: address 17, RTU 38400 none, QTX40, response time 20 ms\n"
         "RTU 19200 none skipped: the adapter refuses it \\(Invalid argument\\)\n"
         "1 gateway found \\(1 probe, [0-9.]+ s\\)\n$",
         19200},
        {{LineMode::Ascii, 9600, 'E'},
         5,
         {"--bauds", "9600", "--parities", "even", "--addresses", "1-4"},
         1,
         "^no gateway found \\(8 probes, [0-9.]+ s\\)\n$"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        CliRig rig;
        rig.model = std::make_unique<GatewayModel>(c.address, GatewayVariant::Transceiver, 3);
        rig.gatewayLine = c.gatewayLine;
        rig.adapt = [&c](SimulatedGatewayPort& port) { port.refuseBaud(c.refusedBaud); };
        EXPECT_EQ(rig.run(QStringList{"--port", "simulator", "scan"} + c.args), c.exit);
        EXPECT_TRUE(QRegularExpression(c.out).match(rig.io.out).hasMatch())
            << rig.io.out.toStdString();
        EXPECT_TRUE(rig.io.err.startsWith("qrx-cli: scan: ")) << rig.io.err.toStdString();
    }
}

TEST(CliScan, CtrlCStopsItAtOnceWithWhatItFound) {
    CliRig rig;
    rig.model = std::make_unique<GatewayModel>(200, GatewayVariant::Transceiver, 3);
    rig.gatewayLine = LineChoice{};
    rig.tool.start({"qrx-cli", "--port", "simulator", "scan", "--all"}, {});
    rig.clock.advance(20000);
    ASSERT_FALSE(rig.tool.finished());
    const size_t sent = rig.port->requestLog().size();
    rig.tool.interrupt();
    EXPECT_EQ(rig.tool.exitCode(), 130);
    EXPECT_TRUE(QRegularExpression("^found: address 200, ASCII 9600 even, QTX40, .*\ncancelled "
                                   "\\([0-9]+ probes, .*\\)\n1 gateway found")
                    .match(rig.io.out)
                    .hasMatch())
        << rig.io.out.toStdString();
    rig.clock.advance(5000);
    EXPECT_EQ(rig.port->requestLog().size(), sent) << "nothing sent after Ctrl-C";
}

INSTANTIATE_TEST_SUITE_P(BothModes, CliBackup, ::testing::Values(LineMode::Ascii, LineMode::Rtu),
                         [](const auto& info) { return std::string(modeName(info.param)); });
