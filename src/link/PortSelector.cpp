#include "link/PortSelector.h"

#include "app/StoredSettings.h"
#include "link/DevicePort.h"
#include "link/LineSettings.h"

#include <QSerialPort>

namespace {
const QString kPortsKey = "SOFTWARE\\Korvalund\\QRX-QTX-RS485-MODBUS\\Ports";
}

PortSelector::PortSelector(BackendFactory simulator, SettingReader reader)
    : simulator_(std::move(simulator))
    , reader_(std::move(reader)) {
    if (!reader_)
        reader_ = [](const QString& k, const QString& v) { return ReadStoredSetting(k, v); };
}

PortSelector::~PortSelector() = default;

QString PortSelector::resolve(int commPort) const {
    const QString mapped = reader_(kPortsKey, QString("COM%1").arg(commPort)).trimmed();
    if (!mapped.isEmpty())
        return mapped;
    return QString("/dev/ttyS%1").arg(commPort - 1);
}

void PortSelector::setCommPort(int n) {
    if (PortOpen())
        throw PortError{QSerialPort::UnsupportedOperationError, "Port already open", ""};
    if (n < 1 || n > 255)
        throw PortError{QSerialPort::UnsupportedOperationError, "Invalid port number", ""};
    commPort_ = n;
}

QString PortSelector::Settings() const {
    return settings_;
}

void PortSelector::setSettings(const QString& text) {
    auto parsed = parseLineSettings(text);
    if (!parsed)
        throw PortError{QSerialPort::UnsupportedOperationError, "Invalid property value", ""};
    if (PortOpen())
        backend_->setSettings(text);
    settings_ = parsed->text();
}

void PortSelector::setInputMode(InputMode mode) {
    mode_ = mode;
    if (backend_)
        backend_->setInputMode(mode);
}

void PortSelector::Output(const QByteArray& bytes) {
    if (PortOpen())
        backend_->Output(bytes);
}

std::unique_ptr<SerialPort> PortSelector::makeBackend(const QString& target) {
    if (target.compare("simulator", Qt::CaseInsensitive) == 0) {
        auto port = simulator_ ? simulator_() : nullptr;
        if (!port)
            throw PortError{QSerialPort::DeviceNotFoundError, "Port not available", target};
        return port;
    }
    return std::make_unique<DevicePort>([target](int) { return target; });
}

void PortSelector::setPortOpen(bool open) {
    if (!open) {
        if (backend_)
            backend_->setPortOpen(false);
        return;
    }
    if (PortOpen())
        return;
    const QString target = resolve(commPort_);
    backend_.reset();
    auto port = makeBackend(target);
    port->setCommPort(commPort_);
    port->setSettings(settings_);
    port->setInputMode(mode_);
    port->setDeviceLostHandler([this](const PortError& e) { reportDeviceLost(e); });
    port->setBytesArrivedHandler([this] { reportBytesArrived(); });
    port->setPortOpen(true); // throws PortError; the backend is dropped with it
    backend_ = std::move(port);
}
