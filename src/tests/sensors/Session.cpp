#include "Session.h"

Session::Session(bool rtu)
    : ManualTimers({250, 300, 0, 100, 1000, 200, 100}) {
    settings.ModeText = rtu ? "RTU" : "ASCII";
    settings.DataBitsText = rtu ? "8" : "7";
    settings.BaudText = "9600";
    settings.PortIsOpen = true;
    settings.Texts[1] = "Kommunikationsproblem!";
    gateway.rtu = rtu;
    port.peer = &gateway;
    port.open = true;
    port.mode = rtu ? InputMode::Binary : InputMode::Text;
    main.deviceType = [this] { return device.deviceTypeText(); };
    t4->setInterval(rtu ? 50 : 100);
    t4->setTickHandler([this] { link.Timer4_Timer(); });
    t4->setEnabled(true);

    table.attach(ctx);
    device.attach(ctx);
    response.attach(ctx);
    table.setConnectedCheck([this] { ++connectedChecks; });
    table.setResponseInputsHandler([this](bool on) { responseInputs = on; });
    response.setConnectedCheck([this] { ++connectedChecks; });
    device.setSenderTabAvailableHandler([this](bool on) { senderTab = on; });
    device.setAlarmHandler([this](const QString& text) { linkWindow.alarm = text; });
}

std::vector<int> Session::blockStarts(const QStringList& requests) {
    std::vector<int> starts;
    for (const QString& r : requests)
        if (r.mid(2, 2) == "03" && r.mid(8, 4) == "000A")
            starts.push_back(r.mid(4, 4).toInt(nullptr, 16));
    return starts;
}
