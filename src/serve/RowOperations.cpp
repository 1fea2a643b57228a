#include "serve/RowOperations.h"

#include "gateway/GatewayReader.h"
#include "platform/Timer.h"
#include "serve/LiveGateway.h"

namespace {
constexpr int kSlotWatchMs = 300; // as the window's slot watch

bool sensorRow(int row) {
    return row >= 0 && row < kGatewaySensorSlots;
}
WriteResult badValue(const QString& message) {
    return {WriteOutcome::BadValue, message};
}
QString sensorText(const SensorSlot& s) {
    return QString("%1, ORG %2").arg(s.idText(), s.orgText());
}
} // namespace

RowOperations::RowOperations(Clock& clock, GatewayClient& client, GatewayReader& reader,
                             LiveGateway& live)
    : clock_(clock)
    , client_(client)
    , reader_(reader)
    , live_(live)
    , watch_(clock.createTimer("learn slot watch", kSlotWatchMs)) {
    watch_->setTickHandler([this] {
        watch_->setEnabled(false);
        watchRow();
    });
}

RowOperations::~RowOperations() = default;

void RowOperations::claim(Current op, WriteDone& done, std::function<void()> run) {
    if (current_) {
        done({WriteOutcome::Busy,
              QString("the line is busy with %1: one write at a time; try again when it has "
                      "ended")
                  .arg(current_->what)});
        return;
    }
    current_ = std::move(op);
    live_.setOperation(operationJson("running", {}));
    if (changed)
        changed();
    reader_.hold(std::move(run));
}

void RowOperations::end(WriteResult result, const WriteDone& done, QString state) {
    if (state.isEmpty())
        state = result.outcome == WriteOutcome::Done ? "done" : "failed";
    live_.setOperation(operationJson(state, result.message));
    current_.reset();
    learnModeOn_ = cancelWanted_ = switchingOff_ = false;
    watch_->setEnabled(false);
    reader_.release();
    if (done)
        done(result);
    for (const WriteDone& cancelled : std::exchange(cancelDone_, {}))
        if (cancelled)
            cancelled({WriteOutcome::Done, result.message});
    if (changed)
        changed();
    if (stopDone_)
        std::exchange(stopDone_, nullptr)();
}

QJsonObject RowOperations::operationJson(const QString& state, const QString& message) const {
    QJsonObject o{{"kind", current_->kind},
                  {"row", current_->row},
                  {"what", current_->what},
                  {"state", state},
                  {"message", message}};
    if (current_->kind == "learn-button" && state == "running")
        o["remainingMs"] = learnModeOn_ ? double(std::max<int64_t>(0, deadlineMs_ - clock_.nowMs()))
                                        : double(waitS_) * 1000;
    return o;
}

void RowOperations::failed(const StepFailure& f, const WriteDone& done) {
    end({WriteOutcome::Failed, f.text()}, done);
}

void RowOperations::readRowThen(int row, uint8_t org, uint32_t id, bool replace,
                                const WriteDone& done, std::function<void()> then) {
    client_.readSensorSlot(row, [=, this](const std::optional<StepFailure>& f) {
        if (f)
            return failed(*f, done);
        const SensorSlot& held = client_.image.sensors[size_t(row)];
        live_.slotRead(row, held);
        if (held.learned() && (held.id != id || held.org != org) && !replace)
            return end({WriteOutcome::Refused,
                        QString("row %1 holds sensor %2; nothing written (replace it to learn "
                                "another sensor in its place)")
                            .arg(row)
                            .arg(sensorText(held))},
                       done);
        then();
    });
}

