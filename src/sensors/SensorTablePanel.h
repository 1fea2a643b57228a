#pragma once
// The sensor tab: frm_sensors with the 32 sensor rows in two halves of 16 side by side, the
// read switch chk_read with its caption, and the legend of the inversion shading. The panel
// owns the table read cycle (request kinds 4, 3 and 7 on Timer1, Timer2 and Timer3).

#include "core/ToolContext.h"

#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SiteLabels;
class TableReadCycle;
struct SensorRowTexts;

class SensorTablePanel : public QWidget, public SensorTableAccess {
    Q_OBJECT
public:
    explicit SensorTablePanel(QWidget* parent = nullptr);
    ~SensorTablePanel() override;

    // Registers the answer handlers of kinds 4, 3 and 7 and the ticks of Timer1, 2 and 3.
    void attach(ToolContext& ctx);
    // Clicks of bt_learn(row) and bt_delete(row).
    void setRowButtonHandlers(std::function<void(int)> learn, std::function<void(int)> del);
    // Sets chk_connected checked (after every table-read answer).
    void setConnectedCheck(std::function<void()> check);
    // Enables or disables txt_min_response and bt_set_response.
    void setResponseInputsHandler(std::function<void(bool)> enable);
    // Told of every sensor row decoded in full (table read and slot watch), once it is shown.
    void setDecodedRowObserver(std::function<void(int row, const SensorRowTexts&)> observer);
    void applyEnglish();
    // The site file's label of each row as the tooltip of its fields, for the window's address.
    void setSiteLabels(const SiteLabels& labels);
    void showLabel(int row);

    // SensorTableAccess
    QString orgCaption(int row) const override;
    QString idCaption(int row) const override;
    void setDeleteEnabled(int row, bool on) override;
    void setLearnEnabled(int row, bool on) override;
    void decodeRow(int row, const Answer& answer, bool withTime) override;
    void setInversionShade(int row, bool inverted) override;
    bool readChecked() const override;
    void setReadChecked(bool on) override;

    TableReadCycle* cycle() const { return cycle_.get(); }
    QCheckBox* readBox() const { return chk_read; }
    QLineEdit* dataField(int row, int byte) const; // txt_data_(byte + 1)(row)
    QLineEdit* timeField(int row) const { return rows_[row].txt_time; }
    QPushButton* learnButton(int row) const { return rows_[row].bt_learn; }
    QPushButton* deleteButton(int row) const { return rows_[row].bt_delete; }
    QLabel* caption(int index) const { return lbl_sensor[index]; } // lbl_sensor(index)

private:
    struct Row {
        QLabel* txt_org = nullptr;
        QLabel* txt_id = nullptr;
        std::array<QLineEdit*, 4> txt_data{}; // txt_data_1..txt_data_4
        QLineEdit* txt_time = nullptr;
        QPushButton* bt_learn = nullptr;
        QPushButton* bt_delete = nullptr;
    };
    QWidget* buildHalf(int firstRow);
    QWidget* buildLegend();
    void applyTexts(int row, const SensorRowTexts& texts, bool withTime);
    static bool validRow(int row) { return row >= 0 && row < kSensorRows; }

    ToolContext* ctx_ = nullptr;
    const SiteLabels* labels_ = nullptr;
    std::unique_ptr<TableReadCycle> cycle_;
    std::function<void(int)> learn_;
    std::function<void(int)> delete_;
    std::function<void()> connectedCheck_;
    std::function<void(bool)> responseInputs_;
    std::function<void(int, const SensorRowTexts&)> rowObserver_;
    std::array<Row, kSensorRows> rows_{};
    std::array<QLabel*, 53> lbl_sensor{};
    QCheckBox* chk_read = nullptr;
};
