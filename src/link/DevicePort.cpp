#include "link/DevicePort.h"

#include "platform/TtyDevice.h"

#include <QMetaObject>
#include <algorithm>
#include <cstring>
#include <unistd.h>

DevicePort::DevicePort(PathResolver resolver)
    : resolver_(std::move(resolver))
    , isPseudoTerminal_(isPseudoTerminal) {
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
    if (device_.isOpen()) {
        applySettings();
        device_.clear(QSerialPort::Input); // bytes of the old settings mean nothing now
    }
}

void DevicePort::applySettings() {
    PortError refusal;
    auto check = [&](bool applied, LineSetting which, const QString& value) {
        if (applied || refusal.refused != LineSetting::None)
            return;
        const int number = device_.error() == QSerialPort::NoError
                               ? QSerialPort::UnsupportedOperationError
                               : int(device_.error());
        refusal = PortError{number, device_.errorString(), path_, which, value};
    };
    const LineSettings& l = settings_;
    check(device_.setBaudRate(l.baud), LineSetting::Baud, QString::number(l.baud));
    check(device_.setDataBits(l.dataBits == 7 ? QSerialPort::Data7 : QSerialPort::Data8),
          LineSetting::DataBits, QString::number(l.dataBits));
    check(device_.setParity(l.parity == 'E'   ? QSerialPort::EvenParity
                            : l.parity == 'O' ? QSerialPort::OddParity
                                              : QSerialPort::NoParity),
          LineSetting::Parity, QString(QChar(l.parity)));
    check(device_.setStopBits(l.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop),
          LineSetting::StopBits, QString::number(l.stopBits));
    device_.setFlowControl(QSerialPort::NoFlowControl);
    device_.clearError();
    // A pseudo-terminal keeps 8N1 and refuses 7E1, yet the line works: a real device that
    // refuses a setting would garble every frame.
    if (refusal.refused != LineSetting::None && !isPseudoTerminal_(int(device_.handle()), path_))
        throw refusal;
}

void DevicePort::setPortOpen(bool open) {
    if (open == device_.isOpen())
        return;
    if (!open) {
        device_.close();
        return;
    }
    path_ = resolver_ ? resolver_(commPort_) : QString();
    device_.setPortName(path_);
    lossPending_ = false;
    if (!device_.open(QIODevice::ReadWrite)) {
        const int number =
            device_.error() == QSerialPort::NoError ? QSerialPort::OpenError : int(device_.error());
        PortError e{number, device_.errorString(), path_};
        device_.clearError();
        throw e;
    }
    try {
        applySettings();
    } catch (const PortError&) {
        device_.close();
        throw;
    }
    // what waits in the input already answers nobody's request of ours: a late answer to the
    // last program on the line would be taken for the answer to our first request
    device_.clear(QSerialPort::Input);
    if (!rs485_)
        return;
    const int refusal = setRs485Mode(int(device_.handle()), *rs485_);
    // a driver without the mode has it off
    if (refusal != 0 && *rs485_)
        reportOptionRefused(PortError{QSerialPort::UnsupportedOperationError,
                                      QString::fromLocal8Bit(std::strerror(refusal)), path_,
                                      LineSetting::Rs485});
}

int DevicePort::InBufferCount() {
    return device_.isOpen() ? int(device_.bytesAvailable()) : 0;
}

QByteArray DevicePort::Input() {
    // Text mode hands over the same bytes; callers read them as Latin-1 text.
    return device_.isOpen() ? device_.readAll() : QByteArray();
}

void DevicePort::Output(const QByteArray& bytes) {
    if (!device_.isOpen() || bytes.isEmpty())
        return;
    // Straight to the device while QSerialPort holds nothing back: its own write waits for a
    // write notifier, which wakes the event loop three more times a request. What the device
    // does not take at once (or a failure, which QSerialPort then reports) goes the usual way.
    qint64 taken = 0;
    if (device_.bytesToWrite() == 0)
        taken =
            std::max<qint64>(0, ::write(int(device_.handle()), bytes.constData(), bytes.size()));
    if (taken < bytes.size())
        device_.write(bytes.constData() + taken, bytes.size() - taken);
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
    PortError e{int(device_.error()), device_.errorString(), path_};
    if (e.number == QSerialPort::NoError)
        e.number = QSerialPort::ResourceError;
    device_.close();
    device_.clearError();
    reportDeviceLost(e);
}
