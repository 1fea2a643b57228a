#pragma once
// A sender panel wired to a real link over a scripted port, under the manual clock.

#include "app/MessageBoxes.h"
#include "app/Timer.h"
#include "link/Hex.h"
#include "sender/SenderPanel.h"
#include "support/ScriptedPort.h"
#include "tests/sender/SenderFakes.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

struct SenderRig {
    explicit SenderRig(const QString& mode) {
        settings.ModeText = mode;
        settings.PortIsOpen = true;
        port.open = true;
        Timer1->setEnabled(true);
        panel.attach(ctx);
    }

    QLineEdit* field(int row, int f) const { return panel.valueField(row, f); }
    QStringList values(int row) const {
        QStringList out;
        for (int f = 0; f < SenderPanel::kValueFields; ++f)
            out << field(row, f)->text();
        return out;
    }
    static bool red(const QWidget* w) {
        return SenderPanel::textColour(w) == SenderPanel::kEditedColour;
    }
    // Types into a field as the user does: the change handler runs.
    void type(int row, int f, const QString& text) { field(row, f)->setText(text); }
    // The frames written since the last call.
    QByteArrayList takeWritten() {
        QByteArrayList out = port.written;
        port.written.clear();
        return out;
    }

    ProgramSettings settings;
    ManualClock clock;
    std::unique_ptr<Timer> Timer1 = clock.createTimer("Timer1", 1000);
    std::unique_ptr<Timer> Timer2 = clock.createTimer("Timer2", 300);
    std::unique_ptr<Timer> Timer3 = clock.createTimer("Timer3", 1000);
    std::unique_ptr<Timer> Timer4 = clock.createTimer("Timer4", 10);
    std::unique_ptr<Timer> Timer5 = clock.createTimer("Timer5", 5000);
    std::unique_ptr<Timer> Timer6 = clock.createTimer("Timer6", 200);
    std::unique_ptr<Timer> Timer7 = clock.createTimer("Timer7", 100);
    MainTimers timers{*Timer1, *Timer2, *Timer3, *Timer4, *Timer5, *Timer6, *Timer7};
    ScriptedPort port;
    RecordingMessageBoxes messages;
    SenderFakeMainWindow main;
    SenderFakeSensorTable sensors;
    OffsetScale scale;
    SenderPanel panel;
    SenderLinkWindow linkWindow{panel, main};
    Link link{settings, port, *Timer4, *Timer5, linkWindow, messages};
    ToolContext ctx{settings, clock, link, timers, messages, main, sensors, scale, panel};
};

// The frame of a request as the mode writes it: ASCII from the hex text, RTU with its CRC.
inline QByteArray frameOf(const QString& mode, const QString& requestHex) {
    if (mode == "ASCII")
        return asciiFrame(requestHex);
    return rtuFrame(*bytesFromHex(requestHex));
}
