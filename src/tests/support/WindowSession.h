#pragma once
// The tool's whole main window against the in-process simulated gateway, under the manual clock:
// the rig shared by the session tests. The gateway model stays reachable through `model`.

#include "app/MainWindow.h"
#include "app/StartRoutine.h"
#include "platform/DocumentOpener.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "sim/Faults.h"
#include "sim/GatewayModel.h"
#include "sim/SimulatedGatewayPort.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <memory>
#include <ostream>

struct WindowSession {
    ProgramSettings s;
    ManualClock clock;
    GatewayModel* model = nullptr;
    std::unique_ptr<SimulatedGatewayPort> port;
    RecordingMessageBoxes messages;
    RecordingDocumentOpener opener;
    std::unique_ptr<MainWindow> w;

    // The gateway is prepared by the caller (sensors learned, sender rows filled) before the
    // window exists. language: the stored "Language" ("1033" English; empty German); read, when
    // given, reads the stored settings instead.
    explicit WindowSession(std::unique_ptr<GatewayModel> m, FaultPlan faults = {},
                           QString language = {}, StoredSettingReader read = {}) {
        model = m.get();
        port = std::make_unique<SimulatedGatewayPort>(clock, std::move(m), faults);
        applyStartValues(s);
        if (!read)
            read = [language](const QString&, const QString& value) {
                return value == "Language" ? language : QString();
            };
        w = std::make_unique<MainWindow>(s, clock, *port, messages, read, opener);
        runStartRoutine(s, *w, *port);
    }
    ~WindowSession() {
        // Windows the session opened (status window, sensor settings) go before the main window.
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top != w.get())
                top->close();
    }

    template <class T> T* find(const QString& name) const { return w->findChild<T*>(name); }
    // A control anywhere: the main window or one of the windows it opened.
    template <class T> T* anywhere(const QString& name) const {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() == name)
                if (auto* t = qobject_cast<T*>(top))
                    return t;
            if (auto* t = top->findChild<T*>(name))
                return t;
        }
        return nullptr;
    }
    // A window that is open now, by name. A closed window can linger hidden until the event loop
    // deletes it, so anywhere() may find the old one after a window was opened a second time.
    QWidget* openWindow(const QString& name) const {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == name && top->isVisible())
                return top;
        return nullptr;
    }
    template <class T> T* inOpenWindow(const QString& window, const QString& name) const {
        QWidget* top = openWindow(window);
        return top ? top->findChild<T*>(name) : nullptr;
    }
    // A list choice as the user makes it: the entry is selected and the list reports it.
    static void choose(QComboBox* list, int index) {
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    void pick(int list, const QString& text) {
        QComboBox* l = find<QComboBox>(QString("Combo_Port_%1").arg(list));
        l->setCurrentIndex(l->findText(text));
        emit l->activated(l->currentIndex());
    }
    // Address 1, the mode ("ASCII" or "RTU"), "open".
    void connect(const QString& mode, const QString& address = "1") {
        find<QLineEdit>("txt_Modbus_adress")->setText(address);
        pick(5, mode);
        pick(6, "open");
    }
    QString text(const QString& name) const {
        if (auto* l = find<QLabel>(name))
            return l->text();
        if (auto* e = find<QLineEdit>(name))
            return e->text();
        return QString();
    }
    QString id(int row) const { return text(QString("txt_id_%1").arg(row)); }
    QString org(int row) const { return text(QString("txt_org_%1").arg(row)); }
};

// Readable texts in test failures.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* os) {
    *os << '{' << texts.join("|").toStdString() << '}';
}

inline QString hex2(unsigned v) {
    return QString("%1").arg(v & 0xFF, 2, 16, QChar('0')).toUpper();
}
inline QString hex8(uint32_t v) {
    return QString("%1").arg(v, 8, 16, QChar('0')).toUpper();
}
