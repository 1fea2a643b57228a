#include "platform/FileDialogs.h"

#include <QFileDialog>

QString QtFileDialogs::saveFileName(QWidget* parent, const QString& caption,
                                    const QString& suggested, const QString& filter) {
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}

QString QtFileDialogs::openFileName(QWidget* parent, const QString& caption,
                                    const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}
