#pragma once
// What the system says about a serial device node, asked without opening it, and the driver's
// RS485 mode of an open one.

#include <QString>

enum class DeviceKind {
    Missing,
    Folder,
    NotADevice,     // a plain file, a socket, ...
    NotATty,        // a character device of another kind (/dev/null)
    PseudoTerminal, // a /dev/pts node
    Tty,            // a serial device, or a character device the system does not classify
};
DeviceKind probeDeviceKind(const QString& path);

// A pseudo-terminal (a /dev/pts node, or a link that resolves to one): it keeps 8N1 whatever it is
// told, so refused line settings are no fault there. fd, when open (-1 otherwise), is asked first.
bool isPseudoTerminal(int fd, const QString& path);

// Why an open may have failed, as far as the system tells.
struct DeviceAccess {
    DeviceKind kind = DeviceKind::Missing;
    bool mayOpen = false; // this user may read and write the node
    QString group;        // the node's group, e.g. "dialout"
    QString user;         // who runs the tool
    QString holder;       // the program that holds the device open, from its lock file or /proc
    qint64 holderPid = 0;
};
DeviceAccess probeDeviceAccess(const QString& path);

// Switches the driver's RS485 mode on for an open serial device: the driver raises RTS while
// it sends, which turns the transceiver of an RS485 adapter to transmit. Or off: a driver keeps
// the mode across opens. 0, or the errno of the refusal (ENOTTY: the driver has no RS485 mode).
int setRs485Mode(int fd, bool on);
