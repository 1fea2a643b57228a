#pragma once
// The port the tool uses (MSComm1). "COMn" resolves at each open through resolvePort
// (ports/PortMap.h): a device path, "simulator" for the in-process gateway, or a network address
// (a NetworkPort on the clock given, with the mapping's network margin), from the per-user or the
// system stored settings; without a mapping COMn is /dev/ttyS<n-1>.

#include "link/SerialPort.h"
#include "ports/PortMap.h"

#include <functional>
#include <memory>
#include <optional>

class Clock;

class PortSelector : public SerialPort {
public:
    using BackendFactory = std::function<std::unique_ptr<SerialPort>()>;
    // reader defaults to the stored settings file; simulator may be empty; without a clock a
    // network address cannot be opened.
    explicit PortSelector(BackendFactory simulator = {}, SettingReader reader = {},
                          Clock* clock = nullptr);
    ~PortSelector() override;

    // What COMn stands for now.
    PortMapping resolve(int commPort) const;

    int CommPort() const override { return commPort_; }
    void setCommPort(int n) override;
    QString Settings() const override;
    void setSettings(const QString& text) override;
    bool PortOpen() const override { return backend_ && backend_->PortOpen(); }
    void setPortOpen(bool open) override;
    InputMode inputMode() const override { return mode_; }
    void setInputMode(InputMode mode) override;
    int InBufferCount() override { return PortOpen() ? backend_->InBufferCount() : 0; }
    QByteArray Input() override { return PortOpen() ? backend_->Input() : QByteArray(); }
    void Output(const QByteArray& bytes) override;

    // What the COM entry stands for now, the open port's when open.
    PortKind kind() const override;
    int networkMarginMs() const override { return backend_ ? backend_->networkMarginMs() : 0; }
    // Overrides the mapping's margin (qrx-cli --net-margin), also for later opens.
    void setNetworkMarginMs(int ms) override;
    bool connecting() const override { return backend_ && backend_->connecting(); }

private:
    std::unique_ptr<SerialPort> makeBackend(const PortMapping& mapping);

    BackendFactory simulator_;
    SettingReader reader_;
    Clock* clock_;
    std::optional<int> marginMs_;
    std::unique_ptr<SerialPort> backend_;
    int commPort_ = 1;
    QString settings_ = "9600,E,7,1";
    InputMode mode_ = InputMode::Text;
};
