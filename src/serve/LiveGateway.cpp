#include "serve/LiveGateway.h"

#include "platform/Timer.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {
QJsonArray bytes(const std::array<uint8_t, 4>& data) {
    return {data[0], data[1], data[2], data[3]};
}
QJsonArray numbers(const std::set<int>& set) {
    QJsonArray a;
    for (int n : set)
        a.append(n);
    return a;
}
bool sameSender(const SenderSlot& a, const SenderSlot& b) {
    return a.org == b.org && a.id == b.id && a.data == b.data && a.status == b.status;
}
} // namespace

LiveGateway::LiveGateway(Clock& clock, ServeView view)
    : clock_(clock)
    , view_(std::move(view)) {}

void LiveGateway::identified(const GatewayImage& gateway) {
    const bool same = identifiedOnce_ && gateway.moduleType == gateway_.moduleType &&
                      gateway.responseTimeMs == gateway_.responseTimeMs;
    gateway_.moduleType = gateway.moduleType;
    gateway_.responseTimeMs = gateway.responseTimeMs;
    identifiedOnce_ = true;
    gatewayChanged_ = gatewayChanged_ || !same;
}

void LiveGateway::availability(bool online, const QString& reason) {
    online_ = online;
    offlineReason_ = reason;
    gatewayChanged_ = true;
}

void LiveGateway::slotRead(int row, const SensorSlot& slot) {
    Row& r = rows_[size_t(row)];
    if (r.slot) {
        const SensorSlot& was = *r.slot;
        const bool sameSensor = was.org == slot.org && was.id == slot.id;
        if (sameSensor && was.time == slot.time && was.data == slot.data &&
            was.inverted == slot.inverted)
            return;
        if (!sameSensor) // another sensor, or none: its telegrams are not the old one's
            r.lastTelegramWallMs.reset();
        else if (was.time != slot.time && slot.learned()) {
            r.lastTelegramWallMs = clock_.wallMs();
            telegramRows_.insert(row);
        }
    }
    r.slot = slot;
    changedRows_.insert(row);
}

void LiveGateway::senderRead(int row, const SenderSlot& slot) {
    std::optional<SenderSlot>& s = senders_[size_t(row)];
    if (s && sameSender(*s, slot))
        return;
    s = slot;
    changedSenders_.insert(row);
}

void LiveGateway::setOperation(const QJsonObject& operation) {
    operation_ = operation;
    operationChanged_ = true;
}

SensorSlot LiveGateway::slot(int row) const {
    return rows_[size_t(row)].slot.value_or(SensorSlot{});
}

QJsonObject LiveGateway::gatewayJson() const {
    QJsonObject o{
        {"port", view_.port}, {"address", view_.address}, {"line", view_.line},
        {"online", online_},  {"reason", offlineReason_},
    };
    if (identifiedOnce_) {
        o["device"] = gateway_.deviceText();
        o["responseTimeMs"] = gateway_.responseTimeMs;
    }
    return o;
}

QJsonObject LiveGateway::rowJson(int row) const {
    const Row& r = rows_[size_t(row)];
    const QString& label = view_.labels[size_t(row)];
    QJsonObject o{{"row", row}, {"label", label.isEmpty() ? QJsonValue() : QJsonValue(label)}};
    if (!r.slot)
        return o; // not read yet
    const SensorSlot& s = *r.slot;
    o["learned"] = s.learned();
    o["id"] = s.idText();
    o["org"] = s.orgText();
    o["data"] = bytes(s.data);
    if (view_.scale) {
        QJsonArray scaled;
        for (size_t k = 0; k < 4; ++k)
            scaled.append(scaledJsonValue(s.data[k], (*view_.scale)[k]));
        o["scaled"] = scaled;
    }
    o["time"] = s.time;
    o["inverted"] = s.inverted;
    // an age, not a time of day: the phone's clock need not agree with ours
    o["telegramAgoMs"] = r.lastTelegramWallMs
                             ? QJsonValue(double(clock_.wallMs() - *r.lastTelegramWallMs))
                             : QJsonValue();
    return o;
}

QJsonObject LiveGateway::senderJson(int row) const {
    const SenderSlot s = senders_[size_t(row)].value_or(SenderSlot{});
    return {{"row", row},
            {"org", s.org},
            {"id", s.idText()},
            {"data", bytes(s.data)},
            {"status", s.status}};
}

QJsonObject LiveGateway::whole() const {
    QJsonArray rows, senders;
    for (int row = 0; row < kGatewaySensorSlots; ++row)
        rows.append(rowJson(row));
    for (int row = 0; row < kGatewaySenderSlots && transceiver(); ++row)
        senders.append(senderJson(row));
    return {{"type", "state"},
            {"gateway", gatewayJson()},
            {"rows", rows},
            {"senders", senders},
            {"operation", operation_.isEmpty() ? QJsonValue() : QJsonValue(operation_)},
            {"readOnly", view_.readOnly}};
}

bool LiveGateway::hasChanges() const {
    return gatewayChanged_ || operationChanged_ || !changedRows_.empty() ||
           !changedSenders_.empty();
}

QByteArray LiveGateway::takeChanges() {
    if (!hasChanges())
        return {};
    QJsonObject o{{"type", "change"}};
    if (gatewayChanged_)
        o["gateway"] = gatewayJson();
    if (!changedRows_.empty()) {
        QJsonArray rows;
        for (int row : changedRows_)
            rows.append(rowJson(row));
        o["rows"] = rows;
    }
    if (!telegramRows_.empty())
        o["telegrams"] = numbers(telegramRows_);
    if (!changedSenders_.empty() && transceiver()) {
        QJsonArray senders;
        for (int row : changedSenders_)
            senders.append(senderJson(row));
        o["senders"] = senders;
    }
    if (operationChanged_)
        o["operation"] = operation_.isEmpty() ? QJsonValue() : QJsonValue(operation_);
    gatewayChanged_ = operationChanged_ = false;
    changedRows_.clear();
    telegramRows_.clear();
    changedSenders_.clear();
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}
