#include "history/HistoryWindow.h"

#include "core/Localisation.h"
#include "core/ToolContext.h"
#include "gateway/SiteLabels.h"
#include "history/HistoryCsv.h"
#include "history/SensorHistory.h"
#include "history/TrendChartView.h"
#include "platform/AtomicFile.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "platform/WindowPlacement.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

namespace {
const QColor kSilent(0xFF, 0xD0, 0xD0);
constexpr int kColumns = 7;

// "45 s", "12 min 05 s", "2 h 05 min", "3 d 04 h"
QString durationText(int64_t ms) {
    const int64_t s = ms / 1000;
    auto two = [](int64_t v) { return QString("%1").arg(v, 2, 10, QChar('0')); };
    if (s < 60)
        return QString("%1 s").arg(s);
    if (s < 3600)
        return QString("%1 min %2 s").arg(s / 60).arg(two(s % 60));
    if (s < 86400)
        return QString("%1 h %2 min").arg(s / 3600).arg(two(s / 60 % 60));
    return QString("%1 d %2 h").arg(s / 86400).arg(two(s / 3600 % 24));
}

QString localTimeText(int64_t wallMs) {
    return QDateTime::fromMSecsSinceEpoch(wallMs).toString("yyyy-MM-dd HH:mm:ss");
}
} // namespace

HistoryWindow::HistoryWindow(SensorHistory& history, Clock& clock, MainWindowAccess& main,
                             MessageBoxes& messages, QWidget* owner)
    : QWidget(owner, Qt::Window)
    , history_(history)
    , clock_(clock)
    , main_(main)
    , messages_(messages)
    , refresh_(clock.createTimer("HistoryRefresh", 1000)) {
    setObjectName("frmHistory");
    buildLayout();
    applyTexts();
    choosePath_ = [this](const QString& caption, const QString& suggested, const QString& filter) {
        return QFileDialog::getSaveFileName(this, caption, suggested, filter);
    };
    refresh_->setTickHandler([this] {
        refreshList();              // "silent for" goes on counting
        chart_trend->drawPending(); // a live chart redraws at most once a second
    });
    history_.setRecordedHandler([this](int row) { recorded(row); });
}

HistoryWindow::~HistoryWindow() {
    history_.setRecordedHandler({});
}

void HistoryWindow::buildLayout() {
    lst_rows = new QTableWidget(0, kColumns, this);
    lst_rows->setObjectName("lst_rows");
    lst_rows->setSelectionBehavior(QAbstractItemView::SelectRows);
    lst_rows->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lst_rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lst_rows->verticalHeader()->hide();
    lst_rows->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    lst_rows->horizontalHeader()->setStretchLastSection(true);
    lst_rows->setMinimumHeight(150);
    connect(lst_rows, &QTableWidget::itemSelectionChanged, this, [this] { rebuildChart(); });

    lbl_silent = new QLabel(this);
    lbl_silent->setObjectName("lbl_silent");
    txt_silent_minutes = new QSpinBox(this);
    txt_silent_minutes->setObjectName("txt_silent_minutes");
    txt_silent_minutes->setRange(1, 7 * 24 * 60);
    txt_silent_minutes->setValue(60);
    lbl_silent->setBuddy(txt_silent_minutes);
    connect(txt_silent_minutes, &QSpinBox::valueChanged, this, [this] { refreshList(); });
    auto* controls = new QHBoxLayout;
    controls->addWidget(lbl_silent);
    controls->addWidget(txt_silent_minutes);
    controls->addSpacing(16);
    for (int k = 0; k < 4; ++k) {
        chk_byte[k] = new QCheckBox(QString("Byte %1").arg(k), this);
        chk_byte[k]->setObjectName(QString("chk_byte_%1").arg(k));
        chk_byte[k]->setChecked(true);
        connect(chk_byte[k], &QCheckBox::toggled, this, [this] { rebuildChart(); });
        controls->addWidget(chk_byte[k]);
    }
    controls->addStretch(1);
    auto button = [this, controls](QPushButton*& b, const char* name) {
        b = new QPushButton(this);
        b->setObjectName(name);
        controls->addWidget(b);
    };
    button(bt_reset_view, "bt_reset_view");
    button(bt_export_csv, "bt_export_csv");
    button(bt_export_png, "bt_export_png");
    connect(bt_export_csv, &QPushButton::clicked, this, [this] { bt_export_csv_Click(); });
    connect(bt_export_png, &QPushButton::clicked, this, [this] { bt_export_png_Click(); });

    chart_trend = new TrendChartView(clock_, this);
    chart_trend->setObjectName("chart_trend");
    lbl_choose_rows = new QLabel(this);
    lbl_choose_rows->setObjectName("lbl_choose_rows");
    lbl_choose_rows->setAlignment(Qt::AlignCenter);
    lbl_choose_rows->setWordWrap(true);
    chartOrHint_ = new QStackedWidget(this);
    chartOrHint_->addWidget(chart_trend);
    chartOrHint_->addWidget(lbl_choose_rows);
    connect(bt_reset_view, &QPushButton::clicked, chart_trend, &TrendChartView::resetView);
    lbl_hint = new QLabel(this);
    lbl_hint->setObjectName("lbl_hint");

    auto* column = new QVBoxLayout(this);
    column->addWidget(lst_rows, 2);
    column->addLayout(controls);
    column->addWidget(chartOrHint_, 5);
    column->addWidget(lbl_hint);
    resize(980, 720);
}

