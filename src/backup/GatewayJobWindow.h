#pragma once
// What the save and restore windows share: the texts in the stored language, the line claimed
// from the main window for the length of a job (the window's timers stay off and its row buttons
// disabled meanwhile; on release it reads the flags and one whole pass of the table), the
// gateway client at the window's Modbus address, a progress bar, cancel and close.

#include "core/Localisation.h"

#include <QWidget>
#include <functional>
#include <initializer_list>
#include <memory>

class GatewayClient;
class QLabel;
class QProgressBar;
class QPushButton;
class QVBoxLayout;
struct ToolContext;

class GatewayJobWindow : public QWidget, protected WindowLanguage {
    Q_OBJECT
public:
    // windowNumber: the window's number for the localisation (Windows::Backup, …).
    GatewayJobWindow(ToolContext& ctx, const QString& name, QWidget* owner,
                     int windowNumber = Windows::Backup);
    ~GatewayJobWindow() override;

    bool english() const { return english_; }
    bool holdsLine() const { return holdsLine_; }
    QLabel* stateLabel() const { return lbl_state; }

protected:
    // A row of buttons at the bottom: the window's own (and their fields), then cancel and close.
    void addButtonRow(std::initializer_list<QWidget*> own);
    // Loads and shows the window for the file, claims the line and makes the client for the
    // address: the job may read the gateway. False, and said, when another client holds the line.
    bool begin(const QString& file, uint8_t address);
    // Loads the window's texts in the stored language and shows it.
    void load();
    // Claims the main window's line for a job; false, and said, when another client holds it.
    bool claimLine();
    virtual void applyTexts() = 0;
    // Shows progress(done, total) on the bar.
    std::function<void(int, int)> progress();
    // Stops the job underway at once; its done handler runs.
    virtual void cancelJob() = 0;
    virtual bool jobRunning() const;

    void giveLineBack();
    GatewayClient& client() { return *client_; }
    void setRunning(bool running);
    void setState(const QString& text);
    // Ends a job without telling the window (it is going): before the derived parts go.
    void abandon();

    void closeEvent(QCloseEvent* event) override;

    ToolContext& ctx_;
    QVBoxLayout* column_;
    QLabel* lbl_file;
    QLabel* lbl_state;
    QProgressBar* bar_progress;
    QPushButton* bt_cancel;
    QPushButton* bt_close;
    bool going_ = false; // being destroyed: job handlers do nothing

private:
    int windowNumber_;
    bool holdsLine_ = false;
    std::unique_ptr<GatewayClient> client_;
};
