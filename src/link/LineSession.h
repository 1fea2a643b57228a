#pragma once
// The link for a client without the main window (the command-line tool, the gateway scan, tests):
// its own settings record, poll and time-out timers, and a stand-in for the window's address box
// and receive box. The client claims the line at once and talks through the exchange API.

#include "link/LineSettings.h"
#include "link/Link.h"

#include <memory>

class Clock;
class MessageBoxes;
class SerialPort;
class Timer;

// Modbus line settings as the user names them: mode, baud rate, parity; no parity means 2
// stop bits, even and odd 1, as the window's lists set them.
struct LineChoice {
    LineMode mode = LineMode::Ascii;
    int baud = 9600;
    char parity = 'E';
    LineSettings settings() const;
    QString text() const; // "ASCII 9600 even"
    // Milliseconds that `characters` take on the line.
    double lineMs(int characters) const {
        return characters * settings().characterMicros() / 1000.0;
    }
};

class LineSession : private LinkFields {
public:
    LineSession(Clock& clock, SerialPort& port, MessageBoxes& messages);
    ~LineSession() override;

    // Applies the line settings to the port (open or not) and to the collectors; what was
    // underway is forgotten. Throws PortError when the port refuses them.
    void configure(const LineChoice& line);
    // Opens the port with the configured settings and claims the line; throws PortError.
    void open();
    void close();
    bool isOpen() const;
    const LineChoice& line() const { return line_; }

    Link& link() { return *link_; }
    SerialPort& port() { return port_; }
    ProgramSettings& settings() { return settings_; }

private:
    QString modbusAddressText() const override { return QString(); }
    void setAlarmCaption(const QString&) override {}
    void setReceiveBoxText(const QString& text) override { receiveBox_ = text; }
    QString receiveBoxText() const override { return receiveBox_; }
    SenderRowValues senderRowValues(int) const override { return {}; }

    SerialPort& port_;
    ProgramSettings settings_;
    std::unique_ptr<Timer> Timer4_;
    std::unique_ptr<Timer> Timer5_;
    std::unique_ptr<Link> link_;
    LineChoice line_;
    QString receiveBox_;
};
