#include "sender/SenderPanel.h"

#include "link/Answer.h"
#include "link/Link.h"
#include "platform/ChangedText.h"
#include "platform/Timer.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace {

// A value field: a click selects the whole text, so that typing replaces it.
class SelectOnClickEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLineEdit::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton)
            selectAll();
    }
};

const char* const kValueNames[SenderPanel::kValueFields] = {
    "txt_snd_data_1", "txt_snd_data_2", "txt_snd_data_3", "txt_snd_data_4", "txt_snd_status"};

// Grid columns, left to right.
enum Column {
    RegisterColumn,
    SenderIdColumn,
    TelegramColumn,
    OrgColumn,
    FirstValueColumn, // five value fields follow
    ApplyColumn = FirstValueColumn + SenderPanel::kValueFields,
    TransmitColumn,
};

// Tooltips of the ORG list and the value fields, German and English.
const char* const kOrgTip[] = {"5: Wippschalter, 6: 1-Byte-Sensor, 7: 4-Byte-Sensor",
                               "5: rocker switch, 6: 1-byte sensor, 7: 4-byte sensor"};
const char* const kValueTip[] = {
    "0 bis 255; eine Zahl mit Nachkommastellen wird beim Senden auf die nächste ganze Zahl "
    "gerundet (12,5 wird 13)",
    "0 to 255; a number with decimals is rounded to the nearest whole number when it is sent "
    "(12.5 becomes 13)"};

QString indexed(const char* name, int row) {
    return QStringLiteral("%1_%2").arg(name).arg(row);
}

} // namespace

SenderPanel::SenderPanel(QWidget* parent)
    : QWidget(parent) {
    setObjectName("Frame1");
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    const QStringList captions{"Register",    "Sender-ID",   "",
                               "ORG-BYTE",    "Data-Byte 3", "Data-Byte 2",
                               "Data-Byte 1", "Data-Byte 0", "Status"};
    for (int c = 0; c < captions.size(); ++c) {
        auto* caption = new QLabel(captions[c], this);
        caption->setObjectName(indexed("lbl_sender", c));
        grid->addWidget(caption, 0, c);
    }
    for (int r = 0; r < kSenderRows; ++r)
        buildRow(r);
    for (int c = FirstValueColumn; c < ApplyColumn; ++c)
        grid->setColumnStretch(c, 1);
    grid->setColumnStretch(SenderIdColumn, 2);
    grid->setRowStretch(kSenderRows + 1, 1); // rows stay at the top when the tab grows
}

void SenderPanel::buildRow(int r) {
    auto* grid = static_cast<QGridLayout*>(layout());
    Row& row = rows_[static_cast<size_t>(r)];
    const int line = r + 1;

    row.registers = new QLabel(QStringLiteral("%1-%2").arg(400 + 10 * r).arg(409 + 10 * r), this);
    row.registers->setObjectName(indexed("lbl_register", r));
    grid->addWidget(row.registers, line, RegisterColumn);

    row.senderId = new QLineEdit("00000000", this);
    row.senderId->setObjectName(indexed("txt_sender_id", r));
    row.senderId->setReadOnly(true);
    row.senderId->setFocusPolicy(Qt::ClickFocus); // shown only: the tab key skips it
    grid->addWidget(row.senderId, line, SenderIdColumn);

    row.telegram = new QComboBox(this);
    row.telegram->setObjectName(indexed("Telegram", r));
    row.telegram->addItems(telegramEntries(r));
    row.telegram->setCurrentIndex(0);
    grid->addWidget(row.telegram, line, TelegramColumn);

    row.org = new QComboBox(this);
    row.org->setObjectName(indexed("Combo1", r));
    row.org->addItems({"5", "6", "7"});
    row.org->setCurrentIndex(0);
    row.org->setToolTip(kOrgTip[0]);
    grid->addWidget(row.org, line, OrgColumn);

    for (int f = 0; f < kValueFields; ++f) {
        auto* field = new SelectOnClickEdit("0", this);
        field->setObjectName(indexed(kValueNames[f], r));
        field->setToolTip(kValueTip[0]);
        field->setMinimumWidth(40);
        row.values[static_cast<size_t>(f)] = field;
        grid->addWidget(field, line, FirstValueColumn + f);
    }

    row.apply = new QPushButton("Wert übernehmen", this);
    row.apply->setObjectName(indexed("Command2", r));
    grid->addWidget(row.apply, line, ApplyColumn);

    row.transmit = new QPushButton("Funktelegramm Senden", this);
    row.transmit->setObjectName(indexed("Command1", r));
    grid->addWidget(row.transmit, line, TransmitColumn);
}

