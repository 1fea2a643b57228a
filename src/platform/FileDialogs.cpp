#include "platform/FileDialogs.h"

#include <QFileDialog>
#include <QMessageBox>

QString QtFileDialogs::saveFileName(QWidget* parent, const QString& caption,
                                    const QString& suggested, const QString& filter) {
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}

QString QtFileDialogs::openFileName(QWidget* parent, const QString& caption,
                                    const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

bool QtFileDialogs::confirmOverwrite(QWidget* parent, const QString& text, const QString& detail) {
    QMessageBox box(QMessageBox::Warning, QString(), text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setInformativeText(detail);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
