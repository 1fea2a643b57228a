#pragma once
// The data-byte scaling frame frm_scale: a measuring range (value for raw 0, value for raw 255)
// per data byte position. The array index of the value fields runs opposite to the byte
// number: the column of data byte k uses txt_min(3 - k) and txt_max(3 - k).

#include "core/ToolContext.h"

#include <QGroupBox>
#include <QLocale>
#include <QString>
#include <array>

class QLabel;
class QLineEdit;

class ScaleFrame : public QGroupBox, public ScaleAccess {
    Q_OBJECT
public:
    explicit ScaleFrame(QWidget* parent = nullptr);

    // Throws ReceiveFault when column is not 0..3 or a range field is not a number.
    QString scaled(int column, uint8_t raw) const override;
    void applyEnglish();

    QLineEdit* minField(int index) const { return txt_min[index]; } // txt_min(index)
    QLineEdit* maxField(int index) const { return txt_max[index]; } // txt_max(index)

private:
    // The texts of one column's 256 raw values, made as they are asked for: every answer shows
    // them again, and parsing the range and formatting the number cost more than the rest of a
    // row. They hold while the range texts and the locale are the ones they were made with.
    struct ColumnTexts {
        QString lower, upper;
        QLocale locale;
        std::array<QString, 256> texts;
    };
    const QString& columnText(int index, uint8_t raw) const;

    std::array<QLineEdit*, 4> txt_min{};
    std::array<QLineEdit*, 4> txt_max{};
    std::array<QLabel*, 14> lbl_scale{};
    mutable std::array<ColumnTexts, 4> made_;
};
