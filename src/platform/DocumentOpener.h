#pragma once
// Opens a document or address with the desktop's handler (help files, mail, web pages).

#include <QString>
#include <QStringList>

class DocumentOpener {
public:
    virtual ~DocumentOpener() = default;
    virtual void open(const QString& fileOrUrl) = 0;
};

class DesktopDocumentOpener : public DocumentOpener {
public:
    void open(const QString& fileOrUrl) override;
};

// Keeps what was asked to open, for tests.
class RecordingDocumentOpener : public DocumentOpener {
public:
    void open(const QString& fileOrUrl) override { opened << fileOrUrl; }
    QStringList opened;
};
