#include "ports/PortsWindow.h"

#include "core/Localisation.h"
#include "core/ToolContext.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "ports/PortDirectory.h"
#include "ports/PortTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int kRefreshMs = 2000; // plugging an adapter in shows within 2 s

struct Caption {
    const char* german;
    const char* english;
};
QString text(const Caption& c, bool english) {
    return QString::fromUtf8(english ? c.english : c.german);
}

const Caption kTitle{"Schnittstellen", "Ports"};
// the short columns first: the long paths get the room that is left
const Caption kDeviceHeaders[] = {{"COM", "COM"},
                                  {"Geräteknoten", "Device node"},
                                  {"Beschreibung", "Description"},
                                  {"Hersteller", "Manufacturer"},
                                  {"Seriennummer", "Serial number"},
                                  {"USB-ID", "USB ID"},
                                  {"Pfad", "Path"}};
const Caption kMappingHeaders[] = {
    {"COM", "COM"}, {"Quelle", "From"}, {"Gerät", "Device"}, {"Zugeordnet", "Mapped to"}};
const Caption kFromUser{"Ihre Datei", "your file"};
const Caption kFromSystem{"Systemdatei", "system file"};
const Caption kFromDefault{"Vorgabe", "default"};

QTableWidget* makeTable(const QString& name, int columns, QWidget* parent) {
    auto* t = new QTableWidget(0, columns, parent);
    t->setObjectName(name);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->verticalHeader()->hide();
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

void setRow(QTableWidget* table, int row, const QStringList& cells) {
    for (int c = 0; c < cells.size(); ++c) {
        auto* item = new QTableWidgetItem(cells[c]);
        item->setToolTip(cells[c]);
        table->setItem(row, c, item);
    }
}

template <class W> W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

} // namespace

PortsWindow::PortsWindow(ToolContext& ctx, PortDirectory& directory, QWidget* owner)
    : QDialog(owner)
    , ctx_(ctx)
    , directory_(directory)
    , refresh_(ctx.clock.createTimer("PortsRefresh", kRefreshMs)) {
    setObjectName("frmPorts");
    buildLayout();
    refresh_->setTickHandler([this] { refreshTimer_Timer(); });
    connect(cmb_com, &QComboBox::activated, this, [this] { cmb_com_Click(); });
    connect(tbl_devices, &QTableWidget::cellClicked, this,
            [this](int row, int) { tbl_devices_Click(row); });
    connect(tbl_mappings, &QTableWidget::cellClicked, this,
            [this](int row, int) { tbl_mappings_Click(row); });
    connect(bt_simulator, &QPushButton::clicked, this, [this] { bt_simulator_Click(); });
    connect(bt_save, &QPushButton::clicked, this, [this] { bt_save_Click(); });
    connect(bt_remove, &QPushButton::clicked, this, [this] { bt_remove_Click(); });
    connect(bt_close, &QPushButton::clicked, this, &QDialog::close);
    resize(940, 560);
}

PortsWindow::~PortsWindow() = default;