void SenderPanel::attach(ToolContext& ctx) {
    ctx_ = &ctx;
    for (int r = 0; r < kSenderRows; ++r) {
        const Row& row = rows_[static_cast<size_t>(r)];
        // activated: the user's choice only; the program's choices call the handler themselves
        connect(row.telegram, &QComboBox::activated, this, [this, r] { Telegram_Click(r); });
        connect(row.org, &QComboBox::activated, this, [this, r] { Combo1_Click(r); });
        for (int f = 0; f < kValueFields; ++f)
            connect(row.values[static_cast<size_t>(f)], &QLineEdit::textChanged, this,
                    [this, r, f] { valueChanged(r, f); });
        connect(row.transmit, &QPushButton::clicked, this, [this, r] { Command1_Click(r); });
        connect(row.apply, &QPushButton::clicked, this, [this, r] { Command2_Click(r); });
    }
    ctx.timers.Timer6.setInterval(200);
    ctx.timers.Timer7.setInterval(100);
    ctx.timers.Timer6.setTickHandler([this] { Timer6_Timer(); });
    ctx.timers.Timer7.setTickHandler([this] { Timer7_Timer(); });
    ctx.link.setAnswerHandler(RequestKinds::ApplySenderValue,
                              [this](const Answer&) { answered(); });
    ctx.link.setAnswerHandler(RequestKinds::TransmitTelegram,
                              [this](const Answer&) { answered(); });
}

void SenderPanel::setRowControlsEnabled(bool on) {
    for (const Row& row : rows_) {
        row.transmit->setEnabled(on);
        row.apply->setEnabled(on);
        row.org->setEnabled(on);
        for (QLineEdit* field : row.values)
            field->setEnabled(on);
    }
}

void SenderPanel::setRowButtonsEnabled(bool on) {
    for (const Row& row : rows_) {
        row.transmit->setEnabled(on);
        row.apply->setEnabled(on);
    }
}

void SenderPanel::setButtonCaptions(const QString& apply, const QString& transmit) {
    for (const Row& row : rows_) {
        row.apply->setText(apply);
        row.transmit->setText(transmit);
    }
}

void SenderPanel::applyEnglish() {
    for (const Row& row : rows_) {
        row.org->setToolTip(kOrgTip[1]);
        for (QLineEdit* field : row.values)
            field->setToolTip(kValueTip[1]);
    }
}

void SenderPanel::setManualEntryText(const QString& text) {
    for (const Row& row : rows_)
        row.telegram->setItemText(0, text);
}

void SenderPanel::selectTemplate(int row, int index) {
    if (!validRow(row))
        return;
    telegramList(row)->setCurrentIndex(index);
    Telegram_Click(row);
}

void SenderPanel::selectOrg(int row, int index) {
    orgList(row)->setCurrentIndex(index);
    Combo1_Click(row);
}

void SenderPanel::decodeRow(int row, const Answer& answer) {
    if (!validRow(row) || !ctx_)
        return;
    // Everything is read before anything is shown: a short answer leaves the row as it was.
    const QString org = answer.chars(9, 2);
    const QString senderId = answer.chars(11, 8);
    // data byte field k shows scale column k: characters 33-34, 29-30, 25-26, 21-22
    const std::array<int, 4> positions{33, 29, 25, 21};
    std::array<QString, 4> data;
    for (size_t k = 0; k < data.size(); ++k)
        data[k] = ctx_->scale.scaled(static_cast<int>(k), answer.byteAt(positions[k]));
    const QString status = QString::number(answer.byteAt(37));

    const int orgIndex = org == "05" ? 0 : org == "06" ? 1 : org == "07" ? 2 : -1;
    if (orgIndex >= 0)
        selectOrg(row, orgIndex);
    // a field that changes is marked and checked by its change handler, as before
    setChangedText(senderIdField(row), senderId);
    for (size_t k = 0; k < data.size(); ++k)
        setChangedText(valueField(row, static_cast<int>(k)), data[k]);
    setChangedText(valueField(row, 4), status);
}

SenderRowValues SenderPanel::rowValues(int row) const {
    SenderRowValues v;
    if (!validRow(row))
        return v;
    v.orgIndex = orgList(row)->currentIndex();
    std::array<QString*, kValueFields> out{&v.data1, &v.data2, &v.data3, &v.data4, &v.status};
    for (int f = 0; f < kValueFields; ++f) {
        const QString text = valueField(row, f)->text();
        const auto byte = senderByte(text);
        *out[static_cast<size_t>(f)] = byte ? QString::number(*byte) : text;
    }
    return v;
}

QLineEdit* SenderPanel::senderIdField(int row) const {
    return rows_.at(row).senderId;
}
QComboBox* SenderPanel::telegramList(int row) const {
    return rows_.at(row).telegram;
}
QComboBox* SenderPanel::orgList(int row) const {
    return rows_.at(row).org;
}
QLineEdit* SenderPanel::valueField(int row, int field) const {
    return rows_.at(row).values.at(static_cast<size_t>(field));
}
QPushButton* SenderPanel::transmitButton(int row) const {
    return rows_.at(row).transmit;
}
QPushButton* SenderPanel::applyButton(int row) const {
    return rows_.at(row).apply;
}

QColor SenderPanel::textColour(const QWidget* control) {
    return control->palette().color(QPalette::Text);
}
