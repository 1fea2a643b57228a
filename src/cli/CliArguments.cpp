#include "cli/CliArguments.h"

#include "gateway/GatewayImage.h"

#include <QRegularExpression>

std::optional<int64_t> numberIn(const QString& text, int64_t min, int64_t max) {
    static const QRegularExpression digits("^[0-9]{1,10}$");
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    const int64_t v = text.toLongLong();
    if (v < min || v > max)
        return std::nullopt;
    return v;
}

std::optional<int64_t> numberArgument(const QString& what, const QString& text, int64_t min,
                                      int64_t max, QString& error) {
    const auto v = numberIn(text, min, max);
    if (!v)
        error = QString("%1 takes a number from %2 to %3, not \"%4\"")
                    .arg(what)
                    .arg(min)
                    .arg(max)
                    .arg(text);
    return v;
}

namespace {
std::optional<int> rowIn(const QString& text, const char* kind, int rows, QString& error) {
    const auto v = numberIn(text, 0, rows - 1);
    if (!v)
        error = QString("no %1 row \"%2\": rows are 0 to %3").arg(kind, text).arg(rows - 1);
    return v ? std::optional<int>(int(*v)) : std::nullopt;
}
} // namespace

std::optional<int> sensorRowArgument(const QString& text, QString& error) {
    return rowIn(text, "sensor", kGatewaySensorSlots, error);
}

std::optional<int> senderRowArgument(const QString& text, QString& error) {
    return rowIn(text, "sender", kGatewaySenderSlots, error);
}
