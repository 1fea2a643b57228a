#pragma once
// The history of chosen rows as CSV, one record a line in time order:
//   time_utc,row,sensor_id,org,byte0,byte1,byte2,byte3,scaled0,scaled1,scaled2,scaled3,time_value,
//   telegram,label
// Times in ISO 8601 UTC with milliseconds; scaled values as the table showed them, with '.' as the
// decimal separator whatever the locale; telegram 1 when the time value had changed, else 0;
// label the site file's name of the row (empty without one), quoted when it needs to be.

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>

class SensorHistory;

using RowLabel = std::function<QString(int row)>;
QByteArray historyCsv(const SensorHistory& history, const QList<int>& rows,
                      const RowLabel& label = {});
