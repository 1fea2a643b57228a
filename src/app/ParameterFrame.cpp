#include "app/ParameterFrame.h"

#include "core/ToolContext.h"
#include "link/Link.h"
#include "link/SerialPort.h"
#include "platform/InputFilters.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramSelection.h"
#include "platform/Timer.h"
#include "ports/PortTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace {
const QStringList kBauds{"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};

QComboBox* makeList(const QString& name, const QStringList& entries, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->addItems(entries);
    list->setCurrentIndex(-1);
    return list;
}
} // namespace

ParameterFrame::ParameterFrame(QWidget* parent)
    : QGroupBox("Parameter", parent) {
    setObjectName("frm_parameter");
    QStringList ports;
    for (int i = 1; i <= 29; ++i)
        ports << QString("COM%1").arg(i);
    portList_ = makeList("Combo_Port_0", ports, this);
    baudList_ = makeList("Combo_Port_1", kBauds, this);
    parityList_ = makeList("Combo_Port_2", {"No parity", "even", "odd"}, this);
    modeList_ = makeList("Combo_Port_5", {"ASCII", "RTU"}, this);
    openList_ = makeList("Combo_Port_6", {"close", "open"}, this);
    txt_Modbus_adress = new QLineEdit("0", this);
    txt_Modbus_adress->setObjectName("txt_Modbus_adress");
    // at most 3 digits; above 255 is refused when the box is left
    allowOnly(txt_Modbus_adress, "[0-9]*", 3);
    txt_Modbus_adress->installEventFilter(this);
    chk_connected = new QCheckBox("Connected", this);
    chk_connected->setObjectName("chk_connected");

    auto* grid = new QGridLayout(this);
    const QStringList captions{"COM-Port", "Baudrate", "Parity", "Mode", "Modbus address"};
    QWidget* fields[] = {portList_, baudList_, parityList_, modeList_, txt_Modbus_adress};
    for (int i = 0; i < 5; ++i) {
        lbl_parameter[i] = new QLabel(captions[i], this);
        lbl_parameter[i]->setObjectName(QString("lbl_parameter_%1").arg(i));
        lbl_parameter[i]->setBuddy(fields[i]);
        grid->addWidget(lbl_parameter[i], 0, i);
        grid->addWidget(fields[i], 1, i);
    }
    grid->addWidget(openList_, 1, 5);
    grid->addWidget(chk_connected, 1, 6);
    lbl_port_device = new QLabel(this);
    lbl_port_device->setObjectName("lbl_port_device");
    // a long device text must not widen the window; the tooltip holds it whole
    lbl_port_device->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    grid->addWidget(lbl_port_device, 2, 0, 1, 7);
    // program selections block currentIndexChanged; activated comes with every selection
    connect(portList_, &QComboBox::activated, this, [this](int i) {
        lbl_port_device->setText(portList_->itemData(i, Qt::ToolTipRole).toString());
        lbl_port_device->setToolTip(lbl_port_device->text());
        emit portSelectionChanged();
    });
    for (QWidget* w : {static_cast<QWidget*>(portList_), static_cast<QWidget*>(baudList_),
                       static_cast<QWidget*>(parityList_), static_cast<QWidget*>(modeList_),
                       static_cast<QWidget*>(txt_Modbus_adress), static_cast<QWidget*>(openList_)})
        w->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(portList_, baudList_);
    setTabOrder(baudList_, parityList_);
    setTabOrder(parityList_, modeList_);
    setTabOrder(modeList_, txt_Modbus_adress);
    setTabOrder(txt_Modbus_adress, openList_);
}

QComboBox* ParameterFrame::list(int index) const {
    switch (index) {
    case 0:
        return portList_;
    case 1:
        return baudList_;
    case 2:
        return parityList_;
    case 5:
        return modeList_;
    case 6:
        return openList_;
    default:
        return nullptr;
    }
}

