// The gateway scan against the in-process gateway with line settings of its own, on the manual
// clock: where it is found, what a gateway with another parity leaves on the line, a silent
// line, cancelling, and the command line's options and output.

#include "scan/GatewayScan.h"
#include "link/SerialPort.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "scan/ScanOutput.h"
#include "sim/SimulatedGatewayPort.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {
struct ScanRig {
    ScanRig(int address, LineChoice gatewayLine, FaultPlan faults = {}) {
        auto m = std::make_unique<GatewayModel>(uint8_t(address), GatewayVariant::Transceiver, 3);
        model = m.get();
        port = std::make_unique<SimulatedGatewayPort>(clock, std::move(m), faults);
        port->setGatewayLine(gatewayLine.settings());
        session = std::make_unique<LineSession>(clock, *port, messages);
        scan = std::make_unique<GatewayScan>(*session, clock);
    }
    void start(const ScanOptions& options) {
        scan->start(options, {[this](const ScanProgress& p) { last = p; },
                              {},
                              [this](const LineActivity& a) { activity.push_back(a); },
                              [this](const ScanReport&) { ++finished; }});
    }
    const ScanReport& run(const ScanOptions& options) {
        start(options);
        while (scan->running() && clock.nowMs() < 3600 * 1000)
            clock.advance(1000);
        return scan->report();
    }

    ManualClock clock;
    GatewayModel* model = nullptr;
    std::unique_ptr<SimulatedGatewayPort> port;
    RecordingMessageBoxes messages;
    std::unique_ptr<LineSession> session;
    std::unique_ptr<GatewayScan> scan;
    ScanProgress last;
    std::vector<LineActivity> activity;
    int finished = 0;
};

bool operator==(const LineChoice& a, const LineChoice& b) {
    return a.mode == b.mode && a.baud == b.baud && a.parity == b.parity;
}
} // namespace

// The usual set-ups come first: the probes before a find follow the order of line settings
// (baud rate, then even/none/odd, then ASCII/RTU) and addresses 1..247.
TEST(GatewayScan, FindsTheGatewayAtItsSettingsInTheScansOrder) {
    struct Case {
        LineChoice line;
        int address;
        int probes; // settings tried before x 247 + the address
    } cases[] = {
        {{LineMode::Ascii, 9600, 'E'}, 1, 1},
        {{LineMode::Rtu, 19200, 'N'}, 17, 9 * 247 + 17},
        {{LineMode::Rtu, 115200, 'O'}, 247, 29 * 247 + 247},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.text().toStdString());
        ScanRig rig(c.address, c.line);
        const ScanReport& r = rig.run(ScanOptions{});
        EXPECT_EQ(r.end, ScanEnd::Found);
        ASSERT_EQ(r.found.size(), 1u);
        const FoundGateway& g = r.found[0];
        EXPECT_EQ(g.address, c.address);
        EXPECT_TRUE(g.line == c.line) << g.line.text().toStdString();
        EXPECT_EQ(g.deviceType, "QTX40");
        EXPECT_EQ(g.responseTimeMs, rig.model->responseTimeMs());
        EXPECT_EQ(r.probes, c.probes);
        EXPECT_EQ(rig.finished, 1);
        EXPECT_FALSE(rig.session->isOpen()) << "the scan closes the port it opened";
        EXPECT_EQ(scanExitCode(r), 0);
    }
}

TEST(GatewayScan, AGatewayWithAnotherParityLeavesActivityAtTheSettingsTried) {
    ScanRig rig(5, {LineMode::Rtu, 9600, 'O'});
    ScanOptions o;
    o.modes = {LineMode::Rtu};
    o.bauds = {9600};
    o.parities = {'E', 'N'};
    const ScanReport& r = rig.run(o);
    EXPECT_EQ(r.end, ScanEnd::Completed);
    EXPECT_TRUE(r.found.empty());
    ASSERT_EQ(rig.activity.size(), 2u) << "once per line setting";
    EXPECT_TRUE(rig.activity[0].line == (LineChoice{LineMode::Rtu, 9600, 'E'}));
    EXPECT_TRUE(rig.activity[1].line == (LineChoice{LineMode::Rtu, 9600, 'N'}));
    for (const LineActivity& a : r.activity) {
        EXPECT_EQ(a.address, 5);
        EXPECT_GT(a.bytes, 0);
    }
    EXPECT_EQ(scanExitCode(r), 1);
    EXPECT_TRUE(scanText(r).contains("activity at RTU 9600 none (address 5): "))
        << scanText(r).toStdString();
}

