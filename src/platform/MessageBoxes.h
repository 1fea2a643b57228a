#pragma once
// "Show this text with an OK button only." The program shows a window-modal box that does not
// block the handler or the timers; tests record the texts. A box may carry a detail text, shown
// as its informative second text below the message (a device path and what to do about it).

#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>

class QWidget;

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void show(const QString& text, const QString& detail) = 0;
    void show(const QString& text) { show(text, QString()); }
};

class QtMessageBoxes : public MessageBoxes {
public:
    explicit QtMessageBoxes(QWidget* parent = nullptr)
        : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    using MessageBoxes::show;
    // A timer that repeats a message at every tick must not pile up boxes: while a box with a
    // text and detail is open, the same is not shown again.
    void show(const QString& text, const QString& detail) override;

private:
    QWidget* parent_;
    // shared with the boxes, which may outlive this object
    std::shared_ptr<QSet<QString>> open_ = std::make_shared<QSet<QString>>();
};

class RecordingMessageBoxes : public MessageBoxes {
public:
    using MessageBoxes::show;
    void show(const QString& text, const QString& detail) override {
        shown.append(text);
        details.append(detail);
    }
    QStringList shown;
    QStringList details; // one per shown text, empty where the box had none
};