void PortsWindow::buildLayout() {
    auto* column = new QVBoxLayout(this);
    grp_devices = named(new QGroupBox(this), "grp_devices");
    auto* devices = new QVBoxLayout(grp_devices);
    tbl_devices = makeTable("tbl_devices", std::size(kDeviceHeaders), grp_devices);
    lbl_devices_hint = named(new QLabel(grp_devices), "lbl_devices_hint");
    devices->addWidget(tbl_devices);
    devices->addWidget(lbl_devices_hint);
    column->addWidget(grp_devices, 3);

    auto* lower = new QHBoxLayout;
    grp_mappings = named(new QGroupBox(this), "grp_mappings");
    tbl_mappings = makeTable("tbl_mappings", std::size(kMappingHeaders), grp_mappings);
    (new QVBoxLayout(grp_mappings))->addWidget(tbl_mappings);
    lower->addWidget(grp_mappings, 1);

    grp_assign = named(new QGroupBox(this), "grp_assign");
    auto* grid = new QGridLayout(grp_assign);
    lbl_com = named(new QLabel(grp_assign), "lbl_com");
    cmb_com = named(new QComboBox(grp_assign), "cmb_com");
    for (int n = 1; n <= kComPorts; ++n)
        cmb_com->addItem(comValueName(n));
    lbl_current = named(new QLabel(grp_assign), "lbl_current");
    lbl_current->setWordWrap(true);
    lbl_path = named(new QLabel(grp_assign), "lbl_path");
    txt_path = named(new QLineEdit(grp_assign), "txt_path");
    bt_simulator = named(new QPushButton(grp_assign), "bt_simulator");
    chk_rs485 = named(new QCheckBox(grp_assign), "chk_rs485");
    bt_save = named(new QPushButton(grp_assign), "bt_save");
    bt_remove = named(new QPushButton(grp_assign), "bt_remove");
    grid->addWidget(lbl_com, 0, 0);
    grid->addWidget(cmb_com, 0, 1);
    grid->addWidget(lbl_current, 1, 0, 1, 3);
    grid->addWidget(lbl_path, 2, 0);
    grid->addWidget(txt_path, 2, 1);
    grid->addWidget(bt_simulator, 2, 2);
    grid->addWidget(chk_rs485, 3, 1, 1, 2);
    grid->addWidget(bt_save, 4, 1);
    grid->addWidget(bt_remove, 4, 2);
    grid->setColumnStretch(1, 1);
    lower->addWidget(grp_assign, 1);
    column->addLayout(lower, 2);

    auto* bottom = new QHBoxLayout;
    lbl_file = named(new QLabel(this), "lbl_file");
    lbl_file->setWordWrap(true);
    lbl_file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    bt_close = named(new QPushButton(this), "bt_close");
    bottom->addWidget(lbl_file, 1);
    bottom->addWidget(bt_close);
    column->addLayout(bottom);
}

void PortsWindow::applyTexts() {
    const bool en = english_;
    setWindowTitle(text(kTitle, en));
    grp_devices->setTitle(text({"Angeschlossene serielle Geräte", "Serial devices present"}, en));
    lbl_devices_hint->setText(text({"Ein Klick auf ein Gerät übernimmt seinen Pfad; der Pfad "
                                    "unter /dev/serial/by-id bleibt beim Umstecken gleich.",
                                    "Click a device to take its path; the path below "
                                    "/dev/serial/by-id stays the same when you plug it into "
                                    "another socket."},
                                   en));
    grp_mappings->setTitle(text({"Zuordnungen", "Mappings"}, en));
    grp_assign->setTitle(text({"Zuordnen", "Assign"}, en));
    lbl_com->setText(text({"COM-Port:", "COM port:"}, en));
    lbl_path->setText(text({"Gerät:", "Device:"}, en));
    txt_path->setPlaceholderText("/dev/serial/by-id/…");
    bt_simulator->setText(text({"Simuliertes Gateway", "Simulated gateway"}, en));
    chk_rs485->setText(text({"RS485-Modus (RTS beim Senden)", "RS485 mode (RTS on send)"}, en));
    chk_rs485->setToolTip(text({"Nur für Adapter und Schnittstellen, deren Treiber die "
                                "Senderichtung umschalten muss",
                                "Only for adapters and ports whose driver has to switch the "
                                "transmit direction"},
                               en));
    bt_save->setText(text({"Speichern", "Save"}, en));
    bt_remove->setText(text({"Eigene Zuordnung entfernen", "Remove your mapping"}, en));
    bt_close->setText(text({"Schließen", "Close"}, en));
    QStringList headers;
    for (const Caption& c : kDeviceHeaders)
        headers << text(c, en);
    tbl_devices->setHorizontalHeaderLabels(headers);
    headers.clear();
    for (const Caption& c : kMappingHeaders)
        headers << text(c, en);
    tbl_mappings->setHorizontalHeaderLabels(headers);
}

void PortsWindow::Form_Load() {
    english_ = ctx_.main.LocaliseWindow(Windows::Ports);
    applyTexts();
    directory_.refreshDevices();
    fillMappings();
    showSelectedMapping();
}

void PortsWindow::fillDevices() {
    const QList<SerialDevice>& devices = directory_.devices();
    tbl_devices->setRowCount(int(devices.size()));
    for (int row = 0; row < devices.size(); ++row) {
        const SerialDevice& d = devices[row];
        setRow(tbl_devices, row,
               {directory_.comNumbersOf(d, mappings_), d.node, d.description, d.manufacturer,
                d.serialNumber, d.usbId(), d.preferredPath()});
    }
    tbl_devices->resizeColumnsToContents();
}

