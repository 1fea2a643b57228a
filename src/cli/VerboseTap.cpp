#include "cli/VerboseTap.h"

#include "traffic/TrafficRows.h"

void VerboseTap::lineEvent(const LineEvent& e) {
    if (e.kind == LineEventKind::Received)
        return; // the pieces as the port hands them over: the complete frame follows
    if (e.kind == LineEventKind::Written) {
        request_ = e.frame;
        writtenAtMs_ = e.atMs;
    }
    TrafficRecord r;
    r.frame = e.frame;
    r.request = e.kind == LineEventKind::Written ? QByteArray() : request_;
    r.kind = e.kind;
    r.rejection = e.rejection;
    r.exceptionCode = e.exceptionCode;
    r.late = e.late;
    r.format = e.format;
    QString line = QString("%1 ms").arg(e.atMs, 7);
    if (e.kind != LineEventKind::TimedOut)
        line += (e.kind == LineEventKind::Written ? " -> " : " <- ") + frameText(e.frame, e.format);
    line += "    " + meaningText(r, true);
    QString check = checkText(r, true);
    if (e.kind == LineEventKind::Taken)
        check += QString(", %1 ms").arg(e.atMs - writtenAtMs_);
    if (!check.isEmpty())
        line += " (" + check + ")";
    io_.message(line);
}
