#include "backup/ConfigFile.h"

#include "link/Hex.h"
#include "platform/AtomicFile.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <cmath>

#ifndef QRX_TOOL_VERSION
#define QRX_TOOL_VERSION "0"
#endif

namespace {
// A configuration is about 8 KB; anything near a megabyte is something else.
constexpr qint64 kMaxFileBytes = 1 << 20;

const QStringList kTopFields = {"format",  "formatVersion", "device",  "responseTimeMs",
                                "savedAt", "toolVersion",   "sensors", "senders"};
const QStringList kSensorFields = {"row", "org", "id", "invertDataByte1", "label"};
const QStringList kSenderFields = {"row", "org", "dataBytes", "status"};

QJsonObject unknownFields(QJsonObject o, const QStringList& known) {
    for (const QString& key : known)
        o.remove(key);
    return o;
}

QString timeText(int64_t wallMs) {
    return QDateTime::fromMSecsSinceEpoch(wallMs, Qt::UTC).toString(Qt::ISODate);
}

// ---- reading: the first fault found is thrown, and caught once in parseConfig

struct Refused {
    ConfigRefusal refusal;
};

ConfigRefusal refusal(RefusalKind kind, const QString& field = {}, const QString& value = {},
                      int limit = 0, int line = 0) {
    return ConfigRefusal{kind, field, value, limit, line};
}

[[noreturn]] void refuse(RefusalKind kind, const QString& field, const QString& value = {},
                         int limit = 0) {
    throw Refused{refusal(kind, field, value, limit)};
}

// A value as the file writes it, for messages: texts in quotes, numbers as they are.
QString shown(const QJsonValue& v) {
    if (v.isString())
        return "\"" + v.toString() + "\"";
    if (v.isDouble())
        return QString::number(v.toDouble(), 'g', 17);
    if (v.isBool())
        return v.toBool() ? "true" : "false";
    if (v.isNull())
        return "null";
    const QJsonDocument doc =
        v.isArray() ? QJsonDocument(v.toArray()) : QJsonDocument(v.toObject());
    return doc.toJson(QJsonDocument::Compact);
}

QJsonValue need(const QJsonObject& o, const QString& key, const QString& field) {
    if (!o.contains(key))
        refuse(RefusalKind::Missing, field);
    return o.value(key);
}

int wholeNumber(const QJsonValue& v, const QString& field, int limit) {
    const double d = v.toDouble(-1);
    if (!v.isDouble() || d < 0 || d > limit || std::floor(d) != d)
        refuse(RefusalKind::NotInRange, field, shown(v), limit);
    return int(d);
}

QString text(const QJsonValue& v, const QString& field) {
    if (!v.isString())
        refuse(RefusalKind::NotText, field);
    return v.toString();
}

int row(const QJsonObject& o, const QString& path, int last) {
    const QString field = path + ".row";
    const QJsonValue v = need(o, "row", field);
    const double d = v.toDouble(-1);
    if (v.isDouble() && std::floor(d) == d && (d < 0 || d > last))
        refuse(RefusalKind::RowOutOfRange, field, shown(v), last);
    return wholeNumber(v, field, last);
}

// Two hex digits: 00 (an empty slot), 05, 06 or 07.
uint8_t org(const QJsonObject& o, const QString& path) {
    const QJsonValue v = need(o, "org", path + ".org");
    const auto value = parseSensorOrg(v.toString(), true);
    if (!v.isString() || v.toString().size() != 2 || !value)
        refuse(RefusalKind::BadOrg, path + ".org", v.isString() ? v.toString() : shown(v));
    return *value;
}

SensorEntry sensorEntry(const QJsonObject& o, const QString& path) {
    SensorEntry e;
    e.org = org(o, path);
    const QJsonValue id = need(o, "id", path + ".id");
    const auto value = parseSensorId(id.toString());
    if (!id.isString() || !value)
        refuse(RefusalKind::BadId, path + ".id", id.isString() ? id.toString() : shown(id));
    e.id = *value;
    const QJsonValue inverted = need(o, "invertDataByte1", path + ".invertDataByte1");
    if (!inverted.isBool())
        refuse(RefusalKind::NotAFlag, path + ".invertDataByte1");
    e.inverted = inverted.toBool();
    if (o.contains("label"))
        e.label = text(o.value("label"), path + ".label");
    e.kept = unknownFields(o, kSensorFields);
    return e;
}

SenderEntry senderEntry(const QJsonObject& o, const QString& path) {
    SenderEntry e;
    e.org = org(o, path);
    const QJsonValue data = need(o, "dataBytes", path + ".dataBytes");
    if (!data.isArray() || data.toArray().size() != 4)
        refuse(RefusalKind::NotAList, path + ".dataBytes");
    for (int k = 0; k < 4; ++k)
        e.data[k] = uint8_t(
            wholeNumber(data.toArray()[k], QString("%1.dataBytes[%2]").arg(path).arg(k), 255));
    e.status = uint8_t(wholeNumber(need(o, "status", path + ".status"), path + ".status", 255));
    e.kept = unknownFields(o, kSenderFields);
    return e;
}

// Every row 0..count-1 exactly once, in any order.
template <class Entry, class Parse>
std::vector<Entry> rows(const QJsonValue& list, const QString& name, int count, Parse parse) {
    if (!list.isArray())
        refuse(RefusalKind::NotAList, name);
    std::vector<Entry> entries(count);
    std::vector<bool> seen(count, false);
    const QJsonArray a = list.toArray();
    for (qsizetype i = 0; i < a.size(); ++i) {
        const QString path = QString("%1[%2]").arg(name).arg(i);
        if (!a[i].isObject())
            refuse(RefusalKind::NotAnObject, path);
        const QJsonObject o = a[i].toObject();
        const int r = row(o, path, count - 1);
        if (seen[r])
            refuse(RefusalKind::RowTwice, path + ".row", QString::number(r));
        seen[r] = true;
        entries[r] = parse(o, path);
    }
    for (int r = 0; r < count; ++r)
        if (!seen[r])
            refuse(RefusalKind::RowMissing, name, QString::number(r));
    return entries;
}

GatewayConfig configFromJson(const QJsonObject& top) {
    GatewayConfig c;
    if (top.value("format").toString() != kConfigFormatName)
        refuse(RefusalKind::NotThisFormat, "format", kConfigFormatName);
    const QJsonValue version = need(top, "formatVersion", "formatVersion");
    if (version.toDouble(-1) != kConfigFormatVersion)
        refuse(RefusalKind::UnknownVersion, "formatVersion", shown(version), kConfigFormatVersion);
    c.device = text(need(top, "device", "device"), "device");
    if (c.device != "QRX40" && c.device != "QTX40")
        refuse(RefusalKind::BadDevice, "device", c.device);
    c.responseTimeMs = uint16_t(
        wholeNumber(need(top, "responseTimeMs", "responseTimeMs"), "responseTimeMs", 65535));
    if (top.contains("savedAt")) {
        const QString at = text(top.value("savedAt"), "savedAt");
        const QDateTime t = QDateTime::fromString(at, Qt::ISODate);
        if (!t.isValid())
            refuse(RefusalKind::BadTime, "savedAt", at);
        c.savedAtMs = t.toMSecsSinceEpoch();
    }
    if (top.contains("toolVersion"))
        c.toolVersion = text(top.value("toolVersion"), "toolVersion");
    const auto sensors = rows<SensorEntry>(need(top, "sensors", "sensors"), "sensors",
                                           kGatewaySensorSlots, sensorEntry);
    std::copy(sensors.begin(), sensors.end(), c.sensors.begin());
    // a receiver's file has no sender slots
    const QJsonValue senders = top.value("senders");
    if (!senders.isUndefined() && !(senders.isArray() && senders.toArray().isEmpty()))
        c.senders = rows<SenderEntry>(senders, "senders", kGatewaySenderSlots, senderEntry);
    c.kept = unknownFields(top, kTopFields);
    return c;
}

int lineAt(const QByteArray& bytes, int offset) {
    return 1 + int(bytes.left(offset).count('\n'));
}
} // namespace