void ParameterFrame::showPortDevices(const QStringList& texts) {
    for (int i = 0; i < portList_->count() && i < texts.size(); ++i)
        portList_->setItemData(i, texts[i], Qt::ToolTipRole);
    lbl_port_device->setText(texts.value(portList_->currentIndex()));
    lbl_port_device->setToolTip(lbl_port_device->text());
}

QString ParameterFrame::modbusAddressText() const {
    return txt_Modbus_adress->text();
}

void ParameterFrame::setModbusAddressText(const QString& text) {
    txt_Modbus_adress->setText(text);
}

void ParameterFrame::attach(ToolContext& ctx, SerialPort& MSComm1, Hooks hooks) {
    ctx_ = &ctx;
    port_ = &MSComm1;
    hooks_ = std::move(hooks);
    for (QComboBox* l : {portList_, baudList_, parityList_, modeList_, openList_})
        onListClick(l, [this] { Combo_Port_Click(); });
    connect(chk_connected, &QCheckBox::toggled, this, [this] { chk_connected_Click(); });
    // a device that fails or vanishes while open leaves the window closed, as a failed open does
    port_->setDeviceLostHandler([this](const PortError& e) { failurePath(e); });
    // an option of the mapping the driver refused (RS485 mode): the port stays open
    port_->setOptionRefusedHandler([this](const PortError& e) {
        ctx_->messages.show(optionRefusedText(english()), failureDetail(e, english()));
    });
}

bool ParameterFrame::english() const {
    return ctx_->settings.LanguageCode == "1033";
}

void ParameterFrame::selectStartEntries() {
    const ProgramSettings& s = ctx_->settings;
    selectEntry(portList_, 2);
    const int baud = kBauds.indexOf(s.BaudText);
    if (baud >= 0)
        selectEntry(baudList_, baud);
    const int parity = s.ParityLetter == "N"   ? 0
                       : s.ParityLetter == "E" ? 1
                       : s.ParityLetter == "O" ? 2
                                               : -1;
    if (parity >= 0)
        selectEntry(parityList_, parity);
    selectEntry(modeList_, 0);
    if (s.PortIsOpen) {
        selectEntry(openList_, 1);
        hooks_.setResponseInputsEnabled(true);
    } else {
        selectEntry(openList_, 0);
        hooks_.setResponseInputsEnabled(false);
        disableSensorRowButtons();
        if (ctx_->main.deviceTypeText() == "QTX40")
            ctx_->senders.setRowButtonsEnabled(false);
    }
}

void ParameterFrame::chooseLineSettings(const FoundLineSettings& found) {
    selectEntry(modeList_, modeList_->findText(found.rtu ? "RTU" : "ASCII"));
    selectEntry(baudList_, baudList_->findText(QString::number(found.baud)));
    selectEntry(parityList_, found.parity == 'N' ? 0 : found.parity == 'O' ? 2 : 1);
    setModbusAddressText(QString::number(found.address));
}

void ParameterFrame::Combo_Port_Click() {
    applySelection();
    try {
        applyToPort();
    } catch (const PortError& e) {
        failurePath(e);
    }
}

void ParameterFrame::applySelection() {
    ProgramSettings& s = ctx_->settings;
    s.PortNumber = static_cast<uint8_t>(portList_->currentIndex() + 1);
    if (baudList_->currentIndex() >= 0)
        s.BaudText = baudList_->currentText();
    switch (parityList_->currentIndex()) {
    case 0:
        s.ParityLetter = "N";
        s.StopBitsText = "2";
        break;
    case 1:
        s.ParityLetter = "E";
        s.StopBitsText = "1";
        break;
    case 2:
        s.ParityLetter = "O";
        s.StopBitsText = "1";
        break;
    default:
        break;
    }
    if (modeList_->currentIndex() == 0) {
        s.ModeText = "ASCII";
        s.DataBitsText = "7";
        port_->setInputMode(InputMode::Text);
        ctx_->timers.Timer4.setInterval(100);
    } else if (modeList_->currentIndex() == 1) {
        s.ModeText = "RTU";
        s.DataBitsText = "8";
        port_->setInputMode(InputMode::Binary);
        ctx_->timers.Timer4.setInterval(50);
    }
    if (openList_->currentIndex() >= 0)
        s.PortIsOpen = openList_->currentIndex() != 0;
    lockForOpenState(s.PortIsOpen);
}

