#pragma once
// "Show this text with an OK button only." The program shows a window-modal box that does not
// block the handler or the timers; tests record the texts.

#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>

class QWidget;

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void show(const QString& text) = 0;
};

class QtMessageBoxes : public MessageBoxes {
public:
    explicit QtMessageBoxes(QWidget* parent = nullptr)
        : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    // A timer that repeats a message at every tick must not pile up boxes: while a box with a
    // text is open, the same text is not shown again.
    void show(const QString& text) override;

private:
    QWidget* parent_;
    // shared with the boxes, which may outlive this object
    std::shared_ptr<QSet<QString>> open_ = std::make_shared<QSet<QString>>();
};

class RecordingMessageBoxes : public MessageBoxes {
public:
    void show(const QString& text) override { shown.append(text); }
    QStringList shown;
};
