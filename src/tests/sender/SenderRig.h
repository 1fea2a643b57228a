#pragma once
// A sender panel wired to a real link over a scripted port, under the manual clock.

#include "link/Hex.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "sender/SenderPanel.h"
#include "support/ManualTimers.h"
#include "support/ScriptedPort.h"
#include "tests/sender/SenderFakes.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

struct SenderRig : ManualTimers {
    explicit SenderRig(const QString& mode)
        : ManualTimers({1000, 300, 1000, 10, 5000, 200, 100}) {
        settings.ModeText = mode;
        settings.PortIsOpen = true;
        port.open = true;
        t1->setEnabled(true);
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
    ScriptedPort port;
    RecordingMessageBoxes messages;
    SenderFakeMainWindow main;
    SenderFakeSensorTable sensors;
    OffsetScale scale;
    SenderPanel panel;
    SenderLinkWindow linkWindow{panel, main};
    Link link{settings, clock, port, *t4, *t5, linkWindow, messages};
    ToolContext ctx{settings, clock, link, timers, messages, main, sensors, scale, panel};
};

// The frame of a request as the mode writes it: ASCII from the hex text, RTU with its CRC.
inline QByteArray frameOf(const QString& mode, const QString& requestHex) {
    if (mode == "ASCII")
        return asciiFrame(requestHex);
    return rtuFrame(*bytesFromHex(requestHex));
}