void PortsWindow::fillMappings() {
    mappings_ = directory_.mappings();
    tbl_mappings->setRowCount(0);
    for (int i = 0; i < mappings_.size(); ++i) {
        const PortMapping& m = mappings_[i];
        if (m.source == PortMapping::Source::Default)
            continue;
        const int row = tbl_mappings->rowCount();
        tbl_mappings->insertRow(row);
        setRow(tbl_mappings, row,
               {comValueName(i + 1),
                text(m.source == PortMapping::Source::User ? kFromUser : kFromSystem, english_),
                describeMapping(m, directory_.devices(), english_), m.target});
    }
    tbl_mappings->resizeColumnsToContents();
    fillDevices(); // its COM column follows the mappings
    const QString problem = directory_.userFileProblem(english_);
    QString file = directory_.userFilePath();
    if (file.startsWith(QDir::homePath() + "/"))
        file.replace(0, QDir::homePath().size(), "~");
    lbl_file->setText(text({"Ihre Zuordnungen: ", "Your mappings: "}, english_) + file +
                      (problem.isEmpty() ? "" : "\n" + problem));
    lbl_file->setStyleSheet(problem.isEmpty() ? "" : "color: red;");
}

void PortsWindow::showSelectedMapping() {
    const PortMapping m = mappings_.value(cmb_com->currentIndex());
    setPath(m.target);
    chk_rs485->setChecked(m.rs485);
    showCurrentMapping();
}

void PortsWindow::showCurrentMapping() {
    const PortMapping m = mappings_.value(cmb_com->currentIndex());
    const Caption& from = m.source == PortMapping::Source::User     ? kFromUser
                          : m.source == PortMapping::Source::System ? kFromSystem
                                                                    : kFromDefault;
    lbl_current->setText(text({"Jetzt: ", "Now: "}, english_) +
                         describeMapping(m, directory_.devices(), english_) + " (" +
                         text(from, english_) + ")");
    bt_remove->setEnabled(m.source == PortMapping::Source::User);
}

void PortsWindow::refreshTimer_Timer() {
    if (!directory_.refreshDevices())
        return;
    fillMappings();
    showCurrentMapping(); // what the user typed in txt_path stays
    if (changed_)
        changed_();
}

void PortsWindow::cmb_com_Click() {
    showSelectedMapping();
}

void PortsWindow::tbl_devices_Click(int row) {
    if (row >= 0 && row < directory_.devices().size())
        setPath(directory_.devices()[row].preferredPath());
}

void PortsWindow::tbl_mappings_Click(int row) {
    const int com = cmb_com->findText(tbl_mappings->item(row, 0)->text());
    if (com < 0)
        return;
    cmb_com->setCurrentIndex(com);
    showSelectedMapping();
}

void PortsWindow::bt_simulator_Click() {
    setPath(kSimulatorTarget);
}

void PortsWindow::setPath(const QString& path) {
    txt_path->setText(path);
    txt_path->setCursorPosition(0); // a long path shows its beginning
}

void PortsWindow::bt_save_Click() {
    PortMapping m{txt_path->text().trimmed(), chk_rs485->isChecked(), PortMapping::Source::User};
    // unticked for a device: switched off, since a driver keeps the mode across opens
    m.rs485Off = !m.rs485 && !m.isSimulator();
    afterSave(directory_.save(cmb_com->currentIndex() + 1, m, english_));
}

void PortsWindow::bt_remove_Click() {
    afterSave(directory_.save(cmb_com->currentIndex() + 1, std::nullopt, english_));
}

void PortsWindow::afterSave(const QString& problem) {
    fillMappings(); // also shows a problem of the file
    if (!problem.isEmpty()) {
        ctx_.messages.show(problem);
        return;
    }
    showSelectedMapping();
    if (changed_)
        changed_();
}

void PortsWindow::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) // not again when the window comes back from being minimised
        Form_Load();
    refresh_->setEnabled(true);
    QDialog::showEvent(event);
}

void PortsWindow::hideEvent(QHideEvent* event) {
    refresh_->setEnabled(false);
    QDialog::hideEvent(event);
}
