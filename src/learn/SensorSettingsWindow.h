#pragma once
// The sensor settings window LernmodusFenster: learn-in by learn button or by typed ID, and the
// inversion of data byte 1, for the row in CurrentRow. Shown window-modal without a nested
// event loop, so timers and answers go on while it is open. One instance per showing.

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class SensorIdEdit;
struct ToolContext;

class SensorSettingsWindow : public QDialog {
    Q_OBJECT
public:
    static const QString kIdLengthWrong;

    SensorSettingsWindow(ToolContext& ctx, QWidget* owner);

    void Form_Load();
    void Manuell_Click();
    void bt_learn_sensor_Click();
    void bt_cancel_Click();
    void chk_invert_Click();
    void bt_set_Click();

    // The answer to request kind 6 reports the row's flag set.
    void tickInvert();

private:
    void buildControls();
    void applyEnglishTexts();
    void learnByButton();
    void learnManually(const QString& org);
    QString chosenOrg() const;

    ToolContext& ctx_;
    QGroupBox* frm_Invert;
    QCheckBox* chk_invert;
    QPushButton* bt_set;
    QGroupBox* Einlernprozedurframe;
    QRadioButton* Manuell[2];
    SensorIdEdit* txtSensorIDeingabe;
    QRadioButton* ManuellIDOption[3];
    QPushButton* bt_learn_sensor;
    QPushButton* bt_cancel;
    QButtonGroup* methodGroup;
    QButtonGroup* orgGroup;
};
