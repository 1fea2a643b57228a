#pragma once
// qrx-cli without its process: parses the command line (line options, the command, its options),
// opens the port, claims the line, identifies the gateway and runs the command; the exit code
// goes to done. Driven by a Clock and a port maker, so that tests run every command against the
// in-process gateway on the manual clock, and the program on the event loop with the real port.

#include "cli/CliCommand.h"
#include "cli/CliPort.h"
#include "cli/LineOptions.h"

#include <QStringList>
#include <functional>
#include <memory>

class LineSession;
class MessageBoxes;
class SerialPort;
struct PortError;
class VerboseTap;

class CliTool {
public:
    CliTool(Clock& clock, CliStreams& io, PortMaker makePort);
    ~CliTool();

    // args as from QCoreApplication::arguments() (program name first). done(exit code) comes
    // once: at once for help and bad usage, else when the command ends.
    void start(const QStringList& args, std::function<void(int)> done);
    // Ctrl-C: the command ends (watch as done, learn-button after switching learn mode off).
    void interrupt();
    bool finished() const { return exitCode_.has_value(); }
    int exitCode() const { return exitCode_.value_or(-1); }
    // The port in use once opened, for tests.
    SerialPort* port() const { return port_.get(); }

private:
    void end(int exitCode);
    void refuse(const QString& message); // bad usage: 2
    bool parseCommand(const QStringList& args);
    void openAndRun();
    void portFailed(const PortError& e);
    void identified(const std::optional<StepFailure>& failure);
    void adviseOnSilence();

    Clock& clock_;
    CliStreams& io_;
    PortMaker makePort_;
    std::function<void(int)> done_;
    std::optional<int> exitCode_;

    LineOptions options_;
    std::unique_ptr<CliCommand> command_;
    std::unique_ptr<SerialPort> port_;
    std::unique_ptr<MessageBoxes> messages_;
    std::unique_ptr<LineSession> line_;
    std::unique_ptr<VerboseTap> tap_;
    std::unique_ptr<GatewayClient> client_;
    std::unique_ptr<CommandContext> context_;
};

// The texts of qrx-cli --help and qrx-cli COMMAND --help.
QString toolHelp();
QString commandHelp(const CommandEntry& entry);
