#include "ports/PortSelector.h"

#include "core/StoredSettings.h"
#include "link/DevicePort.h"
#include "link/LineSettings.h"

#include <QSerialPort>

PortSelector::PortSelector(BackendFactory simulator, SettingReader reader)
    : simulator_(std::move(simulator))
    , reader_(std::move(reader)) {
    if (!reader_)
        reader_ = [](const QString& k, const QString& v) { return ReadStoredSetting(k, v); };
}

PortSelector::~PortSelector() = default;

PortMapping PortSelector::resolve(int commPort) const {
    return resolvePort(commPort, reader_);
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

std::unique_ptr<SerialPort> PortSelector::makeBackend(const PortMapping& mapping) {
    if (mapping.isSimulator()) {
        auto port = simulator_ ? simulator_() : nullptr;
        if (!port)
            throw PortError{QSerialPort::DeviceNotFoundError, "Port not available", mapping.target};
        return port;
    }
    auto port = std::make_unique<DevicePort>([target = mapping.target](int) { return target; });
    port->setRs485(mapping.rs485      ? std::optional(true)
                   : mapping.rs485Off ? std::optional(false)
                                      : std::nullopt);
    return port;
}

void PortSelector::setPortOpen(bool open) {
    if (!open) {
        if (backend_)
            backend_->setPortOpen(false);
        return;
    }
    if (PortOpen())
        return;
    backend_.reset();
    auto port = makeBackend(resolve(commPort_));
    port->setCommPort(commPort_);
    port->setSettings(settings_);
    port->setInputMode(mode_);
    port->setDeviceLostHandler([this](const PortError& e) { reportDeviceLost(e); });
    port->setOptionRefusedHandler([this](const PortError& e) { reportOptionRefused(e); });
    port->setBytesArrivedHandler([this] { reportBytesArrived(); });
    port->setPortOpen(true); // throws PortError; the backend is dropped with it
    backend_ = std::move(port);
}
