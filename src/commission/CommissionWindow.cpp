#include "commission/CommissionWindow.h"

#include "backup/Backup.h"
#include "commission/CommissionReport.h"
#include "commission/CommissionTexts.h"
#include "commission/Commissioning.h"
#include "commission/ReportJson.h"
#include "commission/ReportPdf.h"
#include "core/ToolContext.h"
#include "gateway/SiteLabels.h"
#include "platform/AtomicFile.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "platform/WindowPlacement.h"

#include <QDateTime>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
enum Column {
    AddressColumn,
    RowColumn,
    LabelColumn,
    IdColumn,
    OrgColumn,
    StateColumn,
    TelegramsColumn,
    LastColumn,
    Columns
};
const QColor kVerified(0xD0, 0xF0, 0xD0);
const QColor kDeficient(0xFF, 0xD0, 0xD0);
const QColor kWaiting(0xFF, 0xF0, 0xC0);
} // namespace

CommissionWindow::CommissionWindow(ToolContext& ctx, SiteLabels& labels, QWidget* owner)
    : GatewayJobWindow(ctx, "frmCommission", owner, Windows::Commission)
    , labels_(labels) {
    setWindowModality(Qt::NonModal); // a technician looks at the main window meanwhile
    run_ = std::make_unique<Commissioning>(ctx.link, ctx.clock, [](std::optional<uint16_t> ms) {
        return backupExchangeOptions(ms.value_or(0));
    });
    auto make = [](auto* widget, const char* name) {
        widget->setObjectName(name);
        return widget;
    };
    txt_site = make(new QLineEdit(this), "txt_site");
    txt_technician = make(new QLineEdit(this), "txt_technician");
    lst_sensors = make(new QTableWidget(0, Columns, this), "lst_sensors");
    lst_sensors->setSelectionMode(QAbstractItemView::NoSelection);
    lst_sensors->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lst_sensors->verticalHeader()->hide();
    lst_sensors->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    lst_sensors->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    lst_sensors->horizontalHeader()->setStretchLastSection(true);
    txt_listen_minutes = make(new QSpinBox(this), "txt_listen_minutes");
    txt_listen_minutes->setRange(1, 1440);
    txt_listen_minutes->setValue(10);
    bt_open = make(new QPushButton(this), "bt_open");
    bt_verify = make(new QPushButton(this), "bt_verify");
    bt_apply = make(new QPushButton(this), "bt_apply");
    bt_listen = make(new QPushButton(this), "bt_listen");
    bt_report = make(new QPushButton(this), "bt_report");
    connect(bt_open, &QPushButton::clicked, this, [this] { bt_open_Click(); });
    connect(bt_verify, &QPushButton::clicked, this, [this] { bt_verify_Click(); });
    connect(bt_apply, &QPushButton::clicked, this, [this] { bt_apply_Click(); });
    connect(bt_listen, &QPushButton::clicked, this, [this] { bt_listen_Click(); });
    connect(bt_report, &QPushButton::clicked, this, [this] { bt_report_Click(); });
    auto* names = new QFormLayout;
    names->addRow(make(new QLabel(this), "lbl_site"), txt_site);
    names->addRow(make(new QLabel(this), "lbl_technician"), txt_technician);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(lbl_file, 1);
    fileRow->addWidget(bt_open);
    column_->insertLayout(0, fileRow);
    column_->insertLayout(1, names);
    column_->insertWidget(2, lst_sensors, 1);
    addButtonRow({bt_verify, bt_apply, txt_listen_minutes, bt_listen, bt_report});
    resize(980, 600);
    enableButtons();
}

CommissionWindow::~CommissionWindow() {
    abandon();
}

void CommissionWindow::open() {
    const bool shown = isVisible();
    if (!shown)
        load();
    bringToFront(*this);
}

