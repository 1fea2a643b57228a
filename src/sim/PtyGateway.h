#pragma once
// The simulated gateway served on a pseudo-terminal: the tool (or any Modbus master) opens the
// slave side's path. The tool's line settings are read from the pseudo-terminal with each read
// (sim/LineFit.h); the serving itself is ServedLine's.

#include "link/LineSettings.h"
#include "sim/ServedLine.h"
#include "sim/SimOptions.h"

#include <QObject>
#include <QSocketNotifier>
#include <functional>

class PtyGateway : public QObject {
public:
    using LogSink = ServedLine::LogSink;
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
    void write(const QByteArray& bytes);
    void closePty();

    SimOptions options_;
    LogSink log_;
    ServedLine line_;
    int master_ = -1;
    int slave_ = -1; // held open so that the master never reads end-of-file between clients
    QString slavePath_;
    QSocketNotifier* notifier_ = nullptr;
    bool linked_ = false; // the link at options_.link is ours
};
