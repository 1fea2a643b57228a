// Restore: the differences between a file and a gateway, a round trip from one simulated gateway
// to another that holds other sensors, and a restore that a silent gateway interrupts.

#include "backup/Backup.h"
#include "support/LineRig.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {
// The gateway that holds exactly what the file holds.
GatewayImage imageOf(const GatewayConfig& c) {
    GatewayImage g;
    g.moduleType = c.device == "QTX40" ? kTransceiverModuleType : 0x0040;
    g.responseTimeMs = c.responseTimeMs;
    for (int row = 0; row < kGatewaySensorSlots; ++row) {
        const SensorEntry& e = c.sensors[row];
        g.sensors[row] = SensorSlot{e.org, e.id, {7, 7, 7, 7}, 99, e.inverted};
    }
    for (const SenderEntry& e : c.senders)
        g.senders.push_back(SenderSlot{e.org, 0xFF9A0000, e.data, e.status});
    return g;
}

GatewayConfig exampleConfig() {
    return *readConfigFile(QStringLiteral(QRX_SOURCE_DIR) + "/docs/example.qrxcfg").config;
}

// Runs a gateway operation on the rig's clock; the failure's text, or "".
QString run(LineRig& rig, const std::function<void(OperationDone)>& start) {
    std::optional<std::optional<StepFailure>> result;
    start([&](const std::optional<StepFailure>& f) { result = f; });
    rig.runUntil([&] { return result.has_value(); });
    EXPECT_TRUE(result.has_value());
    return result && *result ? (*result)->text() : QString();
}

std::string lines(const QStringList& l) {
    return l.join("\n").toStdString();
}

std::vector<RowResult> restore(LineRig& rig, GatewayClient& client, const GatewayConfig& file,
                               RestoreJob::RowDone rowDone = {}) {
    EXPECT_EQ(run(rig, [&](auto done) { client.readAll({}, done); }), "");
    RestoreJob job(client);
    std::optional<std::vector<RowResult>> results;
    job.start(planRestore(file, compareConfig(file, client.image)), rowDone,
              [&](const std::vector<RowResult>& r) { results = r; });
    rig.runUntil([&] { return results.has_value(); });
    EXPECT_TRUE(results.has_value());
    return results.value_or(std::vector<RowResult>{});
}
} // namespace