ConfigLoad parseConfig(const QByteArray& bytes) {
    if (bytes.size() > kMaxFileBytes)
        return {std::nullopt, refusal(RefusalKind::TooLarge)};
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return {std::nullopt, refusal(RefusalKind::NotJson, {}, error.errorString(), 0,
                                      lineAt(bytes, error.offset))};
    if (!doc.isObject())
        return {std::nullopt, refusal(RefusalKind::NotThisFormat, "format", kConfigFormatName)};
    try {
        return {configFromJson(doc.object()), std::nullopt};
    } catch (const Refused& r) {
        return {std::nullopt, r.refusal};
    }
}

ConfigLoad readConfigFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, refusal(RefusalKind::Unreadable, path, file.errorString())};
    // never more than the limit and one byte: enough to tell that it is too large
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFile::NoError)
        return {std::nullopt, refusal(RefusalKind::Unreadable, path, file.errorString())};
    return parseConfig(bytes);
}

// ---- writing

QByteArray configJson(const GatewayConfig& c) {
    QJsonObject top = c.kept;
    top["format"] = kConfigFormatName;
    top["formatVersion"] = kConfigFormatVersion;
    top["device"] = c.device;
    top["responseTimeMs"] = c.responseTimeMs;
    top["savedAt"] = timeText(c.savedAtMs);
    top["toolVersion"] = c.toolVersion;
    QJsonArray sensors;
    for (int r = 0; r < kGatewaySensorSlots; ++r) {
        const SensorEntry& e = c.sensors[r];
        QJsonObject o = e.kept;
        o["row"] = r;
        o["org"] = LongToHexStr(e.org, 1);
        o["id"] = LongToHexStr(int32_t(e.id), 4);
        o["invertDataByte1"] = e.inverted;
        if (!e.label.isEmpty())
            o["label"] = e.label;
        sensors.append(o);
    }
    top["sensors"] = sensors;
    QJsonArray senders;
    for (int r = 0; r < int(c.senders.size()); ++r) {
        const SenderEntry& e = c.senders[r];
        QJsonObject o = e.kept;
        o["row"] = r;
        o["org"] = LongToHexStr(e.org, 1);
        o["dataBytes"] = QJsonArray{e.data[0], e.data[1], e.data[2], e.data[3]};
        o["status"] = e.status;
        senders.append(o);
    }
    top["senders"] = senders;
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

std::optional<QString> writeConfigFile(const QString& path, const GatewayConfig& config) {
    return writeFileAtomically(path, configJson(config));
}

GatewayConfig configFromImage(const GatewayImage& image, int64_t savedAtMs) {
    GatewayConfig c;
    c.device = image.deviceText();
    c.responseTimeMs = image.responseTimeMs;
    for (int r = 0; r < kGatewaySensorSlots; ++r) {
        const SensorSlot& s = image.sensors[r];
        c.sensors[r] = SensorEntry{s.org, s.id, s.inverted, {}, {}};
    }
    for (const SenderSlot& s : image.senders)
        c.senders.push_back(SenderEntry{s.org, s.data, s.status, {}});
    c.savedAtMs = savedAtMs;
    c.toolVersion = toolVersion();
    return c;
}

void keepFromEarlier(GatewayConfig& fresh, const GatewayConfig& earlier) {
    fresh.kept = earlier.kept;
    for (int r = 0; r < kGatewaySensorSlots; ++r) {
        SensorEntry& now = fresh.sensors[r];
        const SensorEntry& before = earlier.sensors[r];
        now.kept = before.kept;
        if (!now.empty() && now.id == before.id && now.org == before.org)
            now.label = before.label;
    }
    for (size_t r = 0; r < fresh.senders.size() && r < earlier.senders.size(); ++r)
        fresh.senders[r].kept = earlier.senders[r].kept;
}

QString toolVersion() {
    return QStringLiteral(QRX_TOOL_VERSION);
}
