#pragma once
// The serial devices present, behind a small interface: the system's list (QSerialPortInfo and
// the stable links below /dev/serial/by-id), or a fixed list in tests and screenshots.

#include <QList>
#include <QString>

struct SerialDevice {
    QString node;     // "/dev/ttyUSB0"
    QString byIdPath; // "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A12345-if00-port0", or empty
    QString description;
    QString manufacturer;
    QString serialNumber;
    int vendorId = -1; // USB; -1 for a device that is not on USB
    int productId = -1;

    // The path to map: the by-id link survives plugging the adapter into another socket.
    QString preferredPath() const { return byIdPath.isEmpty() ? node : byIdPath; }
    QString usbId() const; // "0403:6001", or empty
    bool operator==(const SerialDevice&) const = default;
};

class DeviceEnumerator {
public:
    virtual ~DeviceEnumerator() = default;
    virtual QList<SerialDevice> devices() = 0;
};

// What the system lists now, ordered by device node.
class SystemDevices : public DeviceEnumerator {
public:
    QList<SerialDevice> devices() override;
};

// No devices at all: the main window's default until the program gives it the system's list.
class NoDevices : public DeviceEnumerator {
public:
    QList<SerialDevice> devices() override { return {}; }
};

class FixedDevices : public DeviceEnumerator {
public:
    explicit FixedDevices(QList<SerialDevice> list = {})
        : list(std::move(list)) {}
    QList<SerialDevice> devices() override { return list; }
    QList<SerialDevice> list;
};

// Two USB adapters as the system lists them (an FTDI with its by-id link, a CH340 without one),
// for the screenshots and the tests.
QList<SerialDevice> exampleSerialDevices();

// The present device a mapping target names: by its node or by-id path, or by the node a link
// resolves to; nullptr when none.
const SerialDevice* findDevice(const QList<SerialDevice>& devices, const QString& target);
