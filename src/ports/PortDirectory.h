#pragma once
// Where the COM entries point, for the main window and the Ports window: the mappings through
// resolvePort and the serial devices present from an enumerator, listed again on refresh.

#include "ports/PortMap.h"
#include "ports/SerialDevices.h"

#include <QStringList>
#include <memory>
#include <optional>

class PortDirectory {
public:
    explicit PortDirectory(SettingReader system);

    // The devices come from here from the next refreshDevices() on.
    void setEnumerator(std::shared_ptr<DeviceEnumerator> devices);
    // Lists the devices again; true when the list changed.
    bool refreshDevices();
    const QList<SerialDevice>& devices() const { return devices_; }

    PortMapping mapping(int commPort) const;
    // COM1 .. COM29 (index n - 1), each file read once.
    QList<PortMapping> mappings() const;
    // describeMapping of every COM entry, index n - 1.
    QStringList describeAll(bool english) const;
    // "COM3, COM5": the entries mapped to a device.
    QString comNumbersOf(const SerialDevice& device, const QList<PortMapping>& all) const;

    QString userFilePath() const { return userSettingsPath(); }
    // Why the user's file cannot take a save now, or empty.
    QString userFileProblem(bool english) const;
    // Maps COMn in the user's file (nullopt: removes the user's entry, so the system's or the
    // default mapping applies again). Empty, or why nothing was saved.
    QString save(int commPort, const std::optional<PortMapping>& mapping, bool english);

private:
    SettingReader system_;
    std::shared_ptr<DeviceEnumerator> enumerator_;
    QList<SerialDevice> devices_;
};
