#include "sim/SimOptions.h"

#include <QCommandLineParser>
#include <algorithm>

namespace {
struct Range {
    const char* name;
    qint64 min, max;
};

std::optional<qint64> number(const QCommandLineParser& p, const Range& r, QString& error) {
    if (!p.isSet(r.name))
        return std::nullopt;
    bool ok = false;
    const qint64 v = p.value(r.name).toLongLong(&ok, 0);
    if (!ok || v < r.min || v > r.max)
        error = QString("--%1 takes a number from %2 to %3, not \"%4\"")
                    .arg(r.name)
                    .arg(r.min)
                    .arg(r.max)
                    .arg(p.value(r.name));
    return v;
}

void addOptions(QCommandLineParser& p) {
    p.addOptions({
        {"mode", "Framing: ascii or rtu (default rtu).", "mode", "rtu"},
        {"address",
         "Modbus address 1..247 (default 1); a list such as 1,2,3 serves one gateway at each "
         "address on the line, each with its own sensors.",
         "n[,n...]", "1"},
        {"variant", "qtx (transceiver, default) or qrx (receiver).", "variant", "qtx"},
        {"sensors", "Learned sensors 0..32 (default 5).", "n", "5"},
        {"learn-delay", "Milliseconds until a sensor in learn mode is learned (default 3000).",
         "ms", "3000"},
        {"response-time", "Minimal response time in ms, 0..65535 (default 20).", "ms", "20"},
        {"fault",
         "Fault, repeatable: drop=N, corrupt=N, exception=N, noise=N, late=MS, silent, lost=N, "
         "stray=MS, noident.",
         "fault"},
        {"seed", "Seed of the sensors' telegrams (default 1).", "n", "1"},
        {"baud",
         "The gateway's baud rate (default 9600): answers are paced at it, and a tool set to "
         "another rate is not understood.",
         "baud", "9600"},
        {"adapter-latency",
         "Answer bytes reach the tool every MS ms (default 1), as a USB adapter hands on what "
         "has arrived when its latency timer runs out (FTDI: 16 ms).",
         "ms", "1"},
        {"parity",
         "The gateway's parity: even (default), none (2 stop bits) or odd. A tool set to "
         "another parity gets garbled answers.",
         "parity", "even"},
        {"link",
         "Symlink created to the pseudo-terminal, removed at the end. A path that holds "
         "anything but such a link is refused.",
         "path"},
        {"listen",
         "Serve on 127.0.0.1 instead of a pseudo-terminal: tcp:PORT (as behind a raw serial "
         "server, at the gateway's line settings), rfc2217:PORT (a serial server with RFC 2217: "
         "the tool's line settings must fit the gateway's) or modbus-tcp:PORT (a Modbus TCP "
         "gateway). PORT 0 takes a free one; the address is printed.",
         "kind:port"},
    });
    p.addHelpOption();
}
} // namespace

QString simUsage() {
    QCommandLineParser p;
    p.setApplicationDescription(
        "Serves a simulated QRX/QTX RS485 Modbus gateway on a pseudo-terminal (or on 127.0.0.1 "
        "with --listen) and prints every request and answer.");
    addOptions(p);
    return p.helpText();
}

