#include "history/HistoryCsv.h"

#include "history/SensorHistory.h"
#include "platform/CsvText.h"
#include "platform/UtcTime.h"
#include "sensors/Scaling.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {
QByteArray scaledText(double value) {
    return std::isnan(value) ? QByteArray() : generalNumberText(value, QLocale::c()).toLatin1();
}

QByteArray csvLine(const SensorHistory& history, int row, const HistoryRecord& r,
                   const QByteArray& label) {
    char head[64];
    const int n = std::snprintf(head, sizeof head, ",%d,%08X,%02X,%u,%u,%u,%u", row,
                                unsigned(r.sensorId), unsigned(r.org), unsigned(r.raw[0]),
                                unsigned(r.raw[1]), unsigned(r.raw[2]), unsigned(r.raw[3]));
    QByteArray line = utcTimeText(r.wallMs);
    line.append(head, n);
    for (int k = 0; k < 4; ++k)
        line += ',' + scaledText(history.shownValue(r, k));
    line += ',' + QByteArray::number(r.timeValue) + (r.telegram ? ",1," : ",0,") + label + '\n';
    return line;
}
} // namespace

QByteArray historyCsv(const SensorHistory& history, const QList<int>& rows, const RowLabel& label) {
    struct At {
        int64_t ms;
        int row;
        size_t index;
    };
    QList<int> chosen = rows;
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    std::vector<At> order;
    for (int row : chosen) {
        if (row < 0 || row >= kSensorRows)
            continue;
        const RecordRing& ring = history.records(row);
        for (size_t i = 0; i < ring.size(); ++i)
            order.push_back({ring[i].wallMs, row, i});
    }
    // by time; records of the same moment by row, each row's in its own order
    std::stable_sort(order.begin(), order.end(), [](const At& a, const At& b) {
        return a.ms != b.ms ? a.ms < b.ms : a.row < b.row;
    });
    QByteArray csv = "time_utc,row,sensor_id,org,byte0,byte1,byte2,byte3,"
                     "scaled0,scaled1,scaled2,scaled3,time_value,telegram,label\n";
    csv.reserve(csv.size() + qsizetype(order.size()) * 80);
    QByteArray labels[kSensorRows];
    for (int row : chosen)
        if (label && row >= 0 && row < kSensorRows)
            labels[row] = csvField(label(row));
    for (const At& at : order)
        csv += csvLine(history, at.row, history.records(at.row)[at.index], labels[at.row]);
    return csv;
}
