#pragma once
// The simulated gateway at the far end of a byte pipe (a pseudo-terminal, or a TCP connection of
// qrx-gateway-sim --listen): requests are taken as they arrive, with the line settings the tool
// has set (a tool set otherwise than the gateway gets silence or garbled answers, sim/LineFit.h);
// answers go out after the response time, paced at the line's character rate, so that they arrive
// in pieces as on a real line. In Modbus TCP (MBAP) there is no serial line: answers go out at
// once. Every request and answer is logged decoded. Several gateways may share the line, and the
// fault plan's stray bytes come on it.

#include "link/LineSettings.h"
#include "sim/AnswerLine.h"
#include "sim/GatewayServer.h"
#include "sim/SimOptions.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class ServedLine : public QObject {
public:
    using LogSink = std::function<void(const QString&)>;
    using Writer = std::function<void(const QByteArray&)>;
    ServedLine(const SimOptions& options, LogSink log, Writer write);

    // Bytes from the tool, which is set to toolLine.
    void receive(const QByteArray& bytes, const LineSettings& toolLine);
    // Modbus TCP: MBAP frames, answered at once.
    void setMbap(bool on);
    // Forgets what is collected and underway (a new client).
    void restart();
    const LineSettings& gatewayLine() const { return line_; }
    // Called when a fault takes the device away; the line stops.
    std::function<void()> onLost;
    void stop();

private:
    void serveAll(const std::vector<ServedExchange>& xs);
    void writeDue();
    void log(const QString& direction, const QString& text);
    double nowUs() const { return double(elapsed_.nsecsElapsed()) / 1000.0; }
    double charUs() const { return mbap_ ? 0.0 : line_.characterMicros(); }

    SimOptions options_;
    LogSink log_;
    Writer write_;
    std::unique_ptr<GatewayModel> model_;
    std::vector<std::unique_ptr<GatewayModel>> others_; // further addresses on the line
    GatewayServer server_;
    QElapsedTimer elapsed_;
    QTimer silence_;        // 3.5 characters without a byte end an RTU frame
    QTimer writer_;         // puts due answer bytes on the line
    QTimer stray_;          // the stray bytes of the fault plan
    LineSettings line_;     // the gateway's own, also for the character time
    LineSettings toolLine_; // the tool's at the last read
    AnswerLine answers_;
    bool mbap_ = false;
};
