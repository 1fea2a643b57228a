#include "commission/CommissionReport.h"

#include "commission/CommissionTexts.h"
#include "commission/Commissioning.h"

#include <QDateTime>
#include <QTimeZone>

void stampLocalTime(ReportHeader& header, int64_t wallMs) {
    header.madeAtMs = wallMs;
    header.utcOffsetSeconds = QDateTime::fromMSecsSinceEpoch(wallMs).offsetFromUtc();
}

CommissionReport makeReport(const ReportHeader& header, const Commissioning& run) {
    return CommissionReport{header, run.applied(), run.listenedMs(), run.gateways()};
}

namespace {
QDateTime localTime(int64_t wallMs, int utcOffsetSeconds) {
    return QDateTime::fromMSecsSinceEpoch(wallMs, QTimeZone(utcOffsetSeconds));
}

void addSensor(std::vector<Deficiency>& out, uint8_t address, const SensorCheck& s, bool english) {
    for (SensorState kind : s.deficiencies()) {
        Deficiency d;
        d.address = address;
        d.row = s.found() ? s.row : s.expected.row.value_or(-1);
        d.id = s.expected.idText();
        d.sensor = s.expected.label.isEmpty() ? d.id : s.expected.label;
        d.kind = kind;
        d.what = deficiencyText(kind, s, english);
        d.fix = fixText(kind, s, english);
        out.push_back(d);
    }
}
} // namespace

std::vector<Deficiency> deficiencies(const CommissionReport& report, bool english) {
    std::vector<Deficiency> out;
    for (const GatewayCheck& g : report.gateways) {
        if (!g.answered) {
            Deficiency d;
            d.address = g.address;
            d.kind = SensorState::Unchecked;
            d.what = gatewayFailureText(g.checked ? g.failure : QString("-"), english);
            d.fix = gatewayFixText(english);
            out.push_back(d);
            continue;
        }
        for (const SensorCheck& s : g.sensors)
            addSensor(out, g.address, s, english);
        for (const SensorCheck& s : g.extras)
            addSensor(out, g.address, s, english);
    }
    return out;
}

ReportCounts countReport(const CommissionReport& report) {
    ReportCounts c;
    for (const GatewayCheck& g : report.gateways) {
        c.expected += int(g.sensors.size());
        if (!g.answered) {
            ++c.deficiencies;
            continue;
        }
        for (const SensorCheck& s : g.sensors) {
            c.verified += s.verified() ? 1 : 0;
            c.deficiencies += int(s.deficiencies().size());
        }
        for (const SensorCheck& s : g.extras)
            c.deficiencies += int(s.deficiencies().size());
    }
    return c;
}

QString summaryText(const CommissionReport& report, bool english) {
    const ReportCounts c = countReport(report);
    if (english)
        return QString("%1 of %2 sensors verified, %3 %4")
            .arg(c.verified)
            .arg(c.expected)
            .arg(c.deficiencies)
            .arg(c.deficiencies == 1 ? "deficiency" : "deficiencies");
    return QString("%1 von %2 Sensoren bestätigt, %3 %4")
        .arg(c.verified)
        .arg(c.expected)
        .arg(c.deficiencies)
        .arg(c.deficiencies == 1 ? "Mangel" : QString::fromUtf8("Mängel"));
}

QString localTimeText(int64_t wallMs, int utcOffsetSeconds) {
    const int minutes = std::abs(utcOffsetSeconds) / 60;
    return localTime(wallMs, utcOffsetSeconds).toString("yyyy-MM-dd HH:mm:ss") +
           QString(" UTC%1%2:%3")
               .arg(utcOffsetSeconds < 0 ? '-' : '+')
               .arg(minutes / 60, 2, 10, QChar('0'))
               .arg(minutes % 60, 2, 10, QChar('0'));
}

QString telegramTimeText(int64_t wallMs, const ReportHeader& header) {
    if (wallMs == 0)
        return QString();
    const QDateTime at = localTime(wallMs, header.utcOffsetSeconds);
    const bool sameDay = at.date() == localTime(header.madeAtMs, header.utcOffsetSeconds).date();
    return at.toString(sameDay ? "HH:mm:ss" : "yyyy-MM-dd HH:mm:ss");
}
