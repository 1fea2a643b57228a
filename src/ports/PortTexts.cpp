#include "ports/PortTexts.h"

#include "net/NetworkPort.h"
#include <QDir>

#include <QSerialPort>

namespace {

QString pick(bool english, const char* en, const char* de) {
    return QString::fromUtf8(english ? en : de);
}

QString kindText(DeviceKind kind, bool english) {
    switch (kind) {
    case DeviceKind::Missing:
        return pick(english, "not present", "nicht vorhanden");
    case DeviceKind::Folder:
        return pick(english, "a folder, not a device", "ein Ordner, kein Gerät");
    case DeviceKind::NotADevice:
    case DeviceKind::NotATty:
        return pick(english, "not a serial device", "keine serielle Schnittstelle");
    case DeviceKind::PseudoTerminal:
        return pick(english, "pseudo-terminal", "Pseudo-Terminal");
    case DeviceKind::Tty:
        break;
    }
    return pick(english, "present", "vorhanden");
}

QString deviceText(const SerialDevice& d, bool english) {
    QString text = d.node + " — " +
                   (d.description.isEmpty() ? pick(english, "serial port", "serielle Schnittstelle")
                                            : d.description);
    QStringList about;
    if (!d.manufacturer.isEmpty())
        about << d.manufacturer;
    if (!d.serialNumber.isEmpty())
        about << pick(english, "serial ", "Seriennummer ") + d.serialNumber;
    if (!about.isEmpty())
        text += " (" + about.join(", ") + ")";
    return text;
}

QString settingText(const PortError& e, bool english) {
    const QString& v = e.refusedValue;
    switch (e.refused) {
    case LineSetting::Baud:
        return pick(english, "the baud rate ", "die Baudrate ") + v;
    case LineSetting::DataBits:
        return v + pick(english, " data bits", " Datenbits");
    case LineSetting::StopBits:
        return v + pick(english, " stop bits", " Stoppbits");
    case LineSetting::Parity:
        return v == "E"   ? pick(english, "even parity", "gerade Parität")
               : v == "O" ? pick(english, "odd parity", "ungerade Parität")
                          : pick(english, "no parity", "keine Parität");
    case LineSetting::Rs485:
    case LineSetting::None:
        break;
    }
    return {};
}

// "tcp://10.0.0.5:4001 — serial server, line settings on the server"
QString networkText(const QString& target, bool english) {
    const auto parsed = parseNetworkAddress(target);
    if (!std::holds_alternative<NetworkAddress>(parsed))
        return target + " — " +
               pick(english, "not a network address", "keine gültige Netzwerkadresse");
    const NetworkAddress& a = std::get<NetworkAddress>(parsed);
    switch (a.kind) {
    case PortKind::Rfc2217:
        return a.text() + " — " +
               pick(english, "serial server (RFC 2217), line settings from this tool",
                    "Seriell-Server (RFC 2217), Leitungseinstellungen von diesem Programm");
    case PortKind::ModbusTcp:
        return a.text() + " — " +
               pick(english, "Modbus TCP gateway, line settings on the gateway",
                    "Modbus-TCP-Gateway, Leitungseinstellungen am Gateway");
    default:
        return a.text() + " — " +
               pick(english, "serial server, line settings on the server",
                    "Seriell-Server, Leitungseinstellungen am Server");
    }
}

// What to do about a network port's failure: %1 host, %2 port, %3 the device ("the serial
// server"), %4 the connect time-out in s, %5 the setting refused.
struct NetworkAdvice {
    NetFailure why;
    const char* english;
    const char* german;
};
constexpr NetworkAdvice kNetworkAdvice[] = {
    {NetFailure::Refused, "Connection refused: is %3 on, and is %2 its TCP port?",
     "Verbindung abgewiesen: ist %3 eingeschaltet, und ist %2 sein TCP-Port?"},
    {NetFailure::NotReachable,
     "%1 is not reachable: is it on and connected to the network, and is the address right?",
     "%1 ist nicht erreichbar: ist das Gerät eingeschaltet und am Netzwerk, und stimmt die "
     "Adresse?"},
    {NetFailure::NameNotFound,
     "The name %1 is not known: check its spelling, or give the IP address.",
     "Der Name %1 ist nicht bekannt: prüfen Sie die Schreibweise, oder geben Sie die "
     "IP-Adresse an."},
    {NetFailure::TimedOut,
     "No connection to %1 port %2 within %4 s: is %3 on, and is %2 its TCP port?",
     "Keine Verbindung zu %1 Port %2 innerhalb von %4 s: ist %3 eingeschaltet, und ist %2 sein "
     "TCP-Port?"},
    {NetFailure::Closed,
     "%1 closed the connection: it restarted, or another program took the port.",
     "%1 hat die Verbindung beendet: es wurde neu gestartet, oder ein anderes Programm hat den "
     "Port übernommen."},
    {NetFailure::Lost,
     "The connection to %1 broke off: check the network cable and whether the device restarted.",
     "Die Verbindung zu %1 ist abgerissen: prüfen Sie das Netzwerkkabel und ob das Gerät neu "
     "gestartet wurde."},
    {NetFailure::NoComControl,
     "The server does not offer COM port control (RFC 2217). For a serial server that keeps its "
     "own line settings use tcp://%1:%2.",
     "Der Server bietet keine COM-Port-Steuerung (RFC 2217). Für einen Seriell-Server mit "
     "eigenen Leitungseinstellungen verwenden Sie tcp://%1:%2."},
    {NetFailure::SettingRefused,
     "The serial server refuses %5: its port cannot use it. Choose a setting it supports.",
     "Der Seriell-Server lehnt %5 ab: sein Anschluss kann das nicht. Wählen Sie eine "
     "Einstellung, die er kann."},
};

QString networkAdvice(const PortError& e, bool english) {
    const auto parsed = parseNetworkAddress(e.devicePath);
    const NetworkAddress a = std::holds_alternative<NetworkAddress>(parsed)
                                 ? std::get<NetworkAddress>(parsed)
                                 : NetworkAddress{};
    const QString device = a.kind == PortKind::ModbusTcp
                               ? pick(english, "the Modbus TCP gateway", "das Modbus-TCP-Gateway")
                               : pick(english, "the serial server", "der Seriell-Server");
    // each placeholder where it stands: the texts use them in their own order
    const QStringList values{a.host, QString::number(a.port), device,
                             QString::number(kConnectTimeoutMs / 1000), settingText(e, english)};
    for (const NetworkAdvice& n : kNetworkAdvice) {
        if (n.why != e.net)
            continue;
        QString text = pick(english, n.english, n.german);
        for (int i = int(values.size()); i >= 1; --i)
            text.replace("%" + QString::number(i), values[i - 1]);
        return text;
    }
    return {};
}

const char* kPortsWindowEn = "Tools > Ports…";
const char* kPortsWindowDe = "Extras > Schnittstellen…";

QString busyText(const DeviceAccess& a, bool english) {
    if (a.holder.isEmpty() && a.holderPid == 0)
        return pick(english,
                    "It is in use by another program. Close that program, then open again.",
                    "Sie wird von einem anderen Programm benutzt. Schließen Sie es und öffnen Sie "
                    "dann erneut.");
    const QString who =
        QString("%1 (%2 %3)")
            .arg(a.holder.isEmpty() ? "?" : a.holder, pick(english, "process", "Prozess"))
            .arg(a.holderPid);
    return english ? "It is in use by " + who + ". Close that program, then open again."
                   : "Sie wird von " + who +
                         " benutzt. Schließen Sie dieses Programm und öffnen Sie dann erneut.";
}

QString permissionText(const DeviceAccess& a, bool english) {
    const QString group = a.group.isEmpty() ? "dialout" : a.group;
    const QString user = a.user.isEmpty() ? "$USER" : a.user;
    const QString command = QString("sudo usermod -aG %1 %2").arg(group, user);
    return english ? QString("Your user may not use it: it belongs to the group %1. Run %2, then "
                             "log in again.")
                         .arg(group, command)
                   : QString("Ihr Benutzer darf sie nicht verwenden: sie gehört der Gruppe %1. "
                             "Führen Sie %2 aus und melden Sie sich dann neu an.")
                         .arg(group, command);
}

QString advice(const PortError& e, const DeviceAccess& a, bool english) {
    const QString window = pick(english, kPortsWindowEn, kPortsWindowDe);
    if (e.net != NetFailure::None)
        return networkAdvice(e, english);
    if (e.devicePath.compare(kSimulatorTarget, Qt::CaseInsensitive) == 0)
        return pick(english, "The simulated gateway is not available in this program.",
                    "Das simulierte Gateway ist in diesem Programm nicht verfügbar.");
    if (e.refused == LineSetting::Rs485)
        return pick(english,
                    "The driver of this device has no RS485 mode. The port is open and works "
                    "without it: an adapter that switches its direction by itself does not need "
                    "it. Otherwise untick \"RS485 mode\" in the Ports window (",
                    "Der Treiber dieses Geräts hat keinen RS485-Modus. Die Schnittstelle ist "
                    "offen und arbeitet ohne ihn: ein Adapter, der seine Richtung selbst "
                    "umschaltet, braucht ihn nicht. Sonst schalten Sie \"RS485-Modus\" im Fenster "
                    "Schnittstellen aus (") +
               window + ").";
    if (e.refused != LineSetting::None)
        return english ? "The driver refuses " + settingText(e, true) +
                             ": the adapter cannot use it. Choose a setting it supports."
                       : "Der Treiber lehnt " + settingText(e, false) +
                             " ab: der Adapter kann das nicht. Wählen Sie eine Einstellung, die "
                             "er kann.";
    if (a.kind == DeviceKind::Missing || e.number == QSerialPort::DeviceNotFoundError)
        return english ? QString("Not connected; the Ports window (%1) lists what is.").arg(window)
                       : QString("Nicht angeschlossen; das Fenster %1 zeigt, was angeschlossen "
                                 "ist.")
                             .arg(window);
    if (a.kind == DeviceKind::Folder || a.kind == DeviceKind::NotADevice ||
        a.kind == DeviceKind::NotATty)
        return english ? QString("It is %1; choose the device in the Ports window (%2).")
                             .arg(kindText(a.kind, true), window)
                       : QString("Es ist %1; wählen Sie das Gerät im Fenster %2.")
                             .arg(kindText(a.kind, false), window);
    if (e.number == QSerialPort::PermissionError && !a.mayOpen)
        return permissionText(a, english);
    if (e.number == QSerialPort::PermissionError || e.number == QSerialPort::OpenError)
        return busyText(a, english);
    return {};
}

} // namespace

