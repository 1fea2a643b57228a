#pragma once
// Linear scaling of a raw data byte onto the measuring range the user gives for its position:
// raw 0 shows the lower value, raw 255 the upper one.

#include <QJsonValue>
#include <QLocale>
#include <QString>
#include <cstdint>
#include <optional>
#include <utility>

// Range values are converted by the locale; nullopt when either is not a number.
std::optional<double> scaledValue(uint8_t raw, const QString& lower, const QString& upper,
                                  const QLocale& locale = QLocale());
// The general text form: at most 15 significant digits, no group separators, the locale's
// decimal separator, integral values without a fraction.
QString generalNumberText(double value, const QLocale& locale = QLocale());

// A data byte's measuring range as the command line gives it to the window's scaling: raw 0
// shows lower, raw 255 upper (texts in the C locale: "-40", "60").
struct ScaleRange {
    QString lower = "0";
    QString upper = "255";
};
// "K=LOWER..UPPER" of --scale, data byte K = 0..3, whole or decimal numbers with a point:
// "0=-40..60"; else the message for standard error.
std::optional<std::pair<int, ScaleRange>> parseScale(const QString& text, QString& error);
// The scaled value as a JSON number, to the 15 significant digits the window shows (JSON would
// otherwise carry the 17 of the double: 50.19607843137255 where the window shows 50.1960784313725).
QJsonValue scaledJsonValue(uint8_t raw, const ScaleRange& range);