void HistoryWindow::applyTexts() {
    setWindowTitle(say("Verlauf", "History"));
    lst_rows->setHorizontalHeaderLabels(
        english_ ? QStringList{"Row", "Sensor ID", "Org", "Telegrams", "Last telegram",
                               "Silent for", "Label"}
                 : QStringList{"Zeile", "Sensor-ID", "Org", "Telegramme", "Letztes Telegramm",
                               "Still seit", "Bezeichnung"});
    lst_rows->resizeColumnsToContents();
    lbl_silent->setText(say("Still ab (min):", "Silent after (min):"));
    bt_reset_view->setText(say("Ansicht zurücksetzen", "Reset view"));
    bt_export_csv->setText(say("CSV exportieren…", "Export CSV…"));
    bt_export_png->setText(say("Bild speichern…", "Save picture…"));
    lbl_hint->setText(say("Rechteck ziehen: vergrößern · Rechtsklick: verkleinern · "
                          "Pfeiltasten oder mittlere Maustaste: verschieben",
                          "Drag a rectangle: zoom in · right-click: zoom out · "
                          "arrow keys or middle button: pan"));
    chart_trend->setAxisTitles(say("Zeit", "Time"), say("Wert (skaliert)", "Value (scaled)"));
    lbl_choose_rows->setText(say("Wählen Sie oben eine Zeile der Liste, um den Verlauf ihrer "
                                 "Daten-Bytes zu sehen; mit Strg oder Umschalt mehrere.",
                                 "Choose a row in the list above to see the trend of its data "
                                 "bytes; several with Ctrl or Shift."));
}

void HistoryWindow::open() {
    bringToFront(*this);
}

void HistoryWindow::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        Form_Load();
    refresh_->setEnabled(true);
    QWidget::showEvent(event);
}

void HistoryWindow::hideEvent(QHideEvent* event) {
    refresh_->setEnabled(false);
    QWidget::hideEvent(event);
}

void HistoryWindow::Form_Load() {
    english_ = main_.LocaliseWindow(Windows::History);
    applyTexts();
    refreshList();
    rebuildChart();
}

void HistoryWindow::setSiteLabels(const SiteLabels& labels) {
    labels_ = &labels;
    connect(&labels, &SiteLabels::changed, this, [this] { refreshList(); });
    refreshList();
}

QString HistoryWindow::labelOf(int row) const {
    return labels_ ? labels_->label(main_.modbusAddressText(), row) : QString();
}

int64_t HistoryWindow::silentAfterMs() const {
    return int64_t(txt_silent_minutes->value()) * 60000;
}

int HistoryWindow::lineOf(int row) const {
    for (int line = 0; line < lst_rows->rowCount(); ++line)
        if (lst_rows->item(line, 0)->data(Qt::UserRole).toInt() == row)
            return line;
    return -1;
}

void HistoryWindow::refreshList() {
    bool added = false;
    for (const RowSummary& s : history_.summaries(clock_.wallMs(), silentAfterMs())) {
        int line = lineOf(s.row);
        if (line < 0) { // in row order
            line = 0;
            while (line < lst_rows->rowCount() &&
                   lst_rows->item(line, 0)->data(Qt::UserRole).toInt() < s.row)
                ++line;
            lst_rows->insertRow(line);
            for (int c = 0; c < kColumns; ++c)
                lst_rows->setItem(line, c, new QTableWidgetItem);
            lst_rows->item(line, 0)->setData(Qt::UserRole, s.row);
            added = true;
        }
        fillListRow(line, s);
    }
    // columns fit their contents when rows come (and with the language), not at every new
    // text: fitting measures every cell of the list
    if (added)
        lst_rows->resizeColumnsToContents();
    updateExportButtons();
}

void HistoryWindow::fillListRow(int line, const RowSummary& s) {
    const QStringList texts{
        QString("%1 (%2-%3)").arg(s.row).arg(10 * s.row + 1).arg(10 * s.row + 10),
        QString("%1").arg(s.sensorId, 8, 16, QChar('0')).toUpper(),
        QString("%1").arg(s.org, 2, 16, QChar('0')).toUpper(),
        QString::number(s.telegrams),
        s.lastTelegramMs ? localTimeText(*s.lastTelegramMs) : QString("–"),
        s.learned ? durationText(s.silentForMs) : say("leer", "empty"),
        labelOf(s.row)};
    for (int c = 0; c < kColumns; ++c) {
        QTableWidgetItem* item = lst_rows->item(line, c);
        item->setText(texts[c]);
        item->setBackground(s.silent ? QBrush(kSilent) : QBrush());
        item->setToolTip(
            s.silent ? say("Länger still als eingestellt", "Silent for longer than the threshold")
                     : QString());
    }
}

