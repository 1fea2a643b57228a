#include "platform/DocumentOpener.h"

#include <QDesktopServices>
#include <QUrl>

void DesktopDocumentOpener::open(const QString& fileOrUrl) {
    const QString t = fileOrUrl.trimmed();
    if (t.isEmpty())
        return;
    const bool isUrl = t.startsWith("mailto:", Qt::CaseInsensitive) ||
                       t.startsWith("http://", Qt::CaseInsensitive) ||
                       t.startsWith("https://", Qt::CaseInsensitive);
    // a handler that is missing or fails leaves the tool as it was
    QDesktopServices::openUrl(isUrl ? QUrl(t) : QUrl::fromLocalFile(t));
}
