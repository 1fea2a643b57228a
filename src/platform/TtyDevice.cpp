#include "platform/TtyDevice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <linux/serial.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {
// Unix98 pseudo-terminal slaves have the majors 136 to 143 (linux/major.h).
bool isPtyMajor(dev_t device) {
    const unsigned m = major(device);
    return m >= 136 && m <= 143;
}

bool statPath(const QString& path, struct stat& st) {
    return ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

// The program named in a lock file ("LCK..ttyUSB0", the PID in its first line), if it runs.
qint64 lockFileHolder(const QString& node) {
    const QString name =
        "LCK.." + QString(node.startsWith("/dev/") ? node.mid(5) : node).replace('/', '_');
    for (const char* dir : {"/run/lock", "/var/lock", "/var/lock/lockdev", "/var/spool/locks",
                            "/var/spool/uucp", "/etc/locks", "/tmp", "/var/tmp"}) {
        QFile lock(QString(dir) + "/" + name);
        if (!lock.open(QIODevice::ReadOnly))
            continue;
        const qint64 pid = lock.readLine(64).trimmed().toLongLong();
        if (pid > 0 && QFileInfo::exists(QString("/proc/%1").arg(pid)))
            return pid;
    }
    return 0;
}

// A process with the node among its open files; only processes this user may look into.
qint64 procHolder(const QString& node) {
    const QDir proc("/proc");
    for (const QString& pid : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!pid.at(0).isDigit())
            continue;
        const QDir fds("/proc/" + pid + "/fd");
        for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::Files))
            if (fd.symLinkTarget() == node)
                return pid.toLongLong();
    }
    return 0;
}
} // namespace

DeviceKind probeDeviceKind(const QString& path) {
    struct stat st {};
    if (!statPath(path, st))
        return DeviceKind::Missing;
    if (S_ISDIR(st.st_mode))
        return DeviceKind::Folder;
    if (!S_ISCHR(st.st_mode))
        return DeviceKind::NotADevice;
    if (isPtyMajor(st.st_rdev))
        return DeviceKind::PseudoTerminal;
    // sysfs names the class of every character device; without sysfs, believe the path
    const QString subsystem =
        QString("/sys/dev/char/%1:%2/subsystem").arg(major(st.st_rdev)).arg(minor(st.st_rdev));
    const QString target = QFileInfo(subsystem).canonicalFilePath();
    return target.isEmpty() || target.endsWith("/tty") ? DeviceKind::Tty : DeviceKind::NotATty;
}

bool isPseudoTerminal(int fd, const QString& path) {
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode))
        return isPtyMajor(st.st_rdev);
    return probeDeviceKind(path) == DeviceKind::PseudoTerminal;
}

DeviceAccess probeDeviceAccess(const QString& path) {
    DeviceAccess a;
    a.kind = probeDeviceKind(path);
    const QFileInfo node(path); // its readable and writable ask the system as this user
    a.mayOpen = node.isReadable() && node.isWritable();
    a.group = node.group();
    if (const passwd* pw = ::getpwuid(::geteuid()))
        a.user = QString::fromLocal8Bit(pw->pw_name);
    if (a.kind == DeviceKind::Missing)
        return a;
    const QString target = node.canonicalFilePath();
    a.holderPid = lockFileHolder(target);
    if (a.holderPid == 0)
        a.holderPid = procHolder(target);
    if (a.holderPid > 0) {
        QFile comm(QString("/proc/%1/comm").arg(a.holderPid));
        if (comm.open(QIODevice::ReadOnly))
            a.holder = QString::fromLocal8Bit(comm.readLine(64).trimmed());
    }
    return a;
}

int setRs485Mode(int fd, bool on) {
    // the driver's own delays and bus termination stay as they are
    serial_rs485 rs485{};
    if (::ioctl(fd, TIOCGRS485, &rs485) < 0)
        return errno;
    if (!on && !(rs485.flags & SER_RS485_ENABLED))
        return 0;
    if (on) {
        rs485.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
        rs485.flags &= ~SER_RS485_RTS_AFTER_SEND;
    } else {
        rs485.flags &= ~SER_RS485_ENABLED;
    }
    return ::ioctl(fd, TIOCSRS485, &rs485) < 0 ? errno : 0;
}