QString describeMapping(const PortMapping& m, const QList<SerialDevice>& present, bool english) {
    QString text;
    if (m.isSimulator())
        text = pick(english, "simulated gateway", "simuliertes Gateway");
    else if (m.isNetwork())
        text = networkText(m.target, english);
    else if (const SerialDevice* d = findDevice(present, m.target))
        text = deviceText(*d, english);
    else
        text = m.target + " — " + kindText(probeDeviceKind(m.target), english);
    return m.rs485 ? text + ", RS485" : text;
}

QString failureDetail(const PortError& e, const DeviceAccess& access, bool english) {
    QStringList lines;
    if (!e.devicePath.isEmpty() || !e.reason.isEmpty())
        lines << e.devicePath + ": " + e.reason;
    const QString what = advice(e, access, english);
    if (!what.isEmpty())
        lines << what;
    return lines.join('\n');
}

namespace {
// What the system says now about the device that failed to open.
DeviceAccess accessNow(const PortError& e) {
    const bool device = !e.devicePath.isEmpty() &&
                        e.devicePath.compare(kSimulatorTarget, Qt::CaseInsensitive) != 0 &&
                        !isNetworkAddressText(e.devicePath);
    return device ? probeDeviceAccess(e.devicePath) : DeviceAccess{};
}
} // namespace