QList<int> HistoryWindow::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : lst_rows->selectionModel()->selectedRows(0))
        rows.append(index.data(Qt::UserRole).toInt());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void HistoryWindow::selectRows(const QList<int>& rows) {
    lst_rows->clearSelection();
    for (int row : rows) {
        const int line = lineOf(row);
        if (line >= 0)
            lst_rows->selectionModel()->select(lst_rows->model()->index(line, 0),
                                               QItemSelectionModel::Select |
                                                   QItemSelectionModel::Rows);
    }
}

void HistoryWindow::rebuildChart() {
    lines_.clear();
    std::vector<TrendChartView::Line> lines;
    const QList<int> rows = selectedRows();
    for (int row : rows)
        for (int k = 0; k < 4; ++k) {
            if (!chk_byte[k]->isChecked())
                continue;
            const QString name = say("Zeile %1 Byte %2", "Row %1 Byte %2").arg(row).arg(k);
            std::vector<SensorTrend> series = history_.trends(row, k);
            for (size_t i = 0; i < series.size(); ++i) {
                lines_.push_back({row, k, i + 1 == series.size()});
                // a row that held several sensors names each line's sensor
                const QString sensor =
                    QString("%1").arg(series[i].sensorId, 8, 16, QChar('0')).toUpper();
                lines.push_back({series.size() == 1 ? name : name + " (" + sensor + ")",
                                 std::move(series[i].points)});
            }
        }
    chart_trend->setLines(lines);
    chartOrHint_->setCurrentWidget(rows.isEmpty() ? static_cast<QWidget*>(lbl_choose_rows)
                                                  : chart_trend);
    updateExportButtons();
}

void HistoryWindow::updateExportButtons() {
    const bool chosen = !selectedRows().isEmpty();
    bt_export_csv->setEnabled(chosen);
    bt_export_png->setEnabled(chosen);
}

void HistoryWindow::recorded(int row) {
    if (!isVisible())
        return; // the next showing loads everything
    const int line = lineOf(row);
    if (line < 0)
        refreshList();
    else
        fillListRow(line, history_.summary(row, clock_.wallMs(), silentAfterMs()));
    if (history_.startsSeries(row) && selectedRows().contains(row))
        return rebuildChart(); // another sensor in the row: a line of its own
    const RecordRing& ring = history_.records(row);
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].row != row || !lines_[i].newest)
            continue;
        const double v = history_.shownValue(ring.last(), lines_[i].byte);
        if (!std::isnan(v))
            chart_trend->appendPoint(int(i), QPointF(double(ring.last().wallMs), v),
                                     qsizetype(ring.size()));
    }
}

// The file dialog offers a name with the date and time in the home folder.
QString HistoryWindow::askPath(const QString& caption, const QString& name, const QString& filter) {
    const QString stamp = QDateTime::fromMSecsSinceEpoch(clock_.wallMs()).toString("yyyyMMdd-HHmm");
    return choosePath_(caption, QDir::home().filePath(name.arg(stamp)), filter);
}

void HistoryWindow::bt_export_csv_Click() {
    const QString path = askPath(say("Verlauf als CSV exportieren", "Export the history as CSV"),
                                 say("verlauf-%1.csv", "history-%1.csv"), "CSV (*.csv)");
    if (!path.isEmpty())
        exportCsv(path);
}

void HistoryWindow::bt_export_png_Click() {
    const QString path = askPath(say("Trend als Bild speichern", "Save the trend as a picture"),
                                 "trend-%1.png", "PNG (*.png)");
    if (!path.isEmpty())
        exportPng(path);
}

bool HistoryWindow::exportCsv(const QString& path) {
    const auto failure = writeFileAtomically(
        path, historyCsv(history_, selectedRows(), [this](int row) { return labelOf(row); }));
    if (failure)
        tellFailure(path, *failure);
    return !failure;
}

bool HistoryWindow::exportPng(const QString& path) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!chart_trend->grab().save(&buffer, "PNG")) {
        tellFailure(path, say("Das Bild ließ sich nicht erzeugen.", "No picture could be made."));
        return false;
    }
    const auto failure = writeFileAtomically(path, png);
    if (failure)
        tellFailure(path, *failure);
    return !failure;
}

void HistoryWindow::tellFailure(const QString& path, const QString& reason) {
    messages_.show(say("Die Datei %1 konnte nicht geschrieben werden: %2",
                       "The file %1 could not be written: %2")
                       .arg(QDir::toNativeSeparators(path), reason));
}
