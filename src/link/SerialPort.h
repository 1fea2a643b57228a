#pragma once
// The one serial port of the tool (the control the main window calls MSComm1): exactly the
// properties the tool uses. Failures of CommPort, Settings and PortOpen throw PortError.

#include <QByteArray>
#include <QString>
#include <functional>

enum class InputMode { Text = 0, Binary = 1 };

// The part of the line settings a device refused; Rs485 is the driver's RS485 mode.
enum class LineSetting { None, Baud, Parity, DataBits, StopBits, Rs485 };

// What stands behind the port: a serial device (or the simulated gateway), or a network address:
// a raw serial server (tcp://, it keeps its own line settings), a serial server with the Telnet
// COM port control option (rfc2217://, the tool sets the line) or a Modbus TCP gateway
// (modbus-tcp://, frames in the MBAP header instead of ASCII or RTU).
enum class PortKind { Device, RawTcp, Rfc2217, ModbusTcp };

inline bool isNetwork(PortKind k) {
    return k != PortKind::Device;
}
// Whether the line settings the tool sets reach the RS485 line.
inline bool setsLine(PortKind k) {
    return k == PortKind::Device || k == PortKind::Rfc2217;
}

// Why a network port failed, in the user's terms (net/NetworkTexts.h says it).
enum class NetFailure {
    None,
    Refused,       // nothing listens at that port
    NotReachable,  // no route to the host
    NameNotFound,  // the host name is not known
    TimedOut,      // no connection within the connect time-out
    Closed,        // the server closed the connection
    Lost,          // the connection broke (cable, reboot)
    NoComControl,  // an rfc2217:// server that does not offer the COM port control option
    SettingRefused // the server answered a line setting with another value (refused, refusedValue)
};

struct PortError {
    PortError() = default;
    PortError(int number, QString reason, QString devicePath,
              LineSetting refused = LineSetting::None, QString refusedValue = {})
        : number(number)
        , reason(std::move(reason))
        , devicePath(std::move(devicePath))
        , refused(refused)
        , refusedValue(std::move(refusedValue)) {}
    PortError(int number, QString reason, QString devicePath, NetFailure net)
        : number(number)
        , reason(std::move(reason))
        , devicePath(std::move(devicePath))
        , net(net) {}

    int number = 0;     // QSerialPort::SerialPortError value, e.g. 1 device not found
    QString reason;     // the facility's text, for the user
    QString devicePath; // the device the port number resolved to
    LineSetting refused = LineSetting::None;
    QString refusedValue; // as in the settings text: "9600", "E", "7", "2"
    NetFailure net = NetFailure::None;
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

    virtual PortKind kind() const { return PortKind::Device; }
    // Milliseconds the answer time-out adds for the network's delay (0 for a device).
    virtual int networkMarginMs() const { return 0; }
    virtual void setNetworkMarginMs(int) {}
    // A network port opens at once and connects meanwhile: a frame written now goes out when the
    // connection stands (bounded by the port's connect time-out, which fails it).
    virtual bool connecting() const { return false; }

    // Called once when the open device fails or vanishes; the port is closed by then.
    void setDeviceLostHandler(std::function<void(const PortError&)> h) { lost_ = std::move(h); }
    // Called when the port opened but an option of its mapping was refused (e.refused names
    // it); the port stays open and works without it.
    void setOptionRefusedHandler(std::function<void(const PortError&)> h) {
        optionRefused_ = std::move(h);
    }
    // Called when received bytes are waiting (the poll may still come for them).
    void setBytesArrivedHandler(std::function<void()> h) { arrived_ = std::move(h); }
    // For the link: called when a connecting port stands, and when the port closed on its own
    // (after the device-lost handler has said why), so that what is underway ends at once.
    void setStateChangedHandler(std::function<void()> h) { stateChanged_ = std::move(h); }

protected:
    void reportDeviceLost(const PortError& e) {
        if (lost_)
            lost_(e);
        reportStateChanged();
    }
    void reportOptionRefused(const PortError& e) {
        if (optionRefused_)
            optionRefused_(e);
    }
    void reportBytesArrived() {
        if (arrived_)
            arrived_();
    }
    void reportStateChanged() {
        if (stateChanged_)
            stateChanged_();
    }

private:
    std::function<void(const PortError&)> lost_;
    std::function<void(const PortError&)> optionRefused_;
    std::function<void()> arrived_;
    std::function<void()> stateChanged_;
};
