#include "scan/ScanOutput.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
template <class T> using Parsed = std::variant<std::vector<T>, QString>;

// A comma-separated list, each item through take (nullopt: not allowed); never empty.
template <class T, class Take>
Parsed<T> listOf(const QString& text, const char* option, const QString& allowed, Take take) {
    std::vector<T> out;
    for (const QString& item : text.split(',', Qt::SkipEmptyParts)) {
        const std::optional<T> v = take(item.trimmed().toLower());
        if (!v)
            return QString("--%1 takes %2, not \"%3\"").arg(option, allowed, item.trimmed());
        out.push_back(*v);
    }
    if (out.empty())
        return QString("--%1 takes %2").arg(option, allowed);
    return out;
}

std::optional<std::pair<int, int>> addressRange(const QString& text) {
    const QStringList parts = text.trimmed().split('-');
    if (parts.size() > 2)
        return std::nullopt;
    bool ok1 = false, ok2 = false;
    const int first = parts[0].trimmed().toInt(&ok1);
    const int last = parts.size() == 2 ? parts[1].trimmed().toInt(&ok2) : first;
    if (!ok1 || (parts.size() == 2 && !ok2) || first < kFirstScanAddress ||
        last > kLastScanAddress || first > last)
        return std::nullopt;
    return std::make_pair(first, last);
}

QJsonObject lineJson(const LineChoice& line) {
    return {
        {"mode", modeName(line.mode)}, {"baud", line.baud}, {"parity", parityName(line.parity)}};
}

const char* endName(ScanEnd end) {
    switch (end) {
    case ScanEnd::Running:
        return "running";
    case ScanEnd::Found:
        return "found";
    case ScanEnd::Completed:
        return "completed";
    case ScanEnd::Cancelled:
        return "cancelled";
    case ScanEnd::PortFailed:
        return "port-failed";
    }
    return "";
}
} // namespace

QString modeName(LineMode mode) {
    return mode == LineMode::Ascii ? "ascii" : "rtu";
}

QString parityName(char parity) {
    return parity == 'N' ? "none" : parity == 'O' ? "odd" : "even";
}

std::variant<ScanOptions, QString> scanOptionsFrom(const QString& modes, const QString& bauds,
                                                   const QString& parities,
                                                   const QString& addresses) {
    ScanOptions o;
    auto mode = [](const QString& t) -> std::optional<LineMode> {
        if (t == "ascii" || t == "rtu")
            return t == "ascii" ? LineMode::Ascii : LineMode::Rtu;
        return std::nullopt;
    };
    auto baud = [defaults = o.bauds](const QString& t) -> std::optional<int> {
        const int v = t.toInt();
        return std::find(defaults.begin(), defaults.end(), v) != defaults.end()
                   ? std::optional<int>(v)
                   : std::nullopt;
    };
    auto parity = [](const QString& t) -> std::optional<char> {
        if (t == "even" || t == "none" || t == "odd")
            return t == "none" ? 'N' : t == "odd" ? 'O' : 'E';
        return std::nullopt;
    };
    const auto m = listOf<LineMode>(modes, "modes", "ascii and/or rtu", mode);
    const auto b = listOf<int>(bauds, "bauds", "baud rates out of " + baudRatesText(), baud);
    const auto p = listOf<char>(parities, "parities", "even, none and/or odd", parity);
    for (const QString* error :
         {std::get_if<QString>(&m), std::get_if<QString>(&b), std::get_if<QString>(&p)})
        if (error)
            return *error;
    const auto range = addressRange(addresses);
    if (!range)
        return QString("--addresses takes a range within 1-247 or one address, not \"%1\"")
            .arg(addresses);
    o.modes = std::get<0>(m);
    o.bauds = std::get<0>(b);
    o.parities = std::get<0>(p);
    std::tie(o.firstAddress, o.lastAddress) = *range;
    return o;
}

void addScanOptions(QCommandLineParser& parser) {
    parser.addOptions({
        {"modes", "Modes to try: ascii, rtu (default both).", "list", "ascii,rtu"},
        {"bauds", "Baud rates to try, out of 1200 to 115200 (default all eight).", "list",
         "1200,2400,4800,9600,19200,38400,57600,115200"},
        {"parities", "Parities to try: even, none (2 stop bits), odd (default all three).", "list",
         "even,none,odd"},
        {"addresses", "Addresses to try: a range such as 1-247 (default) or one address.", "range",
         "1-247"},
        {"all", "Go on after the first gateway found."},
        {"margin", "Milliseconds waited beyond a probe's line time (default 50).", "ms", "50"},
        {"format", "Output: text (default) or json.", "format", "text"},
    });
}