QString failureDetail(const PortError& e, bool english) {
    return failureDetail(e, accessNow(e), english);
}

QString failureAdvice(const PortError& e, bool english) {
    return advice(e, accessNow(e), english);
}

QString optionRefusedText(bool english) {
    return pick(english, "RS485 mode not available", "RS485-Modus nicht verfügbar");
}

QString mappingProblem(int commPort, const QString& target, bool english) {
    if (commPort < 1 || commPort > kComPorts)
        return english ? QString("COM%1 is not a port of the list (COM1 to COM%2).")
                             .arg(commPort)
                             .arg(kComPorts)
                       : QString("COM%1 ist kein Eintrag der Liste (COM1 bis COM%2).")
                             .arg(commPort)
                             .arg(kComPorts);
    if (target.trimmed().isEmpty())
        return pick(english, "Choose a device, type its path or choose the simulated gateway.",
                    "Wählen Sie ein Gerät, geben Sie seinen Pfad ein oder wählen Sie das "
                    "simulierte Gateway.");
    if (target.compare(kSimulatorTarget, Qt::CaseInsensitive) == 0)
        return {};
    if (isNetworkAddressText(target))
        return std::holds_alternative<NetworkAddress>(parseNetworkAddress(target))
                   ? QString()
                   : target + pick(english,
                                   ": a network port is written tcp://HOST:PORT, "
                                   "rfc2217://HOST:PORT or modbus-tcp://HOST[:PORT].",
                                   ": ein Netzwerk-Port wird tcp://HOST:PORT, rfc2217://HOST:PORT "
                                   "oder modbus-tcp://HOST[:PORT] geschrieben.");
    if (!QDir::isAbsolutePath(target))
        return target +
               pick(english, ": a device path begins with /.", ": ein Gerätepfad beginnt mit /.");
    const DeviceKind kind = probeDeviceKind(target);
    if (kind == DeviceKind::Missing)
        return target + pick(english,
                             " does not exist. Connect the device; the list shows what is "
                             "connected.",
                             " gibt es nicht. Schließen Sie das Gerät an; die Liste zeigt, was "
                             "angeschlossen ist.");
    if (kind == DeviceKind::Tty || kind == DeviceKind::PseudoTerminal)
        return {};
    return target + pick(english, " is ", " ist ") + kindText(kind, english) + ".";
}

