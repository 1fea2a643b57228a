#include "scan/ScanWindow.h"

#include "core/LineSettingsChoice.h"
#include "core/Localisation.h"
#include "core/ToolContext.h"
#include "link/LineSession.h"
#include "link/SerialPort.h"
#include "platform/MessageBoxes.h"
#include "platform/WindowPlacement.h"
#include "ports/PortTexts.h"
#include "scan/ScanOutput.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
// The entries of the parameter frame's lists, in their order there.
const char* const kModes[] = {"ASCII", "RTU"};
const std::vector<int> kBauds = ScanOptions{}.bauds; // 1200 .. 115200
const char* const kParities[] = {"No parity", "even", "odd"};
const char kParityLetters[] = {'N', 'E', 'O'};
constexpr int kUseColumn = 6;

int parityIndex(char parity) {
    return parity == 'N' ? 0 : parity == 'O' ? 2 : 1;
}
// "RTU 19200 No parity": the words of the parameter frame's lists, in either language.
QString lineCaption(const LineChoice& line) {
    return QString("%1 %2 %3")
        .arg(kModes[line.mode == LineMode::Rtu ? 1 : 0])
        .arg(line.baud)
        .arg(kParities[parityIndex(line.parity)]);
}
} // namespace

ScanWindow::ScanWindow(ToolContext& ctx, LineSettingsChoice& parameters,
                       const SerialPort& windowPort, PortMaker makePort, QWidget* owner)
    : QWidget(owner, Qt::Window)
    , ctx_(ctx)
    , parameters_(parameters)
    , windowPort_(windowPort)
    , makePort_(std::move(makePort)) {
    setObjectName("frmScan");
    buildLayout();
    applyTexts();
    setScanning(false);
}

ScanWindow::~ScanWindow() {
    scan_.reset(); // cancels a scan underway before its line goes
}

QLayout* ScanWindow::buildChoices() {
    auto* grid = new QGridLayout;
    auto label = [this](QLabel*& l, const char* name) {
        l = new QLabel(this);
        l->setObjectName(name);
        return l;
    };
    auto box = [this](const QString& text, const QString& name) {
        auto* b = new QCheckBox(text, this);
        b->setObjectName(name);
        b->setChecked(true);
        return b;
    };
    grid->addWidget(label(lbl_modes, "lbl_modes"), 0, 0);
    for (int i = 0; i < 2; ++i)
        grid->addWidget(chk_mode[i] = box(kModes[i], QString("chk_mode_%1").arg(i)), 0, 1 + i);
    grid->addWidget(label(lbl_bauds, "lbl_bauds"), 1, 0);
    for (int i = 0; i < int(chk_baud.size()); ++i)
        grid->addWidget(chk_baud[i] =
                            box(QString::number(kBauds[i]), QString("chk_baud_%1").arg(i)),
                        1 + i / 4, 1 + i % 4);
    grid->addWidget(label(lbl_parities, "lbl_parities"), 3, 0);
    for (int i = 0; i < 3; ++i)
        grid->addWidget(chk_parity[i] = box(kParities[i], QString("chk_parity_%1").arg(i)), 3,
                        1 + i);
    auto spin = [this](QSpinBox*& s, const char* name, int min, int max, int value) {
        s = new QSpinBox(this);
        s->setObjectName(name);
        s->setRange(min, max);
        s->setValue(value);
        return s;
    };
    grid->addWidget(label(lbl_addresses, "lbl_addresses"), 4, 0);
    auto* range = new QHBoxLayout;
    range->addWidget(
        spin(txt_address_from, "txt_address_from", kFirstScanAddress, kLastScanAddress, 1));
    range->addWidget(label(lbl_address_to, "lbl_address_to"));
    range->addWidget(spin(txt_address_to, "txt_address_to", kFirstScanAddress, kLastScanAddress,
                          kLastScanAddress));
    range->addStretch(1);
    grid->addLayout(range, 4, 1, 1, 4);
    grid->addWidget(label(lbl_margin, "lbl_margin"), 5, 0);
    grid->addWidget(spin(txt_margin, "txt_margin", 0, 2000, kDefaultScanMarginMs), 5, 1);
    chk_all = box(QString(), "chk_all");
    chk_all->setChecked(false);
    grid->addWidget(chk_all, 6, 0, 1, 5);
    lbl_addresses->setBuddy(txt_address_from);
    lbl_margin->setBuddy(txt_margin);
    return grid;
}

