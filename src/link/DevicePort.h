#pragma once
// The serial port over a real device (QSerialPort). A port number resolves to a device path
// through the resolver given at construction. A line setting the device refuses fails the open
// or the change (PortError names it), except on a pseudo-terminal. With RS485 mode asked for,
// the open switches the driver's RS485 mode on; a driver without it is reported as a refused
// option and the port stays open. Asked off, the open switches it off; not asked, the driver
// keeps what it has. Opening and a change of settings empty the input: what a request written
// before (by another program, say) brought is nobody's.

#include "link/LineSettings.h"
#include "link/SerialPort.h"

#include <QObject>
#include <QSerialPort>
#include <functional>
#include <optional>

class DevicePort : public SerialPort {
public:
    using PathResolver = std::function<QString(int commPort)>;
    explicit DevicePort(PathResolver resolver);
    ~DevicePort() override;

    int CommPort() const override { return commPort_; }
    void setCommPort(int n) override { commPort_ = n; }
    QString Settings() const override { return settings_.text(); }
    void setSettings(const QString& text) override;
    bool PortOpen() const override { return device_.isOpen(); }
    void setPortOpen(bool open) override;
    InputMode inputMode() const override { return mode_; }
    void setInputMode(InputMode mode) override { mode_ = mode; }
    int InBufferCount() override;
    QByteArray Input() override;
    void Output(const QByteArray& bytes) override;

    // nullopt: the driver's mode stays as it is
    void setRs485(std::optional<bool> on) { rs485_ = on; }

    // Tells a pseudo-terminal apart (fd of the open device, its path); tests replace it.
    using PseudoTerminalCheck = std::function<bool(int fd, const QString& path)>;
    void setPseudoTerminalCheck(PseudoTerminalCheck check) { isPseudoTerminal_ = std::move(check); }

private:
    void applySettings();
    void onError(QSerialPort::SerialPortError error);
    void closeAfterLoss();

    PathResolver resolver_;
    PseudoTerminalCheck isPseudoTerminal_;
    QSerialPort device_;
    QObject guard_; // context of the queued close: it dies with the port
    int commPort_ = 1;
    QString path_; // the device of the last open
    LineSettings settings_;
    InputMode mode_ = InputMode::Text;
    std::optional<bool> rs485_;
    bool lossPending_ = false;
};
