#include "app/MainWindow.h"

#include "app/AboutWindow.h"
#include "app/LanguageWindow.h"
#include "app/ParameterFrame.h"
#include "backup/BackupMenu.h"
#include "commission/CommissionWindow.h"
#include "gateway/SiteLabels.h"
#include "history/HistoryWindow.h"
#include "history/SensorHistory.h"
#include "learn/LearnPanel.h"
#include "learn/StatusWindow.h"
#include "link/SerialPort.h"
#include "params/ResponseTimeFrame.h"
#include "platform/DocumentOpener.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "platform/WorkingText.h"
#include "ports/PortDirectory.h"
#include "ports/PortSelector.h"
#include "ports/PortsWindow.h"
#include "scan/ScanWindow.h"
#include "sender/SenderPanel.h"
#include "sensors/DeviceFrame.h"
#include "sensors/ScaleFrame.h"
#include "sensors/SensorTablePanel.h"
#include "traffic/TrafficRecorder.h"
#include "traffic/TrafficWindow.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

MainWindow::MainWindow(ProgramSettings& settings, Clock& clock, SerialPort& MSComm1,
                       MessageBoxes& messages, StoredSettingReader read, DocumentOpener& opener)
    : settings_(settings)
    , clock_(clock)
    , port_(MSComm1)
    , messages_(messages)
    , read_(std::move(read))
    , opener_(opener)
    , ports_(std::make_unique<PortDirectory>(read_))
    , makePort_([read = read_, &clock](int commPort) -> std::unique_ptr<SerialPort> {
        auto port = std::make_unique<PortSelector>(PortSelector::BackendFactory{}, read, &clock);
        port->setCommPort(commPort);
        return port;
    }) {
    setObjectName("frm_config");
    setWindowTitle("QRX-QTX-RS485-Modbus Configuration Software");
    makeTimers();
    link_ = std::make_unique<Link>(settings_, clock_, port_, timers_->Timer4, timers_->Timer5,
                                   *this, messages_);
    buildLayout();
    buildMenu();
    learn_ = std::make_unique<LearnPanel>();
    status_ = std::make_unique<StatusWindow>();
    ctx_ = std::make_unique<ToolContext>(ToolContext{settings_, clock_, *link_, *timers_, messages_,
                                                     *this, *sensors_, *scale_, *senders_});
    wirePanels();
}

MainWindow::~MainWindow() {
    delete historyWindow_;    // before the history it shows
    delete scanWindow_;       // ends a scan underway while the context it uses is still there
    delete trafficWindow_;    // before the recorder it shows
    delete commissionWindow_; // its run holds clients of the link
}

void MainWindow::makeTimers() {
    // the designer's intervals; all start disabled
    const std::pair<const char*, int> designer[] = {
        {"Timer1", 250},  {"Timer2", 300}, {"Timer3", 0},  {"Timer4", 50},
        {"Timer5", 1000}, {"Timer6", 200}, {"Timer7", 100}};
    for (const auto& [name, interval] : designer)
        timerStore_.push_back(clock_.createTimer(name, interval));
    auto& t = timerStore_;
    timers_ =
        std::make_unique<MainTimers>(MainTimers{*t[0], *t[1], *t[2], *t[3], *t[4], *t[5], *t[6]});
}

void MainWindow::buildLayout() {
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    auto* top = new QHBoxLayout;
    parameters_ = new ParameterFrame(central);
    device_ = new DeviceFrame(central);
    response_ = new ResponseTimeFrame(central);
    top->addWidget(parameters_, 3);
    top->addWidget(device_, 1);
    top->addWidget(response_, 1);
    column->addLayout(top);

    SSTab1 = new QTabWidget(central);
    SSTab1->setObjectName("SSTab1");
    sensors_ = new SensorTablePanel;
    senders_ = new SenderPanel;
    senders_->setObjectName("Frame1");
    for (QWidget* page : {static_cast<QWidget*>(sensors_), static_cast<QWidget*>(senders_)}) {
        auto* scroll = new QScrollArea(SSTab1);
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidget(page);
        SSTab1->addTab(scroll, page == sensors_ ? "Sensoren" : "Sender");
    }
    column->addWidget(SSTab1, 1);

    auto* bottom = new QHBoxLayout;
    scale_ = new ScaleFrame(central);
    bottom->addWidget(scale_);
    auto* status = new QVBoxLayout;
    lbl_Alarm = new QLabel(central);
    lbl_Alarm->setObjectName("lbl_Alarm");
    lbl_Alarm->setStyleSheet("color: red; font-weight: bold;");
    txt_empfang = new QLineEdit(central);
    txt_empfang->setObjectName("txt_empfang");
    txt_empfang->setReadOnly(true);
    txt_empfang->setPlaceholderText("RTU");
    receiveText_ = new WorkingText(txt_empfang);
    status->addWidget(lbl_Alarm);
    status->addWidget(txt_empfang);
    status->addStretch();
    bottom->addLayout(status, 1);
    column->addLayout(bottom);
    setCentralWidget(central);
    resize(1340, 740);
    connect(SSTab1, &QTabWidget::currentChanged, this, [this](int now) {
        SSTab1_Click(shownTab_);
        shownTab_ = now;
    });
}