void CommissionWindow::applyTexts() {
    setWindowTitle(say("Inbetriebnahme", "Commissioning"));
    findChild<QLabel*>("lbl_site")->setText(say("Anlage:", "Site:"));
    findChild<QLabel*>("lbl_technician")->setText(say("Techniker:", "Technician:"));
    lst_sensors->setHorizontalHeaderLabels(
        english() ? QStringList{"Address", "Row", "Label", "ID", "ORG", "State", "Telegrams",
                                "Last telegram"}
                  : QStringList{"Adresse", "Zeile", "Bezeichnung", "ID", "ORG", "Zustand",
                                "Telegramme", "Letztes Telegramm"});
    bt_open->setText(say("Anlagenliste öffnen…", "Open site file…"));
    bt_verify->setText(say("Prüfen", "Verify"));
    bt_apply->setText(previewing() ? say("Schreiben bestätigen", "Confirm writing")
                                   : say("Fehlende schreiben…", "Write missing…"));
    bt_listen->setText(say("Mithören", "Listen"));
    txt_listen_minutes->setSuffix(" min");
    bt_report->setText(say("Bericht…", "Report…"));
    if (!site_)
        lbl_file->setText(say("Keine Anlagenliste geladen.", "No site file loaded."));
    showChecks();
}

void CommissionWindow::bt_open_Click() {
    const QString path = dialogs_->openFileName(
        this, say("Anlagenliste öffnen", "Open site file"),
        say("Anlagenliste (*.csv);;Alle Dateien (*)", "Site file (*.csv);;All files (*)"));
    if (!path.isEmpty())
        loadSite(path);
}

bool CommissionWindow::loadSite(const QString& path) {
    if (jobRunning())
        return false;
    const SiteLoad load = readSiteFile(path);
    if (!load.site) {
        ctx_.messages.show(load.refusal->text(english()));
        return false;
    }
    plans_.clear();
    giveLineBack();
    site_ = load.site;
    path_ = path;
    lbl_file->setText(say("Anlagenliste: ", "Site file: ") + path);
    if (txt_site->text().isEmpty())
        txt_site->setText(QFileInfo(path).completeBaseName());
    placeSite();
    setState(QString(english() ? "%1 sensors on %2 gateways. Verify reads each gateway."
                               : "%1 Sensoren an %2 Gateways. „Prüfen“ liest jedes Gateway.")
                 .arg(site_->sensors.size())
                 .arg(run_->gateways().size()));
    enableButtons();
    return true;
}

// A file without addresses goes to the gateway of the window's address box.
void CommissionWindow::placeSite() {
    SiteFile placed = *site_;
    if (!placed.addressColumn)
        placed.placeAt(windowAddress().value_or(0));
    run_->setSite(placed);
    labels_.replace(placed.labels());
    showChecks();
}

std::optional<uint8_t> CommissionWindow::windowAddress() const {
    bool ok = false;
    const int address = ctx_.main.modbusAddressText().trimmed().toInt(&ok);
    return ok && address >= 1 && address <= 247 ? std::optional<uint8_t>(address) : std::nullopt;
}

void CommissionWindow::closeEvent(QCloseEvent* event) {
    plans_.clear(); // a preview left open writes nothing
    GatewayJobWindow::closeEvent(event);
}

bool CommissionWindow::connected() {
    if (ctx_.settings.PortIsOpen)
        return true;
    ctx_.messages.show(say("Die Schnittstelle ist nicht geöffnet: Bitte zuerst die Schnittstelle "
                           "öffnen.",
                           "The port is not open: please open the port first."));
    return false;
}

bool CommissionWindow::jobRunning() const {
    return run_ && run_->running();
}

void CommissionWindow::cancelJob() {
    if (jobRunning())
        return run_->cancel();
    plans_.clear(); // the preview is left, nothing written
    giveLineBack();
    setState(say("Es wurde nichts geschrieben.", "Nothing was written."));
    applyTexts();
    enableButtons();
}

void CommissionWindow::startJob(Job job) {
    job_ = job;
    bar_progress->setValue(0);
    setRunning(true);
    enableButtons();
}