void ScanWindow::buildLayout() {
    bt_start = new QPushButton(this);
    bt_start->setObjectName("bt_start");
    bt_cancel = new QPushButton(this);
    bt_cancel->setObjectName("bt_cancel");
    connect(bt_start, &QPushButton::clicked, this, [this] { bt_start_Click(); });
    connect(bt_cancel, &QPushButton::clicked, this, [this] { bt_cancel_Click(); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bt_start);
    buttons->addWidget(bt_cancel);
    buttons->addStretch(1);

    prg_scan = new QProgressBar(this);
    prg_scan->setObjectName("prg_scan");
    prg_scan->setTextVisible(false);
    lbl_progress = new QLabel(this);
    lbl_progress->setObjectName("lbl_progress");
    lbl_state = new QLabel(this);
    lbl_state->setObjectName("lbl_state");
    lbl_state->setWordWrap(true);

    lst_found = new QTableWidget(0, kUseColumn + 1, this);
    lst_found->setObjectName("lst_found");
    lst_found->setSelectionBehavior(QAbstractItemView::SelectRows);
    lst_found->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lst_found->verticalHeader()->hide();
    lst_found->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    lst_found->horizontalHeader()->setStretchLastSection(true);
    lst_found->setMinimumHeight(120);
    lbl_activity = new QLabel(this);
    lbl_activity->setObjectName("lbl_activity");
    lst_activity = new QListWidget(this);
    lst_activity->setObjectName("lst_activity");
    lst_activity->setMaximumHeight(90);

    auto* column = new QVBoxLayout(this);
    column->addLayout(buildChoices());
    column->addLayout(buttons);
    column->addWidget(prg_scan);
    column->addWidget(lbl_progress);
    column->addWidget(lbl_state);
    column->addWidget(lst_found, 1);
    column->addWidget(lbl_activity);
    column->addWidget(lst_activity);
    resize(640, 560);
}

void ScanWindow::applyTexts() {
    setWindowTitle(say("Gateway suchen", "Find gateway"));
    lbl_modes->setText(say("Modus:", "Mode:"));
    lbl_bauds->setText(say("Baudrate:", "Baud rate:"));
    lbl_parities->setText(say("Parität:", "Parity:"));
    lbl_addresses->setText(say("Adressen:", "Addresses:"));
    lbl_address_to->setText(say("bis", "to"));
    lbl_margin->setText(say("Zugabe je Anfrage (ms):", "Margin per probe (ms):"));
    chk_all->setText(say("Nach dem ersten Gateway weitersuchen", "Go on after the first gateway"));
    bt_start->setText(say("Suchen", "Search"));
    bt_cancel->setText(say("Abbrechen", "Cancel"));
    lst_found->setHorizontalHeaderLabels(
        english_
            ? QStringList{"Address", "Mode", "Baud rate", "Parity", "Device", "Response time", ""}
            : QStringList{"Adresse", "Modus", "Baudrate", "Parität", "Gerät", "Antwortzeit", ""});
    for (int row = 0; row < lst_found->rowCount(); ++row)
        if (auto* use = qobject_cast<QPushButton*>(lst_found->cellWidget(row, kUseColumn)))
            use->setText(say("Übernehmen", "Use"));
    lbl_activity->setText(
        say("Aktivität (Bytes ohne gültige Antwort, vielleicht ein Gerät mit anderen "
            "Einstellungen):",
            "Activity (bytes that made no valid answer, perhaps a device with other settings):"));
}

void ScanWindow::open() {
    bringToFront(*this);
}

void ScanWindow::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        Form_Load();
    QWidget::showEvent(event);
}

