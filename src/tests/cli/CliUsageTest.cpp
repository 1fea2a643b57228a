// qrx-cli's usage: bad usage ends with 2 before the port is opened, help for the tool and every
// command, the JSON and CSV of read to the letter, and the messages of failures and bad usage.

#include "cli/ImageFormats.h"
#include "support/CliRig.h"
#include "support/UserFileAt.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(CliUsage, BadUsageEndsWithTwoAndSendsNothing) {
    const QString kAFile = QRX_SOURCE_DIR "/README.md";
    const QStringList line{"--port", "simulator", "--address", "1"};
    const QStringList cases[] = {
        {},
        {"--port", "simulator", "identify"}, // no address
        {"--address", "0", "identify"},
        {"--address", "248", "identify"},
        {"--address", "1x", "identify"},
        {"--address", "1", "--mode", "binary", "identify"},
        {"--address", "1", "--baud", "14400", "identify"},
        {"--address", "1", "--parity", "mark", "identify"},
        {"--address", "1", "--timeout", "0", "identify"},
        {"--address", "1", "--retries", "-1", "identify"},
        {"--address", "1", "--colour", "identify"},
        line + QStringList{"frobnicate"},
        line + QStringList{"identify", "now"},
        {"read", "--address", "1"}, // line options go before the command
        line + QStringList{"read", "--format", "xml"},
        line + QStringList{"watch", "--count", "0"},
        line + QStringList{"watch", "--format", "text"},
        line + QStringList{"learn", "32", "00000001", "05"},
        line + QStringList{"learn", "1", "0000001", "05"},
        line + QStringList{"learn", "1", "0000000G", "05"},
        line + QStringList{"learn", "1", "00000001", "08"},
        line + QStringList{"learn", "1", "00000001"},
        line + QStringList{"learn-button", "-1"},
        line + QStringList{"learn-button", "1", "--wait", "0"},
        line + QStringList{"delete"},
        line + QStringList{"delete", "1", "2"},
        line + QStringList{"invert", "1", "yes"},
        line + QStringList{"response-time", "4"},
        line + QStringList{"response-time", "65536"},
        line + QStringList{"sender", "8", "--org", "5", "--data", "1,2,3,4", "--status", "0"},
        line + QStringList{"sender", "1", "--org", "4", "--data", "1,2,3,4", "--status", "0"},
        line + QStringList{"sender", "1", "--org", "5", "--data", "1,2,3", "--status", "0"},
        line + QStringList{"sender", "1", "--org", "5", "--data", "1,2,3,256", "--status", "0"},
        line + QStringList{"sender", "1", "--org", "5", "--data", "1,2,3,4"},
        line + QStringList{"transmit", "8"},
        line + QStringList{"backup"},
        line + QStringList{"backup", "a.qrxcfg", "b.qrxcfg"},
        line + QStringList{"backup", "/no/such/folder/gateway.qrxcfg"},
        {"--port", "simulator", "backup", "gateway.qrxcfg"}, // no address
        line + QStringList{"restore"},
        line + QStringList{"restore", "--dry-run", "--yes", "gateway.qrxcfg"},
        line + QStringList{"restore", "/no/such/folder/gateway.qrxcfg"},
        line + QStringList{"scan", "now"},
        line + QStringList{"scan", "--modes", "binary"},
        line + QStringList{"scan", "--bauds", "9600,14400"},
        line + QStringList{"scan", "--parities", "mark"},
        line + QStringList{"scan", "--addresses", "0-16"},
        line + QStringList{"scan", "--addresses", "17-16"},
        line + QStringList{"scan", "--margin", "-1"},
        line + QStringList{"scan", "--format", "csv"},
        line + QStringList{"publish"},
        {"--port", "simulator", "publish", "--broker", "mqtt://h"}, // no address
        line + QStringList{"publish", "--broker", "http://h"},
        line + QStringList{"publish", "--broker", "mqtt://"},
        line + QStringList{"publish", "--broker", "mqtt://user:secret@h"},
        line + QStringList{"publish", "--broker", "mqtt://h", "--password", "secret"},
        line + QStringList{"publish", "--broker", "mqtt://h", "--password-file", kAFile},
        line + QStringList{"publish", "--broker", "mqtt://h", "--username", "u", "--password-file",
                           "/no"},
        line + QStringList{"publish", "--broker", "mqtt://h", "--cafile", kAFile},
        line + QStringList{"publish", "--broker", "mqtts://h", "--cert", kAFile},
        line + QStringList{"publish", "--broker", "mqtts://h", "--cafile", "/no/such/ca.crt"},
        line + QStringList{"publish", "--broker", "mqtt://h", "--scale", "4=0..100"},
        line + QStringList{"publish", "--broker", "mqtt://h", "--name", "a/b"},
        line + QStringList{"publish", "--broker", "mqtt://h", "--prefix", "qrx/#"},
        line + QStringList{"commission", QRX_SOURCE_DIR "/docs/example-site.csv"},  // names them
        {"commission", QRX_SOURCE_DIR "/src/tests/fuzz/corpus/sitefile/comma.csv"}, // names none
        line + QStringList{"commission", "/no/such/site.csv"},
        line + QStringList{"publish", "--broker", "mqtt://h", "--site", "/no/such/site.csv"},
        {"commission", QRX_SOURCE_DIR "/docs/example-site.csv", "--listen", "10d"},
        {"commission", QRX_SOURCE_DIR "/docs/example-site.csv", "--language", "fr"},
        line + QStringList{"serve", "--listen", "0.0.0.0"},
        line + QStringList{"serve", "--listen", "[::1:8080"},
        line + QStringList{"serve", "--listen", "10.0.0.300:8080"},
        line + QStringList{"serve", "--listen", "127.0.0.1:65536"},
        line + QStringList{"serve", "--token-file", kAFile}, // its first line is no token
        line + QStringList{"serve", "--tls-cert", kAFile},
        line + QStringList{"serve", "--tls-cert", kAFile, "--tls-key", kAFile},
        line + QStringList{"serve", "--interval", "-5"},
        line + QStringList{"serve", "--site", "/no/such/site.csv"},
    };
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        CliRig rig;
        EXPECT_EQ(rig.run(args), 2);
        EXPECT_EQ(rig.port, nullptr) << "the port was not even opened";
        EXPECT_TRUE(rig.io.err.startsWith("qrx-cli: ")) << rig.io.err.toStdString();
        EXPECT_EQ(rig.io.err.count('\n'), 1);
        EXPECT_EQ(rig.io.out, "");
    }
}