void CommissionWindow::bt_verify_Click() {
    if (!site_ || jobRunning() || !connected())
        return;
    if (!site_->addressColumn && !windowAddress()) {
        ctx_.messages.show(say("Die Anlagenliste nennt keine Adressen: Bitte im Hauptfenster eine "
                               "Modbus-Adresse von 1 bis 247 eintragen.",
                               "The site file names no addresses: please enter a Modbus address "
                               "from 1 to 247 in the main window."));
        return;
    }
    plans_.clear();
    if (!claimLine())
        return;
    placeSite();
    startJob(Job::Verify);
    setState(say("Die Gateways werden gelesen …", "Reading the gateways …"));
    run_->verify({progress(), [this](int) { showChecks(); }, [this] { jobDone(); }});
}

void CommissionWindow::bt_apply_Click() {
    if (jobRunning() || !connected())
        return;
    if (!previewing()) {
        if (!claimLine())
            return;
        std::vector<ApplyPlan> plans = run_->planApply();
        QStringList lines;
        for (size_t k = 0; k < plans.size(); ++k)
            for (const GatewayCheck& g : run_->gateways())
                if (g.address == plans[k].address)
                    lines << planLines(g, plans[k], english());
        showChecks();
        if (lines.isEmpty()) {
            giveLineBack();
            setState(say("Nichts zu schreiben.", "Nothing to write."));
            return;
        }
        plans_ = std::move(plans); // the line stays claimed: the preview stays true
        setState(
            say("Wird geschrieben, wenn Sie bestätigen:\n", "Will be written when you confirm:\n") +
            lines.join('\n'));
        applyTexts();
        setRunning(true); // "Cancel" leaves the preview
        return enableButtons();
    }
    startJob(Job::Apply);
    setState(say("Die fehlenden Sensoren werden geschrieben …", "Writing the missing sensors …"));
    std::vector<ApplyPlan> plans = std::move(plans_);
    plans_.clear();
    applyTexts();
    run_->apply(std::move(plans),
                {progress(), [this](int) { showChecks(); }, [this] { jobDone(); }});
}

void CommissionWindow::bt_listen_Click() {
    if (jobRunning() || previewing() || !connected() || !claimLine())
        return;
    startJob(Job::Listen);
    const int minutes = txt_listen_minutes->value();
    setState(QString(english() ? "Listening for %1 min …" : "%1 min Mithören …").arg(minutes));
    bar_progress->setMaximum(minutes * 60); // the seconds listened
    const int64_t startMs = ctx_.clock.nowMs();
    run_->listen(int64_t(minutes) * 60000,
                 {{},
                  [this, startMs](int) {
                      bar_progress->setValue(int((ctx_.clock.nowMs() - startMs) / 1000));
                      showChecks();
                  },
                  [this] { jobDone(); }});
}

void CommissionWindow::jobDone() {
    if (going_)
        return;
    job_ = Job::None;
    setRunning(false);
    giveLineBack(); // the main window reads its gateway again
    bar_progress->setValue(bar_progress->maximum());
    labels_.replace(labelsOf(run_->gateways()));
    showChecks();
    setState(summaryText(report(), english()));
    enableButtons();
}

CommissionReport CommissionWindow::report() const {
    ReportHeader h;
    h.site = txt_site->text().trimmed();
    h.technician = txt_technician->text().trimmed();
    h.toolVersion = toolVersion();
    h.port = QString("COM%1").arg(ctx_.settings.PortNumber);
    h.line.mode = ctx_.settings.ModeText == "RTU" ? LineMode::Rtu : LineMode::Ascii;
    h.line.baud = ctx_.settings.BaudText.toInt();
    h.line.parity =
        ctx_.settings.ParityLetter.isEmpty() ? 'E' : ctx_.settings.ParityLetter[0].toLatin1();
    stampLocalTime(h, ctx_.clock.wallMs());
    return makeReport(h, *run_);
}

