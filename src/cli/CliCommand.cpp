#include "cli/CliCommand.h"

#include <QCommandLineParser>
#include <algorithm>

void CommandContext::finish(int exitCode) {
    if (finished_)
        return;
    finished_ = true;
    io.flush();
    if (finish_)
        finish_(exitCode);
}

void CommandContext::complain(const QString& text) const {
    io.message("qrx-cli: " + text);
}

void CommandContext::finishAfter(const std::optional<StepFailure>& failure) {
    if (finished_)
        return;
    if (failure)
        complain(failure->text());
    finish(failure ? kExitFailed : kExitDone);
}

void CommandContext::finishAfter(const std::optional<StepFailure>& failure,
                                 const std::function<QString()>& confirmation) {
    if (!failure && !finished_)
        io.data(confirmation() + '\n');
    finishAfter(failure);
}

bool CommandContext::refusedOnReceiver(const QString& command) {
    if (client.image.transceiver())
        return false;
    complain(QString("%1: the gateway is a %2 receiver; sender rows are the QTX40's only")
                 .arg(command, client.image.deviceText()));
    finish(kExitUsage);
    return true;
}

void CommandContext::allowResponseTime(uint16_t ms) {
    if (options.timeoutMs)
        return;
    ExchangeOptions o = client.options();
    o.timeoutMs = defaultTimeoutMs(options.line, std::max(ms, client.image.responseTimeMs));
    client.setOptions(o);
}

void CliCommand::interrupt(CommandContext& context) {
    context.complain("interrupted");
    context.finish(kExitInterrupted);
    context.client.cancel(); // its done comes after the end and is ignored
}

QString clause(QString text) {
    if (text.endsWith('.'))
        text.chop(1);
    return text;
}

std::optional<QStringList> CliCommand::arguments(const QCommandLineParser& parser,
                                                 const QString& command, const QString& syntax,
                                                 QString& error) {
    const QStringList given = parser.positionalArguments();
    const int wanted = syntax.isEmpty() ? 0 : int(syntax.split(' ').size());
    if (given.size() == wanted)
        return given;
    error = wanted == 0 ? QString("%1 takes no arguments").arg(command)
                        : QString("%1 takes %2").arg(command, syntax);
    return std::nullopt;
}
