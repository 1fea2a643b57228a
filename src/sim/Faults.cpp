#include "sim/Faults.h"

#include <QStringList>

bool FaultPlan::add(const QString& text) {
    const QStringList parts = text.split('=');
    const QString name = parts[0].trimmed();
    if (name == "silent" && parts.size() == 1) {
        silent = true;
        return true;
    }
    if (name == "noident" && parts.size() == 1) {
        noIdentification = true;
        return true;
    }
    bool ok = parts.size() == 2;
    const int n = ok ? parts[1].toInt(&ok) : 0;
    if (!ok || n < 1 || n > 1000000)
        return false;
    if (name == "drop")
        dropEvery = n;
    else if (name == "corrupt")
        corruptEvery = n;
    else if (name == "exception")
        exceptionEvery = n;
    else if (name == "noise")
        noiseBytes = n;
    else if (name == "late")
        lateMs = n;
    else if (name == "lost")
        lostAt = n;
    else if (name == "stray")
        strayEveryMs = n;
    else
        return false;
    return true;
}
