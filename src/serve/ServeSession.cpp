#include "serve/ServeSession.h"

#include "platform/Timer.h"

ServeSession::ServeSession(Clock& clock, LineSession& line, GatewayClient& client, ServeView view,
                           ServeAccess access, ServeReading reading)
    : access_(std::move(access))
    , live_(clock, std::move(view))
    , reader_(clock, line, client, reading.intervalMs, reading.fullEvery)
    , operations_(clock, client, reader_, live_)
    , api_(access_, live_, operations_)
    , changeDelay_(clock.createTimer("page change delay", kMostChangeDelayMs)) {
    reader_.setWholePassExtras(true);
    reader_.identified = [this](const GatewayImage& g) {
        live_.identified(g);
        if (responseTime)
            responseTime(g.responseTimeMs);
    };
    reader_.availability = [this](bool online, const QString& reason) {
        live_.availability(online, reason);
        flush();
    };
    reader_.slotRead = [this](int row, const SensorSlot& slot) {
        live_.slotRead(row, slot);
        if (live_.hasChanges() && !changeDelay_->isEnabled())
            changeDelay_->setEnabled(true);
    };
    reader_.senderRead = [this](int row, const SenderSlot& slot) { live_.senderRead(row, slot); };
    reader_.passEnded = [this] { flush(); };
    reader_.complain = [this](const QString& text) {
        if (complain)
            complain(text);
    };
    operations_.changed = [this] { flush(); };
    changeDelay_->setTickHandler([this] { flush(); });
}

ServeSession::~ServeSession() = default;

void ServeSession::start() {
    reader_.start();
}

void ServeSession::stop(std::function<void()> done) {
    operations_.stop([this, done] {
        reader_.stop();
        changeDelay_->setEnabled(false);
        done();
    });
}

void ServeSession::flush() {
    changeDelay_->setEnabled(false);
    const QByteArray message = live_.takeChanges();
    if (!message.isEmpty() && broadcast)
        broadcast(message);
}
