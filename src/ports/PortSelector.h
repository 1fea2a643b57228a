#pragma once
// The port the tool uses (MSComm1). "COMn" resolves at each open through resolvePort
// (ports/PortMap.h): a device path, or "simulator" for the in-process gateway, from the
// per-user or the system stored settings; without a mapping COMn is /dev/ttyS<n-1>.

#include "link/SerialPort.h"
#include "ports/PortMap.h"

#include <functional>
#include <memory>

class PortSelector : public SerialPort {
public:
    using BackendFactory = std::function<std::unique_ptr<SerialPort>()>;
    // reader defaults to the stored settings file; simulator may be empty.
    explicit PortSelector(BackendFactory simulator = {}, SettingReader reader = {});
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

private:
    std::unique_ptr<SerialPort> makeBackend(const PortMapping& mapping);

    BackendFactory simulator_;
    SettingReader reader_;
    std::unique_ptr<SerialPort> backend_;
    int commPort_ = 1;
    QString settings_ = "9600,E,7,1";
    InputMode mode_ = InputMode::Text;
};
