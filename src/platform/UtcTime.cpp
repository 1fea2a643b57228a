#include "platform/UtcTime.h"

#include <chrono>
#include <cstdio>

QByteArray utcTimeText(int64_t wallMs) {
    using namespace std::chrono;
    const sys_time<milliseconds> t{milliseconds(wallMs)};
    const sys_days day = floor<days>(t);
    const year_month_day date(day);
    const hh_mm_ss<milliseconds> time(t - day);
    char text[32];
    const int n = std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ",
                                int(date.year()), unsigned(date.month()), unsigned(date.day()),
                                int(time.hours().count()), int(time.minutes().count()),
                                int(time.seconds().count()), int(time.subseconds().count()));
    return QByteArray(text, n);
}
