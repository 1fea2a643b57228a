// The configuration file: the example in docs/ loads, every kind of bad file is refused with a
// message that names the field (and the line of a JSON error), and saving over a file keeps
// what the gateway cannot know.

#include "backup/ConfigFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <functional>
#include <gtest/gtest.h>

namespace {
QByteArray exampleBytes() {
    QFile f(QStringLiteral(QRX_SOURCE_DIR) + "/docs/example.qrxcfg");
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

QJsonObject example() {
    return QJsonDocument::fromJson(exampleBytes()).object();
}

// Sets key of entry index of the list (sensors or senders).
void setIn(QJsonObject& top, const char* list, int index, const char* key, const QJsonValue& v) {
    QJsonArray a = top[list].toArray();
    QJsonObject o = a[index].toObject();
    if (v.isUndefined())
        o.remove(key);
    else
        o[key] = v;
    a[index] = o;
    top[list] = a;
}

QByteArray json(const QJsonObject& o) {
    return QJsonDocument(o).toJson();
}
} // namespace

TEST(ConfigFile, TheExampleLoadsAsDocumented) {
    const ConfigLoad load = parseConfig(exampleBytes());
    ASSERT_TRUE(load.config) << load.refusal->text(true).toStdString();
    const GatewayConfig& c = *load.config;
    EXPECT_EQ(c.device, "QTX40");
    EXPECT_EQ(c.responseTimeMs, 20);
    EXPECT_EQ(c.sensors[2].org, 0x07);
    EXPECT_EQ(c.sensors[2].id, 0x01834C17u);
    EXPECT_TRUE(c.sensors[2].inverted);
    EXPECT_EQ(c.sensors[2].label, "Temperature, cold room 2");
    EXPECT_TRUE(c.sensors[3].empty());
    ASSERT_EQ(c.senders.size(), 8u);
    EXPECT_EQ(c.senders[0].data, (std::array<uint8_t, 4>{0, 0, 0, 80})) << "Data-Byte 0 first";
    EXPECT_EQ(c.senders[0].status, 48);
    EXPECT_EQ(c.savedAtMs, 1796113813000); // 2026-12-01T08:30:13Z
}

TEST(ConfigFile, RefusalsNameTheField) {
    struct Case {
        const char* what;
        std::function<QByteArray()> file;
        const char* english;
        const char* german; // checked where given
    };
    auto edited = [](std::function<void(QJsonObject&)> edit) {
        return [edit] {
            QJsonObject top = example();
            edit(top);
            return json(top);
        };
    };
    auto replaced = [](const char* from, const char* to) {
        return [from, to] { return exampleBytes().replace(from, to); };
    };
    const Case cases[] = {
        // the parser stops at the next key, in the line after
        {"comma missing at the end of line 5",
         replaced("\"responseTimeMs\": 20,", "\"responseTimeMs\": 20"),
         "Not valid JSON in line 6: unterminated object",
         "Kein gültiges JSON in Zeile 6: unterminated object"},
        {"cut off in line 9", [] { return exampleBytes().left(200); },
         "Not valid JSON in line 9: unterminated string", nullptr},
        {"a list", [] { return QByteArray("[1, 2]"); },
         "Not a gateway configuration: the field \"format\" is missing or is not "
         "\"qrx-gateway-configuration\".",
         nullptr},
        {"another format", edited([](auto& t) { t["format"] = "qrx-history"; }),
         "Not a gateway configuration: the field \"format\" is missing or is not "
         "\"qrx-gateway-configuration\".",
         "Keine Gateway-Konfiguration: Das Feld „format“ fehlt oder lautet nicht "
         "„qrx-gateway-configuration“."},
        {"version 2", edited([](auto& t) { t["formatVersion"] = 2; }),
         "\"formatVersion\": format version 2 is unknown; this tool reads version 1.",
         "„formatVersion“: Die Formatversion 2 ist unbekannt; dieses Programm liest Version 1."},
        {"sensor row 32", edited([](auto& t) { setIn(t, "sensors", 3, "row", 32); }),
         "\"sensors[3].row\": row 32 is outside 0..31.",
         "„sensors[3].row“: Die Zeile 32 liegt nicht in 0..31."},
        {"sender row 8", edited([](auto& t) { setIn(t, "senders", 1, "row", 8); }),
         "\"senders[1].row\": row 8 is outside 0..7.", nullptr},
        {"row twice", edited([](auto& t) { setIn(t, "sensors", 4, "row", 3); }),
         "\"sensors[4].row\": row 3 appears twice.", nullptr},
        {"row missing", edited([](auto& t) {
             QJsonArray a = t["sensors"].toArray();
             a.removeAt(7);
             t["sensors"] = a;
         }),
         "\"sensors\": row 7 is missing.", "„sensors“: Die Zeile 7 fehlt."},
        {"ORG 08", edited([](auto& t) { setIn(t, "sensors", 2, "org", "08"); }),
         "\"sensors[2].org\": ORG \"08\" is not 00, 05, 06 or 07.",
         "„sensors[2].org“: Das ORG „08“ ist nicht 00, 05, 06 oder 07."},
        {"ORG 5", edited([](auto& t) { setIn(t, "sensors", 2, "org", "5"); }),
         "\"sensors[2].org\": ORG \"5\" is not 00, 05, 06 or 07.", nullptr},
        {"ORG a number", edited([](auto& t) { setIn(t, "senders", 0, "org", 5); }),
         "\"senders[0].org\": ORG \"5\" is not 00, 05, 06 or 07.", nullptr},
        {"ID of 7 digits", edited([](auto& t) { setIn(t, "sensors", 2, "id", "1834C17"); }),
         "\"sensors[2].id\": ID \"1834C17\" is not 8 hex digits.",
         "„sensors[2].id“: Die ID „1834C17“ besteht nicht aus 8 Hex-Ziffern."},
        {"ID not hex", edited([](auto& t) { setIn(t, "sensors", 2, "id", "01834G17"); }),
         "\"sensors[2].id\": ID \"01834G17\" is not 8 hex digits.", nullptr},
        {"inversion as text",
         edited([](auto& t) { setIn(t, "sensors", 2, "invertDataByte1", "yes"); }),
         "\"sensors[2].invertDataByte1\" must be true or false.", nullptr},
        {"label a number", edited([](auto& t) { setIn(t, "sensors", 0, "label", 5); }),
         "\"sensors[0].label\" must be a text in quotes.", nullptr},
        {"no ID", edited([](auto& t) { setIn(t, "sensors", 9, "id", QJsonValue::Undefined); }),
         "The field \"sensors[9].id\" is missing.", "Das Feld „sensors[9].id“ fehlt."},
        {"no sensors", edited([](auto& t) { t.remove("sensors"); }),
         "The field \"sensors\" is missing.", nullptr},
        {"sensor not an object", edited([](auto& t) {
             QJsonArray a = t["sensors"].toArray();
             a[0] = 3;
             t["sensors"] = a;
         }),
         "\"sensors[0]\" must be an object { … }.", nullptr},
        {"device", edited([](auto& t) { t["device"] = "QTX41"; }),
         "\"device\": device \"QTX41\" is neither QRX40 nor QTX40.", nullptr},
        {"response time", edited([](auto& t) { t["responseTimeMs"] = 70000; }),
         "\"responseTimeMs\": 70000 is not a whole number from 0 to 65535.", nullptr},
        {"response time as text", edited([](auto& t) { t["responseTimeMs"] = "20"; }),
         "\"responseTimeMs\": \"20\" is not a whole number from 0 to 65535.", nullptr},
        {"data byte 256", edited([](auto& t) {
             setIn(t, "senders", 2, "dataBytes", QJsonArray{1, 2, 256, 4});
         }),
         "\"senders[2].dataBytes[2]\": 256 is not a whole number from 0 to 255.",
         "„senders[2].dataBytes[2]“: 256 ist keine ganze Zahl von 0 bis 255."},
        {"three data bytes", edited([](auto& t) {
             setIn(t, "senders", 2, "dataBytes", QJsonArray{1, 2, 3});
         }),
         "\"senders[2].dataBytes\" must be a list [ … ].", nullptr},
        {"status 1.5", edited([](auto& t) { setIn(t, "senders", 2, "status", 1.5); }),
         "\"senders[2].status\": 1.5 is not a whole number from 0 to 255.", nullptr},
        {"time", edited([](auto& t) { t["savedAt"] = "yesterday"; }),
         "\"savedAt\": \"yesterday\" is not a time like 2026-12-01T08:30:00Z.", nullptr},
        {"too large", [] { return QByteArray((1 << 20) + 1, ' '); },
         "The file is larger than 1 MB: not a gateway configuration.", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ConfigLoad load = parseConfig(c.file());
        ASSERT_FALSE(load.config);
        ASSERT_TRUE(load.refusal);
        EXPECT_EQ(load.refusal->text(true).toStdString(), c.english);
        if (c.german) {
            EXPECT_EQ(load.refusal->text(false).toStdString(), c.german);
        }
    }
    EXPECT_EQ(readConfigFile("/nonexistent/a.qrxcfg").refusal->text(true).toStdString(),
              "Cannot read the file /nonexistent/a.qrxcfg: No such file or directory");
}

// Re-saving: the fields of others and the labels of rows that still hold their sensor stay.
TEST(ConfigFile, SavingOverAFileKeepsWhatTheGatewayCannotKnow) {
    QJsonObject top = example();
    top["site"] = "Hall 3";
    setIn(top, "sensors", 1, "installedBy", "KM");
    setIn(top, "senders", 2, "note", "door opener");
    const GatewayConfig earlier = *parseConfig(json(top)).config;

    GatewayImage gateway; // the same gateway, but row 1 holds another sensor now
    gateway.moduleType = kTransceiverModuleType;
    gateway.responseTimeMs = 20;
    for (int row = 0; row < kGatewaySensorSlots; ++row)
        gateway.sensors[row] = SensorSlot{earlier.sensors[row].org, earlier.sensors[row].id};
    gateway.sensors[1].id = 0x0081B221;
    gateway.senders.resize(8);
    GatewayConfig fresh = configFromImage(gateway, 1796113813000);
    keepFromEarlier(fresh, earlier);
    const QJsonObject saved = QJsonDocument::fromJson(configJson(fresh)).object();

    EXPECT_EQ(saved["site"], "Hall 3");
    EXPECT_EQ(saved["toolVersion"], toolVersion());
    EXPECT_FALSE(toolVersion().isEmpty());
    const QJsonArray sensors = saved["sensors"].toArray();
    EXPECT_EQ(sensors[0]["label"], "Rocker switch, entrance");
    EXPECT_EQ(sensors[1]["installedBy"], "KM");
    EXPECT_FALSE(sensors[1].toObject().contains("label")) << "another sensor: its label went";
    EXPECT_EQ(sensors[1]["id"], "0081B221");
    EXPECT_EQ(saved["senders"].toArray()[2].toObject()["note"], "door opener");
    // and it loads again as it was written
    const ConfigLoad again = parseConfig(configJson(fresh));
    ASSERT_TRUE(again.config);
    EXPECT_EQ(configJson(*again.config), configJson(fresh));
}
