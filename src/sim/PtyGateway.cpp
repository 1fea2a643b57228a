#include "sim/PtyGateway.h"

#include "sim/FrameLog.h"
#include "sim/LineFit.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyGateway::PtyGateway(const SimOptions& options, LogSink log)
    : options_(options)
    , log_(std::move(log))
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
    writer_.setInterval(1);
    connect(&writer_, &QTimer::timeout, this, &PtyGateway::writeDue);
}

PtyGateway::~PtyGateway() {
    closePty();
}

QString PtyGateway::start() {
    if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0)
        return QString("openpty failed: %1").arg(strerror(errno));
    termios t{};
    tcgetattr(slave_, &t);
    cfmakeraw(&t);
    cfsetspeed(&t, B9600);
    tcsetattr(slave_, TCSANOW, &t);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    slavePath_ = QString::fromLocal8Bit(ttyname(slave_));
    if (!options_.link.isEmpty()) {
        if (!linkMayGo(options_.link))
            return QString("%1 exists and is not a link to a pseudo-terminal; it stays as it is")
                .arg(options_.link);
        QFile::remove(options_.link); // a link an earlier run left behind
        if (symlink(slavePath_.toLocal8Bit().constData(),
                    options_.link.toLocal8Bit().constData()) != 0)
            return QString("cannot create the link %1: %2").arg(options_.link, strerror(errno));
        linked_ = true;
    }
    if (options_.faults.strayEveryMs > 0) {
        connect(&stray_, &QTimer::timeout, this, [this] {
            if (!answers_.empty())
                return; // not while an answer is underway
            answers_.schedule(QByteArray(1, '\xFF'), nowUs(), charUs());
            writer_.start();
        });
        stray_.start(options_.faults.strayEveryMs);
    }
    notifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &PtyGateway::readable);
    elapsed_.start();
    return QString();
}

void PtyGateway::closePty() {
    if (notifier_)
        notifier_->setEnabled(false);
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
    master_ = slave_ = -1;
    stray_.stop();
    // only the link made here, and only while it still points where it was made to
    if (linked_ && QFileInfo(options_.link).symLinkTarget() == slavePath_)
        QFile::remove(options_.link);
    linked_ = false;
}

bool PtyGateway::linkMayGo(const QString& path) {
    const QFileInfo at(path);
    if (!at.exists() && !at.isSymLink())
        return true;
    return at.isSymLink() && at.symLinkTarget().startsWith("/dev/pts/");
}

LineSettings PtyGateway::toolLine() const {
    termios t{};
    if (tcgetattr(master_, &t) != 0)
        return line_;
    return ptyLine(unsigned(t.c_cflag), unsigned(cfgetispeed(&t)), line_.dataBits).value_or(line_);
}

void PtyGateway::readable() {
    char buf[512];
    const ssize_t n = ::read(master_, buf, sizeof buf);
    if (n <= 0)
        return;
    const LineSettings tool = toolLine();
    if (tool.text() != toolLine_.text() && lineFit(line_, tool) != LineFit::Same)
        log("--", QString("the tool is at %1, the gateway at %2: %3")
                      .arg(tool.text(), line_.text(),
                           lineFit(line_, tool) == LineFit::Deaf ? "requests are not understood"
                                                                 : "answers arrive garbled"));
    toolLine_ = tool;
    if (lineFit(line_, tool) == LineFit::Deaf)
        return; // the gateway's receiver sees no valid character
    serveAll(server_.receive(QByteArray(buf, int(n)), int64_t(nowUs() / 1000), false));
    if (options_.mode == LineMode::Rtu)
        silence_.start();
}

void PtyGateway::serveAll(const std::vector<ServedExchange>& xs) {
    for (const ServedExchange& x : xs) {
        log("<-", describeRequest(x.request) +
                      (x.requestCheckOk ? " check ok" : " check bad, not answered"));
        if (x.deviceLost) {
            log("--", "device lost (fault), closing the line");
            closePty();
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
        const QByteArray onLine = lineFit(line_, toolLine_) == LineFit::Garbled
                                      ? receivedAcross(x.answerFrame, line_, toolLine_)
                                      : x.answerFrame;
        answers_.schedule(onLine, nowUs() + x.delayMs * 1000.0, charUs());
        writer_.start();
    }
}

void PtyGateway::writeDue() {
    const QByteArray out = answers_.takeDue(nowUs());
    if (!out.isEmpty() && master_ >= 0 && ::write(master_, out.constData(), size_t(out.size())) < 0)
        log("--", QString("write failed: %1").arg(strerror(errno)));
    if (answers_.empty())
        writer_.stop();
}

void PtyGateway::log(const QString& direction, const QString& text) {
    if (log_)
        log_(QString("%1 %2 %3").arg(nowUs() / 1e6, 9, 'f', 3).arg(direction, text));
}
