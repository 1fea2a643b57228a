#pragma once
// Small stand-ins for the main window, the sensor table and the scaling frame, as the sender
// rows see them.

#include "core/ToolContext.h"
#include "link/Link.h"

class SenderFakeMainWindow : public MainWindowAccess {
public:
    QWidget* ownerWindow() override { return nullptr; }
    QString modbusAddressText() const override { return address; }
    QString deviceTypeText() const override { return "QTX40"; }
    void ShowMsgWindow() override {}
    void CloseStatusWindow() override {}
    bool LocaliseWindow(int) override { return false; }
    QString address = "1";
};

class SenderFakeSensorTable : public SensorTableAccess {
public:
    QString orgCaption(int) const override { return "00"; }
    QString idCaption(int) const override { return "00000000"; }
    void setDeleteEnabled(int, bool) override {}
    void setLearnEnabled(int, bool) override {}
    void decodeRow(int, const Answer&, bool) override {}
    void setInversionShade(int, bool) override {}
    bool readChecked() const override { return false; }
    void setReadChecked(bool) override {}
};

// Column k shows raw + 1000 k, so that a swapped column shows in the text.
class OffsetScale : public ScaleAccess {
public:
    QString scaled(int column, uint8_t raw) const override {
        return QString::number(offsets ? raw + 1000 * column : raw);
    }
    bool offsets = false;
};

// The link's view of the main window: the sender rows answer for themselves.
class SenderLinkWindow : public LinkFields {
public:
    explicit SenderLinkWindow(const SenderRowsAccess& rows, const SenderFakeMainWindow& main)
        : rows_(rows)
        , main_(main) {}
    QString modbusAddressText() const override { return main_.address; }
    void setAlarmCaption(const QString&) override {}
    void setReceiveBoxText(const QString& text) override { receiveBox = text; }
    QString receiveBoxText() const override { return receiveBox; }
    SenderRowValues senderRowValues(int row) const override { return rows_.rowValues(row); }
    QString receiveBox;

private:
    const SenderRowsAccess& rows_;
    const SenderFakeMainWindow& main_;
};
