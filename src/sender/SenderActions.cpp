// The handlers of the sender rows: template and ORG choice, the value check, apply, transmit and
// the release after a rocker-button telegram.

#include "sender/SenderPanel.h"

#include "link/Hex.h"
#include "link/Link.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"

#include <QComboBox>
#include <QLineEdit>

namespace {

void markEdited(QWidget* control) {
    QPalette p = control->palette();
    // a line edit draws its text in Text, a closed drop-down list in ButtonText or Text
    for (auto role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
        p.setColor(role, SenderPanel::kEditedColour);
    control->setPalette(p);
}

// An empty palette drops the widget's own colours: it shows the system's colours again.
void clearMark(QWidget* control) {
    control->setPalette(QPalette());
}

} // namespace

void SenderPanel::Telegram_Click(int row) {
    if (!validRow(row))
        return;
    const auto t = telegramTemplate(telegramList(row)->currentIndex());
    if (!t)
        return; // "Manuell" or no selection: the row keeps its values
    writeTemplateValues(row, *t);
    selectOrg(row, t->orgIndex);
}

void SenderPanel::Combo1_Click(int row) {
    if (!ctx_ || !validRow(row) || ctx_->settings.FirstReadPending)
        return;
    markEdited(orgList(row));
}

void SenderPanel::valueChanged(int row, int field) {
    // the first table read fills the rows: its values are neither marked nor checked
    if (!ctx_ || ctx_->settings.FirstReadPending)
        return;
    QLineEdit* edit = valueField(row, field);
    markEdited(edit);
    const ValueVerdict verdict = checkSenderValue(edit->text());
    if (verdict == ValueVerdict::Accepted)
        return;
    ctx_->messages.show(verdictMessage(verdict));
    edit->setText("0"); // checked once more, and "0" passes
    edit->selectAll();
}

void SenderPanel::writeValue(int row, int field, const QString& text) {
    QLineEdit* edit = valueField(row, field);
    // a written field is marked and checked by its change handler, also when it already held
    // the text, which the line edit reports as no change
    if (edit->text() == text)
        valueChanged(row, field);
    else
        edit->setText(text);
}

void SenderPanel::writeTemplateValues(int row, const TelegramTemplate& t) {
    for (int f = 0; f < kValueFields; ++f)
        writeValue(row, f, QString::number(t.values[static_cast<size_t>(f)]));
}

void SenderPanel::clearMarks(int row) {
    for (int f = 0; f < kValueFields; ++f)
        clearMark(valueField(row, f));
    clearMark(orgList(row));
}

void SenderPanel::Command2_Click(int row) {
    if (!ctx_ || !validRow(row))
        return;
    // a template row sends the template's values, whatever was typed over them
    const int entry = telegramList(row)->currentIndex();
    if (const auto t = telegramTemplate(entry)) {
        writeTemplateValues(row, *t);
        if (entry >= kFirstLearnTemplate)
            selectOrg(row, kOrg7Index);
    }
    clearMarks(row);
    WriteSenderBlock(row);
}

void SenderPanel::Command1_Click(int row) {
    if (!ctx_ || !validRow(row))
        return;
    if (!TransmitSenderRow(row))
        return;
    // a rocker button is released after the press: zeros 200 ms later, sent 100 ms after that
    const int entry = telegramList(row)->currentIndex();
    if (entry >= kFirstButtonTemplate && entry <= kLastButtonTemplate)
        ctx_->timers.Timer6.setEnabled(true);
}

bool SenderPanel::WriteSenderBlock(int row) {
    if (!ctx_ || !validRow(row))
        return false;
    ProgramSettings& s = ctx_->settings;
    SenderBytes bytes{};
    bool valid = true;
    for (int f = 0; f < kValueFields; ++f) {
        const auto byte = senderByte(valueField(row, f)->text());
        valid = valid && byte.has_value();
        bytes[static_cast<size_t>(f)] = byte.value_or(0);
    }
    const int orgIndex = orgList(row)->currentIndex();
    if (!valid || orgIndex < 0 || orgIndex > kOrg7Index) {
        // only values that escaped the check (typed during the first read) get here
        ctx_->messages.show(verdictMessage(ValueVerdict::OutOfRange));
        return false;
    }
    const bool ascii = s.ModeText == "ASCII";
    const auto address = addressHex(ctx_->main.modbusAddressText());
    if (!address)
        return false; // no address, no request, in either mode
    s.SenderRow = static_cast<int16_t>(row);
    s.RequestKind = RequestKinds::ApplySenderValue;
    ctx_->timers.Timer1.setEnabled(false);
    if (ascii)
        s.RequestText = senderBlockRequestText(*address, row, orgIndex, bytes);
    ctx_->link.send(); // in RTU the link builds the bytes from rowValues(SenderRow)
    return true;
}

bool SenderPanel::TransmitSenderRow(int row) {
    if (!ctx_ || !validRow(row))
        return false;
    ProgramSettings& s = ctx_->settings;
    const bool ascii = s.ModeText == "ASCII";
    const auto address = addressHex(ctx_->main.modbusAddressText());
    if (!address)
        return false; // and so no release follows
    s.RequestKind = RequestKinds::TransmitTelegram;
    s.TransmitRow = static_cast<int16_t>(row);
    ctx_->timers.Timer1.setEnabled(false);
    if (ascii)
        s.RequestText = transmitRequestText(*address, row);
    ctx_->link.send();
    return true;
}

void SenderPanel::Timer6_Timer() {
    if (!ctx_)
        return;
    const int row = ctx_->settings.TransmitRow;
    if (validRow(row)) {
        for (int f = 0; f < kValueFields; ++f)
            writeValue(row, f, "0");
        WriteSenderBlock(row);
    }
    ctx_->timers.Timer6.setEnabled(false);
    ctx_->timers.Timer7.setEnabled(true);
}

void SenderPanel::Timer7_Timer() {
    if (!ctx_)
        return;
    TransmitSenderRow(ctx_->settings.TransmitRow);
    ctx_->timers.Timer7.setEnabled(false);
}

void SenderPanel::answered() {
    // the answer to an apply or transmit is not evaluated; the table read stays stopped
    ctx_->settings.RequestKind = RequestKinds::None;
    ctx_->timers.Timer1.setEnabled(false);
}
