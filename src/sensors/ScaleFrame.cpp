#include "sensors/ScaleFrame.h"

#include "link/Answer.h"
#include "platform/InputFilters.h"
#include "sensors/Scaling.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace {
// lbl_scale: 0 and 1 head the rows, 8, 7, 6, 5 head the columns "Byte 0".."Byte 3"; the raw
// range captions "0" and "255" of column k are these two indices.
constexpr int kRawCaptionIndex[4][2] = {{2, 3}, {4, 9}, {10, 11}, {12, 13}};

QLineEdit* rangeField(const QString& name, const QString& text, QWidget* parent) {
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(name);
    allowOnly(box, "[0-9-]*", 5);
    box->setMaximumWidth(56);
    return box;
}
} // namespace

ScaleFrame::ScaleFrame(QWidget* parent)
    : QGroupBox("Skalierung Daten-Bytes", parent) {
    setObjectName("frm_scale");
    auto label = [this](int index, const QString& text) {
        lbl_scale[index] = new QLabel(text, this);
        lbl_scale[index]->setObjectName(QString("lbl_scale_%1").arg(index));
        return lbl_scale[index];
    };
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(2);
    grid->addWidget(label(0, "Byte-Wert:"), 1, 0);
    grid->addWidget(label(1, "Messbereich:"), 2, 0);
    for (int i = 0; i < 4; ++i) {
        txt_min[i] = rangeField(QString("txt_min_%1").arg(i), "0", this);
        txt_max[i] = rangeField(QString("txt_max_%1").arg(i), "255", this);
    }
    for (int k = 0; k < 4; ++k) {
        const int col = 1 + 2 * k;
        auto* caption = label(8 - k, QString("Byte %1").arg(k));
        caption->setAlignment(Qt::AlignCenter);
        grid->addWidget(caption, 0, col, 1, 2);
        grid->addWidget(label(kRawCaptionIndex[k][0], "0"), 1, col);
        grid->addWidget(label(kRawCaptionIndex[k][1], "255"), 1, col + 1);
        grid->addWidget(txt_min[3 - k], 2, col);
        grid->addWidget(txt_max[3 - k], 2, col + 1);
        lbl_scale[kRawCaptionIndex[k][0]]->setBuddy(txt_min[3 - k]);
    }
    // tab order in the order the columns read: Byte 0 min, max, Byte 1 min, max, ...
    QWidget* previous = nullptr;
    for (int k = 0; k < 4; ++k)
        for (QWidget* w : {txt_min[3 - k], txt_max[3 - k]}) {
            if (previous)
                setTabOrder(previous, w);
            previous = w;
        }
}

QString ScaleFrame::scaled(int column, uint8_t raw) const {
    if (column < 0 || column > 3)
        throw ReceiveFault("no such scale column");
    return columnText(3 - column, raw);
}

const QString& ScaleFrame::columnText(int index, uint8_t raw) const {
    ColumnTexts& column = made_[index];
    const QString lower = txt_min[index]->text(), upper = txt_max[index]->text();
    const QLocale locale;
    if (lower != column.lower || upper != column.upper || locale != column.locale)
        column = ColumnTexts{lower, upper, locale, {}};
    QString& text = column.texts[raw];
    if (text.isNull()) {
        const auto value = scaledValue(raw, lower, upper, locale);
        if (!value)
            throw ReceiveFault("a measuring range field is not a number");
        text = generalNumberText(*value, locale);
    }
    return text;
}

void ScaleFrame::applyEnglish() {
    setTitle("Scale Data-Bytes");
    lbl_scale[0]->setText("Byte-value:");
    lbl_scale[1]->setText("Measuring range:");
}
