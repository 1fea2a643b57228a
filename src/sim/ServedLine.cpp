#include "sim/ServedLine.h"

#include "sim/FrameLog.h"
#include "sim/LineFit.h"

#include <algorithm>

ServedLine::ServedLine(const SimOptions& options, LogSink log, Writer write)
    : options_(options)
    , log_(std::move(log))
    , write_(std::move(write))
    , model_(makeGatewayModel(options, options.addresses.front()))
    , server_(*model_, options.faults, options.seed)
    , line_{options.baud, options.parity, options.mode == LineMode::Ascii ? 7 : 8,
            options.parity == 'N' ? 2 : 1}
    , toolLine_(line_) {
    server_.setMode(options.mode);
    for (size_t i = 1; i < options.addresses.size(); ++i) {
        others_.push_back(makeGatewayModel(options, options.addresses[i]));
        server_.addGateway(*others_.back());
    }
    silence_.setSingleShot(true);
    silence_.setTimerType(Qt::PreciseTimer);
    silence_.setInterval(std::max(2, int(3.5 * charUs() / 1000.0 + 0.999)));
    connect(&silence_, &QTimer::timeout, this,
            [this] { serveAll(server_.lineSilent(int64_t(nowUs() / 1000))); });
    writer_.setTimerType(Qt::PreciseTimer);
    writer_.setInterval(options.adapterLatencyMs);
    connect(&writer_, &QTimer::timeout, this, &ServedLine::writeDue);
    if (options.faults.strayEveryMs > 0) {
        connect(&stray_, &QTimer::timeout, this, [this] {
            if (!answers_.empty())
                return; // not while an answer is underway
            answers_.schedule(QByteArray(1, '\xFF'), nowUs(), charUs());
            writer_.start();
        });
        stray_.start(options.faults.strayEveryMs);
    }
    elapsed_.start();
}

void ServedLine::setMbap(bool on) {
    mbap_ = on;
    server_.setMbap(on);
}

void ServedLine::restart() {
    server_.setMode(options_.mode); // forgets a frame begun
    server_.setMbap(mbap_);
    answers_.clear();
    writer_.stop();
    silence_.stop();
}

void ServedLine::stop() {
    stray_.stop();
    restart();
}

void ServedLine::receive(const QByteArray& bytes, const LineSettings& tool) {
    if (!mbap_ && tool.text() != toolLine_.text() && lineFit(line_, tool) != LineFit::Same)
        log("--", QString("the tool is at %1, the gateway at %2: %3")
                      .arg(tool.text(), line_.text(),
                           lineFit(line_, tool) == LineFit::Deaf ? "requests are not understood"
                                                                 : "answers arrive garbled"));
    toolLine_ = tool;
    if (!mbap_ && lineFit(line_, tool) == LineFit::Deaf)
        return; // the gateway's receiver sees no valid character
    serveAll(server_.receive(bytes, int64_t(nowUs() / 1000), false));
    if (!mbap_ && options_.mode == LineMode::Rtu)
        silence_.start();
}

void ServedLine::serveAll(const std::vector<ServedExchange>& xs) {
    for (const ServedExchange& x : xs) {
        log("<-", describeRequest(x.request) +
                      (x.requestCheckOk ? " check ok" : " check bad, not answered"));
        if (x.deviceLost) {
            log("--", "device lost (fault), closing the line");
            stop();
            if (onLost)
                onLost();
            return;
        }
        if (x.answerFrame.isEmpty()) {
            if (x.requestCheckOk)
                log("->", "no answer");
            continue;
        }
        log("->", describeAnswer(x.answer) +
                      (x.answerCheckOk ? " check ok" : " check bad (fault)") +
                      QString(" after %1 ms").arg(x.delayMs));
        const bool garbled = !mbap_ && lineFit(line_, toolLine_) == LineFit::Garbled;
        const QByteArray onLine =
            garbled ? receivedAcross(x.answerFrame, line_, toolLine_) : x.answerFrame;
        answers_.schedule(onLine, nowUs() + x.delayMs * 1000.0, charUs());
    }
    writeDue(); // what is due now goes at once
    if (!answers_.empty())
        writer_.start();
}

void ServedLine::writeDue() {
    const QByteArray out = answers_.takeDue(nowUs());
    if (!out.isEmpty() && write_)
        write_(out);
    if (answers_.empty())
        writer_.stop();
}

void ServedLine::log(const QString& direction, const QString& text) {
    if (log_)
        log_(QString("%1 %2 %3").arg(nowUs() / 1e6, 9, 'f', 3).arg(direction, text));
}
