#include "ports/PortMap.h"

#include "core/StoredSettings.h"

#include <QFile>

QString comValueName(int commPort) {
    return QString("COM%1").arg(commPort);
}

QString rs485ValueName(int commPort) {
    return comValueName(commPort) + " RS485";
}

bool rs485ValueOn(const QString& text) {
    const QString t = text.trimmed().toLower();
    return t == "on" || t == "1" || t == "yes" || t == "true";
}

bool rs485ValueOff(const QString& text) {
    const QString t = text.trimmed().toLower();
    return t == "off" || t == "0" || t == "no" || t == "false";
}

SettingReader userPortsReader() {
    QFile file(userSettingsPath());
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.read(1 << 20);
    return [bytes](const QString& key, const QString& valueName) {
        return ReadStoredSettingFrom(bytes, key, valueName);
    };
}

PortMapping resolvePort(int commPort, const SettingReader& system, const SettingReader& user) {
    const std::pair<const SettingReader*, PortMapping::Source> sources[] = {
        {&user, PortMapping::Source::User}, {&system, PortMapping::Source::System}};
    for (const auto& [read, source] : sources) {
        if (!*read)
            continue;
        const QString target = (*read)(kPortsKey, comValueName(commPort)).trimmed();
        const QString rs485 = (*read)(kPortsKey, rs485ValueName(commPort));
        if (!target.isEmpty())
            return {target, rs485ValueOn(rs485), source, rs485ValueOff(rs485)};
    }
    return {QString("/dev/ttyS%1").arg(commPort - 1), false, PortMapping::Source::Default};
}

PortMapping resolvePort(int commPort, const SettingReader& system) {
    return resolvePort(commPort, system, userPortsReader());
}
