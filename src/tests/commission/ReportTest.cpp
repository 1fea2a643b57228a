// The handover report read back with pdftotext: the header facts, a sensor table that runs over
// pages with its header repeated, the deficiencies with their fixes, the summary, the signature
// lines, page numbers, in English and German, and the same text for the same report; its JSON
// twin carries the same facts.

#include "commission/ReportJson.h"
#include "commission/ReportPdf.h"
#include "support/CommissionFixtures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QString pdfText(const CommissionReport& report, bool english) {
    QTemporaryDir dir;
    const QString path = dir.filePath("report.pdf");
    EXPECT_FALSE(writeReportPdf(path, report, english).has_value());
    QProcess p;
    p.start("pdftotext", {"-raw", path, "-"}); // in drawing order: a cell's lines together
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).simplified();
}
} // namespace

TEST(CommissionReport, ThePdfReadBack) {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const CommissionReport report = exampleReport(2, 30);
    const QString en = pdfText(report, true);
    const QString expected[] = {
        "Commissioning report",
        "Site Musterhaus Nord",
        "Technician A. Becker",
        "Date and time 2026-12-01 09:30:00 UTC+01:00",
        "Line COM3, RTU 19200 baud, parity even",
        "Run verified, missing sensors written, listened 600 s",
        "Gateway 1: QTX40, response time 20 ms",
        "Gateway 1: sensors (continued)",
        "ORG 06, not 05",
        "Press its learn button or check its battery and range.",
        "Learn it in: \"Write missing…\"",
        "Delete it, or add it to the site file.",
        "56 of 60 sensors verified, 8 deficiencies",
        "Technician: date, signature (A. Becker)",
        "Customer: date, signature",
    };
    for (const QString& e : expected)
        EXPECT_TRUE(en.contains(e)) << e.toStdString();
    const int pages = int(en.count("Musterhaus Nord · Page "));
    EXPECT_GE(pages, 3);
    EXPECT_TRUE(en.contains(QString("Page %1 of %1").arg(pages)));
    // every page of a table starts with its header
    EXPECT_EQ(en.count("Row Label ID ORG Inv. State Telegrams Last telegram Last data"),
              en.count(QRegularExpression("Gateway \\d: sensors")));
    EXPECT_EQ(pdfText(report, true), en); // the same report, the same text

    const QString de = pdfText(report, false);
    for (const char* e : {"Inbetriebnahmeprotokoll", "Anlage", "Gateway 1: Sensoren (Fortsetzung)",
                          "Lerntaste drücken oder Batterie und Reichweite prüfen.",
                          "56 von 60 Sensoren bestätigt, 8 Mängel", "Kunde: Datum, Unterschrift"})
        EXPECT_TRUE(de.contains(QString::fromUtf8(e))) << e;
}

TEST(CommissionReport, TheJsonTwin) {
    const QJsonObject o = QJsonDocument::fromJson(reportJson(exampleReport(2, 8), true)).object();
    EXPECT_EQ(o["format"].toString(), "qrx-commissioning-report");
    EXPECT_EQ(o["made_at"].toString(), "2026-12-01T08:30:00.000Z");
    EXPECT_EQ(o["local_time"].toString(), "2026-12-01 09:30:00 UTC+01:00");
    EXPECT_EQ(o["summary"].toObject()["text"].toString(),
              "12 of 16 sensors verified, 8 deficiencies");
    const QJsonObject g = o["gateways"].toArray()[0].toObject();
    const QJsonObject wrong = g["sensors"].toArray()[3].toObject();
    EXPECT_EQ(wrong["state"].toString(), "wrong_org");
    EXPECT_EQ(wrong["found"].toObject()["org"].toString(), "06");
    EXPECT_FALSE(g["sensors"].toArray()[7].toObject().contains("found"));
    EXPECT_EQ(g["extras"].toArray()[0].toObject()["id"].toString(), "0021FFFF");
    EXPECT_EQ(o["deficiencies"].toArray().size(), 8);
}
