#include "gateway/GatewayClient.h"

#include "gateway/GatewayRequests.h"
#include "link/Link.h"

namespace R = GatewayRequests;

namespace {
QString rowStep(const char* what, int row) {
    return QString("%1 row %2").arg(what).arg(row);
}
bool validSensorRow(int row) {
    return row >= 0 && row < kGatewaySensorSlots;
}
bool validSenderRow(int row) {
    return row >= 0 && row < kGatewaySenderSlots;
}
// A write is answered with an echo of its first bytes: address, function, start, quantity.
// The value of a one-register read into target.
std::function<bool(const QByteArray&, QString&)> takeRegister(uint16_t& target, const char* read) {
    return [&target, read](const QByteArray& a, QString& why) {
        const auto v = registerFromAnswer(a);
        if (!v)
            why = QString("not an answer to %1").arg(read);
        target = v.value_or(target);
        return v.has_value();
    };
}
bool echoes(const QByteArray& request, const QByteArray& answer, QString& why) {
    if (answer.size() >= 6 && answer.left(6) == request.left(6))
        return true;
    why = "the gateway did not confirm the write";
    return false;
}
} // namespace

QString StepFailure::text(bool english) const {
    const QString meanwhile = lineMeanwhileText(strayBytes, english);
    return step + ": " + reason + (meanwhile.isEmpty() ? QString() : "; " + meanwhile);
}

GatewayClient::GatewayClient(Link& link, uint8_t address, ExchangeOptions options)
    : link_(link)
    , address_(address)
    , options_(options) {}

void GatewayClient::begin(OperationDone done) {
    done_ = std::move(done);
}

void GatewayClient::finish(const std::optional<StepFailure>& failure) {
    OperationDone done = std::exchange(done_, nullptr);
    if (done)
        done(failure);
}

void GatewayClient::cancel() {
    if (link_.exchangeRunning())
        link_.cancelExchange(); // the exchange's done finishes the operation
    else if (done_)
        finish(StepFailure{"", "cancelled", ExchangeOutcome::Cancelled});
}

void GatewayClient::ask(const QString& step, const QByteArray& request, Take take,
                        std::function<void()> then, std::function<void()> unanswered) {
    link_.exchange(request, options_, [=, this](const ExchangeResult& r) {
        if (r.outcome == ExchangeOutcome::TimedOut && unanswered)
            return unanswered();
        if (!r.ok()) {
            finish(StepFailure{step, describeOutcome(r), r.outcome, r.strayBytes});
            return;
        }
        QString why;
        if (take && !take(r.answer, why)) {
            finish(StepFailure{step, why});
            return;
        }
        then();
    });
}

void GatewayClient::identify(OperationDone done) {
    begin(std::move(done));
    receiverByFallback_ = false;
    auto readResponseTime = [this] {
        ask("read response time", R::readResponseTime(address_),
            takeRegister(image.responseTimeMs, "the response-time read"),
            [this] { finish(std::nullopt); });
    };
    // a gateway that answers nothing at all fails at the response-time read
    auto takeAsReceiver = [this, readResponseTime] {
        receiverByFallback_ = true;
        image.moduleType = 0;
        readResponseTime();
    };
    ask("identify", R::identify(address_), takeRegister(image.moduleType, "the identification"),
        readResponseTime, receiverFallback_ ? std::function<void()>(takeAsReceiver) : nullptr);
}

void GatewayClient::readAll(std::function<void(int, int)> progress, OperationDone done) {
    OperationDone whole = std::move(done);
    identify([this, progress, whole](const std::optional<StepFailure>& failure) {
        if (failure) {
            begin(whole);
            finish(failure);
            return;
        }
        readTables(progress, whole);
    });
}

void GatewayClient::readTables(std::function<void(int, int)> progress, OperationDone done) {
    begin(std::move(done));
    image.senders.assign(image.transceiver() ? kGatewaySenderSlots : 0, SenderSlot{});
    readNext(0, progress);
}

// Steps after the identification: 0 the inversion flags, 1..32 the sensor slots, 33..40 the
// sender slots of the transceiver.
void GatewayClient::readNext(int index, std::function<void(int, int)> progress) {
    const int total = 3 + kGatewaySensorSlots + int(image.senders.size());
    if (progress)
        progress(2 + index, total);
    auto next = [this, index, progress] { readNext(index + 1, progress); };
    if (index == 0) {
        readFlagsThen(next);
    } else if (index <= kGatewaySensorSlots) {
        readSlotThen(index - 1, next);
    } else if (index - kGatewaySensorSlots <= int(image.senders.size())) {
        readSenderThen(index - kGatewaySensorSlots - 1, next);
    } else {
        finish(std::nullopt);
    }
}

void GatewayClient::readFlagsThen(std::function<void()> then) {
    ask(
        "read inversion flags", R::readInversionFlags(address_),
        [this](const QByteArray& a, QString& why) {
            const auto flags = inversionFlagsFromAnswer(a);
            if (!flags) {
                why = "not an answer to the coil read";
                return false;
            }
            for (int row = 0; row < kGatewaySensorSlots; ++row)
                image.sensors[row].inverted = (*flags)[row];
            return true;
        },
        std::move(then));
}

void GatewayClient::readInversionFlags(OperationDone done) {
    begin(std::move(done));
    readFlagsThen([this] { finish(std::nullopt); });
}

void GatewayClient::readSlotThen(int row, std::function<void()> then) {
    ask(
        rowStep("read sensor", row), R::readSensorSlot(address_, row),
        [this, row](const QByteArray& a, QString& why) {
            const auto slot = sensorSlotFromAnswer(a);
            if (!slot) {
                why = "not an answer to the block read";
                return false;
            }
            const bool inverted = image.sensors[row].inverted;
            image.sensors[row] = *slot;
            image.sensors[row].inverted = inverted;
            return true;
        },
        std::move(then));
}

