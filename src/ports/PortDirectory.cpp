#include "ports/PortDirectory.h"

#include "ports/PortTexts.h"
#include "ports/UserPortsFile.h"

PortDirectory::PortDirectory(SettingReader system)
    : system_(std::move(system))
    , enumerator_(std::make_shared<NoDevices>()) {}

void PortDirectory::setEnumerator(std::shared_ptr<DeviceEnumerator> devices) {
    // listed at the next refresh: the window load's port selection does it
    enumerator_ = std::move(devices);
    devices_.clear();
}

bool PortDirectory::refreshDevices() {
    QList<SerialDevice> now = enumerator_->devices();
    if (now == devices_)
        return false;
    devices_ = std::move(now);
    return true;
}

PortMapping PortDirectory::mapping(int commPort) const {
    return resolvePort(commPort, system_);
}

QList<PortMapping> PortDirectory::mappings() const {
    const SettingReader user = userPortsReader();
    QList<PortMapping> all;
    for (int n = 1; n <= kComPorts; ++n)
        all << resolvePort(n, system_, user);
    return all;
}

QStringList PortDirectory::describeAll(bool english) const {
    QStringList texts;
    for (const PortMapping& m : mappings())
        texts << describeMapping(m, devices_, english);
    return texts;
}

QString PortDirectory::comNumbersOf(const SerialDevice& device,
                                    const QList<PortMapping>& all) const {
    QStringList coms;
    for (int i = 0; i < all.size(); ++i)
        if (!all[i].isSimulator() && findDevice({device}, all[i].target))
            coms << comValueName(i + 1);
    return coms.join(", ");
}

QString PortDirectory::userFileProblem(bool english) const {
    return portsFileProblem(inspectPortsFile(userFilePath()), userFilePath(), english);
}

QString PortDirectory::save(int commPort, const std::optional<PortMapping>& mapping, bool english) {
    // a device the list shows is there, whatever the path looks like
    if (mapping && !findDevice(devices_, mapping->target)) {
        const QString problem = mappingProblem(commPort, mapping->target, english);
        if (!problem.isEmpty())
            return problem;
    }
    if (commPort < 1 || commPort > kComPorts)
        return mappingProblem(commPort, {}, english);
    return portsFileProblem(savePortMapping(userFilePath(), commPort, mapping), userFilePath(),
                            english);
}
