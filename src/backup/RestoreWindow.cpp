#include "backup/RestoreWindow.h"

#include "backup/RestoreJob.h"
#include "core/ToolContext.h"

#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
enum Column { RowColumn, LabelColumn, ChangeColumn, ResultColumn, Columns };
const QColor kVerified(0xD0, 0xF0, 0xD0);
const QColor kFailed(0xFF, 0xD0, 0xD0);
} // namespace

RestoreWindow::RestoreWindow(ToolContext& ctx, QWidget* owner)
    : GatewayJobWindow(ctx, "frmRestore", owner) {
    lst_differences = new QTableWidget(0, Columns, this);
    lst_differences->setObjectName("lst_differences");
    lst_differences->setSelectionMode(QAbstractItemView::NoSelection);
    lst_differences->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lst_differences->verticalHeader()->hide();
    lst_differences->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    lst_differences->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    lst_differences->horizontalHeader()->setStretchLastSection(true);
    lbl_notes = new QLabel(this);
    lbl_notes->setObjectName("lbl_notes");
    lbl_notes->setWordWrap(true);
    bt_restore = new QPushButton(this);
    bt_restore->setObjectName("bt_restore");
    bt_restore->setEnabled(false);
    connect(bt_restore, &QPushButton::clicked, this, [this] { bt_restore_Click(); });
    column_->addWidget(lst_differences, 1);
    column_->addWidget(lbl_notes);
    addButtonRow({bt_restore});
    resize(820, 520);
}

RestoreWindow::~RestoreWindow() {
    abandon();
}

void RestoreWindow::applyTexts() {
    setWindowTitle(say("Gateway-Konfiguration wiederherstellen", "Restore gateway configuration"));
    lst_differences->setHorizontalHeaderLabels(
        english() ? QStringList{"Row", "Label", "Gateway → file", "Result"}
                  : QStringList{"Zeile", "Bezeichnung", "Gateway → Datei", "Ergebnis"});
    bt_restore->setText(say("Angehakte Zeilen schreiben", "Write ticked rows"));
}

bool RestoreWindow::running() const {
    return reading_ || (job_ && job_->running());
}

void RestoreWindow::start(const QString& path, const GatewayConfig& file, uint8_t address) {
    file_ = file;
    differences_ = {};
    job_.reset();
    lst_differences->setRowCount(0);
    lbl_notes->clear();
    bt_restore->setEnabled(false);
    if (!begin(path, address))
        return;
    reading_ = true;
    client().readAll(progress(),
                     [this](const std::optional<StepFailure>& failure) { gatewayRead(failure); });
}

void RestoreWindow::cancelJob() {
    if (job_ && job_->running())
        job_->cancel();
    else if (reading_)
        client().cancel();
}

void RestoreWindow::gatewayRead(const std::optional<StepFailure>& failure) {
    if (going_)
        return;
    reading_ = false;
    setRunning(false);
    if (failure) {
        giveLineBack();
        setState(say("Das Gateway ließ sich nicht lesen: ", "Could not read the gateway: ") +
                 failure->text(english()));
        return;
    }
    // the line stays claimed while the user decides: the differences stay true
    differences_ = compareConfig(file_, client().image);
    fillTable();
    const bool nothingToWrite = differences_.writableRows() == 0;
    if (nothingToWrite)
        giveLineBack();
    bt_restore->setEnabled(!nothingToWrite);
    if (differences_.none())
        setState(say("Keine Unterschiede: Das Gateway hält, was die Datei hält.",
                     "No differences: the gateway holds what the file holds."));
    else if (nothingToWrite)
        setState(say("Nichts zu schreiben: Die Zeilen, die sich unterscheiden, lassen sich nicht "
                     "schreiben.",
                     "Nothing to write: the rows that differ cannot be written."));
    else
        setState(QString(english() ? "%1 rows differ. The ticked rows will be written."
                                   : "%1 Zeilen unterscheiden sich. Die angehakten Zeilen werden "
                                     "geschrieben.")
                     .arg(differences_.rows.size()));
}

void RestoreWindow::fillTable() {
    lst_differences->setRowCount(int(differences_.rows.size()));
    for (int line = 0; line < int(differences_.rows.size()); ++line) {
        const RowDifference& d = differences_.rows[line];
        auto* row = new QTableWidgetItem(rowName(d.part, d.row, english()));
        row->setFlags(d.writable ? Qt::ItemIsEnabled | Qt::ItemIsUserCheckable : Qt::NoItemFlags);
        row->setCheckState(d.ticked ? Qt::Checked : Qt::Unchecked);
        lst_differences->setItem(line, RowColumn, row);
        lst_differences->setItem(line, LabelColumn, new QTableWidgetItem(d.label));
        lst_differences->setItem(line, ChangeColumn,
                                 new QTableWidgetItem(changesText(d, english())));
        lst_differences->setItem(
            line, ResultColumn,
            new QTableWidgetItem(d.writable ? QString() : unwritableText(english())));
    }
    QStringList notes;
    for (DiffNote note : differences_.notes)
        notes << noteText(note, english());
    lbl_notes->setText(notes.join("\n"));
}

void RestoreWindow::takeTicks() {
    lineOfPlan_.clear();
    for (int line = 0; line < int(differences_.rows.size()); ++line) {
        RowDifference& d = differences_.rows[line];
        d.ticked =
            d.writable && lst_differences->item(line, RowColumn)->checkState() == Qt::Checked;
        lst_differences->item(line, RowColumn)->setFlags(Qt::ItemIsEnabled); // fixed from now on
        if (d.ticked)
            lineOfPlan_.push_back(line);
    }
}

void RestoreWindow::bt_restore_Click() {
    if (!holdsLine() || running() || differences_.writableRows() == 0)
        return;
    takeTicks();
    bt_restore->setEnabled(false);
    job_ = std::make_unique<RestoreJob>(client());
    std::vector<RowWrite> plan = planRestore(file_, differences_);
    bar_progress->setMaximum(int(plan.size()));
    bar_progress->setValue(0);
    setRunning(true);
    setState(say("Die angehakten Zeilen werden geschrieben …", "Writing the ticked rows …"));
    job_->start(
        std::move(plan), [this](int index, const RowResult& r) { rowWritten(index, r); },
        [this](const std::vector<RowResult>& results) { restored(results); });
}

void RestoreWindow::rowWritten(int index, const RowResult& result) {
    if (going_)
        return;
    bar_progress->setValue(index + 1);
    showResult(index, result);
}

void RestoreWindow::showResult(int index, const RowResult& result) {
    QTableWidgetItem* cell = lst_differences->item(lineOfPlan_[index], ResultColumn);
    cell->setText(outcomeText(result, english()));
    cell->setBackground(result.outcome == RowOutcome::Verified ? kVerified : kFailed);
}

void RestoreWindow::restored(const std::vector<RowResult>& results) {
    if (going_)
        return;
    setRunning(false);
    giveLineBack(); // the main window reads the flags and one pass of the table
    for (size_t i = 0; i < results.size(); ++i)
        if (results[i].outcome == RowOutcome::NotWritten)
            showResult(int(i), results[i]);
    setState(resultLines(results, english()).last());
}
