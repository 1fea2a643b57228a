#include "cli/CliTool.h"

#include "cli/VerboseTap.h"
#include "link/LineSession.h"
#include "link/SerialPort.h"
#include "platform/MessageBoxes.h"
#include "ports/PortTexts.h"
#include "scan/ScanOutput.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace {
// The link's own messages ("Port is not open") go to standard error.
class StreamMessageBoxes : public MessageBoxes {
public:
    explicit StreamMessageBoxes(CliStreams& io)
        : io_(io) {}
    using MessageBoxes::show;
    void show(const QString& text, const QString& detail) override {
        io_.message("qrx-cli: " + text + (detail.isEmpty() ? QString() : " (" + detail + ")"));
    }

private:
    CliStreams& io_;
};

void setUpToolParser(QCommandLineParser& p) {
    p.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    addLineOptions(p);
    p.addOption({{"h", "help"}, "Shows this help."});
    p.addOption({"version", "Shows the version."});
    p.addPositionalArgument("command", "The command, then its options and arguments.",
                            "COMMAND [...]");
}

// Each line of text broken at spaces to at most 79 characters.
QString wrapped(const QString& text) {
    QStringList out;
    for (const QString& line : text.split('\n')) {
        QString current;
        for (const QString& word : line.split(' ')) {
            if (!current.isEmpty() && current.size() + 1 + word.size() > 79) {
                out << current;
                current.clear();
            }
            current += (current.isEmpty() ? "" : " ") + word;
        }
        out << current;
    }
    return out.join('\n');
}

// What is wrong with a command's options, for Qt's parser's "Unknown option '1'".
QString commandUsageProblem(const QCommandLineParser& p) {
    static const QRegularExpression digits("^[0-9]+$");
    const QStringList unknown = p.unknownOptionNames();
    for (const QString& name : unknown)
        if (digits.match(name).hasMatch()) // "-1" reads as an option to Qt's parser
            return QString("-%1 is a negative number: rows and values count from 0").arg(name);
    const bool lineOption = std::any_of(unknown.begin(), unknown.end(), isLineOption);
    return clause(p.errorText()) + (lineOption ? "; line options go before the command" : "");
}

void setUpCommandParser(QCommandLineParser& p, const CliCommand& command) {
    p.addOption({{"h", "help"}, "Shows this help."});
    command.describe(p);
    p.setApplicationDescription(wrapped(p.applicationDescription()));
}

// The "Options:" part of the parser's help: the option lines, without usage and arguments.
QString optionLines(const QCommandLineParser& p) {
    const QString text = p.helpText();
    const int from = text.indexOf("Options:\n");
    if (from < 0)
        return {};
    const int to = text.indexOf("\nArguments:", from);
    return text.mid(from + 9, to < 0 ? -1 : to - from - 9);
}
} // namespace

QString toolHelp() {
    QCommandLineParser p;
    setUpToolParser(p);
    QString commands;
    for (const CommandEntry& e : commandTable())
        commands += QString("  %1%2\n").arg(e.name.leftJustified(16), e.summary);
    return "Usage: qrx-cli [line options] COMMAND [command options] [arguments]\n\n" +
           wrapped("Every operation of the QRX/QTX configuration tool from a shell: qrx-cli is "
                   "the Modbus master on one serial line, ASCII or RTU. Data go to standard "
                   "output, messages to standard error.") +
           "\n\nLine options (before the command):\n" + optionLines(p) +
           "\nCommands (qrx-cli COMMAND --help describes one):\n" + commands + "\n" +
           wrapped("Exit status: 0 done; 1 the gateway did not answer, answered with an "
                   "exception or read back something else (scan: no gateway found; commission: a "
                   "deficiency); 2 bad usage "
                   "or a bad value (a row that holds another sensor, a sender command on a "
                   "receiver), and nothing was written; 3 restore without --yes: the gateway "
                   "differs from the file; 130 Ctrl-C.") +
           "\n";
}

QString commandHelp(const CommandEntry& entry) {
    QCommandLineParser p;
    const auto command = entry.make();
    setUpCommandParser(p, *command);
    QString text = p.helpText();
    const int lineEnd = text.indexOf('\n');
    const int rest = text.indexOf(" [options]");
    const QString usage = QString("Usage: qrx-cli [line options] %1").arg(entry.name);
    text = usage + text.mid(rest >= 0 && rest < lineEnd ? rest : lineEnd);
    return text.replace(text.indexOf('\n'), 1, "\n\n");
}

CliTool::CliTool(Clock& clock, CliStreams& io, PortMaker makePort)
    : clock_(clock)
    , io_(io)
    , makePort_(std::move(makePort)) {}

CliTool::~CliTool() {
    done_ = nullptr;
    if (!line_)
        return;
    if (tap_)
        line_->link().removeObserver(tap_.get());
    line_->close();   // a request underway is cancelled while its client and command still listen
    command_.reset(); // before the line it may hold (a scan listens to it)
}

void CliTool::end(int exitCode) {
    if (exitCode_)
        return;
    exitCode_ = exitCode;
    io_.flush();
    if (done_)
        done_(exitCode);
}

void CliTool::refuse(const QString& message) {
    io_.message("qrx-cli: " + message);
    end(kExitUsage);
}

