#include "platform/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

void QtMessageBoxes::show(const QString& text) {
    if (open_->contains(text))
        return;
    open_->insert(text);
    auto* box = new QMessageBox(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                                QMessageBox::Ok, parent_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName("MessageBox");
    QObject::connect(box, &QObject::destroyed, [open = open_, text] { open->remove(text); });
    box->open();
}
