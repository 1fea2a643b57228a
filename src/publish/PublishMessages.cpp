#include "publish/PublishMessages.h"

#include "platform/UtcTime.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
QByteArray compact(const QJsonObject& o) {
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QJsonValue labelJson(const PublishSettings& s, int row) {
    return s.labels[row].isEmpty() ? QJsonValue() : QJsonValue(s.labels[row]);
}
} // namespace

QByteArray gatewayPayload(const GatewayImage& gateway, const PublishSettings& s) {
    return compact({
        {"device", gateway.deviceText()},
        {"module_type", QString("0x%1").arg(gateway.moduleType, 4, 16, QChar('0'))},
        {"response_time", gateway.responseTimeMs},
        {"port", s.port},
        {"address", s.address},
        {"line", s.line},
        {"tool", "qrx-cli " + s.toolVersion},
    });
}

QByteArray statePayload(int row, const SensorSlot& slot, std::optional<int64_t> lastTelegramWallMs,
                        const PublishSettings& s) {
    QJsonObject o{
        {"row", row},
        {"id", slot.idText()},
        {"org", slot.orgText()},
        {"label", labelJson(s, row)},
        {"data", QJsonArray{slot.data[0], slot.data[1], slot.data[2], slot.data[3]}},
        {"time", slot.time},
        {"last_telegram", lastTelegramWallMs
                              ? QJsonValue(QString::fromLatin1(utcTimeText(*lastTelegramWallMs)))
                              : QJsonValue()},
    };
    if (s.scale) {
        QJsonArray scaled;
        for (int k = 0; k < 4; ++k)
            scaled.append(scaledJsonValue(slot.data[k], (*s.scale)[k]));
        o["scaled"] = scaled;
    }
    return compact(o);
}

QString discoveryUniqueId(const PublishSettings& s, int row, const SensorSlot& slot, int k) {
    // the sensor's ID in it: another sensor learned into the row is another entity
    return QString("qrx_%1_%2_%3_%4").arg(s.name).arg(row).arg(slot.idText()).arg(k);
}

QByteArray discoveryTopic(const QString& uniqueId) {
    return "homeassistant/sensor/" + uniqueId.toUtf8() + "/config";
}

QByteArray discoveryPayload(const PublishSettings& s, const GatewayImage& gateway, int row,
                            const SensorSlot& slot, int k) {
    const PublishTopics topics(s);
    const QString sensorName =
        s.labels[row].isEmpty() ? QString("Row %1 %2").arg(row).arg(slot.idText()) : s.labels[row];
    QJsonObject o{
        {"name", QString("%1 Data-Byte %2").arg(sensorName).arg(k)},
        {"unique_id", discoveryUniqueId(s, row, slot, k)},
        {"state_topic", QString::fromUtf8(topics.state(row))},
        {"value_template",
         QString("{{ value_json.%1[%2] }}").arg(s.scale ? "scaled" : "data").arg(k)},
        {"json_attributes_topic", QString::fromUtf8(topics.state(row))},
        {"availability_topic", QString::fromUtf8(topics.status())},
        {"device",
         QJsonObject{
             {"identifiers", QJsonArray{"qrx_" + s.name}},
             {"manufacturer", "Korvalund"},
             {"model", gateway.deviceText()},
             {"name", s.name},
         }},
    };
    if (s.expireAfterS > 0)
        o["expire_after"] = s.expireAfterS;
    return compact(o);
}
