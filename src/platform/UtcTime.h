#pragma once
// Wall-clock times as the tool writes them into files and logs: ISO 8601, UTC, milliseconds.

#include <QByteArray>
#include <cstdint>

// 2026-12-01T08:30:00.250Z, from milliseconds since 1970-01-01 UTC (Clock::wallMs()).
QByteArray utcTimeText(int64_t wallMs);
