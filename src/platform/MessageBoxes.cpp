#include "platform/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

void QtMessageBoxes::show(const QString& text, const QString& detail) {
    const QString key = text + QChar(0) + detail;
    if (open_->contains(key))
        return;
    open_->insert(key);
    auto* box = new QMessageBox(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                                QMessageBox::Ok, parent_);
    box->setInformativeText(detail);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName("MessageBox");
    QObject::connect(box, &QObject::destroyed, [open = open_, key] { open->remove(key); });
    box->open();
}
