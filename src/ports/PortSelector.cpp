#include "ports/PortSelector.h"

#include "core/StoredSettings.h"
#include "link/DevicePort.h"
#include "link/LineSettings.h"
#include "net/NetworkPort.h"

#include <QSerialPort>
#include <cerrno>

PortSelector::PortSelector(BackendFactory simulator, SettingReader reader, Clock* clock)
    : simulator_(std::move(simulator))
    , reader_(std::move(reader))
    , clock_(clock) {
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

PortKind PortSelector::kind() const {
    if (backend_)
        return backend_->kind();
    const PortMapping m = resolve(commPort_);
    if (!m.isNetwork())
        return PortKind::Device;
    const auto address = parseNetworkAddress(m.target);
    return std::holds_alternative<NetworkAddress>(address) ? std::get<NetworkAddress>(address).kind
                                                           : PortKind::Device;
}

void PortSelector::setNetworkMarginMs(int ms) {
    marginMs_ = ms;
    if (backend_)
        backend_->setNetworkMarginMs(ms);
}

std::unique_ptr<SerialPort> PortSelector::makeBackend(const PortMapping& mapping) {
    if (mapping.isNetwork()) {
        const auto address = parseNetworkAddress(mapping.target);
        if (const QString* problem = std::get_if<QString>(&address))
            throw PortError{EINVAL, *problem, mapping.target};
        if (!clock_)
            throw PortError{EINVAL, "Network ports are not available here", mapping.target};
        auto port = std::make_unique<NetworkPort>(*clock_, std::get<NetworkAddress>(address));
        port->setNetworkMarginMs(
            marginMs_.value_or(mapping.netMarginMs.value_or(kDefaultNetworkMarginMs)));
        return port;
    }
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
    port->setStateChangedHandler([this] { reportStateChanged(); });
    port->setPortOpen(true); // throws PortError; the backend is dropped with it
    backend_ = std::move(port);
}
