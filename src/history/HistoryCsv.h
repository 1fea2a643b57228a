#pragma once
// The history of chosen rows as CSV, one record a line in time order:
//   time_utc,row,sensor_id,org,byte0,byte1,byte2,byte3,scaled0,scaled1,scaled2,scaled3,time_value,telegram
// Times in ISO 8601 UTC with milliseconds; scaled values as the table showed them, with '.' as the
// decimal separator whatever the locale; telegram 1 when the time value had changed, else 0.

#include <QByteArray>
#include <QList>
#include <cstdint>

class SensorHistory;

QByteArray historyCsv(const SensorHistory& history, const QList<int>& rows);