void RowOperations::learnById(int row, const QString& idText, const QString& orgText, bool replace,
                              WriteDone done) {
    const auto id = parseSensorId(idText);
    const auto org = parseSensorOrg(orgText);
    if (!sensorRow(row))
        return done(badValue(QString("row takes 0..31, not %1").arg(row)));
    if (!id)
        return done(
            badValue(QString("ID takes 8 hex digits, e.g. 0021A3F1, not \"%1\"").arg(idText)));
    if (!org)
        return done(badValue(QString("ORG takes 05, 06 or 07, not \"%1\"").arg(orgText)));
    claim({"learn", row, QString("learn by ID, row %1").arg(row)}, done, [=, this] {
        readRowThen(row, *org, *id, replace, done, [=, this] {
            client_.writeSensorEntry(
                row, *org, *id, [=, this](const std::optional<StepFailure>& f) {
                    if (f)
                        return failed(*f, done);
                    const SensorSlot& s = client_.image.sensors[size_t(row)];
                    live_.slotRead(row, s);
                    end({WriteOutcome::Done,
                         QString("row %1: learned %2, read back").arg(row).arg(sensorText(s))},
                        done);
                });
        });
    });
}

void RowOperations::remove(int row, const QString& expectedId, WriteDone done) {
    if (!sensorRow(row))
        return done(badValue(QString("row takes 0..31, not %1").arg(row)));
    claim({"delete", row, QString("delete, row %1").arg(row)}, done, [=, this] {
        client_.readSensorSlot(row, [=, this](const std::optional<StepFailure>& f) {
            if (f)
                return failed(*f, done);
            const SensorSlot held = client_.image.sensors[size_t(row)];
            live_.slotRead(row, held);
            if (!expectedId.isEmpty() && held.idText() != expectedId.toUpper())
                return end({WriteOutcome::Refused,
                            QString("row %1 now holds %2, not %3; nothing deleted")
                                .arg(row)
                                .arg(held.learned() ? "sensor " + sensorText(held) : "no sensor",
                                     expectedId)},
                           done);
            client_.writeSensorEntry(row, 0, 0, [=, this](const std::optional<StepFailure>& f) {
                if (f)
                    return failed(*f, done);
                live_.slotRead(row, client_.image.sensors[size_t(row)]);
                end({WriteOutcome::Done, QString("row %1: deleted sensor %2 (ORG 00, ID "
                                                 "00000000), read back")
                                             .arg(row)
                                             .arg(held.idText())},
                    done);
            });
        });
    });
}

void RowOperations::invert(int row, bool on, WriteDone done) {
    if (!sensorRow(row))
        return done(badValue(QString("row takes 0..31, not %1").arg(row)));
    claim({"invert", row, QString("inversion, row %1").arg(row)}, done, [=, this] {
        client_.setInversion(row, on, [=, this](const std::optional<StepFailure>& f) {
            if (f)
                return failed(*f, done);
            live_.slotRead(row, client_.image.sensors[size_t(row)]);
            end({WriteOutcome::Done, QString("row %1: data byte 1 %2, read back")
                                         .arg(row)
                                         .arg(on ? "inverted" : "not inverted")},
                done);
        });
    });
}

void RowOperations::transmit(int row, WriteDone done) {
    if (!live_.transceiver())
        return done(
            {WriteOutcome::NotHere, "the gateway is a receiver (QRX40): it has no sender rows"});
    if (row < 0 || row >= kGatewaySenderSlots)
        return done(badValue(QString("sender row takes 0..7, not %1").arg(row)));
    claim({"transmit", row, QString("transmit, sender row %1").arg(row)}, done, [=, this] {
        client_.readSenderSlot(row, [=, this](const std::optional<StepFailure>& f) {
            if (f)
                return failed(*f, done);
            const SenderSlot slot = client_.image.senders[size_t(row)];
            live_.senderRead(row, slot);
            client_.transmit(row, [=, this](const std::optional<StepFailure>& f) {
                if (f)
                    return failed(*f, done);
                end({WriteOutcome::Done,
                     senderRowText(row, slot) + ", transmitted" +
                         (slot.org == 0 ? " (ORG 00: the row holds no telegram)" : "")},
                    done);
            });
        });
    });
}
