#include "ports/SerialDevices.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>

QString SerialDevice::usbId() const {
    if (vendorId < 0 || productId < 0)
        return {};
    return QString("%1:%2").arg(vendorId, 4, 16, QChar('0')).arg(productId, 4, 16, QChar('0'));
}

QList<SerialDevice> SystemDevices::devices() {
    // the stable names of USB adapters, by the node each link points to
    QHash<QString, QString> byId;
    const QDir links("/dev/serial/by-id");
    for (const QFileInfo& link : links.entryInfoList(QDir::System | QDir::Files, QDir::Name))
        byId.insert(link.canonicalFilePath(), link.absoluteFilePath());
    QList<SerialDevice> out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialDevice d;
        d.node = info.systemLocation();
        d.byIdPath = byId.value(QFileInfo(d.node).canonicalFilePath());
        d.description = info.description();
        d.manufacturer = info.manufacturer();
        d.serialNumber = info.serialNumber();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
            d.vendorId = info.vendorIdentifier();
            d.productId = info.productIdentifier();
        }
        out << d;
    }
    std::sort(out.begin(), out.end(),
              [](const SerialDevice& a, const SerialDevice& b) { return a.node < b.node; });
    return out;
}

QList<SerialDevice> exampleSerialDevices() {
    return {{"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A12345-if00-port0",
             "FT232R USB UART", "FTDI", "A12345", 0x0403, 0x6001},
            {"/dev/ttyUSB1", "", "USB Serial", "QinHeng", "", 0x1a86, 0x7523}};
}

const SerialDevice* findDevice(const QList<SerialDevice>& devices, const QString& target) {
    for (const SerialDevice& d : devices)
        if (target == d.node || (!d.byIdPath.isEmpty() && target == d.byIdPath))
            return &d;
    const QString resolved = QFileInfo(target).canonicalFilePath();
    if (resolved.isEmpty())
        return nullptr;
    for (const SerialDevice& d : devices)
        if (resolved == d.node || resolved == QFileInfo(d.node).canonicalFilePath())
            return &d;
    return nullptr;
}
