#include "link/LineSettings.h"

#include <QStringList>
#include <array>

namespace {
constexpr std::array kBauds{1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
}

QString baudRatesText() {
    QStringList rates;
    for (int baud : kBauds)
        rates << QString::number(baud);
    return rates.mid(0, rates.size() - 1).join(", ") + " or " + rates.last();
}

QString LineSettings::text() const {
    return QString("%1,%2,%3,%4").arg(baud).arg(QChar(parity)).arg(dataBits).arg(stopBits);
}

std::optional<LineSettings> parseLineSettings(const QString& text) {
    const QStringList parts = text.split(',');
    if (parts.size() != 4)
        return std::nullopt;
    bool ok = false;
    LineSettings s;
    s.baud = parts[0].trimmed().toInt(&ok);
    if (!ok || std::find(kBauds.begin(), kBauds.end(), s.baud) == kBauds.end())
        return std::nullopt;
    const QString parity = parts[1].trimmed().toUpper();
    if (parity != "N" && parity != "E" && parity != "O")
        return std::nullopt;
    s.parity = parity[0].toLatin1();
    s.dataBits = parts[2].trimmed().toInt(&ok);
    if (!ok || (s.dataBits != 7 && s.dataBits != 8))
        return std::nullopt;
    s.stopBits = parts[3].trimmed().toInt(&ok);
    if (!ok || (s.stopBits != 1 && s.stopBits != 2))
        return std::nullopt;
    return s;
}
