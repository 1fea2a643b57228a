#pragma once
// A whole tool context for the learn-in tests: program settings, manual clock, the main window's
// timers, a real link over a scripted port, recording message boxes, the status window and small
// fakes of the main window, the sensor rows, the scaling and the sender rows.

#include "core/ProgramSettings.h"
#include "core/ToolContext.h"
#include "learn/LearnPanel.h"
#include "learn/StatusWindow.h"
#include "link/Answer.h"
#include "link/Hex.h"
#include "link/Link.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "support/ManualTimers.h"
#include "support/ScriptedPort.h"

#include <QAbstractButton>
#include <QMap>
#include <QWidget>
#include <memory>
#include <vector>

class LearnFakeLinkWindow : public LinkFields {
public:
    explicit LearnFakeLinkWindow(const QString& address)
        : address_(address) {}
    QString modbusAddressText() const override { return address_; }
    void setAlarmCaption(const QString& text) override { alarm = text; }
    void setReceiveBoxText(const QString& text) override { receiveBox = text; }
    QString receiveBoxText() const override { return receiveBox; }
    SenderRowValues senderRowValues(int) const override { return {}; }
    QString alarm, receiveBox;

private:
    const QString& address_;
};

class LearnFakeMainWindow : public MainWindowAccess {
public:
    LearnFakeMainWindow(ProgramSettings& s, StatusWindow& status)
        : settings_(s)
        , status_(status) {}
    QWidget* ownerWindow() override { return &owner; }
    QString modbusAddressText() const override { return address; }
    QString deviceTypeText() const override { return "QRX40"; }
    void ShowMsgWindow() override {
        status_.ShowMsg();
        status_.showModeless();
    }
    void CloseStatusWindow() override { status_.CloseWindow(); }
    bool LocaliseWindow(int windowNumber) override {
        localised.push_back(windowNumber);
        settings_.LanguageCode = english ? "1033" : "1031";
        if (english) {
            if (windowNumber == 3)
                settings_.Texts[14] = "Push learn-button ...";
        } else {
            settings_.Texts[14] = "Lerntaste drücken ...";
            settings_.Texts[20] = "Sensor ID eingelernt!";
        }
        return english;
    }

    QString address = "1";
    bool english = false;
    std::vector<int> localised;
    QWidget owner;

private:
    ProgramSettings& settings_;
    StatusWindow& status_;
};

class LearnFakeSensorTable : public SensorTableAccess {
public:
    QString orgCaption(int) const override { return "00"; }
    QString idCaption(int) const override { return "00000000"; }
    void setDeleteEnabled(int, bool) override {}
    void setLearnEnabled(int, bool) override {}
    void decodeRow(int, const Answer&, bool) override {}
    void setInversionShade(int row, bool inverted) override { shades[row] = inverted; }
    bool readChecked() const override { return read; }
    void setReadChecked(bool on) override {
        if (read && !on)
            ++offSwitches;
        read = on;
    }
    QMap<int, bool> shades;
    bool read = false;
    int offSwitches = 0;
};

class LearnFakeScale : public ScaleAccess {
public:
    QString scaled(int, uint8_t raw) const override { return QString::number(raw); }
};

class LearnFakeSenderRows : public SenderRowsAccess {
public:
    void setRowControlsEnabled(bool) override {}
    void setRowButtonsEnabled(bool) override {}
    void setButtonCaptions(const QString&, const QString&) override {}
    void setManualEntryText(const QString&) override {}
    void selectTemplate(int, int) override {}
    void decodeRow(int, const Answer&) override {}
    SenderRowValues rowValues(int) const override { return {}; }
};

struct LearnRig : ManualTimers {
    ProgramSettings settings;
    ScriptedPort port;
    RecordingMessageBoxes messages;
    StatusWindow status;
    LearnFakeMainWindow main{settings, status};
    LearnFakeLinkWindow linkWindow{main.address};
    Link link{settings, clock, port, *t4, *t5, linkWindow, messages};
    LearnFakeSensorTable sensors;
    LearnFakeScale scale;
    LearnFakeSenderRows senders;
    ToolContext ctx{settings, clock, link, timers, messages, main, sensors, scale, senders};
    LearnPanel panel;

    explicit LearnRig(const QString& mode = "ASCII");
    ~LearnRig();

    bool rtu() const { return settings.ModeText == "RTU"; }
    // What one request of the given hex text puts on the line in the rig's mode.
    QByteArray frameOf(const QString& requestText) const;
    // Delivers a gateway answer (hex text of the bytes before LRC/CRC) and lets the link take it.
    void answer(const QString& hex);
    QStringList writtenRequests() const;

    template <class W> W* child(QWidget* window, const char* name) const {
        return window ? window->findChild<W*>(name) : nullptr;
    }
    void click(QWidget* window, const char* name) const;
};
