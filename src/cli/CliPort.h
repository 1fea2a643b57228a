#pragma once
// The serial port that --port names. "simulator" is the built-in demo gateway (a transceiver at
// address 1) on the program's clock; COMn resolves through the stored settings as in the window
// (PortSelector, whose "simulator" is the same built-in gateway); anything else is a device path,
// used as it is.

#include <QString>
#include <functional>
#include <memory>

class Clock;
class SerialPort;

using PortMaker = std::function<std::unique_ptr<SerialPort>(const QString& name)>;

std::unique_ptr<SerialPort> makeCliPort(const QString& name, Clock& clock);
// The port number of "COMn" (either case), or 0 for any other name.
int comPortNumber(const QString& name);
// The port as a message names it: "COM1 (/dev/ttyS0)" where COMn points now, a device path as
// it is, "simulator (the built-in gateway)".
QString portAndDevice(const QString& name);
