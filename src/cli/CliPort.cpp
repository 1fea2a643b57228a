#include "cli/CliPort.h"

#include "link/DevicePort.h"
#include "ports/PortSelector.h"
#include "sim/SimulatedGatewayPort.h"

#include <QRegularExpression>

int comPortNumber(const QString& name) {
    static const QRegularExpression com("^COM([0-9]{1,6})$",
                                        QRegularExpression::CaseInsensitiveOption);
    const auto m = com.match(name);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

QString portAndDevice(const QString& name) {
    if (name.compare("simulator", Qt::CaseInsensitive) == 0)
        return name + " (the built-in gateway)";
    if (const int n = comPortNumber(name); n >= 1 && n <= 255)
        return QString("%1 (%2)").arg(name, PortSelector().resolve(n).target);
    return name;
}

std::unique_ptr<SerialPort> makeCliPort(const QString& name, Clock& clock) {
    if (name.compare("simulator", Qt::CaseInsensitive) == 0)
        return makeDemoGateway(clock);
    if (const int n = comPortNumber(name)) {
        auto selector = std::make_unique<PortSelector>([&clock] { return makeDemoGateway(clock); });
        selector->setCommPort(n); // throws PortError outside 1..255
        return selector;
    }
    return std::make_unique<DevicePort>([name](int) { return name; });
}