QString portsFileProblem(const PortsFileStatus& s, const QString& path, bool english) {
    using Kind = PortsFileStatus::Kind;
    switch (s.kind) {
    case Kind::Ok:
    case Kind::Missing:
        return {};
    case Kind::Unreadable:
        return english ? QString("%1 cannot be read (%2); nothing was saved.").arg(path, s.reason)
                       : QString("%1 kann nicht gelesen werden (%2); nichts wurde gespeichert.")
                             .arg(path, s.reason);
    case Kind::NotText:
        return english ? QString("%1 is not a text file. It stays as it is; nothing was saved.")
                             .arg(path)
                       : QString("%1 ist keine Textdatei. Sie bleibt, wie sie ist; nichts wurde "
                                 "gespeichert.")
                             .arg(path);
    case Kind::Malformed:
        return english ? QString("%1, line %2, is not in the settings syntax. The file stays as "
                                 "it is; nothing was saved. Correct or remove that line.")
                             .arg(path)
                             .arg(s.line)
                       : QString("%1, Zeile %2, ist nicht in der Schreibweise der Einstellungen. "
                                 "Die Datei bleibt, wie sie ist; nichts wurde gespeichert. "
                                 "Berichtigen oder entfernen Sie die Zeile.")
                             .arg(path)
                             .arg(s.line);
    case Kind::NotWritten:
        return english
                   ? QString("%1 could not be written (%2); it is as before.").arg(path, s.reason)
                   : QString("%1 konnte nicht geschrieben werden (%2); sie ist wie zuvor.")
                         .arg(path, s.reason);
    }
    return {};
}
