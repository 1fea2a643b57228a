#include "commission/ReportPdf.h"

#include "commission/CommissionReport.h"
#include "commission/CommissionTexts.h"
#include "commission/ReportPages.h"
#include "platform/AtomicFile.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace {
constexpr int kResolution = 300; // dots per inch of the layout
const QColor kGood(0xD6, 0xF0, 0xD6);
const QColor kBad(0xF8, 0xD0, 0xD0);
const QColor kOpen(0xEE, 0xEE, 0xEE);

QString say(bool english, const char* german, const char* englishText) {
    return QString::fromUtf8(english ? englishText : german);
}

QString lineText(const ReportHeader& h, bool english) {
    const QString parity = h.line.parity == 'N'   ? say(english, "keine", "none")
                           : h.line.parity == 'O' ? say(english, "ungerade", "odd")
                                                  : say(english, "gerade", "even");
    return QString(english ? "%1, %2 %3 baud, parity %4" : "%1, %2 %3 Baud, Parität %4")
        .arg(h.port, h.line.mode == LineMode::Ascii ? "ASCII" : "RTU")
        .arg(h.line.baud)
        .arg(parity);
}

QString runText(const CommissionReport& r, bool english) {
    QStringList steps{say(english, "geprüft", "verified")};
    if (r.applied)
        steps << say(english, "fehlende Sensoren geschrieben", "missing sensors written");
    if (r.listenedMs > 0)
        steps << QString(english ? "listened %1 s" : "%1 s mitgehört").arg(r.listenedMs / 1000);
    return steps.join(", ");
}

ReportRow sensorRow(const SensorCheck& s, const ReportHeader& h, bool listened, bool english) {
    const int row = s.found() ? s.row : s.expected.row.value_or(-1);
    const bool watched = s.listen.watched;
    ReportRow r;
    r.cells = QStringList{
        row >= 0 ? QString::number(row) : "–",
        s.expected.label,
        s.expected.idText(),
        orgName(s.found() ? s.slot.org : s.expected.org, english),
        s.found() ? yesNo(s.slot.inverted, english) : "–",
        stateText(s, english),
        watched ? QString::number(s.listen.telegrams) : (listened ? "–" : ""),
        watched ? telegramTimeText(s.listen.lastMs, h) : QString(),
        s.found() ? dataBytesText(watched ? s.listen.data : s.slot.data) : QString(),
    };
    r.shadedCell = 5;
    const SensorState state = s.state();
    r.shade = state == SensorState::Verified    ? kGood
              : state == SensorState::Unchecked ? kOpen
                                                : kBad;
    return r;
}

void gatewaySection(ReportPages& pages, const GatewayCheck& g, const CommissionReport& report,
                    bool english) {
    if (!g.answered) {
        pages.heading(QString("Gateway %1").arg(g.address));
        pages.paragraph(gatewayFailureText(g.failure, english));
    } else {
        pages.heading(QString(english ? "Gateway %1: %2, response time %3 ms"
                                      : "Gateway %1: %2, Antwortzeit %3 ms")
                          .arg(g.address)
                          .arg(g.image.deviceText())
                          .arg(g.image.responseTimeMs));
    }
    const std::vector<ReportColumn> columns{
        {say(english, "Zeile", "Row"), 9},
        {say(english, "Bezeichnung", "Label"), 30},
        {"ID", 16},
        {"ORG", 25},
        {say(english, "Inv.", "Inv."), 9},
        {say(english, "Zustand", "State"), 30},
        {say(english, "Telegramme", "Telegrams"), 22},
        {say(english, "Letztes Telegramm", "Last telegram"), 20},
        {say(english, "Letzte Daten", "Last data"), 19},
    };
    std::vector<ReportRow> rows;
    for (const SensorCheck& s : g.sensors)
        rows.push_back(sensorRow(s, report.header, report.listenedMs > 0, english));
    for (const SensorCheck& s : g.extras)
        rows.push_back(sensorRow(s, report.header, report.listenedMs > 0, english));
    pages.table(QString(english ? "Gateway %1: sensors" : "Gateway %1: Sensoren").arg(g.address),
                columns, rows);
    if (!g.listenFailure.isEmpty())
        pages.paragraph(say(english, "Beim Mithören: ", "While listening: ") + g.listenFailure);
    if (!g.transceiver())
        return;
    std::vector<ReportRow> senders;
    for (int row = 0; row < int(g.image.senders.size()); ++row) {
        const SenderSlot& s = g.image.senders[row];
        senders.push_back({{QString::number(row), orgName(s.org, english), s.idText(),
                            dataBytesText(s.data), QString::number(s.status)}});
    }
    pages.table(
        QString(english ? "Gateway %1: sender rows" : "Gateway %1: Senderzeilen").arg(g.address),
        {{say(english, "Zeile", "Row"), 10},
         {"ORG", 30},
         {"ID", 25},
         {say(english, "Datenbytes 0..3", "Data bytes 0..3"), 35},
         {"Status", 20}},
        senders);
}

