#pragma once
// A serial port for unit tests: records every write, hands out scripted input, and fails open
// when told to.

#include "link/SerialPort.h"

#include <QByteArrayList>

class ScriptedPort : public SerialPort {
public:
    int CommPort() const override { return port; }
    void setCommPort(int n) override {
        if (failCommPort)
            throw PortError{8, "port number refused", ""};
        port = n;
    }
    QString Settings() const override { return settings; }
    void setSettings(const QString& text) override { settings = text; }
    bool PortOpen() const override { return open; }
    void setPortOpen(bool on) override {
        if (on && failOpenWith)
            throw PortError{failOpenWith, "No such file or directory", "/dev/ttyS2"};
        open = on;
        if (on && refuseRs485)
            reportOptionRefused(
                PortError{7, "Inappropriate ioctl for device", "/dev/ttyUSB0", LineSetting::Rs485});
    }
    InputMode inputMode() const override { return mode; }
    void setInputMode(InputMode m) override { mode = m; }
    int InBufferCount() override { return static_cast<int>(pending.size()); }
    QByteArray Input() override {
        QByteArray all = pending;
        pending.clear();
        return all;
    }
    void Output(const QByteArray& bytes) override { written.append(bytes); }
    PortKind kind() const override { return portKind; }
    int networkMarginMs() const override { return margin; }
    bool connecting() const override { return isConnecting; }
    void connected() {
        isConnecting = false;
        reportStateChanged();
    }

    void receive(const QByteArray& bytes) {
        pending.append(bytes);
        reportBytesArrived();
    }
    void loseDevice() {
        open = false;
        reportDeviceLost(PortError{9, "Input/output error", "/dev/ttyUSB0"});
    }

    int port = 0;
    QString settings;
    bool open = false;
    InputMode mode = InputMode::Text;
    QByteArray pending;
    QByteArrayList written;
    int failOpenWith = 0; // error number of a failing open, 0 opens
    bool failCommPort = false;
    bool refuseRs485 = false; // an open reports the driver's RS485 mode as refused
    PortKind portKind = PortKind::Device;
    int margin = 0;
    bool isConnecting = false;
};
