#pragma once
// The handover report's facts: who commissioned which site when, over which line, and per
// gateway what it is and how each sensor of the site file was found, written and heard; then
// the deficiencies with their suggested fixes and the summary ("31 of 32 sensors verified,
// 1 deficiency"). The PDF and its JSON twin are both made from this, and only from this, so the
// same report gives the same text.

#include "commission/SiteCheck.h"
#include "link/LineSession.h"

#include <QString>
#include <vector>

class Commissioning;

struct ReportHeader {
    QString site;
    QString technician;
    QString toolVersion;
    int64_t madeAtMs = 0;     // wall clock
    int utcOffsetSeconds = 0; // of the local time then
    QString port;             // "COM3 (simulated gateway)", "/dev/ttyUSB0"
    LineChoice line;
};

struct CommissionReport {
    ReportHeader header;
    bool applied = false;
    int64_t listenedMs = 0; // 0: not listened
    std::vector<GatewayCheck> gateways;
};

// The header's time and offset from the local time zone at wallMs.
void stampLocalTime(ReportHeader& header, int64_t wallMs);
CommissionReport makeReport(const ReportHeader& header, const Commissioning& run);

struct Deficiency {
    uint8_t address = 0;
    int row = -1;   // -1: the gateway itself, or a sensor in no row
    QString sensor; // its label, else its ID; empty for the gateway
    QString id;
    SensorState kind = SensorState::Missing;
    QString what; // "in row 7, not 5"
    QString fix;
};
std::vector<Deficiency> deficiencies(const CommissionReport& report, bool english);

struct ReportCounts {
    int expected = 0;
    int verified = 0;
    int deficiencies = 0;
    bool passed() const { return deficiencies == 0; }
};
ReportCounts countReport(const CommissionReport& report);
// "31 of 32 sensors verified, 1 deficiency"
QString summaryText(const CommissionReport& report, bool english);
// "2026-12-01 10:00:00 UTC+01:00"
QString localTimeText(int64_t wallMs, int utcOffsetSeconds);
// The time of a telegram in a table: "10:03:12", with the date when it is another day.
QString telegramTimeText(int64_t wallMs, const ReportHeader& header);
