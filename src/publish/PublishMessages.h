#pragma once
// What the publisher sends: its topics and the JSON of each message. Plain functions of the
// gateway image and the settings, so that the documentation's examples are tested as they stand.
//   PREFIX/NAME/status                 online | offline (retained; the last will is offline)
//   PREFIX/NAME/gateway                device, response time, line, tool (retained)
//   PREFIX/NAME/sensor/ROW/state       a learned sensor's slot (retained, on every change)
//   PREFIX/NAME/sensor/ROW/telegram    the same, once per new telegram (not retained)
//   homeassistant/sensor/UID/config    Home Assistant discovery, one entity per data byte

#include "gateway/GatewayImage.h"
#include "sensors/Scaling.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

struct PublishSettings {
    QString prefix = "qrx";
    QString name; // the gateway's name in the topics (letters, digits, '-', '_')
    bool discovery = true;
    int expireAfterS = 86400; // Home Assistant's expire_after; 0 leaves it out
    // When set, the states carry "scaled" beside the raw "data".
    std::optional<std::array<ScaleRange, 4>> scale{};
    std::array<QString, kGatewaySensorSlots> labels{}; // from the site file; empty: none
    int intervalMs = 1000;                             // from the end of a pass to the next
    int fullEvery = 30; // every this many passes the whole table, else the learned slots
    // for the gateway message
    QString port{};
    int address = 1;
    QString line{};        // "ASCII 9600 even"
    QString toolVersion{}; // "1.0.0"
};

class PublishTopics {
public:
    explicit PublishTopics(const PublishSettings& s)
        : base_((s.prefix + '/' + s.name).toUtf8()) {}
    QByteArray status() const { return base_ + "/status"; }
    QByteArray gateway() const { return base_ + "/gateway"; }
    QByteArray state(int row) const { return sensor(row) + "/state"; }
    QByteArray telegram(int row) const { return sensor(row) + "/telegram"; }

private:
    QByteArray sensor(int row) const { return base_ + "/sensor/" + QByteArray::number(row); }
    QByteArray base_;
};

// {"address":1,"device":"QTX40","line":"ASCII 9600 even","module_type":"0x0041","port":...,
//  "response_time":20,"tool":"qrx-cli 1.0.0"}
QByteArray gatewayPayload(const GatewayImage& gateway, const PublishSettings& s);
// {"data":[68,51,34,17],"id":"01834C17","label":null,"last_telegram":"2026-...Z","org":"07",
//  "row":2,"time":4660} and "scaled":[...] with --scale. lastTelegramWallMs: when the publisher
// saw the time value change (null before it has).
QByteArray statePayload(int row, const SensorSlot& slot, std::optional<int64_t> lastTelegramWallMs,
                        const PublishSettings& s);

// Home Assistant discovery of data byte k of the sensor in a row: its unique_id (also the
// object id in the topic), the topic, and the entity's configuration.
QString discoveryUniqueId(const PublishSettings& s, int row, const SensorSlot& slot, int k);
QByteArray discoveryTopic(const QString& uniqueId);
QByteArray discoveryPayload(const PublishSettings& s, const GatewayImage& gateway, int row,
                            const SensorSlot& slot, int k);