void ParameterFrame::lockForOpenState(bool open) {
    for (QComboBox* l : {portList_, baudList_, parityList_, modeList_})
        l->setEnabled(!open);
    if (!open) {
        ctx_->timers.Timer1.setEnabled(false);
        ctx_->timers.Timer2.setEnabled(false);
        ctx_->timers.Timer3.setEnabled(false);
        ctx_->sensors.setReadChecked(false);
        chk_connected->setChecked(false);
    }
    // last: unticking chk_read above must not leave them enabled on a closed port
    hooks_.setResponseInputsEnabled(open);
}

void ParameterFrame::applyToPort() {
    ProgramSettings& s = ctx_->settings;
    if (port_->CommPort() != s.PortNumber) {
        if (port_->PortOpen())
            port_->setPortOpen(false);
        port_->setCommPort(s.PortNumber);
    }
    port_->setSettings(s.BaudText + "," + s.ParityLetter + "," + s.DataBitsText + "," +
                       s.StopBitsText);
    if (port_->PortOpen() != s.PortIsOpen)
        port_->setPortOpen(s.PortIsOpen);
    // an answer of a request written before (by another program, say) is nobody's now
    ctx_->link.resetLine();
    if (port_->PortOpen()) {
        hooks_.startIdentification();
        s.RegisterCounter = 0;
        s.AnswerText.clear();
        ctx_->timers.Timer4.setEnabled(true);
    } else {
        ctx_->timers.Timer4.setEnabled(false);
    }
    hooks_.setExpectedLength(0);
    ctx_->senders.setButtonCaptions(s.Texts.value(21), s.Texts.value(22));
}

void ParameterFrame::failurePath(const PortError& e) {
    // closing again runs the whole apply sequence; a second failure inside it must not recurse
    if (inFailurePath_)
        return;
    inFailurePath_ = true;
    // the device, the facility's reason and what to do go below the message
    ctx_->messages.show("COM-Port not available, " + QString::number(e.number),
                        failureDetail(e, english()));
    selectEntry(openList_, 0);
    ctx_->settings.PortIsOpen = false;
    hooks_.setResponseInputsEnabled(false);
    chk_connected->setChecked(false);
    hooks_.unlockReceiveBox();
    inFailurePath_ = false;
}

void ParameterFrame::chk_connected_Click() {
    const bool on = chk_connected->isChecked();
    if (!on) {
        ctx_->senders.setRowButtonsEnabled(false);
        disableSensorRowButtons();
        return;
    }
    if (ctx_->main.deviceTypeText() == "QTX40")
        ctx_->senders.setRowButtonsEnabled(true);
    for (int row = 0; row < kSensorRows; ++row) {
        ctx_->sensors.setDeleteEnabled(row, ctx_->sensors.orgCaption(row) != "00");
        ctx_->sensors.setLearnEnabled(row, true);
    }
}

void ParameterFrame::disableSensorRowButtons() {
    for (int row = 0; row < kSensorRows; ++row) {
        ctx_->sensors.setDeleteEnabled(row, false);
        ctx_->sensors.setLearnEnabled(row, false);
    }
}

void ParameterFrame::checkAddressRange() {
    bool ok = false;
    const int value = txt_Modbus_adress->text().toInt(&ok);
    if (ok && value > 255)
        ctx_->messages.show("Wrong Modbus address - 0...255");
}

bool ParameterFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txt_Modbus_adress && event->type() == QEvent::FocusOut && ctx_)
        checkAddressRange();
    return QGroupBox::eventFilter(watched, event);
}