void CommissionWindow::bt_report_Click() {
    const QString day = QDateTime::fromMSecsSinceEpoch(ctx_.clock.wallMs()).toString("yyyy-MM-dd");
    const QString name =
        say("Inbetriebnahme", "Commissioning") + "-" +
        (txt_site->text().trimmed().isEmpty() ? QString() : txt_site->text().trimmed() + "-") +
        day + ".pdf";
    const QString path = dialogs_->saveFileName(
        this, say("Bericht speichern", "Save report"), name,
        say("PDF-Bericht (*.pdf);;JSON (*.json)", "PDF report (*.pdf);;JSON (*.json)"));
    if (!path.isEmpty())
        writeReport(path);
}

bool CommissionWindow::writeReport(const QString& path) {
    const CommissionReport r = report();
    const auto failure = path.endsWith(".json", Qt::CaseInsensitive)
                             ? writeFileAtomically(path, reportJson(r, english()))
                             : writeReportPdf(path, r, english());
    if (failure) {
        ctx_.messages.show(
            say("Der Bericht wurde nicht gespeichert: ", "The report was not saved: ") + *failure);
        return false;
    }
    setState(say("Bericht gespeichert: ", "Report saved: ") + path);
    return true;
}

void CommissionWindow::enableButtons() {
    const bool idle = !jobRunning();
    bool checked = false;
    for (const GatewayCheck& g : run_->gateways())
        checked = checked || g.answered;
    bt_open->setEnabled(idle && !previewing());
    bt_verify->setEnabled(idle && site_ && !previewing());
    bt_apply->setEnabled(idle && checked);
    bt_listen->setEnabled(idle && checked && !previewing());
    txt_listen_minutes->setEnabled(idle && !previewing());
    bt_report->setEnabled(idle && checked && !previewing());
}

QString CommissionWindow::stateOf(const SensorCheck& s) const {
    // while listening a sensor without a telegram is not silent yet
    if (job_ == Job::Listen && s.listen.watched && s.listen.telegrams == 0 && s.verified())
        return say("wartet auf ein Telegramm", "waiting for a telegram");
    return stateText(s, english());
}

void CommissionWindow::showLine(int line, const GatewayCheck& g, const SensorCheck& s,
                                const ReportHeader& now) {
    const int row = s.found() ? s.row : s.expected.row.value_or(-1);
    const QString state = stateOf(s);
    const QString cells[Columns] = {
        QString::number(g.address),
        row >= 0 ? QString::number(row) : QString("–"),
        s.expected.label,
        s.expected.idText(),
        orgName(s.found() ? s.slot.org : s.expected.org, english()),
        state,
        s.listen.watched ? QString::number(s.listen.telegrams) : QString(),
        telegramTimeText(s.listen.lastMs, now),
    };
    for (int c = 0; c < Columns; ++c) {
        QTableWidgetItem* item = lst_sensors->item(line, c);
        if (!item)
            lst_sensors->setItem(line, c, item = new QTableWidgetItem);
        item->setText(cells[c]);
    }
    const bool waiting = job_ == Job::Listen && s.listen.watched && s.listen.telegrams == 0;
    lst_sensors->item(line, StateColumn)
        ->setBackground(!g.checked                                         ? QBrush()
                        : g.answered && waiting && s.verified()            ? QBrush(kWaiting)
                        : g.answered && s.state() == SensorState::Verified ? QBrush(kVerified)
                                                                           : QBrush(kDeficient));
}

void CommissionWindow::showChecks() {
    int lines = 0;
    for (const GatewayCheck& g : run_->gateways())
        lines += int(g.sensors.size() + g.extras.size());
    lst_sensors->setRowCount(lines);
    ReportHeader now;
    stampLocalTime(now, ctx_.clock.wallMs());
    int line = 0;
    for (const GatewayCheck& g : run_->gateways()) {
        for (const SensorCheck& s : g.sensors)
            showLine(line++, g, s, now);
        for (const SensorCheck& s : g.extras)
            showLine(line++, g, s, now);
    }
}
