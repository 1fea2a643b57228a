#pragma once
// The ID field txtSensorIDeingabe: at most eight upper-case hex digits. Typed a..f become A..F,
// other typed characters are dropped; a pasted or dropped text is upper-cased and refused as a
// whole, with a message, when it holds anything but hex digits.

#include <QLineEdit>
#include <functional>

class SensorIdEdit : public QLineEdit {
    Q_OBJECT
public:
    static constexpr int kMaxIdLength = 8;
    static const QString kRefusedText;

    explicit SensorIdEdit(QWidget* parent = nullptr);
    // Called with the refusal text when an edit is refused.
    void setRefusalHandler(std::function<void(const QString&)> handler) {
        refused_ = std::move(handler);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void onTextEdited(const QString& text);
    std::function<void(const QString&)> refused_;
    QString accepted_;
};
