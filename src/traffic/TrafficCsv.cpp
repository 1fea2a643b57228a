#include "traffic/TrafficCsv.h"

#include "platform/UtcTime.h"
#include "traffic/TrafficRows.h"

namespace {
// A field with a comma, a quote or a line break goes in quotes, its quotes doubled.
QByteArray field(const QString& text) {
    QByteArray f = text.toUtf8();
    if (!f.contains(',') && !f.contains('"') && !f.contains('\n') && !f.contains('\r'))
        return f;
    f.replace("\"", "\"\"");
    return '"' + f + '"';
}
} // namespace

QByteArray trafficCsv(const BoundedRing<TrafficRecord>& records, bool problemsOnly) {
    QByteArray csv = "time_utc,direction,frame,meaning,check,latency_ms\n";
    csv.reserve(csv.size() + qsizetype(records.size()) * 90);
    for (size_t i = 0; i < records.size(); ++i) {
        const TrafficRecord& r = records[i];
        if (problemsOnly && !isProblem(r))
            continue;
        csv += utcTimeText(r.wallMs) + ',' + field(directionText(r, true)) + ',' +
               field(frameText(r.frame, r.format)) + ',' + field(meaningText(r, true)) + ',' +
               field(checkText(r, true)) + ',' +
               (r.latencyMs >= 0 ? QByteArray::number(r.latencyMs) : QByteArray()) + '\n';
    }
    return csv;
}