void ScanWindow::closeEvent(QCloseEvent* event) {
    if (scan_)
        scan_->cancel();
    QWidget::closeEvent(event);
}

void ScanWindow::Form_Load() {
    english_ = ctx_.main.LocaliseWindow(Windows::Scan);
    applyTexts();
    if (!scanning())
        windowPortClosed();
}

void ScanWindow::tell(const QString& text) {
    lbl_state->setText(text);
}

bool ScanWindow::windowPortClosed() {
    if (!windowPort_.PortOpen())
        return true;
    tell(say("Der Port ist offen: zuerst im Hauptfenster „close“ wählen.",
             "The port is open: choose \"close\" in the main window first."));
    return false;
}

ScanOptions ScanWindow::chosenOptions() const {
    ScanOptions o;
    o.modes.clear();
    o.bauds.clear();
    o.parities.clear();
    for (int i = 0; i < 2; ++i)
        if (chk_mode[i]->isChecked())
            o.modes.push_back(i == 0 ? LineMode::Ascii : LineMode::Rtu);
    for (int i = 0; i < int(chk_baud.size()); ++i)
        if (chk_baud[i]->isChecked())
            o.bauds.push_back(kBauds[i]);
    for (int i = 0; i < 3; ++i)
        if (chk_parity[i]->isChecked())
            o.parities.push_back(kParityLetters[i]);
    o.firstAddress = txt_address_from->value();
    o.lastAddress = txt_address_to->value();
    o.all = chk_all->isChecked();
    o.marginMs = txt_margin->value();
    return o;
}

void ScanWindow::bt_start_Click() {
    if (scanning() || !windowPortClosed())
        return;
    const ScanOptions options = chosenOptions();
    if (options.modes.empty() || options.bauds.empty() || options.parities.empty()) {
        tell(say("Mindestens einen Modus, eine Baudrate und eine Parität wählen.",
                 "Choose at least one mode, one baud rate and one parity."));
        return;
    }
    if (options.firstAddress > options.lastAddress) {
        tell(say("Die erste Adresse liegt über der letzten.",
                 "The first address is above the last."));
        return;
    }
    scan_.reset();
    session_.reset();
    commPort_ = ctx_.settings.PortNumber;
    port_ = makePort_ ? makePort_(commPort_) : nullptr;
    if (!port_) {
        tell(say("Für diesen Port gibt es keine Verbindung.", "This port has no connection."));
        return;
    }
    // a refused RS485 mode is said as the main window says it; the port works without it
    port_->setOptionRefusedHandler([this](const PortError& e) {
        ctx_.messages.show(optionRefusedText(english_), failureDetail(e, english_));
    });
    session_ = std::make_unique<LineSession>(ctx_.clock, *port_, ctx_.messages);
    scan_ = std::make_unique<GatewayScan>(*session_, ctx_.clock);
    found_.clear();
    lst_found->setRowCount(0);
    lst_activity->clear();
    tell(QString());
    prg_scan->setRange(0, 1000);
    prg_scan->setValue(0);
    setScanning(true);
    scan_->start(options, {[this](const ScanProgress& p) { showProgress(p); },
                           [this](const FoundGateway& g) { addFound(g); },
                           [this](const LineActivity& a) { addActivity(a); },
                           [this](const ScanReport& r) { finished(r); }});
}

void ScanWindow::bt_cancel_Click() {
    if (scan_)
        scan_->cancel();
}

