#include "link/DevicePort.h"

#include <QMetaObject>

DevicePort::DevicePort(PathResolver resolver)
    : resolver_(std::move(resolver)) {
    QObject::connect(&device_, &QSerialPort::errorOccurred, &guard_,
                     [this](QSerialPort::SerialPortError e) { onError(e); });
    QObject::connect(&device_, &QSerialPort::readyRead, &guard_, [this] { reportBytesArrived(); });
}

DevicePort::~DevicePort() {
    QObject::disconnect(&device_, nullptr, &guard_, nullptr);
    if (device_.isOpen())
        device_.close();
}

void DevicePort::setSettings(const QString& text) {
    auto parsed = parseLineSettings(text);
    if (!parsed)
        throw PortError{QSerialPort::UnsupportedOperationError, "Invalid property value", ""};
    settings_ = *parsed;
    if (device_.isOpen())
        applySettings();
}

void DevicePort::applySettings() {
    // A pseudo-terminal keeps 8N1 and refuses 7E1: the line still works, so refusals are ignored.
    device_.setBaudRate(settings_.baud);
    device_.setDataBits(settings_.dataBits == 7 ? QSerialPort::Data7 : QSerialPort::Data8);
    device_.setParity(settings_.parity == 'E'   ? QSerialPort::EvenParity
                      : settings_.parity == 'O' ? QSerialPort::OddParity
                                                : QSerialPort::NoParity);
    device_.setStopBits(settings_.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    device_.setFlowControl(QSerialPort::NoFlowControl);
    device_.clearError();
}

void DevicePort::setPortOpen(bool open) {
    if (open == device_.isOpen())
        return;
    if (!open) {
        device_.close();
        return;
    }
    const QString path = resolver_ ? resolver_(commPort_) : QString();
    device_.setPortName(path);
    lossPending_ = false;
    if (!device_.open(QIODevice::ReadWrite)) {
        const int number =
            device_.error() == QSerialPort::NoError ? QSerialPort::OpenError : int(device_.error());
        PortError e{number, device_.errorString(), path};
        device_.clearError();
        throw e;
    }
    applySettings();
}

int DevicePort::InBufferCount() {
    return device_.isOpen() ? int(device_.bytesAvailable()) : 0;
}

QByteArray DevicePort::Input() {
    // Text mode hands over the same bytes; callers read them as Latin-1 text.
    return device_.isOpen() ? device_.readAll() : QByteArray();
}

void DevicePort::Output(const QByteArray& bytes) {
    if (device_.isOpen() && !bytes.isEmpty())
        device_.write(bytes);
}

void DevicePort::onError(QSerialPort::SerialPortError error) {
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
        return;
    // The device can report its loss many times over: close once, report once, later.
    if (lossPending_ || !device_.isOpen())
        return;
    lossPending_ = true;
    QMetaObject::invokeMethod(
        &guard_, [this] { closeAfterLoss(); }, Qt::QueuedConnection);
}

void DevicePort::closeAfterLoss() {
    if (!device_.isOpen())
        return;
    PortError e{int(device_.error()), device_.errorString(), device_.portName()};
    if (e.number == QSerialPort::NoError)
        e.number = QSerialPort::ResourceError;
    device_.close();
    device_.clearError();
    reportDeviceLost(e);
}
