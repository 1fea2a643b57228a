#pragma once
// The main window as the link sees it, for benchmarks of the link alone: address 1, the receive
// box kept, nothing shown.

#include "link/Link.h"

class StubLinkWindow : public LinkFields {
public:
    QString modbusAddressText() const override { return "1"; }
    void setAlarmCaption(const QString&) override {}
    void setReceiveBoxText(const QString& text) override { box = text; }
    QString receiveBoxText() const override { return box; }
    SenderRowValues senderRowValues(int) const override { return {}; }
    QString box;
};
