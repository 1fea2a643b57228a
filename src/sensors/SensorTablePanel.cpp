#include "sensors/SensorTablePanel.h"

#include "gateway/SiteLabels.h"
#include "link/Answer.h"
#include "platform/ChangedText.h"
#include "sensors/RowDecoding.h"
#include "sensors/TableReadCycle.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// lbl_sensor: 0..7 and 8..15 the column captions of the two halves, 16 the caption of
// chk_read, 17..48 the register captions of rows 0..31, 49..52 the legend.
constexpr int kReadCaption = 16;
constexpr int kFirstRegisterCaption = 17;
constexpr int kInvertedCaption = 49;
constexpr int kNotInvertedCaption = 50;
constexpr int kWhitePatch = 51;
constexpr int kGreyPatch = 52;

const QColor kNotInverted(0xFF, 0xFF, 0xFF);
const QColor kInverted(0xE0, 0xE0, 0xE0);

const QStringList kColumnCaptions{
    "Register",      "Org",           "Sensor-ID",     "Data - Byte 0",
    "Data - Byte 1", "Data - Byte 2", "Data - Byte 3", "Time last telegram"};

QLineEdit* valueBox(const QString& name, int width, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setFixedWidth(width);
    box->setAlignment(Qt::AlignRight);
    return box;
}

QPushButton* rowButton(const QString& name, const QString& text, const QString& tip,
                       QWidget* parent) {
    auto* bt = new QPushButton(text, parent);
    bt->setObjectName(name);
    bt->setToolTip(tip);
    bt->setFixedSize(24, 22);
    bt->setEnabled(false);
    return bt;
}

void setBase(QWidget* w, const QColor& color) {
    QPalette p = w->palette();
    p.setColor(QPalette::Base, color);
    p.setColor(QPalette::Window, color);
    w->setPalette(p);
}
} // namespace

SensorTablePanel::SensorTablePanel(QWidget* parent)
    : QWidget(parent) {
    setObjectName("sensor_tab");
    auto* frame = new QGroupBox("Sensoren", this);
    frame->setObjectName("frm_sensors");
    auto* halves = new QHBoxLayout(frame);
    halves->setContentsMargins(4, 2, 4, 2);
    halves->addWidget(buildHalf(0));
    halves->addSpacing(12);
    halves->addWidget(buildHalf(16));
    halves->addStretch(1);

    auto* bottom = new QHBoxLayout;
    lbl_sensor[kReadCaption] = new QLabel("Register auslesen:", this);
    lbl_sensor[kReadCaption]->setObjectName("lbl_sensor_16");
    chk_read = new QCheckBox(this);
    chk_read->setObjectName("chk_read");
    chk_read->setAccessibleName("Register auslesen:");
    bottom->addWidget(lbl_sensor[kReadCaption]);
    bottom->addWidget(chk_read);
    bottom->addSpacing(24);
    bottom->addWidget(buildLegend());
    bottom->addStretch(1);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(2, 2, 2, 2);
    outer->addWidget(frame, 1);
    outer->addLayout(bottom);

    connect(chk_read, &QCheckBox::toggled, this, [this](bool on) {
        if (cycle_)
            cycle_->chk_read_Click(on);
    });
}

SensorTablePanel::~SensorTablePanel() = default;

