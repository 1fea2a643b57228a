#pragma once
// The ports' texts for the user, German or English: where a COM entry points, why a port cannot
// be opened and what to do, why a mapping or the ports file was refused.

#include "link/SerialPort.h"
#include "platform/TtyDevice.h"
#include "ports/PortMap.h"
#include "ports/SerialDevices.h"
#include "ports/UserPortsFile.h"

#include <QString>

// "/dev/ttyUSB0 — FT232R USB UART (FTDI, serial A12345)", "/dev/ttyS2 — not present",
// "simulated gateway"; ", RS485" when the mapping asks for the driver's RS485 mode.
QString describeMapping(const PortMapping& mapping, const QList<SerialDevice>& present,
                        bool english);

// The detail below "COM-Port not available, " and the number: the device and the facility's
// reason, then what to do about it.
QString failureDetail(const PortError& e, const DeviceAccess& access, bool english);
// The same, asking the system about the device now.
QString failureDetail(const PortError& e, bool english);
// Only what to do about it (the group and the usermod command, the program that holds the device,
// "not connected"), asking the system now; empty when there is nothing to advise.
QString failureAdvice(const PortError& e, bool english);

// The message when the port opened but refused the RS485 mode of its mapping.
QString optionRefusedText(bool english);

// Why target cannot be mapped to a COM entry, or empty when it can.
QString mappingProblem(int commPort, const QString& target, bool english);

// Why the ports file was not saved, or empty when it was.
QString portsFileProblem(const PortsFileStatus& status, const QString& path, bool english);