void MainWindow::buildMenu() {
    menuExtras_ = menuBar()->addMenu("&Extras");
    menuExtras_->setObjectName("menu_extras");
    actHistory_ = menuExtras_->addAction("Verlauf…");
    actHistory_->setObjectName("act_history");
    connect(actHistory_, &QAction::triggered, this, [this] { historyWindow().open(); });
    actPorts_ = menuExtras_->addAction("Schnittstellen…");
    actPorts_->setObjectName("act_ports");
    connect(actPorts_, &QAction::triggered, this, [this] {
        portsWindow().show();
        portsWindow().raise();
    });
    actFindGateway_ = menuExtras_->addAction("Gateway suchen…");
    actFindGateway_->setObjectName("act_find_gateway");
    connect(actFindGateway_, &QAction::triggered, this, [this] { scanWindow().open(); });
    actTraffic_ = menuExtras_->addAction("Datenverkehr…");
    actTraffic_->setObjectName("act_traffic");
    connect(actTraffic_, &QAction::triggered, this, [this] { trafficWindow().open(); });
    menuAbout_ = menuBar()->addAction("&Über");
    menuAbout_->setObjectName("MenüMain_1");
    menuHelp_ = menuBar()->addAction("&Hilfe");
    menuHelp_->setObjectName("MenüMain_2");
    connect(menuAbout_, &QAction::triggered, this, [this] { MenuMain_Click(1); });
    connect(menuHelp_, &QAction::triggered, this, [this] { MenuMain_Click(2); });
}

void MainWindow::wirePanels() {
    ToolContext& ctx = *ctx_;
    parameters_->attach(ctx, port_,
                        {[this](bool on) { response_->setInputsEnabled(on); },
                         [this] { device_->startIdentification(); },
                         [this] { txt_empfang->setReadOnly(false); },
                         [this](int16_t n) { link_->setExpectedLength(n); }});
    device_->attach(ctx);
    device_->setAlarmHandler([this](const QString& text) { setAlarmCaption(text); });
    device_->setSenderTabAvailableHandler([this](bool on) { SSTab1->setTabEnabled(1, on); });
    response_->attach(ctx);
    auto checkConnected = [this] { parameters_->connectedBox()->setChecked(true); };
    response_->setConnectedCheck(checkConnected);
    sensors_->attach(ctx);
    history_ = std::make_unique<SensorHistory>(clock_);
    sensors_->setDecodedRowObserver(
        [this](int row, const SensorRowTexts& decoded) { history_->record(row, decoded); });
    sensors_->setConnectedCheck(checkConnected);
    sensors_->setResponseInputsHandler([this](bool on) { response_->setInputsEnabled(on); });
    sensors_->setRowButtonHandlers([this](int row) { learn_->bt_learn_Click(row); },
                                   [this](int row) { learn_->bt_delete_Click(row); });
    senders_->attach(ctx);
    learn_->attach(ctx);
    link_->setLineClaimHandler([this](bool claimed) { lineClaimed(claimed); });
    status_->attach(ctx);
    connect(parameters_, &ParameterFrame::portSelectionChanged, this, [this] {
        ports_->refreshDevices();
        showPortDevices();
    });
    backup_ = std::make_unique<BackupMenu>(
        ctx, [this] { return settings_.PortIsOpen && parameters_->connectedBox()->isChecked(); },
        menuExtras_, this);
    actCommission_ = menuExtras_->addAction("Inbetriebnahme…");
    actCommission_->setObjectName("act_commission");
    connect(actCommission_, &QAction::triggered, this, [this] { commissionWindow().open(); });
    siteLabels_ = new SiteLabels(this);
    sensors_->setSiteLabels(*siteLabels_);
    language_ = std::make_unique<LanguageMenu>(*this, messages_, menuExtras_, this);
}

void MainWindow::lineClaimed(bool claimed) {
    if (claimed) {
        // another client of the link holds the line: the window asks nothing meanwhile
        sensors_->setReadChecked(false);
        for (Timer* t : {&timers_->Timer1, &timers_->Timer2, &timers_->Timer3})
            t->setEnabled(false);
        parameters_->connectedBox()->setChecked(false);
        return;
    }
    // the gateway may have changed: as after connecting, its response time (whose answer starts
    // the flags' read), then one whole pass of the table
    if (!settings_.PortIsOpen)
        return;
    settings_.RegisterCounter = 0;
    settings_.RequestKind = RequestKinds::ReadResponseTime;
    device_->ReadDeviceRegister();
}