QWidget* SensorTablePanel::buildHalf(int firstRow) {
    auto* half = new QWidget(this);
    auto* grid = new QGridLayout(half);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(1);
    const int firstCaption = firstRow == 0 ? 0 : 8;
    for (int c = 0; c < kColumnCaptions.size(); ++c) {
        auto* caption = new QLabel(kColumnCaptions[c], half);
        caption->setObjectName(QString("lbl_sensor_%1").arg(firstCaption + c));
        caption->setWordWrap(true);
        if (c >= 3)
            caption->setMaximumWidth(60); // "Data - Byte 0" in two lines keeps the half narrow
        caption->setAlignment(Qt::AlignCenter | Qt::AlignBottom);
        lbl_sensor[firstCaption + c] = caption;
        grid->addWidget(caption, 0, c);
    }
    for (int i = 0; i < 16; ++i) {
        const int r = firstRow + i;
        const int line = 1 + i;
        Row& row = rows_[r];
        auto* reg = new QLabel(QString("%1-%2").arg(10 * r + 1).arg(10 * r + 10), half);
        reg->setObjectName(QString("lbl_sensor_%1").arg(kFirstRegisterCaption + r));
        lbl_sensor[kFirstRegisterCaption + r] = reg;
        row.txt_org = new QLabel("00", half);
        row.txt_org->setObjectName(QString("txt_org_%1").arg(r));
        row.txt_org->setAlignment(Qt::AlignCenter);
        row.txt_id = new QLabel("00000000", half);
        row.txt_id->setObjectName(QString("txt_id_%1").arg(r));
        row.txt_id->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(reg, line, 0);
        grid->addWidget(row.txt_org, line, 1);
        grid->addWidget(row.txt_id, line, 2);
        for (int k = 0; k < 4; ++k) {
            row.txt_data[k] = valueBox(QString("txt_data_%1_%2").arg(k + 1).arg(r), 44, half);
            grid->addWidget(row.txt_data[k], line, 3 + k);
        }
        setBase(row.txt_data[1], kNotInverted);
        row.txt_time = valueBox(QString("txt_time_%1").arg(r), 50, half);
        grid->addWidget(row.txt_time, line, 7);
        row.bt_learn = rowButton(QString("bt_learn_%1").arg(r), "+", "learn-in sensor-ID ", half);
        row.bt_delete = rowButton(QString("bt_delete_%1").arg(r), "x", "SensorID Löschen", half);
        grid->addWidget(row.bt_learn, line, 8);
        grid->addWidget(row.bt_delete, line, 9);
        connect(row.bt_learn, &QPushButton::clicked, this, [this, r] {
            if (learn_)
                learn_(r);
        });
        connect(row.bt_delete, &QPushButton::clicked, this, [this, r] {
            if (delete_)
                delete_(r);
        });
    }
    grid->setRowStretch(17, 1);
    return half;
}

QWidget* SensorTablePanel::buildLegend() {
    auto* legend = new QWidget(this);
    auto* line = new QHBoxLayout(legend);
    line->setContentsMargins(0, 0, 0, 0);
    auto patch = [&](int index, const QColor& color) {
        auto* p = new QLabel(legend);
        p->setObjectName(QString("lbl_sensor_%1").arg(index));
        p->setFixedSize(18, 14);
        p->setFrameShape(QFrame::Box);
        p->setAutoFillBackground(true);
        setBase(p, color);
        lbl_sensor[index] = p;
        line->addWidget(p);
    };
    auto text = [&](int index, const QString& caption) {
        lbl_sensor[index] = new QLabel(caption, legend);
        lbl_sensor[index]->setObjectName(QString("lbl_sensor_%1").arg(index));
        line->addWidget(lbl_sensor[index]);
    };
    patch(kWhitePatch, kNotInverted);
    text(kNotInvertedCaption, "Datenbyte 1 ist nicht invertiert");
    line->addSpacing(16);
    patch(kGreyPatch, kInverted);
    text(kInvertedCaption, "Datenbyte 1 ist invertiert");
    return legend;
}

void SensorTablePanel::attach(ToolContext& ctx) {
    ctx_ = &ctx;
    TableReadCycle::Hooks hooks;
    hooks.checkConnected = [this] {
        if (connectedCheck_)
            connectedCheck_();
    };
    hooks.setResponseInputsEnabled = [this](bool on) {
        if (responseInputs_)
            responseInputs_(on);
    };
    cycle_ = std::make_unique<TableReadCycle>(ctx, std::move(hooks));
    cycle_->attach();
}

