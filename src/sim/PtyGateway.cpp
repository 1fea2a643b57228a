#include "sim/PtyGateway.h"

#include "sim/LineFit.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyGateway::PtyGateway(const SimOptions& options, LogSink log)
    : options_(options)
    , log_(log)
    , line_(options, log, [this](const QByteArray& bytes) { write(bytes); }) {
    line_.onLost = [this] {
        closePty();
        if (onLost)
            onLost();
    };
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
    notifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &PtyGateway::readable);
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
    const LineSettings own = line_.gatewayLine();
    termios t{};
    if (tcgetattr(master_, &t) != 0)
        return own;
    return ptyLine(unsigned(t.c_cflag), unsigned(cfgetispeed(&t)), own.dataBits).value_or(own);
}

void PtyGateway::readable() {
    char buf[512];
    const ssize_t n = ::read(master_, buf, sizeof buf);
    if (n > 0)
        line_.receive(QByteArray(buf, int(n)), toolLine());
}

void PtyGateway::write(const QByteArray& bytes) {
    if (master_ >= 0 && ::write(master_, bytes.constData(), size_t(bytes.size())) < 0 && log_)
        log_(QString("-- write failed: %1").arg(strerror(errno)));
}