void GatewayClient::readSenderThen(int row, std::function<void()> then) {
    ask(
        rowStep("read sender", row), R::readSenderSlot(address_, row),
        [this, row](const QByteArray& a, QString& why) {
            const auto slot = senderSlotFromAnswer(a);
            if (!slot) {
                why = "not an answer to the block read";
                return false;
            }
            if (int(image.senders.size()) <= row)
                image.senders.resize(row + 1);
            image.senders[row] = *slot;
            return true;
        },
        std::move(then));
}

void GatewayClient::readSensorSlot(int row, OperationDone done) {
    begin(std::move(done));
    if (!validSensorRow(row))
        return finish(StepFailure{rowStep("read sensor", row), "no such row"});
    readSlotThen(row, [this] { finish(std::nullopt); });
}

void GatewayClient::readSenderSlot(int row, OperationDone done) {
    begin(std::move(done));
    if (!validSenderRow(row))
        return finish(StepFailure{rowStep("read sender", row), "no such row"});
    readSenderThen(row, [this] { finish(std::nullopt); });
}

void GatewayClient::writeSensorEntry(int row, uint8_t org, uint32_t id, OperationDone done) {
    begin(std::move(done));
    if (!validSensorRow(row))
        return finish(StepFailure{rowStep("write sensor", row), "no such row"});
    const QByteArray rq = R::writeSensorEntry(address_, row, org, id);
    ask(
        rowStep("write sensor", row), rq,
        [rq](const QByteArray& a, QString& why) { return echoes(rq, a, why); },
        [this, row, org, id] {
            readSlotThen(row, [this, row, org, id] {
                const SensorSlot& s = image.sensors[row];
                if (s.org == org && s.id == id)
                    return finish(std::nullopt);
                finish(StepFailure{rowStep("read back sensor", row),
                                   QString("holds ORG %1 ID %2").arg(s.orgText(), s.idText())});
            });
        });
}

void GatewayClient::setInversion(int row, bool on, OperationDone done) {
    begin(std::move(done));
    if (!validSensorRow(row))
        return finish(StepFailure{rowStep("inversion", row), "no such row"});
    const QByteArray rq = R::setInversion(address_, row, on);
    ask(
        rowStep("inversion", row), rq,
        [rq](const QByteArray& a, QString& why) { return echoes(rq, a, why); },
        [this, row, on] {
            ask(
                rowStep("read back inversion", row), R::readInversionFlag(address_, row),
                [this, row, on](const QByteArray& a, QString& why) {
                    const auto flag = coilFromAnswer(a);
                    if (!flag)
                        why = "not an answer to the coil read";
                    else if (*flag != on)
                        why = QString("the flag reads %1").arg(*flag ? "on" : "off");
                    else
                        image.sensors[row].inverted = on;
                    return flag && *flag == on;
                },
                [this] { finish(std::nullopt); });
        });
}

void GatewayClient::setResponseTime(uint16_t ms, OperationDone done) {
    begin(std::move(done));
    const QByteArray rq = R::setResponseTime(address_, ms);
    ask(
        "write response time", rq,
        [rq](const QByteArray& a, QString& why) { return echoes(rq, a, why); },
        [this, ms] {
            ask(
                "read back response time", R::readResponseTime(address_),
                [this, ms](const QByteArray& a, QString& why) {
                    const auto v = registerFromAnswer(a);
                    if (!v)
                        why = "not an answer to the response-time read";
                    else if (*v != ms)
                        why = QString("the gateway holds %1 ms").arg(*v);
                    else
                        image.responseTimeMs = ms;
                    return v && *v == ms;
                },
                [this] { finish(std::nullopt); });
        });
}

void GatewayClient::writeSenderRow(int row, const SenderSlot& slot, OperationDone done) {
    begin(std::move(done));
    const QByteArray rq = R::writeSenderRow(address_, row, slot.org, slot.data, slot.status);
    if (!validSenderRow(row) || rq.isEmpty())
        return finish(StepFailure{rowStep("write sender", row), "no such row or ORG"});
    ask(
        rowStep("write sender", row), rq,
        [rq](const QByteArray& a, QString& why) { return echoes(rq, a, why); },
        [this, row, slot] {
            readSenderThen(row, [this, row, slot] {
                const SenderSlot& s = image.senders[row];
                if (s.org == slot.org && s.data == slot.data && s.status == slot.status)
                    return finish(std::nullopt);
                finish(StepFailure{rowStep("read back sender", row),
                                   "the gateway holds other values"});
            });
        });
}

void GatewayClient::setLearnMode(int row, bool on, OperationDone done) {
    begin(std::move(done));
    if (!validSensorRow(row))
        return finish(StepFailure{rowStep("learn mode", row), "no such row"});
    const QByteArray rq = R::learnMode(address_, row, on);
    ask(
        rowStep("learn mode", row), rq,
        [rq](const QByteArray& a, QString& why) { return echoes(rq, a, why); },
        [this] { finish(std::nullopt); });
}

void GatewayClient::transmit(int row, OperationDone done) {
    begin(std::move(done));
    if (!validSenderRow(row))
        return finish(StepFailure{rowStep("transmit sender", row), "no such row"});
    const QByteArray rq = R::transmit(address_, row);
    ask(
        rowStep("transmit sender", row), rq,
        [rq](const QByteArray& a, QString& why) { return echoes(rq, a, why); },
        [this] { finish(std::nullopt); });
}