void deficiencySection(ReportPages& pages, const CommissionReport& report, bool english) {
    pages.heading(say(english, "Mängel und Abhilfe", "Deficiencies and fixes"));
    std::vector<ReportRow> rows;
    for (const Deficiency& d : deficiencies(report, english))
        rows.push_back({{QString::number(d.address), d.row >= 0 ? QString::number(d.row) : "–",
                         d.sensor, d.what, d.fix}});
    if (rows.empty())
        return pages.paragraph(say(english, "Keine.", "None."));
    pages.table({},
                {{"Gateway", 17},
                 {say(english, "Zeile", "Row"), 10},
                 {"Sensor", 38},
                 {say(english, "Mangel", "Deficiency"), 45},
                 {say(english, "Abhilfe", "Suggested fix"), 70}},
                rows);
}

// The whole report on pages; the number of pages.
int layOut(ReportPages& pages, const CommissionReport& report, bool english) {
    const ReportHeader& h = report.header;
    pages.title(say(english, "Inbetriebnahmeprotokoll", "Commissioning report"));
    pages.fields({
        {say(english, "Anlage", "Site"), h.site},
        {say(english, "Techniker", "Technician"), h.technician},
        {say(english, "Datum und Uhrzeit", "Date and time"),
         localTimeText(h.madeAtMs, h.utcOffsetSeconds)},
        {say(english, "Programm", "Tool"), "QRX/QTX RS485 Modbus " + h.toolVersion},
        {say(english, "Leitung", "Line"), lineText(h, english)},
        {say(english, "Ablauf", "Run"), runText(report, english)},
    });
    for (const GatewayCheck& g : report.gateways)
        gatewaySection(pages, g, report, english);
    deficiencySection(pages, report, english);
    pages.space(2);
    pages.paragraph(summaryText(report, english), true);
    pages.signatures(say(english, "Techniker: Datum, Unterschrift", "Technician: date, signature") +
                         (h.technician.isEmpty() ? QString() : " (" + h.technician + ")"),
                     say(english, "Kunde: Datum, Unterschrift", "Customer: date, signature"));
    return pages.finish();
}
} // namespace

QByteArray reportPdf(const CommissionReport& report, bool english) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(kResolution);
        writer.setTitle(say(english, "Inbetriebnahmeprotokoll", "Commissioning report") + " " +
                        report.header.site);
        writer.setCreator("QRX/QTX RS485 Modbus " + report.header.toolVersion);
        const QString footer = report.header.site.isEmpty()
                                   ? say(english, "Inbetriebnahmeprotokoll", "Commissioning report")
                                   : report.header.site;
        // first only measured, for the number of pages in the footer
        ReportPages measure(writer, nullptr, english, footer, 0);
        const int pageCount = layOut(measure, report, english);
        QPainter painter(&writer);
        ReportPages pages(writer, &painter, english, footer, pageCount);
        layOut(pages, report, english);
    }
    return buffer.data();
}

std::optional<QString> writeReportPdf(const QString& path, const CommissionReport& report,
                                      bool english) {
    return writeFileAtomically(path, reportPdf(report, english));
}
