#include "traffic/TrafficCsv.h"

#include "platform/CsvText.h"
#include "platform/UtcTime.h"
#include "traffic/TrafficRows.h"

QByteArray trafficCsv(const BoundedRing<TrafficRecord>& records, bool problemsOnly) {
    QByteArray csv = "time_utc,direction,frame,meaning,check,latency_ms\n";
    csv.reserve(csv.size() + qsizetype(records.size()) * 90);
    for (size_t i = 0; i < records.size(); ++i) {
        const TrafficRecord& r = records[i];
        if (problemsOnly && !isProblem(r))
            continue;
        csv += utcTimeText(r.wallMs) + ',' + csvField(directionText(r, true)) + ',' +
               csvField(frameText(r.frame, r.ascii)) + ',' + csvField(meaningText(r, true)) + ',' +
               csvField(checkText(r, true)) + ',' +
               (r.latencyMs >= 0 ? QByteArray::number(r.latencyMs) : QByteArray()) + '\n';
    }
    return csv;
}
