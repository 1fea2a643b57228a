#include "learn/SensorSettingsWindow.h"

#include "core/ToolContext.h"
#include "learn/LearnRequests.h"
#include "learn/SensorIdEdit.h"
#include "link/Link.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "platform/WindowPlacement.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

const QString SensorSettingsWindow::kIdLengthWrong = "Length ID-Byte is wrong; e.g.: 00001578";

SensorSettingsWindow::SensorSettingsWindow(ToolContext& ctx, QWidget* owner)
    : QDialog(owner)
    , ctx_(ctx) {
    setObjectName("LernmodusFenster");
    buildControls();
    connect(chk_invert, &QCheckBox::toggled, this, [this] { chk_invert_Click(); });
    connect(bt_set, &QPushButton::clicked, this, [this] { bt_set_Click(); });
    for (QRadioButton* option : Manuell)
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                Manuell_Click();
        });
    connect(bt_learn_sensor, &QPushButton::clicked, this, [this] { bt_learn_sensor_Click(); });
    connect(bt_cancel, &QPushButton::clicked, this, [this] { bt_cancel_Click(); });
    txtSensorIDeingabe->setRefusalHandler([this](const QString& t) { ctx_.messages.show(t); });
}

void SensorSettingsWindow::buildControls() {
    setWindowTitle("Sensor einstellen");
    frm_Invert = new QGroupBox("Invertierung", this);
    frm_Invert->setObjectName("frm_Invert");
    chk_invert = new QCheckBox("Daten-Byte 1 invertieren", frm_Invert);
    chk_invert->setObjectName("chk_invert");
    bt_set = new QPushButton("Setzen", frm_Invert);
    bt_set->setObjectName("bt_set");
    auto* invertLayout = new QHBoxLayout(frm_Invert);
    invertLayout->addWidget(chk_invert);
    invertLayout->addWidget(bt_set);

    Einlernprozedurframe = new QGroupBox("Sensor Einlernen", this);
    Einlernprozedurframe->setObjectName("Einlernprozedurframe");
    Manuell[0] = new QRadioButton("Sensor ID mittels Lerntaste einlernen", Einlernprozedurframe);
    Manuell[1] = new QRadioButton("Sensor ID eingeben:", Einlernprozedurframe);
    txtSensorIDeingabe = new SensorIdEdit(Einlernprozedurframe);
    ManuellIDOption[0] = new QRadioButton("Taster (ORG-Byte 05)", Einlernprozedurframe);
    ManuellIDOption[1] = new QRadioButton("1 Byte Sensor (ORG-Byte 06)", Einlernprozedurframe);
    ManuellIDOption[2] = new QRadioButton("4 Byte Sensor (ORG-Byte 07)", Einlernprozedurframe);
    methodGroup = new QButtonGroup(this);
    orgGroup = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        Manuell[i]->setObjectName(QString("Manuell_%1").arg(i));
        methodGroup->addButton(Manuell[i], i);
    }
    for (int i = 0; i < 3; ++i) {
        ManuellIDOption[i]->setObjectName(QString("ManuellIDOption_%1").arg(i));
        orgGroup->addButton(ManuellIDOption[i], i);
    }
    auto* learnLayout = new QGridLayout(Einlernprozedurframe);
    learnLayout->addWidget(Manuell[0], 0, 0, 1, 2);
    learnLayout->addWidget(Manuell[1], 1, 0);
    learnLayout->addWidget(txtSensorIDeingabe, 1, 1);
    for (int i = 0; i < 3; ++i)
        learnLayout->addWidget(ManuellIDOption[i], 2 + i, 1);

    bt_learn_sensor = new QPushButton("Lernen", this);
    bt_learn_sensor->setObjectName("bt_learn_sensor");
    bt_cancel = new QPushButton("Abbrechen", this);
    bt_cancel->setObjectName("bt_cancel");
    for (QPushButton* b : {bt_set, bt_learn_sensor, bt_cancel})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bt_learn_sensor);
    buttons->addWidget(bt_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frm_Invert);
    layout->addWidget(Einlernprozedurframe);
    layout->addLayout(buttons);
}

