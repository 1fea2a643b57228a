#include "sensors/Scaling.h"

#include <QRegularExpression>
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

std::optional<std::pair<int, ScaleRange>> parseScale(const QString& text, QString& error) {
    static const QRegularExpression form(
        R"(^([0-3])=(-?[0-9]{1,9}(?:\.[0-9]{1,9})?)\.\.(-?[0-9]{1,9}(?:\.[0-9]{1,9})?)$)");
    const auto m = form.match(text);
    if (!m.hasMatch()) {
        error = QString("--scale takes BYTE=LOWER..UPPER, data byte 0..3 and two numbers "
                        "(\"0=-40..60\"), not \"%1\"")
                    .arg(text);
        return std::nullopt;
    }
    return std::make_pair(m.captured(1).toInt(), ScaleRange{m.captured(2), m.captured(3)});
}

QJsonValue scaledJsonValue(uint8_t raw, const ScaleRange& range) {
    const QLocale c = QLocale::c();
    const auto v = scaledValue(raw, range.lower, range.upper, c);
    return v ? QJsonValue(c.toDouble(generalNumberText(*v, c))) : QJsonValue();
}