TEST(CliUsage, HelpDescribesTheToolAndEveryCommand) {
    CliRig tool;
    EXPECT_EQ(tool.run({"--help"}), 0);
    for (const CommandEntry& e : commandTable()) {
        EXPECT_TRUE(tool.io.out.contains("\n  " + e.name + " ")) << e.name.toStdString();
        CliRig one;
        EXPECT_EQ(one.run({e.name, "--help"}), 0) << "without --address";
        EXPECT_TRUE(one.io.out.startsWith("Usage: qrx-cli [line options] " + e.name + " [options]"))
            << one.io.out.toStdString();
        EXPECT_EQ(one.port, nullptr);
    }
    for (const char* option : {"--port", "--mode", "--baud", "--parity", "--address", "--timeout",
                               "--retries", "--verbose"})
        EXPECT_TRUE(tool.io.out.contains(option)) << option;
}

TEST(CliUsage, ReadFormatsAreTheDocumentedOnes) {
    GatewayImage g;
    g.moduleType = 0x0041;
    g.responseTimeMs = 20;
    g.sensors[0] = SensorSlot{0x05, 0x0012A3F0, {48, 0, 0, 0}, 120, false};
    g.sensors[31] = SensorSlot{0x07, 0xFFFFFFFE, {1, 2, 3, 255}, 65535, true};
    g.senders.assign(8, SenderSlot{});
    g.senders[0] = SenderSlot{5, 0xFF800100, {0, 0, 0, 0}, 0};
    // the "LEARN - KP12" template, "Data-Byte 0" (135) first
    g.senders[7] = SenderSlot{7, 0xFF800107, {135, 2, 40, 8}, 48};
    const QString json = imageJson(g);
    EXPECT_TRUE(json.startsWith(
        R"({"device":"QTX40","response_time":20,"sensors":[{"row":0,"org":"05","id":"0012A3F0",)"
        R"("data":[48,0,0,0],"time":120,"inverted":false},{"row":1,"org":"00","id":"00000000",)"));
    EXPECT_TRUE(json.contains(
        R"({"row":31,"org":"07","id":"FFFFFFFE","data":[1,2,3,255],"time":65535,"inverted":true}],)"
        R"("senders":[{"row":0,"org":5,"id":"FF800100","data":[0,0,0,0],"status":0},)"));
    EXPECT_TRUE(
        json.endsWith(R"({"row":7,"org":7,"id":"FF800107","data":[135,2,40,8],"status":48}]})"
                      "\n"));
    EXPECT_EQ(json.count('\n'), 1);

    const QStringList csv = imageCsv(g).split('\n');
    EXPECT_EQ(csv[1], "sensor,0,05,0012A3F0,48,0,0,0,120,false,");
    EXPECT_EQ(csv[32], "sensor,31,07,FFFFFFFE,1,2,3,255,65535,true,");
    EXPECT_EQ(csv[40], "sender,7,7,FF800107,135,2,40,8,,,48");
}