void SensorTablePanel::setRowButtonHandlers(std::function<void(int)> learn,
                                            std::function<void(int)> del) {
    learn_ = std::move(learn);
    delete_ = std::move(del);
}

void SensorTablePanel::setConnectedCheck(std::function<void()> check) {
    connectedCheck_ = std::move(check);
}

void SensorTablePanel::setResponseInputsHandler(std::function<void(bool)> enable) {
    responseInputs_ = std::move(enable);
}

void SensorTablePanel::setDecodedRowObserver(
    std::function<void(int row, const SensorRowTexts&)> observer) {
    rowObserver_ = std::move(observer);
}

void SensorTablePanel::applyEnglish() {
    lbl_sensor[kReadCaption]->setText("Read register:");
    chk_read->setAccessibleName("Read register:");
    lbl_sensor[kInvertedCaption]->setText("Data-Byte 1 is inverted");
    lbl_sensor[kNotInvertedCaption]->setText("Data-Byte 1 is not inverted");
    for (Row& row : rows_) {
        row.bt_delete->setToolTip("Delete Sensor");
        row.bt_learn->setToolTip("Set Sensor");
    }
}

QString SensorTablePanel::orgCaption(int row) const {
    return validRow(row) ? rows_[row].txt_org->text() : QString();
}

QString SensorTablePanel::idCaption(int row) const {
    return validRow(row) ? rows_[row].txt_id->text() : QString();
}

void SensorTablePanel::setDeleteEnabled(int row, bool on) {
    if (validRow(row))
        rows_[row].bt_delete->setEnabled(on);
}

void SensorTablePanel::setLearnEnabled(int row, bool on) {
    if (validRow(row))
        rows_[row].bt_learn->setEnabled(on);
}

void SensorTablePanel::decodeRow(int row, const Answer& answer, bool withTime) {
    if (!validRow(row))
        throw ReceiveFault("no such sensor row");
    if (!ctx_)
        throw ReceiveFault("the sensor table is not attached");
    const SensorRowTexts texts = decodeSensorRow(answer, ctx_->scale);
    applyTexts(row, texts, withTime);
    showLabel(row); // the address may have changed since
    if (rowObserver_)
        rowObserver_(row, texts);
}

void SensorTablePanel::setSiteLabels(const SiteLabels& labels) {
    labels_ = &labels;
    auto showAll = [this] {
        for (int row = 0; row < kSensorRows; ++row)
            showLabel(row);
    };
    connect(&labels, &SiteLabels::changed, this, showAll);
    showAll();
}

void SensorTablePanel::showLabel(int row) {
    if (!labels_ || !ctx_)
        return;
    const QString label = labels_->label(ctx_->main.modbusAddressText(), row);
    Row& r = rows_[row];
    if (r.txt_id->toolTip() == label)
        return;
    for (QWidget* field : {static_cast<QWidget*>(r.txt_org), static_cast<QWidget*>(r.txt_id),
                           static_cast<QWidget*>(r.txt_time)})
        field->setToolTip(label);
    for (QLineEdit* field : r.txt_data)
        field->setToolTip(label);
}

void SensorTablePanel::applyTexts(int row, const SensorRowTexts& texts, bool withTime) {
    Row& r = rows_[row];
    setChangedText(r.txt_org, texts.org);
    setChangedText(r.txt_id, texts.id);
    for (int k = 0; k < 4; ++k)
        setChangedText(r.txt_data[k], texts.data[k]);
    if (withTime)
        setChangedText(r.txt_time, texts.time);
}

void SensorTablePanel::setInversionShade(int row, bool inverted) {
    if (validRow(row))
        setBase(rows_[row].txt_data[1], inverted ? kInverted : kNotInverted);
}

bool SensorTablePanel::readChecked() const {
    return chk_read->isChecked();
}

void SensorTablePanel::setReadChecked(bool on) {
    chk_read->setChecked(on);
}

QLineEdit* SensorTablePanel::dataField(int row, int byte) const {
    return rows_[row].txt_data[byte];
}
