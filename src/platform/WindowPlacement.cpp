#include "platform/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void centreOnScreen(QWidget& window) {
    window.adjustSize();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    window.move(area.left() + (area.width() - window.width()) / 2,
                area.top() + (area.height() - window.height()) / 2);
}

void bringToFront(QWidget& window) {
    if (!window.isVisible())
        window.show();
    window.raise();
    window.activateWindow();
}
