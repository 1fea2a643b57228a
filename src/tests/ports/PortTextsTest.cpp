// What the user reads about a COM entry: the device it points to, and why it cannot be opened.

#include "ports/PortTexts.h"

#include <QSerialPort>
#include <gtest/gtest.h>

namespace {
const SerialDevice kFtdi = exampleSerialDevices()[0];
const SerialDevice kBare{"/dev/ttyS0", "", "", "", "", -1, -1};
} // namespace

TEST(PortTexts, TheDeviceAComEntryPointsTo) {
    const QList<SerialDevice> present = FixedDevices({kFtdi, kBare}).devices();
    struct Case {
        PortMapping mapping;
        bool english;
        const char* expected;
    } cases[] = {
        {{"/dev/ttyUSB0"}, true, "/dev/ttyUSB0 — FT232R USB UART (FTDI, serial A12345)"},
        {{kFtdi.byIdPath, true},
         false,
         "/dev/ttyUSB0 — FT232R USB UART (FTDI, Seriennummer A12345), RS485"},
        {{"/dev/ttyS0"}, true, "/dev/ttyS0 — serial port"},
        {{"/dev/qrx-no-such-tty"}, true, "/dev/qrx-no-such-tty — not present"},
        {{"/dev/qrx-no-such-tty"}, false, "/dev/qrx-no-such-tty — nicht vorhanden"},
        {{"/"}, true, "/ — a folder, not a device"},
        {{"/dev/null"}, true, "/dev/null — not a serial device"},
        {{"Simulator"}, true, "simulated gateway"},
        {{"simulator"}, false, "simuliertes Gateway"},
        {{"tcp://10.0.0.5:4001"},
         true,
         "tcp://10.0.0.5:4001 — serial server, line settings on "
         "the server"},
        {{"RFC2217://box:2000"},
         false,
         "rfc2217://box:2000 — Seriell-Server (RFC 2217), "
         "Leitungseinstellungen von diesem Programm"},
        {{"modbus-tcp://gw"},
         true,
         "modbus-tcp://gw:502 — Modbus TCP gateway, line settings on "
         "the gateway"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(describeMapping(c.mapping, present, c.english), QString(c.expected))
            << c.mapping.target.toStdString();
    EXPECT_EQ(kFtdi.usbId(), "0403:6001");
    EXPECT_EQ(kBare.usbId(), "");
}

TEST(PortTexts, TheFailureDetailSaysWhatToDo) {
    DeviceAccess serial{DeviceKind::Tty, false, "dialout", "jan", "", 0};
    DeviceAccess held = serial;
    held.mayOpen = true;
    held.holder = "minicom";
    held.holderPid = 4242;
    DeviceAccess heldUnknown = held;
    heldUnknown.holder.clear();
    heldUnknown.holderPid = 0;
    const DeviceAccess missing{};
    const DeviceAccess folder{DeviceKind::Folder, true, "root", "jan", "", 0};
    const QString path = "/dev/ttyUSB0";
    const PortError denied{QSerialPort::PermissionError, "Permission denied", path};
    const PortError busy{QSerialPort::PermissionError, "Permission error while locking the device",
                         path};
    struct Case {
        PortError error;
        DeviceAccess access;
        bool english;
        const char* expected;
    } cases[] = {
        {denied, serial, true,
         "/dev/ttyUSB0: Permission denied\nYour user may not use it: it belongs to the group "
         "dialout. Run sudo usermod -aG dialout jan, then log in again."},
        {denied, serial, false,
         "/dev/ttyUSB0: Permission denied\nIhr Benutzer darf sie nicht verwenden: sie gehört der "
         "Gruppe dialout. Führen Sie sudo usermod -aG dialout jan aus und melden Sie sich dann neu "
         "an."},
        {busy, held, true,
         "/dev/ttyUSB0: Permission error while locking the device\nIt is in use by minicom "
         "(process 4242). Close that program, then open again."},
        {busy, heldUnknown, true,
         "/dev/ttyUSB0: Permission error while locking the device\nIt is in use by another "
         "program. Close that program, then open again."},
        {{QSerialPort::DeviceNotFoundError, "No such file or directory", path},
         missing,
         true,
         "/dev/ttyUSB0: No such file or directory\nNot connected; the Ports window (Tools > "
         "Ports…) lists what is."},
        {{QSerialPort::DeviceNotFoundError, "No such file or directory", path},
         missing,
         false,
         "/dev/ttyUSB0: No such file or directory\nNicht angeschlossen; das Fenster Extras > "
         "Schnittstellen… zeigt, was angeschlossen ist."},
        {{QSerialPort::UnknownError, "Is a directory", "/tmp"},
         folder,
         true,
         "/tmp: Is a directory\nIt is a folder, not a device; choose the device in the Ports "
         "window (Tools > Ports…)."},
        {{QSerialPort::UnsupportedOperationError, "Invalid argument", path, LineSetting::DataBits,
          "7"},
         serial,
         true,
         "/dev/ttyUSB0: Invalid argument\nThe driver refuses 7 data bits: the adapter cannot use "
         "it. Choose a setting it supports."},
        {{QSerialPort::UnsupportedOperationError, "Invalid argument", path, LineSetting::Parity,
          "E"},
         serial,
         false,
         "/dev/ttyUSB0: Invalid argument\nDer Treiber lehnt gerade Parität ab: der Adapter kann "
         "das nicht. Wählen Sie eine Einstellung, die er kann."},
        {{QSerialPort::UnsupportedOperationError, "Invalid argument", path, LineSetting::Baud,
          "115200"},
         serial,
         true,
         "/dev/ttyUSB0: Invalid argument\nThe driver refuses the baud rate 115200: the adapter "
         "cannot use it. Choose a setting it supports."},
        {{QSerialPort::DeviceNotFoundError, "Port not available", "simulator"},
         missing,
         true,
         "simulator: Port not available\nThe simulated gateway is not available in this "
         "program."},
        {{QSerialPort::ResourceError, "Input/output error", path},
         serial,
         true,
         "/dev/ttyUSB0: Input/output error"},
        {{111, "Connection refused", "tcp://10.0.0.5:4001", NetFailure::Refused},
         missing,
         true,
         "tcp://10.0.0.5:4001: Connection refused\nConnection refused: is the serial server on, "
         "and is 4001 its TCP port?"},
        {{110, "no connection within 3 s", "modbus-tcp://gw:502", NetFailure::TimedOut},
         missing,
         false,
         "modbus-tcp://gw:502: no connection within 3 s\nKeine Verbindung zu gw Port 502 "
         "innerhalb von 3 s: ist das Modbus-TCP-Gateway eingeschaltet, und ist 502 sein "
         "TCP-Port?"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(failureDetail(c.error, c.access, c.english), QString::fromUtf8(c.expected))
            << c.expected;
}

TEST(PortTexts, AMappingNeedsASerialDeviceOrTheSimulator) {
    struct Case {
        int com;
        const char* target;
        const char* problem; // empty: it can be mapped
    } cases[] = {
        {3, "simulator", ""},
        {3, "rfc2217://10.0.0.5:2000", ""},
        {3, "tcp://10.0.0.5",
         "tcp://10.0.0.5: a network port is written tcp://HOST:PORT, rfc2217://HOST:PORT or "
         "modbus-tcp://HOST[:PORT]."},
        {3, "/dev/ptmx", ""}, // a character device of the tty class
        {3, "", "Choose a device, type its path or choose the simulated gateway."},
        {3, "ttyUSB0", "ttyUSB0: a device path begins with /."},
        {3, "/dev/qrx-none",
         "/dev/qrx-none does not exist. Connect the device; the list shows what is connected."},
        {3, "/tmp", "/tmp is a folder, not a device."},
        {3, "/etc/hostname", "/etc/hostname is not a serial device."},
        {3, "/dev/null", "/dev/null is not a serial device."},
        {0, "simulator", "COM0 is not a port of the list (COM1 to COM29)."},
        {30, "simulator", "COM30 is not a port of the list (COM1 to COM29)."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(mappingProblem(c.com, c.target, true), QString(c.problem)) << c.target;
}
