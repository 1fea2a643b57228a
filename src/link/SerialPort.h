#pragma once
// The one serial port of the tool (the control the main window calls MSComm1): exactly the
// properties the tool uses. Failures of CommPort, Settings and PortOpen throw PortError.

#include <QByteArray>
#include <QString>
#include <functional>

enum class InputMode { Text = 0, Binary = 1 };

// The part of the line settings a device refused; Rs485 is the driver's RS485 mode.
enum class LineSetting { None, Baud, Parity, DataBits, StopBits, Rs485 };

struct PortError {
    PortError() = default;
    PortError(int number, QString reason, QString devicePath,
              LineSetting refused = LineSetting::None, QString refusedValue = {})
        : number(number)
        , reason(std::move(reason))
        , devicePath(std::move(devicePath))
        , refused(refused)
        , refusedValue(std::move(refusedValue)) {}

    int number = 0;     // QSerialPort::SerialPortError value, e.g. 1 device not found
    QString reason;     // the facility's text, for the user
    QString devicePath; // the device the port number resolved to
    LineSetting refused = LineSetting::None;
    QString refusedValue; // as in the settings text: "9600", "E", "7", "2"
};

class SerialPort {
public:
    virtual ~SerialPort() = default;

    virtual int CommPort() const = 0;
    virtual void setCommPort(int n) = 0;
    virtual QString Settings() const = 0;
    virtual void setSettings(const QString& text) = 0;
    virtual bool PortOpen() const = 0;
    virtual void setPortOpen(bool open) = 0;
    virtual InputMode inputMode() const = 0;
    virtual void setInputMode(InputMode mode) = 0;
    // Bytes received and not yet taken.
    virtual int InBufferCount() = 0;
    // Takes everything received: bytes in binary mode, Latin-1 text in text mode.
    virtual QByteArray Input() = 0;
    // Writes one frame to the line in one call.
    virtual void Output(const QByteArray& bytes) = 0;

    // Called once when the open device fails or vanishes; the port is closed by then.
    void setDeviceLostHandler(std::function<void(const PortError&)> h) { lost_ = std::move(h); }
    // Called when the port opened but an option of its mapping was refused (e.refused names
    // it); the port stays open and works without it.
    void setOptionRefusedHandler(std::function<void(const PortError&)> h) {
        optionRefused_ = std::move(h);
    }
    // Called when received bytes are waiting (the poll may still come for them).
    void setBytesArrivedHandler(std::function<void()> h) { arrived_ = std::move(h); }

protected:
    void reportDeviceLost(const PortError& e) {
        if (lost_)
            lost_(e);
    }
    void reportOptionRefused(const PortError& e) {
        if (optionRefused_)
            optionRefused_(e);
    }
    void reportBytesArrived() {
        if (arrived_)
            arrived_();
    }

private:
    std::function<void(const PortError&)> lost_;
    std::function<void(const PortError&)> optionRefused_;
    std::function<void()> arrived_;
};
