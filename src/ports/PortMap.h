#pragma once
// What a COM entry of the port list stands for. The stored settings map "COMn" under the Ports
// key to a device path, or to "simulator" for the built-in simulated gateway; "COMn RS485"="on"
// asks for the driver's RS485 mode on it, "off" switches it off (a driver keeps it across opens;
// without the value the driver's mode stays as it is). The per-user file (userSettingsPath(),
// same syntax) wins over the system file entry by entry, a mapping together with its option.
// Without an entry COMn is /dev/ttyS<n-1>. The window, the port and any other client resolve
// through resolvePort.

#include "core/StoredSettings.h"

#include <QString>
#include <functional>

inline constexpr int kComPorts = 29; // the port list: COM1 .. COM29
inline const QString kPortsKey = "SOFTWARE\\Korvalund\\QRX-QTX-RS485-MODBUS\\Ports";
inline const QString kSimulatorTarget = "simulator";

struct PortMapping {
    enum class Source { Default, System, User };
    QString target; // a device path or "simulator"
    bool rs485 = false;
    Source source = Source::Default;
    bool rs485Off = false; // "COMn RS485"="off"

    bool isSimulator() const { return target.compare(kSimulatorTarget, Qt::CaseInsensitive) == 0; }
    bool operator==(const PortMapping&) const = default;
};

// Reads a string value of a key in registry export syntax; empty when missing.
using SettingReader = std::function<QString(const QString& key, const QString& valueName)>;

QString comValueName(int commPort);   // "COM3"
QString rs485ValueName(int commPort); // "COM3 RS485"
bool rs485ValueOn(const QString& text);
bool rs485ValueOff(const QString& text);

// The per-user file, read once now; empty values when it is missing or unreadable.
SettingReader userPortsReader();

PortMapping resolvePort(int commPort, const SettingReader& system, const SettingReader& user);
// With the per-user file as it is now.
PortMapping resolvePort(int commPort, const SettingReader& system);
