#pragma once
// "Which file?" The program asks with the toolkit's file dialog; tests give the path without a
// dialog and see what was asked.

#include <QString>
#include <QStringList>

class QWidget;

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The chosen path; empty when the user cancelled.
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                                 const QString& filter) = 0;
    virtual QString openFileName(QWidget* parent, const QString& caption,
                                 const QString& filter) = 0;
    // "Overwrite it?" with what will be lost (text) and what is wrong with the file (detail):
    // true when the user agrees.
    virtual bool confirmOverwrite(QWidget* parent, const QString& text, const QString& detail) = 0;
};

class QtFileDialogs : public FileDialogs {
public:
    QString saveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                         const QString& filter) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& filter) override;
    bool confirmOverwrite(QWidget* parent, const QString& text, const QString& detail) override;
};

// Answers with `path` (empty: cancelled) and keeps the captions and suggested names asked with.
class ScriptedFileDialogs : public FileDialogs {
public:
    QString saveFileName(QWidget*, const QString& caption, const QString& suggested,
                         const QString&) override {
        asked << caption;
        suggestions << suggested;
        return path;
    }
    QString openFileName(QWidget*, const QString& caption, const QString&) override {
        asked << caption;
        return path;
    }
    bool confirmOverwrite(QWidget*, const QString& text, const QString& detail) override {
        asked << text + "\n" + detail;
        return overwrite;
    }
    bool overwrite = false;
    QString path;
    QStringList asked;
    QStringList suggestions;
};
