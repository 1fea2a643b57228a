#pragma once
// The history window frmHistory (menu "Extras" -> "Verlauf…", modeless): the list of the rows the
// history holds with their telegram activity, rows silent for longer than the threshold marked;
// the trend of the selected rows' scaled data bytes; the site file's label of each row; export of
// the selection as CSV and of the chart as PNG. It only shows and forwards: the records are
// SensorHistory's.

#include "core/Localisation.h"

#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class Clock;
class MainWindowAccess;
class MessageBoxes;
class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTableWidget;
class SensorHistory;
class SiteLabels;
class Timer;
class TrendChartView;
struct RowSummary;

class HistoryWindow : public QWidget, protected WindowLanguage {
    Q_OBJECT
public:
    // (caption, suggested file name, filter) -> the chosen path, empty when cancelled
    using SavePathChooser = std::function<QString(const QString&, const QString&, const QString&)>;

    HistoryWindow(SensorHistory& history, Clock& clock, MainWindowAccess& main,
                  MessageBoxes& messages, QWidget* owner);
    ~HistoryWindow() override;

    // Shows the window (loading it) or brings it to the front.
    void open();
    // Runs at every showing: texts in the stored language, the list and the chart.
    void Form_Load();
    void setSavePathChooser(SavePathChooser chooser) { choosePath_ = std::move(chooser); }
    // The site's labels, shown beside the rows of the window's gateway and in the CSV.
    void setSiteLabels(const SiteLabels& labels);

    void bt_export_csv_Click();
    void bt_export_png_Click();
    bool exportCsv(const QString& path);
    bool exportPng(const QString& path);
    void refreshList();
    QList<int> selectedRows() const;
    void selectRows(const QList<int>& rows);

    QTableWidget* rowList() const { return lst_rows; }
    TrendChartView* chartView() const { return chart_trend; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildLayout();
    void applyTexts();
    void fillListRow(int line, const RowSummary& s);
    int lineOf(int row) const;
    void rebuildChart();
    void updateExportButtons();
    void recorded(int row);
    int64_t silentAfterMs() const;
    QString labelOf(int row) const;
    void tellFailure(const QString& path, const QString& reason);
    QString askPath(const QString& caption, const QString& name, const QString& filter);

    SensorHistory& history_;
    Clock& clock_;
    MainWindowAccess& main_;
    MessageBoxes& messages_;
    const SiteLabels* labels_ = nullptr;
    std::unique_ptr<Timer> refresh_;
    SavePathChooser choosePath_;
    struct Shown {
        int row;
        int byte;
        bool newest; // the row's present sensor: new records join it
    };
    std::vector<Shown> lines_; // what each line of the chart shows

    QTableWidget* lst_rows;
    QStackedWidget* chartOrHint_; // the chart, or how to choose rows for it
    TrendChartView* chart_trend;
    QLabel* lbl_choose_rows;
    QLabel* lbl_silent;
    QSpinBox* txt_silent_minutes;
    std::array<QCheckBox*, 4> chk_byte{};
    QLabel* lbl_hint;
    QPushButton* bt_reset_view;
    QPushButton* bt_export_csv;
    QPushButton* bt_export_png;
};