void CliTool::start(const QStringList& args, std::function<void(int)> done) {
    done_ = std::move(done);
    if (parseCommand(args))
        openAndRun();
}

// Everything that needs no line: help, version, the options and the command's values.
bool CliTool::parseCommand(const QStringList& args) {
    QCommandLineParser tool;
    setUpToolParser(tool);
    if (!tool.parse(args)) {
        refuse(clause(tool.errorText()) + "; qrx-cli --help lists the options");
        return false;
    }
    if (tool.isSet("help") || tool.isSet("version")) {
        io_.data(tool.isSet("help") ? toolHelp() : "qrx-cli " QRX_VERSION "\n");
        end(kExitDone);
        return false;
    }
    const QStringList rest = tool.positionalArguments();
    if (rest.isEmpty()) {
        refuse("no command given; qrx-cli --help lists the commands");
        return false;
    }
    const CommandEntry* entry = findCommand(rest[0]);
    if (!entry) {
        refuse(QString("no command \"%1\"; qrx-cli --help lists the commands").arg(rest[0]));
        return false;
    }
    command_ = entry->make();
    QCommandLineParser own;
    setUpCommandParser(own, *command_);
    if (!own.parse(QStringList{"qrx-cli " + entry->name} + rest.mid(1))) {
        refuse(entry->name + ": " + commandUsageProblem(own));
        return false;
    }
    if (own.isSet("help")) {
        io_.data(commandHelp(*entry));
        end(kExitDone);
        return false;
    }
    auto options = takeLineOptions(tool, command_->needsAddress());
    if (const QString* error = std::get_if<QString>(&options)) {
        refuse(*error);
        return false;
    }
    options_ = std::get<LineOptions>(options);
    if (const auto error = command_->take(own)) {
        refuse(*error);
        return false;
    }
    if (const auto error = command_->checkLine(options_)) {
        refuse(*error);
        return false;
    }
    return true;
}

void CliTool::openAndRun() {
    messages_ = std::make_unique<StreamMessageBoxes>(io_);
    try {
        port_ = makePort_(options_.port);
        port_->setOptionRefusedHandler([this](const PortError& e) {
            io_.message(QString("qrx-cli: %1 on %2 (%3); the port works without it")
                            .arg(optionRefusedText(true), e.devicePath, e.reason));
        });
        line_ = std::make_unique<LineSession>(clock_, *port_, *messages_);
        line_->configure(options_.line);
        line_->open();
    } catch (const PortError& e) {
        portFailed(e);
        return;
    }
    if (options_.verbose) {
        tap_ = std::make_unique<VerboseTap>(io_);
        line_->link().addObserver(tap_.get());
    }
    client_ = std::make_unique<GatewayClient>(
        line_->link(), options_.address,
        ExchangeOptions{options_.timeoutMs.value_or(defaultTimeoutMs(options_.line, {})),
                        options_.retries});
    context_ = std::make_unique<CommandContext>(*line_, *client_, clock_, io_, options_,
                                                [this](int code) { end(code); });
    if (!command_->needsAddress() || command_->identifiesItself()) {
        command_->run(*context_);
        return;
    }
    client_->identify([this](const std::optional<StepFailure>& f) { identified(f); });
}

// The device and the reason, then what to do, as the window's port failure says them.
void CliTool::portFailed(const PortError& e) {
    const bool named = e.devicePath.isEmpty() || e.devicePath == options_.port;
    io_.message(
        QString("qrx-cli: cannot open %1: %2")
            .arg(named ? options_.port : options_.port + " (" + e.devicePath + ")", e.reason));
    const QString advice = failureAdvice(e, true);
    if (!advice.isEmpty())
        io_.message("qrx-cli: " + advice);
    end(kExitFailed);
}

void CliTool::identified(const std::optional<StepFailure>& failure) {
    if (context_->finished())
        return;
    if (failure) {
        context_->complain(failure->text());
        if (failure->outcome == ExchangeOutcome::TimedOut)
            adviseOnSilence();
        context_->finish(kExitFailed);
        return;
    }
    if (client_->receiverByFallback()) // an older receiver: the window takes it so, too
        io_.message("qrx-cli: no answer to the identification: taken as the receiver QRX40");
    if (!options_.timeoutMs) {
        ExchangeOptions o = client_->options();
        o.timeoutMs = defaultTimeoutMs(options_.line, client_->image.responseTimeMs);
        client_->setOptions(o);
    }
    command_->run(*context_);
}

// No answer tells nothing of what is wrong: where and how the gateway was asked, and what
// finds it.
void CliTool::adviseOnSilence() {
    const LineChoice& l = options_.line;
    io_.message(QString("qrx-cli: asked address %1 on %2 with --mode %3 --baud %4 --parity %5")
                    .arg(options_.address)
                    .arg(portAndDevice(options_.port), modeName(l.mode))
                    .arg(l.baud)
                    .arg(parityName(l.parity)));
    io_.message(QString("qrx-cli: a wrong address, mode, baud rate or parity gets no answer; "
                        "qrx-cli --port %1 scan finds the gateway's")
                    .arg(options_.port));
}

void CliTool::interrupt() {
    if (finished())
        return;
    if (!context_) { // nothing runs yet
        io_.message("qrx-cli: interrupted");
        end(kExitInterrupted);
        return;
    }
    command_->interrupt(*context_);
}
