#include "commission/ReportJson.h"

#include "commission/CommissionReport.h"
#include "commission/CommissionTexts.h"
#include "platform/UtcTime.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
QJsonValue orNull(bool has, const QJsonValue& value) {
    return has ? value : QJsonValue(QJsonValue::Null);
}

QJsonValue timeOrNull(int64_t wallMs) {
    return orNull(wallMs != 0, QString::fromLatin1(utcTimeText(wallMs)));
}

QJsonArray bytes(const std::array<uint8_t, 4>& data) {
    QJsonArray a;
    for (uint8_t b : data)
        a.append(int(b));
    return a;
}

QJsonObject sensorJson(const SensorCheck& s) {
    QJsonArray rows, states;
    for (int row : s.rows)
        rows.append(row);
    for (SensorState kind : s.deficiencies())
        states.append(stateCode(kind));
    const SiteSensor& e = s.expected;
    QJsonObject o{
        {"line", orNull(!s.extra, e.line)},
        {"label", e.label},
        {"id", e.idText()},
        {"org", e.orgText()},
        {"row", orNull(e.row.has_value(), e.row.value_or(0))},
        {"inverted", orNull(e.inverted.has_value(), e.inverted.value_or(false))},
        {"found_rows", rows},
        {"state", stateCode(s.state())},
        {"deficiencies", states},
    };
    if (s.found())
        o["found"] = QJsonObject{{"row", s.row},
                                 {"org", s.slot.orgText()},
                                 {"inverted", s.slot.inverted},
                                 {"data", bytes(s.slot.data)},
                                 {"time", s.slot.time}};
    if (s.write != WriteOutcome::None)
        o["write"] = QJsonObject{{"outcome", QStringList{"", "written", "failed", "row_taken",
                                                         "no_free_row"}[int(s.write)]},
                                 {"row", orNull(s.writeRow >= 0, s.writeRow)},
                                 {"detail", s.writeDetail}};
    if (s.listen.watched)
        o["listen"] = QJsonObject{{"telegrams", s.listen.telegrams},
                                  {"first", timeOrNull(s.listen.firstMs)},
                                  {"last", timeOrNull(s.listen.lastMs)},
                                  {"data", bytes(s.listen.data)}};
    return o;
}

QJsonObject gatewayJson(const GatewayCheck& g) {
    QJsonObject o{{"address", g.address}, {"answered", g.answered}};
    if (!g.answered) {
        o["failure"] = g.failure;
    } else {
        o["device"] = g.image.deviceText();
        o["response_time"] = g.image.responseTimeMs;
    }
    if (!g.listenFailure.isEmpty())
        o["listen_failure"] = g.listenFailure;
    QJsonArray sensors, extras, senders;
    for (const SensorCheck& s : g.sensors)
        sensors.append(sensorJson(s));
    for (const SensorCheck& s : g.extras)
        extras.append(sensorJson(s));
    for (int row = 0; row < int(g.image.senders.size()) && g.transceiver(); ++row) {
        const SenderSlot& s = g.image.senders[row];
        senders.append(QJsonObject{{"row", row},
                                   {"org", QString("%1").arg(s.org, 2, 16, QChar('0'))},
                                   {"id", s.idText()},
                                   {"data", bytes(s.data)},
                                   {"status", s.status}});
    }
    o["sensors"] = sensors;
    o["extras"] = extras;
    if (g.transceiver())
        o["senders"] = senders;
    return o;
}
} // namespace

QByteArray reportJson(const CommissionReport& report, bool english) {
    const ReportHeader& h = report.header;
    QJsonArray gateways, found;
    for (const GatewayCheck& g : report.gateways)
        gateways.append(gatewayJson(g));
    for (const Deficiency& d : deficiencies(report, english))
        found.append(QJsonObject{{"address", d.address},
                                 {"row", orNull(d.row >= 0, d.row)},
                                 {"id", orNull(!d.id.isEmpty(), d.id)},
                                 {"sensor", d.sensor},
                                 {"kind", stateCode(d.kind)},
                                 {"what", d.what},
                                 {"fix", d.fix}});
    const ReportCounts c = countReport(report);
    const QJsonObject root{
        {"format", kReportFormatName},
        {"version", kReportFormatVersion},
        {"language", english ? "en" : "de"},
        {"site", h.site},
        {"technician", h.technician},
        {"made_at", QString::fromLatin1(utcTimeText(h.madeAtMs))},
        {"local_time", localTimeText(h.madeAtMs, h.utcOffsetSeconds)},
        {"tool_version", h.toolVersion},
        {"line", QJsonObject{{"port", h.port},
                             {"mode", h.line.mode == LineMode::Ascii ? "ascii" : "rtu"},
                             {"baud", h.line.baud},
                             {"parity", h.line.parity == 'N'   ? "none"
                                        : h.line.parity == 'O' ? "odd"
                                                               : "even"}}},
        {"applied", report.applied},
        {"listened_s", double(report.listenedMs) / 1000.0},
        {"gateways", gateways},
        {"deficiencies", found},
        {"summary", QJsonObject{{"expected", c.expected},
                                {"verified", c.verified},
                                {"deficiencies", c.deficiencies},
                                {"text", summaryText(report, english)}}},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}
