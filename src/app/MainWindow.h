#pragma once
// The main window frm_config: the composition root. It owns the timers, the link and the panels
// of the subsystems, and answers the small interfaces by which they reach each other.

#include "core/Localisation.h"
#include "core/ToolContext.h"
#include "link/Link.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class AboutWindow;
class DeviceEnumerator;
class BackupMenu;
class CommissionWindow;
class SiteLabels;
class WorkingText;
class DeviceFrame;
class DocumentOpener;
class HistoryWindow;
class LanguageMenu;
class LearnPanel;
class ParameterFrame;
class PortDirectory;
class PortsWindow;
class QLabel;
class QMenu;
class QLineEdit;
class QTabWidget;
class ResponseTimeFrame;
class ScaleFrame;
class ScanWindow;
class SenderPanel;
class SensorHistory;
class SensorTablePanel;
class SerialPort;
class StatusWindow;
class TrafficRecorder;
class TrafficWindow;

class MainWindow : public QMainWindow, public LinkFields, public MainWindowAccess {
    Q_OBJECT
public:
    MainWindow(ProgramSettings& settings, Clock& clock, SerialPort& MSComm1, MessageBoxes& messages,
               StoredSettingReader read, DocumentOpener& opener);
    ~MainWindow() override;

    void Form_Load();
    void SSTab1_Click(int previousTab);
    void MenuMain_Click(int index);
    void send() { link_->send(); }

    // LinkFields
    QString modbusAddressText() const override;
    void setAlarmCaption(const QString& text) override;
    void setReceiveBoxText(const QString& text) override;
    QString receiveBoxText() const override;
    SenderRowValues senderRowValues(int row) const override;
    // MainWindowAccess
    QWidget* ownerWindow() override { return this; }
    QString deviceTypeText() const override;
    void ShowMsgWindow() override;
    void CloseStatusWindow() override;
    bool LocaliseWindow(int windowNumber) override;

    MainTimers& timers() { return *timers_; }
    Link& link() { return *link_; }
    ParameterFrame& parameters() { return *parameters_; }
    SensorTablePanel& sensorTable() { return *sensors_; }
    SenderPanel& senderPanel() { return *senders_; }
    LearnPanel& learnPanel() { return *learn_; }
    StatusWindow& statusWindow() { return *status_; }
    ResponseTimeFrame& responseFrame() { return *response_; }
    ScaleFrame& scaleFrame() { return *scale_; }
    DeviceFrame& deviceFrame() { return *device_; }
    AboutWindow& aboutWindow();
    SensorHistory& history() { return *history_; }
    HistoryWindow& historyWindow(); // frmHistory, made on first use
    ScanWindow& scanWindow();       // frmScan, made on first use
    // Makes a second, closed port for a COM entry, as MSComm1 resolves it: the gateway scan's.
    using PortMaker = std::function<std::unique_ptr<SerialPort>(int commPort)>;
    void setPortMaker(PortMaker maker) { makePort_ = std::move(maker); }
    // frmTraffic, made on first use together with the recorder: until then nothing is recorded.
    TrafficWindow& trafficWindow();
    TrafficRecorder* trafficRecorder() { return traffic_.get(); }
    BackupMenu& backupMenu() { return *backup_; }       // save and restore of the configuration
    LanguageMenu& languageMenu() { return *language_; } // the language of this user's windows
    CommissionWindow& commissionWindow();               // frmCommission, made on first use
    // The labels of the site file the commissioning window loaded.
    SiteLabels& siteLabels() { return *siteLabels_; }
    // The menu "Extras" (English "Tools"): the tool's own windows beyond the gateway's.
    QMenu* extrasMenu() const { return menuExtras_; }
    PortsWindow& portsWindow();
    // The serial devices that the Ports window and the port list show; none until given.
    void setSerialDevices(std::shared_ptr<DeviceEnumerator> devices);

private:
    void makeTimers();
    void buildLayout();
    void buildMenu();
    void wirePanels();
    void applyEnglishCaptions();
    // A client of the link (backup, restore) takes the line, or gives it back.
    void lineClaimed(bool claimed);
    void showPortDevices(); // where each COM entry points, in the port list

    ProgramSettings& settings_;
    Clock& clock_;
    SerialPort& port_;
    MessageBoxes& messages_;
    StoredSettingReader read_;
    DocumentOpener& opener_;
    std::vector<std::unique_ptr<Timer>> timerStore_;
    std::unique_ptr<MainTimers> timers_;
    std::unique_ptr<Link> link_;
    std::unique_ptr<ToolContext> ctx_;

    QTabWidget* SSTab1;
    ParameterFrame* parameters_;
    DeviceFrame* device_;
    ResponseTimeFrame* response_;
    SensorTablePanel* sensors_;
    SenderPanel* senders_;
    ScaleFrame* scale_;
    QLabel* lbl_Alarm;
    QLineEdit* txt_empfang;
    WorkingText* receiveText_; // what the box holds while an answer is handled
    QMenu* menuExtras_;
    QAction* menuAbout_;
    QAction* menuHelp_;
    std::unique_ptr<LearnPanel> learn_;
    std::unique_ptr<StatusWindow> status_; // shown modeless, without owner
    AboutWindow* about_ = nullptr;
    std::unique_ptr<SensorHistory> history_; // records from the first decoded row on
    HistoryWindow* historyWindow_ = nullptr;
    QAction* actHistory_;
    std::unique_ptr<PortDirectory> ports_;
    QAction* actPorts_;
    PortsWindow* portsWindow_ = nullptr;
    ScanWindow* scanWindow_ = nullptr;
    QAction* actFindGateway_;
    PortMaker makePort_;
    std::unique_ptr<TrafficRecorder> traffic_; // on the link from the first opening on
    TrafficWindow* trafficWindow_ = nullptr;
    QAction* actTraffic_;
    int shownTab_ = 0;
    SiteLabels* siteLabels_; // a child made after the panels, which go first
    CommissionWindow* commissionWindow_ = nullptr;
    QAction* actCommission_;
    std::unique_ptr<LanguageMenu> language_;
    std::unique_ptr<BackupMenu> backup_; // last: its windows go before the link
};