void SensorSettingsWindow::applyEnglishTexts() {
    setWindowTitle("Set sensor");
    Einlernprozedurframe->setTitle("Learn sensor");
    ManuellIDOption[0]->setText("Rocker switch (ORG-Byte 05)");
    Manuell[1]->setText("Learn-in sensor ID manually:");
    Manuell[0]->setText("Learning sensor ID by learn-in button");
    bt_learn_sensor->setText("Transmit");
    bt_cancel->setText("Cancel");
    bt_set->setText("Set");
    frm_Invert->setTitle("Invert");
    chk_invert->setText("Invert Data-Byte 1");
}

void SensorSettingsWindow::Form_Load() {
    if (ctx_.main.LocaliseWindow(4))
        applyEnglishTexts();
    centreOnScreen(*this);
    ManuellIDOption[0]->setChecked(true);
    // Selecting the option from the program runs Manuell_Click; when it is already selected
    // the toggle does not come, so the click runs here.
    if (Manuell[0]->isChecked())
        Manuell_Click();
    else
        Manuell[0]->setChecked(true);
}

void SensorSettingsWindow::Manuell_Click() {
    const bool manual = Manuell[1]->isChecked();
    if (!manual && !Manuell[0]->isChecked())
        return;
    txtSensorIDeingabe->setEnabled(manual);
    QPalette p = txtSensorIDeingabe->palette();
    p.setColor(QPalette::Base,
               manual ? palette().color(QPalette::Base) : palette().color(QPalette::Window));
    txtSensorIDeingabe->setPalette(p);
    for (QRadioButton* option : ManuellIDOption)
        option->setEnabled(manual);
}

QString SensorSettingsWindow::chosenOrg() const {
    if (ManuellIDOption[1]->isChecked())
        return "06";
    if (ManuellIDOption[2]->isChecked())
        return "07";
    return "05";
}

void SensorSettingsWindow::bt_learn_sensor_Click() {
    const QString org = chosenOrg();
    if (Manuell[0]->isChecked())
        learnByButton();
    else if (Manuell[1]->isChecked())
        learnManually(org);
}

void SensorSettingsWindow::learnByButton() {
    ProgramSettings& s = ctx_.settings;
    if (!isSensorRow(s.CurrentRow))
        return;
    s.RegisterCounter = static_cast<int16_t>(s.CurrentRow * 10);
    const std::optional<QString> address = gatewayAddress(ctx_.main);
    if (!address)
        return; // nothing sent, the window stays open
    s.RequestKind = RequestKinds::StartLearnMode;
    s.RequestText = learnModeRequest(*address, s.CurrentRow, true);
    ctx_.link.send();
    close();
}

void SensorSettingsWindow::learnManually(const QString& org) {
    ProgramSettings& s = ctx_.settings;
    if (!isSensorRow(s.CurrentRow))
        return;
    s.RequestKind = RequestKinds::WriteSensorEntry;
    s.RegisterCounter = static_cast<int16_t>(s.CurrentRow * 10);
    const QString id = txtSensorIDeingabe->text();
    if (id.size() != SensorIdEdit::kMaxIdLength) {
        ctx_.messages.show(kIdLengthWrong);
        return;
    }
    if (!isSensorIdText(id)) {
        ctx_.messages.show(SensorIdEdit::kRefusedText);
        return;
    }
    const std::optional<QString> address = gatewayAddress(ctx_.main);
    if (!address)
        return;
    s.LearnOrgText = org;
    s.LearnIdText = id.toUpper();
    s.RequestText = sensorEntryWriteRequest(*address, s.CurrentRow, org, s.LearnIdText);
    ctx_.link.send();
    ctx_.timers.Timer2.setEnabled(true); // the slot watch shows when the row has the entry
    close();
}

void SensorSettingsWindow::bt_cancel_Click() {
    close();
}

void SensorSettingsWindow::chk_invert_Click() {
    ctx_.settings.InversionValue = chk_invert->isChecked() ? 1 : 0;
}

void SensorSettingsWindow::tickInvert() {
    chk_invert->setChecked(true);
}

void SensorSettingsWindow::bt_set_Click() {
    ProgramSettings& s = ctx_.settings;
    const std::optional<QString> address = gatewayAddress(ctx_.main);
    if (!address || !isSensorRow(s.CurrentRow))
        return;
    s.RequestKind = RequestKinds::SetInversion;
    const bool inverted = chk_invert->isChecked();
    s.InversionValue = inverted ? 1 : 0;
    s.RequestText = inversionWriteRequest(*address, s.CurrentRow, inverted);
    ctx_.link.send();
    ctx_.timers.Timer3.setEnabled(true); // the bulk refresh shades the rows again
    close();
}
