#pragma once
// The status window frmState: a small modeless window with a status text, a cancel button and a
// progress bar that steps once a period / 10. It accompanies the learn wait (request kind 3) and
// the single table read (request kind 4). Every showing starts from a fresh load.

#include <QDialog>
#include <cstdint>
#include <memory>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class Timer;
struct ToolContext;

class StatusWindow : public QDialog {
    Q_OBJECT
public:
    // A window of its own, without owner: it can stand behind the main window.
    StatusWindow();
    ~StatusWindow() override;

    // Makes the window's timers from the context's clock; the window does nothing before.
    void attach(ToolContext& ctx);

    // Prepares the window for the outstanding request kind (kind 0 closes it).
    void ShowMsg();
    // Ends the display with its final text and closes the window.
    void CloseWindow();
    // Shows the window modeless when ShowMsg left it loaded; a window that ShowMsg closed
    // stays closed.
    void showModeless();
    bool isShownNow() const;

    void Abbruch_Click();
    void Timer1SW_Timer();
    void Timer2SW_Timer();

    int16_t progressStep() const { return ProgressStep; }
    Timer* periodTimer() const { return Timer1SW.get(); }
    Timer* stepTimer() const { return Timer2SW.get(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void ensureLoaded();
    void Form_Load();
    void Form_Unload();
    void unload();
    void resetProgress();

    ToolContext* ctx_ = nullptr;
    bool loaded_ = false;
    int16_t ProgressStep = 0;

    QLabel* lblTxt;
    QPushButton* Abbruch;
    QFrame* frameProgress;
    QProgressBar* ProgressFile;
    std::unique_ptr<Timer> Timer1SW; // period: one full cycle of the bar
    std::unique_ptr<Timer> Timer2SW; // step: one step of the bar
};
