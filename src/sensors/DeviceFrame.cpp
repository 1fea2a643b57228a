#include "sensors/DeviceFrame.h"

#include "core/ToolContext.h"
#include "gateway/GatewayImage.h"
#include "link/Answer.h"
#include "link/Hex.h"
#include "link/Link.h"
#include "platform/Timer.h"
#include "sensors/SensorRequests.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

DeviceFrame::DeviceFrame(QWidget* parent)
    : QWidget(parent) {
    setObjectName("device_frame");
    lbl_desc = new QLabel("Gerät:", this);
    lbl_desc->setObjectName("lbl_desc");
    lbl_devType = new QLabel(this);
    lbl_devType->setObjectName("lbl_devType");
    txt_devType = new QLineEdit(this);
    txt_devType->setObjectName("txt_devType");
    txt_devType->setReadOnly(true);
    txt_devType->setFixedWidth(64);
    lbl_desc->setBuddy(txt_devType);
    auto* line = new QHBoxLayout(this);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(lbl_desc);
    line->addWidget(txt_devType);
    line->addWidget(lbl_devType);
    line->addStretch(1);
    connect(txt_devType, &QLineEdit::textChanged, this, [this] { txt_devType_Change(); });
}

void DeviceFrame::attach(ToolContext& ctx) {
    ctx_ = &ctx;
    ctx.link.setAnswerHandler(RequestKinds::IdentifyDevice,
                              [this](const Answer& a) { identificationAnswer(a); });
    ctx.link.setTimeOutHandler([this] { answerTimedOut(); });
}

void DeviceFrame::setSenderTabAvailableHandler(std::function<void(bool)> handler) {
    senderTabAvailable_ = std::move(handler);
}

void DeviceFrame::setAlarmHandler(std::function<void(QString)> handler) {
    alarm_ = std::move(handler);
}

void DeviceFrame::applyEnglish() {
    lbl_desc->setText("Device:");
}

QString DeviceFrame::deviceTypeText() const {
    return txt_devType->text();
}

void DeviceFrame::setDeviceTypeText(const QString& text) {
    txt_devType->setText(text);
}

QString DeviceFrame::deviceLabelText() const {
    return lbl_devType->text();
}

void DeviceFrame::txt_devType_Change() {
    const bool transceiver = txt_devType->text() == "QTX40";
    lbl_devType->setText(transceiver ? "QTX-RS485 Modbus" : "QRX-RS485 Modbus");
    if (ctx_)
        ctx_->senders.setRowControlsEnabled(transceiver);
    if (senderTabAvailable_)
        senderTabAvailable_(transceiver);
}

void DeviceFrame::startIdentification() {
    if (!ctx_)
        return;
    ctx_->settings.RequestKind = RequestKinds::IdentifyDevice;
    ReadDeviceRegister();
}

void DeviceFrame::ReadDeviceRegister() {
    if (!ctx_)
        return;
    ProgramSettings& s = ctx_->settings;
    uint16_t reg;
    if (s.RequestKind == RequestKinds::IdentifyDevice)
        reg = kModuleTypeRegister;
    else if (s.RequestKind == RequestKinds::ReadResponseTime)
        reg = kResponseTimeRegister;
    else
        return;
    const auto address = addressHex(ctx_->main.modbusAddressText());
    if (!address)
        return; // no address: nothing is sent and no time-out starts
    s.RequestText = deviceRegisterRequest(*address, reg);
    ctx_->link.send();
}

void DeviceFrame::identificationAnswer(const Answer& answer) {
    // the module type is the first register value: 0x0041 is the transceiver
    setDeviceTypeText(answer.chars(7, 4) == "0041" ? "QTX40" : "QRX40");
    ctx_->settings.RequestKind = RequestKinds::ReadResponseTime;
    ReadDeviceRegister();
}

void DeviceFrame::answerTimedOut() {
    ProgramSettings& s = ctx_->settings;
    if (s.RequestKind == RequestKinds::IdentifyDevice) {
        // a gateway that does not answer the identification is taken for the receiver
        s.RequestKind = RequestKinds::ReadResponseTime;
        ctx_->link.stopAnswerTimeOut();
        setDeviceTypeText("QRX40");
        ReadDeviceRegister();
        return;
    }
    if (alarm_)
        alarm_(s.Texts.value(1));
    s.LinkReady = true;
}
