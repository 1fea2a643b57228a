#pragma once
// The simulated gateway served on a pseudo-terminal: the tool (or any Modbus master) opens the
// slave side's path. Requests are read as they arrive; answers go out after the response time,
// paced at the line's character rate, so that they arrive in pieces as on a real line. The tool's
// line settings are read from the pseudo-terminal with each read: a tool set otherwise than the
// gateway gets silence or garbled answers (sim/LineFit.h).

#include "link/LineSettings.h"
#include "sim/AnswerLine.h"
#include "sim/GatewayServer.h"
#include "sim/SimOptions.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>

class PtyGateway : public QObject {
public:
    using LogSink = std::function<void(const QString&)>;
    PtyGateway(const SimOptions& options, LogSink log);
    ~PtyGateway() override;

    // Opens the pseudo-terminal and the link; an error text when that fails. A path that holds
    // anything but a link to a pseudo-terminal (one an earlier run left) is not touched.
    QString start();
    static bool linkMayGo(const QString& path);
    QString slavePath() const { return slavePath_; }
    // Called when the device is lost by a fault: the pty is closed.
    std::function<void()> onLost;

private:
    void readable();
    // The tool's settings as the pseudo-terminal holds them; the gateway's own when unreadable.
    LineSettings toolLine() const;
    void serveAll(const std::vector<ServedExchange>& xs);
    void writeDue();
    void log(const QString& direction, const QString& text);
    double nowUs() const { return double(elapsed_.nsecsElapsed()) / 1000.0; }
    double charUs() const { return line_.characterMicros(); }
    void closePty();

    SimOptions options_;
    LogSink log_;
    std::unique_ptr<GatewayModel> model_;
    std::vector<std::unique_ptr<GatewayModel>> others_; // further addresses on the line
    GatewayServer server_;
    QElapsedTimer elapsed_;
    int master_ = -1;
    int slave_ = -1; // held open so that the master never reads end-of-file between clients
    QString slavePath_;
    QSocketNotifier* notifier_ = nullptr;
    QTimer silence_;        // 3.5 characters without a byte end an RTU frame
    QTimer writer_;         // puts due answer bytes on the line
    QTimer stray_;          // the stray bytes of the fault plan
    bool linked_ = false;   // the link at options_.link is ours
    LineSettings line_;     // the gateway's own, also for the character time
    LineSettings toolLine_; // the tool's at the last read
    AnswerLine answers_;
};