void MainWindow::Form_Load() {
    LocaliseWindow(Windows::Main);
    for (int row = 0; row < kSenderRows; ++row)
        senders_->selectTemplate(row, 0);
    if (settings_.LanguageCode.toInt() == 1033) {
        SSTab1->setTabText(0, "Sensors");
        SSTab1->setTabText(1, "Sender");
    }
    settings_.FirstReadPending = true;
    settings_.RegisterCounter = 0;
    parameters_->selectStartEntries();
    parameters_->connectedBox()->setChecked(false);
}

void MainWindow::showPortDevices() {
    parameters_->showPortDevices(ports_->describeAll(settings_.LanguageCode == "1033"));
}

void MainWindow::setSerialDevices(std::shared_ptr<DeviceEnumerator> devices) {
    ports_->setEnumerator(std::move(devices));
}

PortsWindow& MainWindow::portsWindow() {
    if (!portsWindow_) {
        portsWindow_ = new PortsWindow(*ctx_, *ports_, this);
        portsWindow_->setMappingsChangedHandler([this] { showPortDevices(); });
    }
    return *portsWindow_;
}

bool MainWindow::LocaliseWindow(int windowNumber) {
    const bool english = localiseSettings(settings_, read_, windowNumber);
    if (english) {
        senders_->setManualEntryText("Manual");
        if (windowNumber == Windows::Main)
            applyEnglishCaptions();
    }
    return english;
}

void MainWindow::applyEnglishCaptions() {
    menuExtras_->setTitle("&Tools");
    actHistory_->setText("History…");
    actPorts_->setText("Ports…");
    actFindGateway_->setText("Find gateway…");
    actTraffic_->setText("Traffic…");
    backup_->applyEnglish();
    actCommission_->setText("Commissioning…");
    language_->applyEnglish();
    menuAbout_->setText("About");
    menuHelp_->setText("Help");
    device_->applyEnglish();
    response_->applyEnglish();
    scale_->applyEnglish();
    sensors_->applyEnglish();
    senders_->applyEnglish();
}

void MainWindow::SSTab1_Click(int previousTab) {
    scale_->setVisible(previousTab != 0);
}

void MainWindow::MenuMain_Click(int index) {
    if (index == 1)
        aboutWindow().open();
    else if (index == 2)
        opener_.open(helpDocumentPath(settings_));
}

AboutWindow& MainWindow::aboutWindow() {
    if (!about_) {
        about_ = new AboutWindow(*this, read_, opener_);
        about_->setWindowModality(Qt::WindowModal);
    }
    return *about_;
}

HistoryWindow& MainWindow::historyWindow() {
    if (!historyWindow_) {
        historyWindow_ = new HistoryWindow(*history_, clock_, *this, messages_, this);
        historyWindow_->setSiteLabels(*siteLabels_);
    }
    return *historyWindow_;
}

CommissionWindow& MainWindow::commissionWindow() {
    if (!commissionWindow_)
        commissionWindow_ = new CommissionWindow(*ctx_, *siteLabels_, this);
    return *commissionWindow_;
}

ScanWindow& MainWindow::scanWindow() {
    if (!scanWindow_)
        scanWindow_ = new ScanWindow(*ctx_, *parameters_, port_, makePort_, this);
    return *scanWindow_;
}

TrafficWindow& MainWindow::trafficWindow() {
    if (!trafficWindow_) {
        traffic_ = std::make_unique<TrafficRecorder>(*link_, clock_);
        trafficWindow_ = new TrafficWindow(*traffic_, clock_, *this, messages_, this);
    }
    return *trafficWindow_;
}

QString MainWindow::modbusAddressText() const {
    return parameters_->modbusAddressText();
}
void MainWindow::setAlarmCaption(const QString& text) {
    lbl_Alarm->setText(text);
}
void MainWindow::setReceiveBoxText(const QString& text) {
    receiveText_->set(text);
}
QString MainWindow::receiveBoxText() const {
    return receiveText_->text();
}
SenderRowValues MainWindow::senderRowValues(int row) const {
    return senders_->rowValues(row);
}
QString MainWindow::deviceTypeText() const {
    return device_->deviceTypeText();
}

void MainWindow::ShowMsgWindow() {
    // the operation goes on without the window if it cannot be shown
    try {
        status_->ShowMsg();
        status_->showModeless();
    } catch (...) {
    }
}

void MainWindow::CloseStatusWindow() {
    status_->CloseWindow();
}
