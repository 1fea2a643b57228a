#include "traffic/TrafficRows.h"

#include "link/Hex.h"
#include "traffic/TrafficMeaning.h"

namespace {
QString say(bool english, const char* en, const char* de) {
    return QString::fromUtf8(english ? en : de);
}

QString answerOf(const TrafficRecord& r, bool english) {
    const std::optional<QByteArray> pdu = pduOfFrame(r.frame, r.ascii);
    if (!pdu)
        return QString();
    return answerMeaning(*pdu, pduOfFrame(r.request, r.ascii).value_or(QByteArray()), english);
}
} // namespace

bool isProblem(const TrafficRecord& r) {
    switch (r.kind) {
    case LineEventKind::Taken:
        return r.late;
    case LineEventKind::Rejected:
    case LineEventKind::TimedOut:
    case LineEventKind::Drained:
        return true;
    default:
        return false;
    }
}

QString directionText(const TrafficRecord& r, bool english) {
    if (r.kind == LineEventKind::TimedOut)
        return QString();
    return r.kind == LineEventKind::Written ? say(english, "to gateway", "zum Gateway")
                                            : say(english, "from gateway", "vom Gateway");
}

QString frameText(const QByteArray& frame, bool ascii) {
    if (!ascii)
        return QString::fromLatin1(frame.toHex(' ').toUpper());
    QString text;
    text.reserve(frame.size());
    QByteArray line = frame;
    if (line.endsWith("\r\n"))
        line.chop(2);
    for (char c : line) {
        const uint8_t b = uint8_t(c);
        text += b >= 0x20 && b < 0x7F ? QString(QChar(b)) : "<" + ByteToHex(b) + ">";
    }
    return text;
}

QString meaningText(const TrafficRecord& r, bool english) {
    switch (r.kind) {
    case LineEventKind::Written:
        return requestMeaning(pduOfFrame(r.frame, r.ascii).value_or(QByteArray()), english);
    case LineEventKind::TimedOut: {
        const std::optional<QByteArray> request = pduOfFrame(r.request, r.ascii);
        const QString asked = request ? requestMeaning(*request, english) : QString();
        return asked.isEmpty() ? say(english, "no answer", "keine Antwort")
                               : say(english, "no answer to %1", "keine Antwort auf %1").arg(asked);
    }
    case LineEventKind::Rejected:
        if (r.rejection == Rejection::Noise)
            return say(english, "%1 bytes", "%1 Bytes").arg(r.frame.size());
        return answerOf(r, english);
    default:
        return answerOf(r, english);
    }
}

QString checkText(const TrafficRecord& r, bool english) {
    switch (r.kind) {
    case LineEventKind::Written:
    case LineEventKind::Received:
        return QString();
    case LineEventKind::Taken:
        return r.late ? say(english, "late", "verspätet") : say(english, "taken", "übernommen");
    case LineEventKind::TimedOut:
        return say(english, "time-out", "Zeitüberschreitung");
    case LineEventKind::Drained:
        return say(english, "drained", "verworfen");
    case LineEventKind::Rejected:
        break;
    }
    switch (r.rejection) {
    case Rejection::CheckFailed:
        return say(english, "check failed", "Prüfsumme falsch");
    case Rejection::OtherAddress:
        return say(english, "other address", "andere Adresse");
    case Rejection::NotAccepted:
        return say(english, "not accepted", "nicht angenommen");
    case Rejection::Exception:
        return say(english, "exception", "Ausnahme");
    case Rejection::Noise:
        return say(english, "noise", "Störung");
    case Rejection::Misfit:
        return say(english, "does not fit the request", "passt nicht zur Anfrage");
    case Rejection::None:
        break;
    }
    return QString();
}

QString countersText(const TrafficCounters& c, bool english) {
    const QString latency =
        c.latency.count() == 0
            ? say(english, "latency –", "Antwortzeit –")
            : say(english, "latency median %1 ms, max. %2 ms",
                  "Antwortzeit Median %1 ms, max. %2 ms")
                  .arg(QString::number(c.latency.median(), 'g', 12)) // "38" or "38.5"
                  .arg(c.latency.maximum());
    return say(english,
               "Requests %1 · answers %2 · time-outs %3 · check failures %4 · exceptions %5 · "
               "late %6 · foreign %7 · bytes out %8, in %9",
               "Anfragen %1 · Antworten %2 · Zeitüberschreitungen %3 · Prüfsummenfehler %4 · "
               "Ausnahmen %5 · verspätet %6 · fremd %7 · Bytes gesendet %8, empfangen %9")
               .arg(c.requests)
               .arg(c.answers)
               .arg(c.timeOuts)
               .arg(c.checkFailures)
               .arg(c.exceptions)
               .arg(c.lateAnswers)
               .arg(c.foreign)
               .arg(c.bytesOut)
               .arg(c.bytesIn) +
           " · " + latency;
}
