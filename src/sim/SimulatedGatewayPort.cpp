#include "sim/SimulatedGatewayPort.h"

#include "sim/LineFit.h"

#include <algorithm>

SimulatedGatewayPort::SimulatedGatewayPort(Clock& clock, std::unique_ptr<GatewayModel> model,
                                           FaultPlan faults)
    : clock_(clock)
    , model_(std::move(model))
    , server_(*model_, faults) {
    server_.setMode(settings_.dataBits == 7 ? LineMode::Ascii : LineMode::Rtu);
    arrival_ = clock_.createTimer("arrival", 0);
    arrival_->setTickHandler([this] { arrivalDue(); });
    stray_ = clock_.createTimer("stray", 100);
    stray_->setTickHandler([this] { strayDue(); });
}

void SimulatedGatewayPort::checkAdapter() const {
    if (refusedBaud_ != 0 && settings_.baud == refusedBaud_)
        throw PortError{7, "Invalid argument", "simulator", LineSetting::Baud,
                        QString::number(refusedBaud_)};
}

GatewayModel& SimulatedGatewayPort::addGateway(std::unique_ptr<GatewayModel> model) {
    others_.push_back(std::move(model));
    server_.addGateway(*others_.back());
    return *others_.back();
}

void SimulatedGatewayPort::setCommPort(int n) {
    if (open_)
        throw PortError{8, "Port is open", "simulator"};
    if (n < 1 || n > 255)
        throw PortError{1, "No such port", "simulator"};
    port_ = n;
}

void SimulatedGatewayPort::setSettings(const QString& text) {
    const std::optional<LineSettings> s = parseLineSettings(text);
    if (!s)
        throw PortError{7, "Invalid line settings: " + text, "simulator"};
    settings_ = *s;
    server_.setMode(s->dataBits == 7 ? LineMode::Ascii : LineMode::Rtu);
    if (open_)
        checkAdapter();
}

void SimulatedGatewayPort::setPortOpen(bool open) {
    if (open && lost_)
        throw PortError{1, "Device not found", "simulator"};
    if (open)
        checkAdapter();
    open_ = open;
    if (!keepsLine_) {
        answers_.clear();
        received_.clear();
        arrival_->setEnabled(false);
    }
    stray_->setEnabled(false);
    if (open && refusesRs485_)
        reportOptionRefused(
            PortError{25, "Inappropriate ioctl for device", "simulator", LineSetting::Rs485});
}

void SimulatedGatewayPort::strayDue() {
    if (!open_ || faults().strayEveryMs <= 0) {
        stray_->setEnabled(false);
        return;
    }
    if (!answers_.empty())
        return; // not while an answer is underway
    answers_.schedule(QByteArray(1, '\xFF'), nowUs(), settings_.characterMicros());
    armArrival();
}

void SimulatedGatewayPort::collectDue() {
    received_.append(answers_.takeDue(nowUs()));
}

int SimulatedGatewayPort::InBufferCount() {
    if (!open_)
        return 0;
    server_.advanceTo(clock_.nowMs());
    collectDue();
    return int(received_.size());
}

QByteArray SimulatedGatewayPort::Input() {
    InBufferCount();
    QByteArray out;
    out.swap(received_);
    return out;
}

void SimulatedGatewayPort::Output(const QByteArray& bytes) {
    if (!open_)
        throw PortError{13, "Port not open", "simulator"};
    if (faults().strayEveryMs > 0 && !stray_->isEnabled()) {
        stray_->setInterval(faults().strayEveryMs);
        stray_->setEnabled(true);
    }
    const LineFit fit = gatewayLine_ ? lineFit(*gatewayLine_, settings_) : LineFit::Same;
    if (fit == LineFit::Deaf)
        return; // the gateway's receiver sees no valid character: no request, no answer
    const double charUs = settings_.characterMicros();
    const double arrivedUs = nowUs() + bytes.size() * charUs;
    // the model sees the request when its last byte is in, in whole milliseconds
    const int64_t arrivedMs = int64_t(arrivedUs / 1000.0 + 0.999);
    for (const ServedExchange& x : server_.receive(bytes, arrivedMs)) {
        if (x.requestCheckOk)
            requests_.push_back(x.request);
        if (x.deviceLost) {
            open_ = false;
            lost_ = true;
            answers_.clear();
            received_.clear();
            reportDeviceLost(PortError{1, "The device vanished", "simulator"});
            return;
        }
        const QByteArray onLine = fit == LineFit::Garbled
                                      ? receivedAcross(x.answerFrame, *gatewayLine_, settings_)
                                      : x.answerFrame;
        answers_.schedule(onLine, arrivedUs + x.delayMs * 1000.0, charUs);
    }
    armArrival();
}

void SimulatedGatewayPort::armArrival() {
    if (answers_.empty())
        return;
    const int64_t dueMs = int64_t(answers_.lastDueUs() / 1000.0 + 0.999);
    arrival_->setEnabled(false);
    arrival_->setInterval(int(std::max<int64_t>(1, dueMs - clock_.nowMs())));
    arrival_->setEnabled(true);
}

void SimulatedGatewayPort::arrivalDue() {
    arrival_->setEnabled(false);
    if (open_ && InBufferCount() > 0)
        reportBytesArrived();
    armArrival();
}

std::unique_ptr<GatewayModel> makeDemoModel(uint32_t seed) {
    auto m = std::make_unique<GatewayModel>(1, GatewayVariant::Transceiver, seed);
    m->learnSensor(0, 0x05, 0x0021A3F1); // rocker switch
    m->learnSensor(1, 0x06, 0x0081B220); // window contact
    m->learnSensor(2, 0x07, 0x01834C17); // temperature sensor
    m->learnSensor(5, 0x07, 0x01835D02); // humidity sensor
    m->learnSensor(9, 0x05, 0x0021C488); // rocker switch
    m->fillDemoSenderRows();
    return m;
}

std::unique_ptr<SerialPort> makeDemoGateway(Clock& clock) {
    auto port = std::make_unique<SimulatedGatewayPort>(clock, makeDemoModel());
    port->setGatewayLine(LineSettings{9600, 'E', 7, 1});
    return port;
}