void ScanWindow::setScanning(bool on) {
    bt_start->setEnabled(!on);
    bt_cancel->setEnabled(on);
    for (QWidget* w :
         std::initializer_list<QWidget*>{txt_address_from, txt_address_to, chk_all, txt_margin})
        w->setEnabled(!on);
    for (QCheckBox* b : chk_mode)
        b->setEnabled(!on);
    for (QCheckBox* b : chk_baud)
        b->setEnabled(!on);
    for (QCheckBox* b : chk_parity)
        b->setEnabled(!on);
}

void ScanWindow::showProgress(const ScanProgress& p) {
    if (p.totalMs > 0)
        prg_scan->setValue(int(1000 * (p.totalMs - p.remainingMs) / p.totalMs));
    lbl_progress->setText(QString(say("COM%1: %2, Adresse %3 · noch höchstens %4",
                                      "COM%1: %2, address %3 · at most %4 left"))
                              .arg(commPort_)
                              .arg(lineCaption(p.line))
                              .arg(p.address)
                              .arg(scanDurationText(p.remainingMs)));
}

void ScanWindow::addFound(const FoundGateway& g) {
    found_.push_back(g);
    const int row = lst_found->rowCount();
    lst_found->insertRow(row);
    const QString cells[] = {QString::number(g.address),
                             kModes[g.line.mode == LineMode::Rtu ? 1 : 0],
                             QString::number(g.line.baud),
                             kParities[parityIndex(g.line.parity)],
                             g.deviceType,
                             QString("%1 ms").arg(g.responseTimeMs)};
    for (int c = 0; c < kUseColumn; ++c)
        lst_found->setItem(row, c, new QTableWidgetItem(cells[c]));
    auto* use = new QPushButton(say("Übernehmen", "Use"), lst_found);
    use->setObjectName(QString("bt_use_%1").arg(row));
    connect(use, &QPushButton::clicked, this, [this, row] { bt_use_Click(row); });
    lst_found->setCellWidget(row, kUseColumn, use);
}

void ScanWindow::addActivity(const LineActivity& a) {
    if (!a.refused.isEmpty())
        return lst_activity->addItem(QString(say("%1: vom Adapter abgelehnt (%2), übersprungen",
                                                 "%1: refused by the adapter (%2), skipped"))
                                         .arg(lineCaption(a.line), a.refused));
    lst_activity->addItem(
        QString(say("%1 (Adresse %2)", "%1 (address %2)")).arg(lineCaption(a.line)).arg(a.address));
}

void ScanWindow::finished(const ScanReport& r) {
    setScanning(false);
    lbl_progress->clear();
    const QString took = scanDurationText(r.elapsedMs);
    switch (r.end) {
    case ScanEnd::PortFailed:
        tell(QString(say("COM%1 ist nicht verfügbar: %2", "COM%1 is not available: %2"))
                 .arg(commPort_)
                 .arg(r.failure));
        return;
    case ScanEnd::Cancelled:
        tell(QString(say("Abgebrochen nach %1.", "Cancelled after %1.")).arg(took));
        return;
    default:
        break;
    }
    prg_scan->setValue(prg_scan->maximum());
    if (r.found.empty())
        tell(QString(say("Kein Gateway gefunden (%1).", "No gateway found (%1).")).arg(took));
    else
        tell(QString(say("Gefunden: %1 Gateway(s) (%2).", "Found: %1 gateway(s) (%2)."))
                 .arg(r.found.size())
                 .arg(took));
}

void ScanWindow::bt_use_Click(int index) {
    if (index < 0 || index >= int(found_.size()) || !windowPortClosed())
        return;
    const FoundGateway& g = found_[size_t(index)];
    parameters_.chooseLineSettings(
        {g.line.mode == LineMode::Rtu, g.line.baud, g.line.parity, g.address});
    tell(QString(say("Übernommen: %1, Adresse %2. Zum Verbinden „open“ wählen.",
                     "Taken over: %1, address %2. Choose \"open\" to connect."))
             .arg(lineCaption(g.line))
             .arg(g.address));
}
