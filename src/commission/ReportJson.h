#pragma once
// The handover report as JSON, the PDF's twin for other programs: the same facts, states as
// codes ("verified", "other_row"), the deficiencies with their texts in the report's language.
// Format: docs/commissioning.md.

#include <QByteArray>

struct CommissionReport;

inline constexpr char kReportFormatName[] = "qrx-commissioning-report";
inline constexpr int kReportFormatVersion = 1;

QByteArray reportJson(const CommissionReport& report, bool english);
