#include "learn/LearnFakes.h"

#include <QCoreApplication>
#include <QEvent>

LearnRig::LearnRig(const QString& mode)
    : ManualTimers({250, 300, 0, 100, 1000, 200, 100}) {
    settings.ModeText = mode;
    settings.DataBitsText = mode == "RTU" ? "8" : "7";
    port.open = true;
    port.mode = mode == "RTU" ? InputMode::Binary : InputMode::Text;
    settings.PortIsOpen = true;
    status.attach(ctx);
    panel.attach(ctx);
}

LearnRig::~LearnRig() {
    // windows closed during the test are deleted with the next turn of the event loop
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QByteArray LearnRig::frameOf(const QString& requestText) const {
    if (rtu())
        return rtuFrame(*bytesFromHex(requestText));
    return asciiFrame(requestText);
}

void LearnRig::answer(const QString& hex) {
    port.receive(frameOf(hex));
    link.ReceiveAnswer();
}

QStringList LearnRig::writtenRequests() const {
    // each frame back to its request text, without check value and framing
    QStringList out;
    for (const QByteArray& f : port.written) {
        if (rtu())
            out << hexOf(f.left(f.size() - 2));
        else
            out << QString::fromLatin1(f.mid(1, f.size() - 5));
    }
    return out;
}

void LearnRig::click(QWidget* window, const char* name) const {
    if (auto* b = child<QAbstractButton>(window, name))
        b->click();
}
