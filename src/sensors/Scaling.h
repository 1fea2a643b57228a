#pragma once
// Linear scaling of a raw data byte onto the measuring range the user gives for its position:
// raw 0 shows the lower value, raw 255 the upper one.

#include <QLocale>
#include <QString>
#include <cstdint>
#include <optional>

// Range values are converted by the locale; nullopt when either is not a number.
std::optional<double> scaledValue(uint8_t raw, const QString& lower, const QString& upper,
                                  const QLocale& locale = QLocale());
// The general text form: at most 15 significant digits, no group separators, the locale's
// decimal separator, integral values without a fraction.
QString generalNumberText(double value, const QLocale& locale = QLocale());
