#pragma once
// The minimal response time frame frm_response: the gateway's register 0x0140, read once per
// connection (request kind 9, whose answer also completes the connection) and written on the
// user's request (kind 10). The periods of Timer1 and Timer3 follow it.

#include <QGroupBox>
#include <functional>

class Answer;
class QLabel;
class QLineEdit;
class QPushButton;
struct ToolContext;

class ResponseTimeFrame : public QGroupBox {
    Q_OBJECT
public:
    explicit ResponseTimeFrame(QWidget* parent = nullptr);

    // Registers the kind-9 answer handler and the click of bt_set_response.
    void attach(ToolContext& ctx);
    // Sets chk_connected checked (after the answer to the response-time read).
    void setConnectedCheck(std::function<void()> check);
    // txt_min_response and bt_set_response.
    void setInputsEnabled(bool on);
    void applyEnglish();

    void responseTimeAnswer(const Answer& answer); // kind 9
    void bt_set_response_Click();
    void txt_min_response_LostFocus();

    QLineEdit* valueField() const { return txt_min_response; }
    QPushButton* setButton() const { return bt_set_response; }

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    int32_t fieldValue() const;

    ToolContext* ctx_ = nullptr;
    std::function<void()> connectedCheck_;
    QLabel* lbl_reponse;
    QLineEdit* txt_min_response;
    QPushButton* bt_set_response;
};
