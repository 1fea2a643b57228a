#pragma once
// The sensor monitoring panels wired as the main window wires them, on a real link over an
// answering scripted port, under the manual clock.

#include "Fakes.h"
#include "app/MessageBoxes.h"
#include "app/Timer.h"
#include "params/ResponseTimeFrame.h"
#include "sensors/DeviceFrame.h"
#include "sensors/ScaleFrame.h"
#include "sensors/SensorTablePanel.h"

#include <memory>

struct Session {
    explicit Session(bool rtu = false);

    // Requests the gateway has seen since the last call.
    QStringList takeRequests() {
        QStringList r = gateway.requests;
        gateway.requests.clear();
        return r;
    }
    // The register start of every block read in the requests.
    static std::vector<int> blockStarts(const QStringList& requests);

    ProgramSettings settings;
    ManualClock clock;
    std::unique_ptr<Timer> t1 = clock.createTimer("Timer1", 250);
    std::unique_ptr<Timer> t2 = clock.createTimer("Timer2", 300);
    std::unique_ptr<Timer> t3 = clock.createTimer("Timer3", 0);
    std::unique_ptr<Timer> t4 = clock.createTimer("Timer4", 100);
    std::unique_ptr<Timer> t5 = clock.createTimer("Timer5", 1000);
    std::unique_ptr<Timer> t6 = clock.createTimer("Timer6", 200);
    std::unique_ptr<Timer> t7 = clock.createTimer("Timer7", 100);
    MainTimers timers{*t1, *t2, *t3, *t4, *t5, *t6, *t7};
    FakeGateway gateway;
    AnsweringPort port;
    RecordingMessageBoxes messages;
    SensorsFakeMainWindow main;
    SensorsFakeLinkWindow linkWindow{main};
    SensorsFakeSenderRows senders;
    Link link{settings, port, *t4, *t5, linkWindow, messages};
    ScaleFrame scale;
    SensorTablePanel table;
    DeviceFrame device;
    ResponseTimeFrame response;
    ToolContext ctx{settings, clock, link, timers, messages, main, table, scale, senders};
    int connectedChecks = 0;
    std::optional<bool> senderTab;
    std::optional<bool> responseInputs;
};