std::variant<ScanCommand, QString> scanCommandFrom(const QCommandLineParser& p) {
    auto options = scanOptionsFrom(p.value("modes"), p.value("bauds"), p.value("parities"),
                                   p.value("addresses"));
    if (const QString* error = std::get_if<QString>(&options))
        return *error;
    ScanCommand c;
    c.options = std::get<ScanOptions>(options);
    c.options.all = p.isSet("all");
    bool ok = false;
    c.options.marginMs = p.value("margin").toInt(&ok);
    if (!ok || c.options.marginMs < 0 || c.options.marginMs > 10000)
        return QString("--margin takes milliseconds from 0 to 10000, not \"%1\"")
            .arg(p.value("margin"));
    const QString format = p.value("format").toLower();
    if (format != "text" && format != "json")
        return QString("--format takes text or json, not \"%1\"").arg(p.value("format"));
    c.json = format == "json";
    return c;
}

QString scanDurationText(int64_t ms) {
    if (ms < 60000)
        return QString("%1 s").arg(double(ms) / 1000.0, 0, 'f', 1);
    const int64_t s = (ms + 999) / 1000;
    if (s < 3600)
        return QString("%1 min %2 s").arg(s / 60).arg(s % 60, 2, 10, QChar('0'));
    return QString("%1 h %2 min").arg(s / 3600).arg(s / 60 % 60, 2, 10, QChar('0'));
}

QString scanText(const ScanReport& r) {
    QStringList lines;
    for (const FoundGateway& g : r.found)
        lines << QString("found: address %1, %2, %3, response time %4 ms")
                     .arg(g.address)
                     .arg(g.line.text(), g.deviceType)
                     .arg(g.responseTimeMs);
    for (const LineActivity& a : r.activity)
        lines << (a.refused.isEmpty()
                      ? QString("activity at %1 (address %2): %3 bytes that made no valid answer")
                            .arg(a.line.text())
                            .arg(a.address)
                            .arg(a.bytes)
                      : QString("%1 skipped: the adapter refuses it (%2)")
                            .arg(a.line.text(), a.refused));
    const QString took =
        QString("%1 %2, %3")
            .arg(r.probes)
            .arg(r.probes == 1 ? "probe" : "probes", scanDurationText(r.elapsedMs));
    if (r.end == ScanEnd::PortFailed)
        lines << QString("the port failed: %1 (%2)").arg(r.failure, took);
    else if (r.end == ScanEnd::Cancelled)
        lines << QString("cancelled (%1)").arg(took);
    if (r.found.empty())
        lines << QString("no gateway found (%1)").arg(took);
    else
        lines << QString("%1 gateway%2 found (%3)")
                     .arg(r.found.size())
                     .arg(r.found.size() == 1 ? "" : "s", took);
    return lines.join('\n') + '\n';
}

QByteArray scanJson(const ScanReport& r) {
    QJsonArray found, activity;
    for (const FoundGateway& g : r.found) {
        QJsonObject o = lineJson(g.line);
        o["address"] = g.address;
        o["device"] = g.deviceType;
        o["response_time_ms"] = g.responseTimeMs;
        o["latency_ms"] = qint64(g.latencyMs);
        found.append(o);
    }
    for (const LineActivity& a : r.activity) {
        QJsonObject o = lineJson(a.line);
        o["address"] = a.address;
        o["bytes"] = a.bytes;
        if (!a.refused.isEmpty())
            o["refused"] = a.refused;
        activity.append(o);
    }
    QJsonObject root{{"found", found},
                     {"activity", activity},
                     {"end", endName(r.end)},
                     {"probes", r.probes},
                     {"elapsed_ms", qint64(r.elapsedMs)}};
    if (!r.failure.isEmpty())
        root["failure"] = r.failure;
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

int scanExitCode(const ScanReport& r) {
    return r.found.empty() ? 1 : 0;
}
