#pragma once
// The sensor monitoring panels wired as the main window wires them, on a real link over an
// answering scripted port, under the manual clock.

#include "Fakes.h"
#include "params/ResponseTimeFrame.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "sensors/DeviceFrame.h"
#include "sensors/ScaleFrame.h"
#include "sensors/SensorTablePanel.h"
#include "support/ManualTimers.h"

#include <memory>

struct Session : ManualTimers {
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
    FakeGateway gateway;
    AnsweringPort port;
    RecordingMessageBoxes messages;
    SensorsFakeMainWindow main;
    SensorsFakeLinkWindow linkWindow{main};
    SensorsFakeSenderRows senders;
    Link link{settings, clock, port, *t4, *t5, linkWindow, messages};
    ScaleFrame scale;
    SensorTablePanel table;
    DeviceFrame device;
    ResponseTimeFrame response;
    ToolContext ctx{settings, clock, link, timers, messages, main, table, scale, senders};
    int connectedChecks = 0;
    std::optional<bool> senderTab;
    std::optional<bool> responseInputs;
};
