#include "params/ResponseTimeFrame.h"

#include "core/ToolContext.h"
#include "link/Answer.h"
#include "link/Hex.h"
#include "link/Link.h"
#include "params/ResponseTime.h"
#include "platform/InputFilters.h"
#include "platform/Timer.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
// Interval sums are formed in 64 bits and clamped to what the timers accept.
int plus(int32_t responseTime, int ms) {
    return clampTimerInterval(int64_t{responseTime} + ms);
}
} // namespace

ResponseTimeFrame::ResponseTimeFrame(QWidget* parent)
    : QGroupBox("Konfiguration minimale Antwortzeit", parent) {
    setObjectName("frm_response");
    lbl_reponse = new QLabel("Antwortzeit (ms):", this);
    lbl_reponse->setObjectName("lbl_reponse");
    txt_min_response = new QLineEdit("0", this);
    txt_min_response->setObjectName("txt_min_response");
    // digits only; five of them reach the largest value the register holds
    allowOnly(txt_min_response, "[0-9]*", 5);
    txt_min_response->setMaximumWidth(64);
    txt_min_response->installEventFilter(this);
    lbl_reponse->setBuddy(txt_min_response);
    bt_set_response = new QPushButton("Setzen", this);
    bt_set_response->setObjectName("bt_set_response");
    auto* line = new QHBoxLayout(this);
    line->setContentsMargins(6, 4, 6, 4);
    line->addWidget(lbl_reponse);
    line->addWidget(txt_min_response);
    line->addWidget(bt_set_response);
    line->addStretch(1);
}

void ResponseTimeFrame::attach(ToolContext& ctx) {
    ctx_ = &ctx;
    ctx.link.setAnswerHandler(RequestKinds::ReadResponseTime,
                              [this](const Answer& a) { responseTimeAnswer(a); });
    connect(bt_set_response, &QPushButton::clicked, this, [this] { bt_set_response_Click(); });
}

void ResponseTimeFrame::setConnectedCheck(std::function<void()> check) {
    connectedCheck_ = std::move(check);
}

void ResponseTimeFrame::setInputsEnabled(bool on) {
    txt_min_response->setEnabled(on);
    bt_set_response->setEnabled(on);
}

void ResponseTimeFrame::applyEnglish() {
    setTitle("Configuration minimal response time");
    bt_set_response->setText("Set");
    lbl_reponse->setText("Response time (ms):");
}

int32_t ResponseTimeFrame::fieldValue() const {
    return txt_min_response->text().toInt();
}

void ResponseTimeFrame::responseTimeAnswer(const Answer& answer) {
    ProgramSettings& s = ctx_->settings;
    Timer& t1 = ctx_->timers.Timer1;
    Timer& t3 = ctx_->timers.Timer3;
    // the register is unsigned: 0x8000 shows 32768
    txt_min_response->setText(QString::number(answer.wordAt(7)));
    s.ResponseTime = fieldValue();
    if (s.ModeText == "ASCII") {
        // a line that came in several pieces took longer on the line than the baud alone says
        int extra = 0;
        if (!answer.onePiece())
            extra = 200;
        else if (s.BaudText == "19200")
            extra = 200;
        else if (s.BaudText == "9600")
            extra = 400;
        if (extra) {
            t1.setInterval(plus(s.ResponseTime, extra));
            t3.setInterval(plus(s.ResponseTime, extra));
        } else if (t3.interval() == 0) {
            // other baud rates keep the intervals; but a Timer3 without one never ticks, and the
            // table would stay unread without a word: it gets what "Setzen" gives at these rates
            t3.setInterval(plus(s.ResponseTime, 200));
        }
    } else {
        t1.setInterval(plus(s.ResponseTime, 100));
        t1.setEnabled(false);
        t3.setInterval(plus(s.ResponseTime, 100));
    }
    t3.setEnabled(true);
    if (s.ModeText == "ASCII")
        s.LearnRow = 0;
    if (connectedCheck_)
        connectedCheck_();
}

void ResponseTimeFrame::bt_set_response_Click() {
    ProgramSettings& s = ctx_->settings;
    // a click by program leaves no focus-out behind: correct here too, so that only a value
    // the register can hold reaches the request
    txt_min_response_LostFocus();
    s.ResponseTime = fieldValue();
    if (s.ModeText == "ASCII") {
        const int extra = s.BaudText == "9600" ? 400 : 200;
        ctx_->timers.Timer1.setInterval(plus(s.ResponseTime, extra));
        ctx_->timers.Timer3.setInterval(plus(s.ResponseTime, extra));
    } else {
        ctx_->timers.Timer1.setInterval(plus(s.ResponseTime, 200));
    }
    const auto address = addressHex(ctx_->main.modbusAddressText());
    if (!address)
        return;
    s.RequestKind = RequestKinds::SetResponseTime;
    s.RequestText = responseTimeWriteRequest(*address, static_cast<uint16_t>(s.ResponseTime));
    ctx_->link.send();
}

void ResponseTimeFrame::txt_min_response_LostFocus() {
    const QString corrected = correctedResponseTimeText(txt_min_response->text());
    if (corrected != txt_min_response->text())
        txt_min_response->setText(corrected);
}

bool ResponseTimeFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txt_min_response && event->type() == QEvent::FocusOut)
        txt_min_response_LostFocus();
    return QGroupBox::eventFilter(watched, event);
}
