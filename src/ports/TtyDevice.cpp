#include "ports/TtyDevice.h"

#include <QFileInfo>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {
// Unix98 pseudo-terminal slaves have the majors 136 to 143 (linux/major.h).
bool isPtyMajor(dev_t device) {
    const unsigned m = major(device);
    return m >= 136 && m <= 143;
}
} // namespace

bool isPseudoTerminal(int fd, const QString& path) {
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode))
        return isPtyMajor(st.st_rdev);
    if (QFileInfo(path).canonicalFilePath().startsWith("/dev/pts/"))
        return true;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISCHR(st.st_mode) &&
           isPtyMajor(st.st_rdev);
}
