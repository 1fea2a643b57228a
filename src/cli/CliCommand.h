#pragma once
// One command of qrx-cli: its options and arguments (for parsing and for its --help), the check of
// their values (bad usage ends the program with 2 before anything is sent), and its run against
// the gateway, which has been identified by then. A new command is one file with one class and
// one line in the command table (CommandTable.cpp).

#include "cli/CliStreams.h"
#include "cli/LineOptions.h"
#include "gateway/GatewayClient.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Clock;
class LineSession;
class QCommandLineParser;

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;        // no answer, an exception, a read-back that differs
inline constexpr int kExitUsage = 2;         // bad usage or a bad value: nothing sent
inline constexpr int kExitDifferences = 3;   // restore without --yes: the gateway differs
inline constexpr int kExitInterrupted = 130; // Ctrl-C, as a shell counts SIGINT

// What a running command works with, and how it ends.
class CommandContext {
public:
    CommandContext(LineSession& line, GatewayClient& client, Clock& clock, CliStreams& io,
                   const LineOptions& options, std::function<void(int)> finish)
        : line(line)
        , client(client)
        , clock(clock)
        , io(io)
        , options(options)
        , finish_(std::move(finish)) {}

    LineSession& line;
    GatewayClient& client; // at --address
    Clock& clock;
    CliStreams& io;
    const LineOptions& options;

    bool finished() const { return finished_; }
    // Ends the program with the exit code; later calls are ignored.
    void finish(int exitCode);
    // "qrx-cli: <text>" on standard error.
    void complain(const QString& text) const;
    // 0 after success; else 1 with the failed step on standard error.
    void finishAfter(const std::optional<StepFailure>& failure);
    // The same; after success a write's confirmation ("row 5: learned ..., read back") comes
    // first on standard output, made only then from what was read back.
    void finishAfter(const std::optional<StepFailure>& failure,
                     const std::function<QString()>& confirmation);
    // A sender command on a receiver is a bad value: ends with 2 (nothing written) and says so.
    bool refusedOnReceiver(const QString& command);
    // A gateway whose response time becomes ms may answer that late from the write on: the
    // answer time-out follows it, unless --timeout fixed it.
    void allowResponseTime(uint16_t ms);

private:
    std::function<void(int)> finish_;
    bool finished_ = false;
};

class CliCommand {
public:
    virtual ~CliCommand() = default;
    virtual void describe(QCommandLineParser& parser) const = 0;
    // Takes the parsed values; a message is bad usage.
    virtual std::optional<QString> take(const QCommandLineParser& parser) = 0;
    // Whether the command talks to the one gateway at --address (identified before run).
    virtual bool needsAddress() const { return true; }
    // Whether the command identifies the gateway itself (a publisher that starts while the
    // gateway is silent waits for it); else the tool does so before run, and a silence ends it.
    virtual bool identifiesItself() const { return false; }
    // The line options against the command's values (after take); a message is bad usage.
    virtual std::optional<QString> checkLine(const LineOptions&) const { return std::nullopt; }
    virtual void run(CommandContext& context) = 0;
    // Ctrl-C: by default the running request is dropped and the program ends with 130.
    virtual void interrupt(CommandContext& context);

protected:
    // The positional arguments when there are exactly as many as `syntax` names ("ROW ID ORG").
    static std::optional<QStringList> arguments(const QCommandLineParser& parser,
                                                const QString& command, const QString& syntax,
                                                QString& error);
};

// A text that ends with a full stop (Qt's parser, a refused file) as part of a message of ours,
// which goes on after it.
QString clause(QString text);

struct CommandEntry {
    QString name;
    QString summary; // one line of qrx-cli --help
    std::function<std::unique_ptr<CliCommand>()> make;
};
const std::vector<CommandEntry>& commandTable();
const CommandEntry* findCommand(const QString& name);
