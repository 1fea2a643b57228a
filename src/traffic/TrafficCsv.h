#pragma once
// The traffic as CSV, one line per row of the table, oldest first:
//   time_utc,direction,frame,meaning,check,latency_ms
// Times in ISO 8601 UTC with milliseconds; texts in English whatever the window's language, so
// that a file reads the same everywhere; numbers without grouping, '.' for decimals.

#include "traffic/TrafficRecorder.h"

#include <QByteArray>

// problemsOnly: only the rows the "problems only" filter shows.
QByteArray trafficCsv(const BoundedRing<TrafficRecord>& records, bool problemsOnly);
