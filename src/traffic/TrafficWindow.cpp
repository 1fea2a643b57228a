#include "traffic/TrafficWindow.h"

#include "core/Localisation.h"
#include "core/ToolContext.h"
#include "platform/AtomicFile.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "platform/WindowPlacement.h"
#include "traffic/TrafficCsv.h"
#include "traffic/TrafficModel.h"
#include "traffic/TrafficRecorder.h"
#include "traffic/TrafficRows.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

TrafficWindow::TrafficWindow(TrafficRecorder& recorder, Clock& clock, MainWindowAccess& main,
                             MessageBoxes& messages, QWidget* owner)
    : QWidget(owner, Qt::Window)
    , recorder_(recorder)
    , clock_(clock)
    , main_(main)
    , messages_(messages)
    , batch_(clock.createTimer("TrafficBatch", batchMs)) {
    setObjectName("frmTraffic");
    model_ = new TrafficModel(recorder_, this);
    buildLayout();
    applyTexts();
    choosePath_ = [this](const QString& caption, const QString& suggested, const QString& filter) {
        return QFileDialog::getSaveFileName(this, caption, suggested, filter);
    };
    batch_->setTickHandler([this] { batchDue(); });
    recorder_.setEventHandler([this] { lineEvent(); });
}

TrafficWindow::~TrafficWindow() {
    recorder_.setEventHandler(nullptr);
}

void TrafficWindow::buildLayout() {
    lst_traffic = new TrafficTable(this);
    lst_traffic->setObjectName("lst_traffic");
    lst_traffic->setModel(model_);
    lst_traffic->setSelectionBehavior(QAbstractItemView::SelectRows);
    lst_traffic->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lst_traffic->setWordWrap(false);
    // fixed column widths (the table fixes the row heights): a batch never measures the rows
    QHeaderView* columns = lst_traffic->horizontalHeader();
    const int digit = fontMetrics().horizontalAdvance('0');
    const int widths[] = {12, 12, 30, 32, 17, 8};
    for (int c = 0; c < TrafficModel::ColumnCount; ++c)
        columns->resizeSection(c, widths[c] * digit);
    columns->setStretchLastSection(true);

    lbl_counters = new QLabel(this);
    lbl_counters->setObjectName("lbl_counters");
    lbl_counters->setWordWrap(true);
    lbl_counters->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* controls = new QHBoxLayout;
    auto place = [controls](QWidget* control, const char* name) {
        control->setObjectName(name);
        controls->addWidget(control);
    };
    place(bt_reset = new QPushButton(this), "bt_reset");
    place(chk_pause = new QCheckBox(this), "chk_pause");
    place(bt_clear = new QPushButton(this), "bt_clear");
    place(chk_problems = new QCheckBox(this), "chk_problems");
    place(chk_follow = new QCheckBox(this), "chk_follow");
    controls->addStretch(1);
    place(bt_save_csv = new QPushButton(this), "bt_save_csv");
    chk_follow->setChecked(true);

    connect(bt_reset, &QPushButton::clicked, this, [this] { bt_reset_Click(); });
    connect(bt_clear, &QPushButton::clicked, this, [this] { bt_clear_Click(); });
    connect(bt_save_csv, &QPushButton::clicked, this, [this] { bt_save_csv_Click(); });
    connect(chk_pause, &QCheckBox::toggled, this, [this](bool on) { recorder_.setPaused(on); });
    connect(chk_problems, &QCheckBox::toggled, this, [this](bool on) {
        model_->setProblemsOnly(on);
        if (chk_follow->isChecked())
            lst_traffic->scrollToBottom();
    });
    connect(chk_follow, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            lst_traffic->scrollToBottom();
    });

    auto* column = new QVBoxLayout(this);
    column->addWidget(lbl_counters);
    column->addWidget(lst_traffic, 1);
    column->addLayout(controls);
    resize(1080, 560);
}

void TrafficWindow::applyTexts() {
    setWindowTitle(say("Datenverkehr", "Traffic"));
    bt_reset->setText(say("Zurücksetzen", "Reset"));
    chk_pause->setText(say("Anhalten", "Pause"));
    bt_clear->setText(say("Liste leeren", "Clear"));
    chk_problems->setText(say("Nur Probleme", "Problems only"));
    chk_follow->setText(say("Neueste Zeile folgen", "Follow the newest row"));
    bt_save_csv->setText(say("CSV speichern…", "Save CSV…"));
    bt_reset->setToolTip(say("Setzt die Zähler auf null; die Liste bleibt.",
                             "Sets the counters to zero; the list stays."));
    chk_pause->setToolTip(say("Die Liste nimmt nichts mehr auf; die Zähler zählen weiter.",
                              "The list takes nothing new; the counters go on counting."));
    model_->setEnglish(english_);
    showCounters();
}

void TrafficWindow::open() {
    bringToFront(*this);
}

void TrafficWindow::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        Form_Load();
    else
        refresh(); // restored: the backlog since it was minimised
    shown_ = true;
    QWidget::showEvent(event);
}

void TrafficWindow::hideEvent(QHideEvent* event) {
    // hidden or minimised (a spontaneous hide): the recorder goes on, the view rests
    shown_ = false;
    batch_->setEnabled(false);
    QWidget::hideEvent(event);
}

void TrafficWindow::Form_Load() {
    english_ = main_.LocaliseWindow(Windows::Traffic);
    applyTexts();
    refresh();
}

bool TrafficWindow::resting() const {
    return !batch_->isEnabled();
}

void TrafficWindow::lineEvent() {
    if (shown_ && !batch_->isEnabled())
        batch_->setEnabled(true);
}

void TrafficWindow::batchDue() {
    // counts held back for their turn keep the timer going until they are shown
    batch_->setEnabled(refresh());
}

bool TrafficWindow::refresh() {
    model_->catchUp();
    lst_traffic->settleBatch(chk_follow->isChecked());
    // every frame changes the counters, and the wrapped, selectable label lays out its text and
    // the window's column anew at each change: it takes them at most once a second
    const QString counts = countersText(recorder_.counters(), english_);
    if (counts == lbl_counters->text())
        return false;
    if (clock_.nowMs() - countersShownMs_ < countersMs)
        return true;
    showCounters(counts);
    return false;
}

void TrafficWindow::showCounters() {
    showCounters(countersText(recorder_.counters(), english_));
}

void TrafficWindow::showCounters(const QString& counts) {
    lbl_counters->setText(counts);
    countersShownMs_ = clock_.nowMs();
}

void TrafficWindow::bt_reset_Click() {
    recorder_.resetCounters();
    showCounters();
}

void TrafficWindow::bt_clear_Click() {
    recorder_.clear();
    refresh();
}

void TrafficWindow::bt_save_csv_Click() {
    const QString stamp = QDateTime::fromMSecsSinceEpoch(clock_.wallMs()).toString("yyyyMMdd-HHmm");
    const QString path =
        choosePath_(say("Datenverkehr als CSV speichern", "Save the traffic as CSV"),
                    QDir::home().filePath(say("datenverkehr-%1.csv", "traffic-%1.csv").arg(stamp)),
                    "CSV (*.csv)");
    if (!path.isEmpty())
        saveCsv(path);
}

bool TrafficWindow::saveCsv(const QString& path) {
    refresh(); // the file holds what the table shows
    const auto failure =
        writeFileAtomically(path, trafficCsv(recorder_.records(), chk_problems->isChecked()));
    if (failure)
        messages_.show(say("Die Datei %1 konnte nicht geschrieben werden: %2",
                           "The file %1 could not be written: %2")
                           .arg(QDir::toNativeSeparators(path), *failure));
    return !failure;
}
