#pragma once
// The handover report as a PDF, A4, made with Qt's own PDF writer: title, site, technician, date
// and time (local, with the UTC offset), tool version, the line; per gateway its address, device
// type and response time and the sensor table (row, label, ID, ORG and telegram type, inverted,
// state, telegrams, last telegram, last data bytes), a transceiver's sender rows; then the
// deficiencies with their suggested fixes, the summary and the signature lines. Needs a
// QGuiApplication (the fonts).

#include <QByteArray>
#include <QString>
#include <optional>

struct CommissionReport;

QByteArray reportPdf(const CommissionReport& report, bool english);
// Written whole or not at all; nullopt when written, else the reason.
std::optional<QString> writeReportPdf(const QString& path, const CommissionReport& report,
                                      bool english);