// Behind a raw serial server only modes and addresses are tried, each probe with the network
// margin; behind a Modbus TCP gateway only addresses.
TEST(GatewayScan, ThroughANetworkPortOnlyWhatReachesTheLineIsTried) {
    for (const PortKind kind : {PortKind::RawTcp, PortKind::ModbusTcp}) {
        ScanRig rig(17, {LineMode::Rtu, 19200, 'N'});
        rig.port->setKind(kind);
        rig.port->setNetworkMarginMs(100);
        const ScanReport& r = rig.run(ScanOptions{});
        ASSERT_EQ(r.found.size(), 1u);
        const bool raw = kind == PortKind::RawTcp;
        EXPECT_EQ(r.probes, raw ? 247 + 17 : 17) << "ASCII first, at the server's settings";
        EXPECT_GE(r.elapsedMs, raw ? 247 * (34 + 50 + 100) : 16 * (18 + 50 + 100));
        EXPECT_TRUE(scanText(r).contains(raw ? "address 17, RTU (line settings on the server)"
                                             : "address 17, Modbus TCP"))
            << scanText(r).toStdString();
    }
}

// Every probe waits exactly its time-out: the scan adds no waiting of its own.
TEST(GatewayScan, ASilentLineTakesTheProbesTimeOutsAndFindsNothing) {
    ScanRig rig(1, {LineMode::Ascii, 9600, 'E'}, FaultPlan{.silent = true});
    ScanOptions o;
    o.modes = {LineMode::Rtu};
    o.bauds = {9600, 1200};
    o.parities = {'E'};
    const ScanReport& r = rig.run(o);
    EXPECT_EQ(r.end, ScanEnd::Completed);
    EXPECT_TRUE(r.found.empty());
    EXPECT_TRUE(r.activity.empty());
    EXPECT_EQ(r.probes, 2 * 247);
    // RTU, 11 bits a character, 15 characters: 17.2 ms at 9600, 137.5 ms at 1200
    EXPECT_EQ(r.elapsedMs, 247 * (18 + 50) + 247 * (138 + 50));
    EXPECT_EQ(r.elapsedMs, scanDurationMs(o));
    EXPECT_EQ(rig.last.remainingMs, 138 + 50) << "the last probe's time-out was left";
}

TEST(GatewayScan, CancelStopsAtOnce) {
    ScanRig rig(1, {LineMode::Ascii, 9600, 'E'}, FaultPlan{.silent = true});
    rig.start(ScanOptions{});
    rig.clock.advance(5000);
    ASSERT_TRUE(rig.scan->running());
    const size_t asked = rig.port->requestLog().size();
    rig.scan->cancel();
    EXPECT_FALSE(rig.scan->running());
    EXPECT_EQ(rig.scan->report().end, ScanEnd::Cancelled);
    EXPECT_EQ(rig.finished, 1);
    EXPECT_FALSE(rig.session->isOpen());
    rig.clock.advance(60000);
    EXPECT_EQ(rig.port->requestLog().size(), asked) << "nothing sent after the cancel";
    EXPECT_EQ(rig.finished, 1);
}

TEST(ScanOutput, OptionsFromTheCommandLineAndTheResultAsJson) {
    QCommandLineParser parser;
    addScanOptions(parser);
    ASSERT_TRUE(parser.parse({"scan", "--modes", "RTU", "--bauds", "19200,9600", "--parities",
                              "odd", "--addresses", "17", "--all", "--format", "json"}));
    const auto ok = scanCommandFrom(parser);
    ASSERT_TRUE(std::holds_alternative<ScanCommand>(ok)) << std::get<QString>(ok).toStdString();
    const ScanCommand& c = std::get<ScanCommand>(ok);
    EXPECT_EQ(scanLines(c.options).size(), 2u);
    EXPECT_EQ(scanLines(c.options)[0].text(), "RTU 9600 odd");
    EXPECT_EQ(scanAddresses(c.options), std::vector<int>{17});
    EXPECT_TRUE(c.options.all && c.json);

    const char* bad[][4] = {{"ascii,tcp", "9600", "even", "1-247"},
                            {"rtu", "9601", "even", "1-247"},
                            {"rtu", "9600", "mark", "1-247"},
                            {"rtu", "9600", "even", "0-5"},
                            {"rtu", "9600", "even", "20-10"},
                            {"rtu", "9600", "even", "248"},
                            {"", "9600", "even", "1"}};
    for (const auto& b : bad)
        EXPECT_TRUE(std::holds_alternative<QString>(scanOptionsFrom(b[0], b[1], b[2], b[3])))
            << b[0] << " " << b[1] << " " << b[2] << " " << b[3];

    ScanReport r;
    r.end = ScanEnd::Found;
    r.found.push_back({17, {LineMode::Rtu, 19200, 'N'}, "QRX40", 20, 31});
    const QJsonObject json = QJsonDocument::fromJson(scanJson(r)).object();
    const QJsonObject g = json["found"].toArray().at(0).toObject();
    EXPECT_EQ(g["address"].toInt(), 17);
    EXPECT_EQ(g["mode"].toString(), "rtu");
    EXPECT_EQ(g["parity"].toString(), "none");
    EXPECT_EQ(g["device"].toString(), "QRX40");
    EXPECT_EQ(json["end"].toString(), "found");
    EXPECT_TRUE(scanText(r).startsWith("found: address 17, RTU 19200 none, QRX40, response time "
                                       "20 ms\n"));
}
