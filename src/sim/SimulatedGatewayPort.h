#pragma once
// A serial port whose far end is the simulated gateway, on the tool's clock. Bytes take their line
// time: a request has arrived n x character time after it was written, the answer starts at least
// the gateway's response time later, and answer byte i is readable at start + (i+1) x character
// time. 9600 baud, 11 bits a character: an 8-byte RTU request takes 9.2 ms.
// The gateway may have line settings of its own (setGatewayLine): it then answers only a port set
// the same way, and a port set otherwise gets silence or garbled bytes (sim/LineFit.h). Without
// them it understands whatever the port is set to, as the tests of other things need.

#include "link/LineSettings.h"
#include "link/SerialPort.h"
#include "platform/Timer.h"
#include "sim/AnswerLine.h"
#include "sim/GatewayServer.h"

#include <memory>
#include <optional>

class SimulatedGatewayPort : public SerialPort {
public:
    SimulatedGatewayPort(Clock& clock, std::unique_ptr<GatewayModel> model, FaultPlan faults = {});

    int CommPort() const override { return port_; }
    void setCommPort(int n) override;
    QString Settings() const override { return settings_.text(); }
    void setSettings(const QString& text) override;
    bool PortOpen() const override { return open_; }
    void setPortOpen(bool open) override;
    InputMode inputMode() const override { return inputMode_; }
    void setInputMode(InputMode mode) override { inputMode_ = mode; }
    int InBufferCount() override;
    QByteArray Input() override;
    void Output(const QByteArray& bytes) override;

    // The gateway's own mode (by its data bits), baud rate and parity; nullopt: the port's.
    void setGatewayLine(std::optional<LineSettings> line) { gatewayLine_ = line; }
    const std::optional<LineSettings>& gatewayLine() const { return gatewayLine_; }

    GatewayModel& model() { return *model_; }
    // Another gateway on the same line, at its own address.
    GatewayModel& addGateway(std::unique_ptr<GatewayModel> model);
    // The faults from now on; a stray byte starts with the next request written.
    FaultPlan& faults() { return server_.faults(); }
    // Answers underway stay on the line while the port is closed and are read after the next
    // open, as through a pseudo-terminal whose other end stays open.
    void setKeepsLineWhileClosed(bool keeps) { keepsLine_ = keeps; }
    // What the adapter in front of the gateway refuses: a baud rate (the open, or a change of
    // settings while open, fails and names it), and the driver's RS485 mode (reported at open,
    // the port works).
    void refuseBaud(int baud) { refusedBaud_ = baud; }
    void refuseRs485() { refusesRs485_ = true; }
    // Every request that reached the gateway with a good check, address first, no check.
    const std::vector<QByteArray>& requestLog() const { return requests_; }

private:
    void collectDue();
    // Tells the reader when the answer underway is complete, as a real port's read event does.
    void armArrival();
    void arrivalDue();
    void strayDue();
    void checkAdapter() const; // throws PortError for a refused setting
    double nowUs() const { return double(clock_.nowMs()) * 1000.0; }

    Clock& clock_;
    std::unique_ptr<GatewayModel> model_;
    std::vector<std::unique_ptr<GatewayModel>> others_;
    GatewayServer server_;
    int port_ = 1;
    LineSettings settings_;
    std::optional<LineSettings> gatewayLine_;
    bool open_ = false;
    bool lost_ = false;
    InputMode inputMode_ = InputMode::Text;
    AnswerLine answers_;
    QByteArray received_;
    std::vector<QByteArray> requests_;
    std::unique_ptr<Timer> arrival_;
    std::unique_ptr<Timer> stray_;
    bool keepsLine_ = false;
    int refusedBaud_ = 0;
    bool refusesRs485_ = false;
};

// The demo gateway: transceiver at address 1 on ASCII 9600 even (the tool's start settings), five
// learned sensors, three sender rows filled.
std::unique_ptr<SerialPort> makeDemoGateway(Clock& clock);
std::unique_ptr<GatewayModel> makeDemoModel(uint32_t seed = 1);