// What qrx-cli says when something is wrong: what, where (the port's device), and what to do,
// in the window's words for a port that does not open.
TEST(CliUsage, MessagesSayWhatIsWrongWhereAndWhatToDo) {
    QTemporaryDir dir;
    UserFileAt user(dir.filePath("user.reg"));
    QFile reg(dir.filePath("user.reg"));
    ASSERT_TRUE(reg.open(QIODevice::WriteOnly) &&
                reg.write("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalund\\QRX-QTX-RS485-MODBUS\\Ports]\n"
                          "\"COM7\"=\"/dev/qrx-gone\"\n") > 0);
    reg.close();
    const QString gone =
        "^qrx-cli: Not connected; the Ports window \\(Tools > Ports…\\) lists what is\\.$";
    const struct {
        QStringList args;
        int exit;
        QStringList err; // regular expressions, one a line
    } cases[] = {
        {{"--port", "/dev/qrx-gone", "identify"},
         1,
         {"^qrx-cli: cannot open /dev/qrx-gone: .+$", gone}},
        {{"--port", "com7", "identify"},
         1,
         {"^qrx-cli: cannot open com7 \\(/dev/qrx-gone\\): .+$", gone}},
        {{"--port", dir.path(), "identify"},
         1,
         {"^qrx-cli: cannot open .+$",
          "^qrx-cli: It is a folder, not a device; choose the device in the Ports window"}},
        {{"learn", "-1", "00000001", "05"},
         2,
         {"^qrx-cli: learn: -1 is a negative number: rows and values count from 0$"}},
        {{"scan", "--bauds", "9600,14400"},
         2,
         {"^qrx-cli: --bauds takes baud rates out of 1200, 2400, 4800, 9600, 19200, 38400, "
          "57600 or 115200, not \"14400\"$"}},
        {{"transmit", "5"}, // the demo's row 5 is empty
         0,
         {"^qrx-cli: transmit: sender row 5 holds ORG 00, no telegram; sender 5 --org --data "
          "--status fills it$"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        ManualClock clock;
        RecordingStreams io;
        CliTool tool(clock, io, [&clock](const QString& name) { return makeCliPort(name, clock); });
        tool.start(QStringList{"qrx-cli", "--port", "simulator", "--address", "1"} + c.args, {});
        for (int waited = 0; !tool.finished() && waited < 60000; ++waited)
            clock.advance(1);
        EXPECT_EQ(tool.exitCode(), c.exit);
        const QStringList err = io.err.split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(err.size(), c.err.size()) << io.err.toStdString();
        for (int i = 0; i < err.size(); ++i)
            EXPECT_TRUE(QRegularExpression(c.err[i]).match(err[i]).hasMatch())
                << err[i].toStdString();
    }
}
