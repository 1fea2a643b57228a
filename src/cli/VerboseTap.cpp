#include "cli/VerboseTap.h"

#include "link/Hex.h"
#include "sim/FrameLog.h"

namespace {
// ASCII frames as text without the line end, RTU frames as spaced hex bytes.
QString shown(const QByteArray& frame, bool ascii) {
    if (ascii)
        return QString::fromLatin1(frame).trimmed();
    return QString::fromLatin1(frame.toHex(' ').toUpper());
}

QString why(const LineEvent& e) {
    switch (e.rejection) {
    case Rejection::CheckFailed:
        return "rejected: check failed";
    case Rejection::OtherAddress:
        return "rejected: from another address";
    case Rejection::NotAccepted:
        return "rejected: function not accepted";
    case Rejection::Exception:
        return describeAnswer(frameContent(e.frame, e.ascii));
    case Rejection::Noise:
        return "rejected: noise";
    case Rejection::None:
        break;
    }
    return "rejected";
}
} // namespace

QByteArray frameContent(const QByteArray& frame, bool ascii) {
    if (!ascii)
        return frame.size() > 2 ? frame.left(frame.size() - 2) : QByteArray();
    const QString text = QString::fromLatin1(frame).trimmed();
    if (!text.startsWith(':'))
        return {};
    const auto bytes = bytesFromHex(text.mid(1));
    return bytes && bytes->size() > 1 ? bytes->left(bytes->size() - 1) : QByteArray();
}

void VerboseTap::lineEvent(const LineEvent& e) {
    const QString at = QString("%1 ms").arg(e.atMs, 7);
    const QString frame = shown(e.frame, e.ascii);
    switch (e.kind) {
    case LineEventKind::Written:
        io_.message(QString("%1 -> %2  %3")
                        .arg(at, frame, describeRequest(frameContent(e.frame, e.ascii))));
        break;
    case LineEventKind::Taken:
        io_.message(QString("%1 <- %2  %3%4")
                        .arg(at, frame, describeAnswer(frameContent(e.frame, e.ascii)),
                             e.late ? " (late)" : ""));
        break;
    case LineEventKind::Rejected:
        io_.message(QString("%1 <- %2  %3").arg(at, frame, why(e)));
        break;
    case LineEventKind::TimedOut:
        io_.message(QString("%1    no answer in time").arg(at));
        break;
    case LineEventKind::Drained:
        io_.message(QString("%1 <- %2  drained: late").arg(at, frame));
        break;
    case LineEventKind::Received:
        break; // the pieces as the port hands them over: the complete frame follows
    }
}
