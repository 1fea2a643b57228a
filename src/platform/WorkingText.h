#pragma once
// A text that code fills and clears again within one handler, shown in a line edit only as it
// stands when control returns to the event loop. The receive box holds an RTU answer only while
// the answer is handled and is empty again afterwards; setting the box itself would lay the hex
// text out and repaint the box at every answer for a picture that never changes.

#include <QObject>
#include <QString>

class QLineEdit;

class WorkingText : public QObject {
public:
    explicit WorkingText(QLineEdit* shown);
    void set(const QString& text);
    // What was set last, or what the user typed into the box since.
    const QString& text() const { return text_; }

private:
    void show();

    QLineEdit* shown_;
    QString text_;
    bool showPending_ = false;
};
