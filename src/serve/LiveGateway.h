#pragma once
// What the page shows, as the reading and the writes find it: the gateway (device, address,
// line, response time, online), the 32 sensor rows (label, ID, ORG, data bytes raw and scaled,
// time value, inversion, how long since the last telegram) and the transceiver's sender rows,
// and the write underway. It keeps the change set since it was last taken: the rows, sender rows
// and gateway facts that differ, and the rows whose telegram arrived (the page flashes them), so
// that the page is sent only what changed.
//   {"type":"state","gateway":{...},"rows":[32 x row],"senders":[...],"operation":{...}|null,
//    "readOnly":false}
//   {"type":"change","gateway":{...}?,"rows":[changed rows]?,"telegrams":[2,9]?,
//    "senders":[...]?,"operation":{...}|null?}
//   row: {"row":2,"label":"3.12 window"|null,"learned":true,"id":"01834C17","org":"07",
//         "data":[68,51,34,17],"scaled":[...]?,"time":4660,"inverted":false,"telegramAgoMs":1200|null}

#include "gateway/GatewayImage.h"
#include "sensors/Scaling.h"

#include <QJsonObject>
#include <array>
#include <optional>
#include <set>

class Clock;

// What the page shows beside the gateway's own data.
struct ServeView {
    QString port;
    int address = 1;
    QString line; // "ASCII 9600 even"
    std::array<QString, kGatewaySensorSlots> labels{};
    std::optional<std::array<ScaleRange, 4>> scale{};
    bool readOnly = false;
};

class LiveGateway {
public:
    LiveGateway(Clock& clock, ServeView view);

    void identified(const GatewayImage& gateway);
    void availability(bool online, const QString& reason);
    // A new time value of the same sensor is a telegram; the first reading of a row is none.
    void slotRead(int row, const SensorSlot& slot);
    void senderRead(int row, const SenderSlot& slot);
    // The write underway or just ended (null: none).
    void setOperation(const QJsonObject& operation);

    const ServeView& view() const { return view_; }
    bool transceiver() const { return gateway_.transceiver(); }
    // The row as last read (empty before the first reading).
    SensorSlot slot(int row) const;
    QJsonObject whole() const;
    bool hasChanges() const;
    // The change message, and an empty change set after it; empty when nothing changed.
    QByteArray takeChanges();

private:
    struct Row {
        std::optional<SensorSlot> slot;
        std::optional<int64_t> lastTelegramWallMs;
    };
    QJsonObject gatewayJson() const;
    QJsonObject rowJson(int row) const;
    QJsonObject senderJson(int row) const;

    Clock& clock_;
    ServeView view_;
    GatewayImage gateway_;
    bool identifiedOnce_ = false;
    bool online_ = false;
    QString offlineReason_;
    std::array<Row, kGatewaySensorSlots> rows_{};
    std::array<std::optional<SenderSlot>, kGatewaySenderSlots> senders_{};
    QJsonObject operation_;
    // the change set
    bool gatewayChanged_ = false;
    bool operationChanged_ = false;
    std::set<int> changedRows_, telegramRows_, changedSenders_;
};