std::variant<SimOptions, QString> parseSimOptions(const QStringList& args) {
    QCommandLineParser p;
    addOptions(p);
    if (!p.parse(args))
        return p.errorText();
    if (!p.positionalArguments().isEmpty())
        return "unexpected argument \"" + p.positionalArguments().first() + "\"";
    SimOptions o;
    o.help = p.isSet("help");
    const QString mode = p.value("mode").toLower();
    if (mode != "rtu" && mode != "ascii")
        return "--mode takes ascii or rtu, not \"" + p.value("mode") + "\"";
    o.mode = mode == "ascii" ? LineMode::Ascii : LineMode::Rtu;
    const QString variant = p.value("variant").toLower();
    if (variant != "qtx" && variant != "qrx")
        return "--variant takes qtx or qrx, not \"" + p.value("variant") + "\"";
    o.variant = variant == "qrx" ? GatewayVariant::Receiver : GatewayVariant::Transceiver;
    const QString parity = p.value("parity").toLower();
    if (parity != "even" && parity != "none" && parity != "odd")
        return "--parity takes even, none or odd, not \"" + p.value("parity") + "\"";
    o.parity = parity == "none" ? 'N' : parity == "odd" ? 'O' : 'E';
    QString error;
    o.addresses.clear();
    for (const QString& part : p.value("address").split(',')) {
        bool ok = false;
        const int a = part.trimmed().toInt(&ok);
        if (!ok || a < 1 || a > 247 ||
            std::find(o.addresses.begin(), o.addresses.end(), a) != o.addresses.end())
            return "--address takes addresses 1..247, each once, as 1 or 1,2,3; not \"" +
                   p.value("address") + "\"";
        o.addresses.push_back(uint8_t(a));
    }
    o.sensors = int(number(p, {"sensors", 0, 32}, error).value_or(5));
    o.learnDelayMs = int(number(p, {"learn-delay", 0, 600000}, error).value_or(3000));
    o.responseTimeMs = int(number(p, {"response-time", 0, 65535}, error).value_or(20));
    o.seed = uint32_t(number(p, {"seed", 0, 0xFFFFFFFFll}, error).value_or(1));
    o.baud = int(number(p, {"baud", 300, 4000000}, error).value_or(9600));
    o.adapterLatencyMs = int(number(p, {"adapter-latency", 1, 255}, error).value_or(1));
    if (!error.isEmpty())
        return error;
    for (const QString& f : p.values("fault"))
        if (!o.faults.add(f))
            return "unknown fault \"" + f + "\"";
    o.link = p.value("link");
    if (p.isSet("listen")) {
        const QString listen = p.value("listen");
        const QString kind = listen.section(':', 0, 0).toLower();
        bool ok = false;
        const uint port = listen.section(':', 1).toUInt(&ok);
        o.listenKind = kind == "tcp"          ? PortKind::RawTcp
                       : kind == "rfc2217"    ? PortKind::Rfc2217
                       : kind == "modbus-tcp" ? PortKind::ModbusTcp
                                              : PortKind::Device;
        if (o.listenKind == PortKind::Device || !ok || port > 65535)
            return "--listen takes tcp:PORT, rfc2217:PORT or modbus-tcp:PORT, not \"" + listen +
                   "\"";
        if (!o.link.isEmpty())
            return QString("--listen and --link exclude each other");
        o.listenPort = uint16_t(port);
    }
    return o;
}

QString addressesText(const std::vector<uint8_t>& addresses) {
    QStringList parts;
    for (uint8_t a : addresses)
        parts << QString::number(a);
    return parts.join(',');
}

std::unique_ptr<GatewayModel> makeGatewayModel(const SimOptions& o, uint8_t address) {
    // the first gateway named keeps the seed and the IDs 0183xxxx, the next 0184xxxx, …
    const auto at = std::find(o.addresses.begin(), o.addresses.end(), address);
    const uint32_t index = uint32_t(at == o.addresses.end() ? 0 : at - o.addresses.begin());
    auto m = std::make_unique<GatewayModel>(address, o.variant, o.seed + index);
    m->setLearnDelayMs(o.learnDelayMs);
    m->setResponseTimeMs(uint16_t(o.responseTimeMs));
    static constexpr uint8_t kOrgs[] = {0x05, 0x06, 0x07};
    for (int row = 0; row < o.sensors; ++row)
        m->learnSensor(row, kOrgs[row % 3],
                       0x01830000u + index * 0x10000u + uint32_t(row) * 0x111u);
    if (o.variant == GatewayVariant::Transceiver)
        m->fillDemoSenderRows();
    return m;
}
