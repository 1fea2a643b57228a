#pragma once
// The port the tool uses (MSComm1). "COMn" resolves through the stored setting "COMn" under
// SOFTWARE\Korvalund\QRX-QTX-RS485-MODBUS\Ports: a device path, or "simulator" for the
// in-process gateway; without a setting COMn is /dev/ttyS<n-1>.

#include "link/SerialPort.h"

#include <functional>
#include <memory>

class PortSelector : public SerialPort {
public:
    using BackendFactory = std::function<std::unique_ptr<SerialPort>()>;
    using SettingReader = std::function<QString(const QString& key, const QString& valueName)>;

    // reader defaults to the stored settings file; simulator may be empty.
    explicit PortSelector(BackendFactory simulator = {}, SettingReader reader = {});
    ~PortSelector() override;

    // What COMn stands for: a device path or "simulator".
    QString resolve(int commPort) const;

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
    std::unique_ptr<SerialPort> makeBackend(const QString& target);

    BackendFactory simulator_;
    SettingReader reader_;
    std::unique_ptr<SerialPort> backend_;
    int commPort_ = 1;
    QString settings_ = "9600,E,7,1";
    InputMode mode_ = InputMode::Text;
};
