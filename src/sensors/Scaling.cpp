#include "sensors/Scaling.h"

#include <cmath>

std::optional<double> scaledValue(uint8_t raw, const QString& lower, const QString& upper,
                                  const QLocale& locale) {
    bool okUpper = false, okLower = false;
    const double hi = locale.toDouble(upper.trimmed(), &okUpper);
    const double lo = locale.toDouble(lower.trimmed(), &okLower);
    if (!okUpper || !okLower)
        return std::nullopt;
    // the order of operations is part of the result's last digits: multiply, divide, add
    return ((hi - lo) * raw) / 255.0 + lo;
}

QString generalNumberText(double value, const QLocale& locale) {
    if (value == 0.0)
        value = 0.0; // no "-0"
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(value, 'g', 15);
}
