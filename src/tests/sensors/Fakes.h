#pragma once
// Stand-ins for the main window and the sender rows, and a small gateway that answers reads
// and writes of registers and coils on the scripted port, in ASCII or RTU framing.

#include "core/ToolContext.h"
#include "link/Answer.h"
#include "link/Hex.h"
#include "link/Link.h"
#include "support/ScriptedPort.h"

#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <vector>

class SensorsFakeMainWindow : public MainWindowAccess {
public:
    QWidget* ownerWindow() override { return nullptr; }
    QString modbusAddressText() const override { return address; }
    QString deviceTypeText() const override { return deviceType ? deviceType() : QString(); }
    void ShowMsgWindow() override {
        ++shown;
        if (statusWindowFails)
            throw std::runtime_error("the status window cannot be shown");
    }
    void CloseStatusWindow() override { ++closed; }
    bool LocaliseWindow(int) override { return false; }

    QString address = "1";
    std::function<QString()> deviceType;
    int shown = 0;
    int closed = 0;
    bool statusWindowFails = false;
};

class SensorsFakeLinkWindow : public LinkFields {
public:
    explicit SensorsFakeLinkWindow(const SensorsFakeMainWindow& main)
        : main_(main) {}
    QString modbusAddressText() const override { return main_.address; }
    void setAlarmCaption(const QString& text) override { alarm = text; }
    void setReceiveBoxText(const QString& text) override { receiveBox = text; }
    QString receiveBoxText() const override { return receiveBox; }
    SenderRowValues senderRowValues(int) const override { return {}; }

    QString alarm;
    QString receiveBox;

private:
    const SensorsFakeMainWindow& main_;
};

class SensorsFakeSenderRows : public SenderRowsAccess {
public:
    void setRowControlsEnabled(bool on) override { controlsEnabled = on; }
    void setRowButtonsEnabled(bool on) override { buttonsEnabled = on; }
    void setButtonCaptions(const QString&, const QString&) override {}
    void setManualEntryText(const QString&) override {}
    void selectTemplate(int, int) override {}
    void decodeRow(int row, const Answer& answer) override {
        answer.chars(7, 40); // a whole block, as the sender rows read it
        decoded.push_back(row);
    }
    SenderRowValues rowValues(int) const override { return {}; }

    std::optional<bool> controlsEnabled;
    std::optional<bool> buttonsEnabled;
    std::vector<int> decoded;
};

// Answers function 3 (read holding registers), 1 (read coils) and 16 (write registers).
class FakeGateway {
public:
    QByteArray respond(const QByteArray& frame);

    bool rtu = false;
    bool silent = false;
    uint8_t address = 1;
    std::array<uint16_t, 0x200> registers{};
    std::array<bool, 0x48> coils{};
    QStringList requests; // request bytes as hex, without the check value

    void setSlot(int firstRegister, std::array<uint16_t, 10> values) {
        for (int i = 0; i < 10; ++i)
            registers[firstRegister + i] = values[i];
    }
};

// A scripted port whose peer answers every frame that is written.
class AnsweringPort : public ScriptedPort {
public:
    void Output(const QByteArray& bytes) override {
        ScriptedPort::Output(bytes);
        if (peer)
            receive(peer->respond(bytes));
    }
    FakeGateway* peer = nullptr;
};