TEST(RestoreDifferences, PerRowAndField) {
    struct Case {
        const char* what;
        std::function<void(GatewayConfig& file, GatewayImage& gateway)> change;
        QStringList english;
    };
    const Case cases[] = {
        {"alike", [](auto&, auto&) {}, {"No differences."}},
        {"another sensor, not inverted",
         [](auto&, auto& g) {
             g.sensors[2].id = 0x01834C18;
             g.sensors[2].inverted = false;
         },
         {"Sensor 2 (Temperature, cold room 2): ID 01834C18 → 01834C17, data byte 1 inverted "
          "no → yes"}},
        {"a sensor the file does not have",
         [](auto&, auto& g) {
             g.sensors[3] = {0x06, 0xABCDEF};
         },
         {"Sensor 3: ORG 06 → 00, ID 00ABCDEF → 00000000"}},
        {"a sensor the gateway lost",
         [](auto&, auto& g) { g.sensors[9] = {}; },
         {"Sensor 9: ORG 00 → 05, ID 00000000 → 0021C488"}},
        {"empty slots alike whatever their ID",
         [](auto& f, auto& g) {
             f.sensors[4].id = 0x12345678;
             g.sensors[6].id = 0x00000001;
         },
         {"No differences."}},
        {"sender values",
         [](auto&, auto& g) {
             g.senders[0].data = {0, 0, 0, 0};
             g.senders[0].status = 0;
         },
         {"Sender 0: Data-Byte 3: 0 → 80, status 0 → 48"}},
        {"a sender ORG the gateway cannot take",
         [](auto&, auto& g) { g.senders[5].org = 6; },
         {"Sender 5: ORG 06 → 00 – ORG 00 cannot be written"}},
        {"response time",
         [](auto&, auto& g) { g.responseTimeMs = 50; },
         {"Response time: 50 ms → 20 ms"}},
        {"onto a receiver",
         [](auto&, auto& g) {
             g.moduleType = 0x0040;
             g.senders.clear();
         },
         {"No differences.",
          "The file's sender rows are skipped: the gateway is a receiver (QRX40)."}},
        {"a receiver's file onto a transceiver",
         [](auto& f, auto& g) {
             f.senders.clear();
             g.senders[1].status = 1;
         },
         {"No differences.",
          "The file was saved from a receiver: the gateway's sender rows stay as they are."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GatewayConfig file = exampleConfig();
        GatewayImage gateway = imageOf(file);
        c.change(file, gateway);
        EXPECT_EQ(lines(differenceLines(compareConfig(file, gateway), true)), lines(c.english));
    }

    // all at once: the plan holds what differs, is ticked and can be written
    GatewayConfig file = exampleConfig();
    GatewayImage gateway = imageOf(file);
    gateway.sensors[2].inverted = false;
    gateway.sensors[3] = {0x06, 0xABCDEF};
    gateway.sensors[9] = {};
    gateway.senders[5].org = 6;
    gateway.responseTimeMs = 50;
    file.responseTimeMs = 2; // below the gateway's least
    ConfigDifferences d = compareConfig(file, gateway);
    EXPECT_EQ(d.writableRows(), 4);
    EXPECT_EQ(lines(differenceLines(d, false)),
              lines({"Sensor 2 (Temperature, cold room 2): Datenbyte 1 invertiert nein → ja",
                     "Sensor 3: ORG 06 → 00, ID 00ABCDEF → 00000000",
                     "Sensor 9: ORG 00 → 05, ID 00000000 → 0021C488",
                     "Sender 5: ORG 06 → 00 – ORG 00 kann nicht geschrieben werden",
                     "Antwortzeit: 50 ms → 5 ms (die 2 ms der Datei angehoben: Das Gateway nimmt "
                     "nicht weniger als 5 ms)"}));
    d.rows[1].ticked = false; // sensor 3 stays
    const std::vector<RowWrite> plan = planRestore(file, d);
    ASSERT_EQ(plan.size(), 3u);
    EXPECT_EQ(plan[0].row, 2);
    EXPECT_FALSE(plan[0].writeEntry);
    EXPECT_TRUE(plan[0].writeInversion && plan[0].inverted);
    EXPECT_EQ(plan[1].row, 9);
    EXPECT_TRUE(plan[1].writeEntry && !plan[1].writeInversion);
    EXPECT_EQ(plan[1].id, 0x0021C488u);
    EXPECT_EQ(plan[2].part, ConfigPart::ResponseTime);
    EXPECT_EQ(plan[2].responseTimeMs, 5);
}

namespace {
class RoundTrip : public ::testing::TestWithParam<LineMode> {};
} // namespace

// Saved from one gateway, restored onto a second that holds other sensors: the second then holds
// what the first does.
TEST_P(RoundTrip, TheSecondGatewayThenEqualsTheFirst) {
    LineRig first(GetParam()); // row 2 learned
    first.model->learnSensor(0, 0x05, 0x0021A3F1);
    first.model->learnSensor(9, 0x06, 0x0081B220);
    first.model->handle(QByteArray::fromHex("01050022FF00")); // row 2 inverted
    first.model->fillDemoSenderRows();
    LineRig second(GetParam());
    second.model->learnSensor(0, 0x07, 0x01800A22);            // another sensor
    second.model->learnSensor(3, 0x05, 0x0021C488);            // one the first does not have
    second.model->handle(QByteArray::fromHex("01050027FF00")); // row 7 inverted
    second.model->setSenderSlot(0, 0x07, 0, {1, 2, 3, 4}, 5);
    second.model->setResponseTimeMs(50);

    QTemporaryDir dir;
    const QString path = dir.filePath("first.qrxcfg");
    first.model->setResponseTimeMs(600); // longer than the second's time-out
    GatewayClient fromFirst(first.line->link(), 1, backupExchangeOptions(600));
    SaveJob save(fromFirst, first.clock);
    EXPECT_EQ(run(first, [&](auto done) { save.start(path, {}, done); }), "");
    const ConfigLoad load = readConfigFile(path);
    ASSERT_TRUE(load.config);

    GatewayClient toSecond(second.line->link(), 1, {300, 2});
    const std::vector<RowResult> results = restore(second, toSecond, *load.config);
    EXPECT_EQ(lines(resultLines(results, true)),
              lines({"Sensor 0: written and verified", "Sensor 2: written and verified",
                     "Sensor 3: written and verified", "Sensor 7: written and verified",
                     "Sensor 9: written and verified", "Sender 0: written and verified",
                     "Sender 1: written and verified", "Sender 2: written and verified",
                     "Response time: written and verified", "9 of 9 rows written and verified."}));

    const GatewayModel& a = *first.model;
    const GatewayModel& b = *second.model;
    for (int row = 0; row < kGatewaySensorSlots; ++row) {
        SCOPED_TRACE(row);
        for (int r : {0, 1, 2}) // ORG, ID
            EXPECT_EQ(b.reg(10 * row + r), a.reg(10 * row + r));
        EXPECT_EQ(b.coil(0x20 + row), a.coil(0x20 + row));
    }
    for (int row = 0; row < kGatewaySenderSlots; ++row)
        for (int r : {0, 3, 4, 5, 6, 7}) // ORG, data bytes, status
            EXPECT_EQ(b.reg(400 + 10 * row + r), a.reg(400 + 10 * row + r)) << row << " " << r;
    EXPECT_EQ(b.responseTimeMs(), a.responseTimeMs());
    EXPECT_EQ(run(second, [&](auto done) { toSecond.readAll({}, done); }), "");
    EXPECT_TRUE(compareConfig(*load.config, toSecond.image).none());
}

// The gateway falls silent after two rows: those two are written and verified, the third failed
// with its step, the fourth not written; the gateway holds exactly the first two.
TEST_P(RoundTrip, ASilentGatewayInterruptsTheRestore) {
    LineRig rig(GetParam());
    GatewayConfig file;
    file.device = "QTX40";
    file.responseTimeMs = rig.model->responseTimeMs();
    for (int row : {10, 11, 12, 13}) {
        file.sensors[row].org = 0x05;
        file.sensors[row].id = 0x00210000u + row;
    }
    file.sensors[2].org = 0x07; // as the gateway holds it
    file.sensors[2].id = 0x01834C17;
    GatewayClient client(rig.line->link(), 1, backupExchangeOptions(20));
    const std::vector<RowResult> results =
        restore(rig, client, file, [&](int index, const RowResult&) {
            if (index == 1)
                rig.port->faults().silent = true;
        });
    EXPECT_EQ(lines(resultLines(results, true)),
              lines({"Sensor 10: written and verified", "Sensor 11: written and verified",
                     "Sensor 12: failed: write sensor row 12: no answer (3 attempts)",
                     "Sensor 13: not written", "2 of 4 rows written and verified."}));
    EXPECT_EQ(lines(resultLines(results, false).mid(2)),
              lines({"Sensor 12: fehlgeschlagen: write sensor row 12: no answer (3 attempts)",
                     "Sensor 13: nicht geschrieben", "2 von 4 Zeilen geschrieben und geprüft."}));
    for (int row : {10, 11})
        EXPECT_EQ(rig.model->reg(10 * row + 2), row) << row;
    for (int row : {12, 13})
        EXPECT_EQ(rig.model->reg(10 * row), 0) << row;
    // the read, write and read-back of rows 10 and 11, three attempts at row 12, none at 13
    EXPECT_EQ(rig.tap.count(LineEventKind::Written), 43 + 2 + 2 + 3);
}

INSTANTIATE_TEST_SUITE_P(Modes, RoundTrip, ::testing::Values(LineMode::Ascii, LineMode::Rtu));
