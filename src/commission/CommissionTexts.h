#pragma once
// The words of the commissioning in German and English: sensor states, deficiencies and their
// suggested fixes, the telegram types, for the window, the terminal and the report.

#include "commission/SiteCheck.h"

#include <QString>

// "05 rocker switch" / "05 Taster"
QString orgName(uint8_t org, bool english);
// The state's name in the JSON twin: "verified", "other_row", …
QString stateCode(SensorState state);
// The state column: every deficiency in short ("in row 7, not 5; no telegram"), or "verified".
QString stateText(const SensorCheck& sensor, bool english);
// One deficiency in short, and what to do about it.
QString deficiencyText(SensorState kind, const SensorCheck& sensor, bool english);
QString fixText(SensorState kind, const SensorCheck& sensor, bool english);
// A gateway that did not answer.
QString gatewayFailureText(const QString& failure, bool english);
QString gatewayFixText(bool english);
QString yesNo(bool yes, bool english);
// "00 68 0C 08": data bytes 0..3
QString dataBytesText(const std::array<uint8_t, 4>& data);
