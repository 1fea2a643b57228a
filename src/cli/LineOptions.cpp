#include "cli/LineOptions.h"

#include "cli/CliArguments.h"

#include <QCommandLineParser>
#include <cmath>

namespace {
QList<QCommandLineOption> lineOptions() {
    return {
        {"port",
         "COMn (resolved through the stored settings, as in the window), a device path such "
         "as /dev/ttyUSB0, or \"simulator\" for the built-in gateway. Default COM1.",
         "port", "COM1"},
        {"mode", "Framing: ascii or rtu. Default ascii.", "mode", "ascii"},
        {"baud", "Baud rate: 1200, 2400, 4800, 9600, 19200, 38400, 57600 or 115200. Default 9600.",
         "n", "9600"},
        {"parity", "none (2 stop bits), even or odd (1 stop bit). Default even.", "parity", "even"},
        {"address", "Modbus address of the gateway, 1..247. Required.", "n"},
        {"timeout",
         "Answer time-out in ms. Default: 1000 until the gateway's response time is known, then 3 "
         "x the response time + 100 ms plus the line time of the frames.",
         "ms"},
        {"retries", "Further attempts after a time-out, 0..10. Default 2.", "n", "2"},
        {"verbose", "Every frame on the line, decoded, on standard error."},
    };
}
} // namespace

void addLineOptions(QCommandLineParser& p) {
    p.addOptions(lineOptions());
}

bool isLineOption(const QString& name) {
    for (const QCommandLineOption& o : lineOptions())
        if (o.names().contains(name))
            return true;
    return false;
}

namespace {
std::optional<LineMode> modeOf(const QString& text) {
    if (text.compare("ascii", Qt::CaseInsensitive) == 0)
        return LineMode::Ascii;
    if (text.compare("rtu", Qt::CaseInsensitive) == 0)
        return LineMode::Rtu;
    return std::nullopt;
}
std::optional<char> parityOf(const QString& text) {
    const QString t = text.toLower();
    if (t == "none")
        return 'N';
    if (t == "even")
        return 'E';
    if (t == "odd")
        return 'O';
    return std::nullopt;
}
} // namespace

std::variant<LineOptions, QString> takeLineOptions(const QCommandLineParser& p, bool needsAddress) {
    LineOptions o;
    QString error;
    o.port = p.value("port").trimmed();
    if (o.port.isEmpty())
        return QString("--port needs a port: COMn, a device path or \"simulator\"");
    const auto mode = modeOf(p.value("mode"));
    if (!mode)
        return QString("--mode takes ascii or rtu, not \"%1\"").arg(p.value("mode"));
    o.line.mode = *mode;
    const auto parity = parityOf(p.value("parity"));
    if (!parity)
        return QString("--parity takes none, even or odd, not \"%1\"").arg(p.value("parity"));
    o.line.parity = *parity;
    const auto baud = numberIn(p.value("baud"), 1, 10000000);
    o.line.baud = int(baud.value_or(0));
    if (!baud || !parseLineSettings(o.line.settings().text()))
        return QString("--baud takes %1, not \"%2\"").arg(baudRatesText(), p.value("baud"));
    if (p.isSet("address")) {
        const auto a = numberArgument("--address", p.value("address"), 1, 247, error);
        if (!a)
            return error;
        o.address = uint8_t(*a);
    } else if (needsAddress) {
        return QString("--address is required: the gateway's Modbus address, 1..247");
    }
    if (p.isSet("timeout")) {
        const auto t = numberArgument("--timeout", p.value("timeout"), 1, 600000, error);
        if (!t)
            return error;
        o.timeoutMs = int(*t);
    }
    const auto retries = numberArgument("--retries", p.value("retries"), 0, 10, error);
    if (!retries)
        return error;
    o.retries = int(*retries);
    o.verbose = p.isSet("verbose");
    return o;
}

int defaultTimeoutMs(const LineChoice& line, std::optional<uint16_t> responseTimeMs) {
    if (!responseTimeMs)
        return 1000;
    // a sender row write (27 bytes + CRC, or 59 ASCII characters) and a block read answer
    // (23 bytes + CRC, or 51 characters): at 9600 baud ASCII, 10 bits a character, 110
    // characters take 114.6 ms
    const int characters = line.mode == LineMode::Ascii ? 59 + 51 : 29 + 25;
    return 3 * int(*responseTimeMs) + 100 + int(std::ceil(line.lineMs(characters)));
}
