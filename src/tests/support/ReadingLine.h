#pragma once
// The line of the clients that read the gateway continuously (the publisher, the page server) on
// the manual clock: a transceiver at RTU 115200 answering at once, with sensors in rows 2
// (ORG 07) and 9 (ORG 05). A whole pass (34 requests) is over in about 0.1 s, before the first
// telegram of its sensors (0.5 s at the soonest).

#include "gateway/GatewayClient.h"
#include "link/LineSession.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "sim/SimulatedGatewayPort.h"

#include <memory>

struct ReadingLine {
    ReadingLine() {
        line.configure({LineMode::Rtu, 115200, 'E'});
        line.open();
    }
    std::unique_ptr<SimulatedGatewayPort> makePort() {
        auto m = std::make_unique<GatewayModel>(1, GatewayVariant::Transceiver, 3);
        m->setResponseTimeMs(1);
        m->learnSensor(2, 0x07, 0x01834C17);
        m->learnSensor(9, 0x05, 0x0021C488);
        model = m.get();
        return std::make_unique<SimulatedGatewayPort>(clock, std::move(m));
    }
    template <class Done> void runUntil(Done done, int mostMs = 120000) {
        for (int waited = 0; !done() && waited < mostMs; ++waited)
            clock.advance(1);
    }

    ManualClock clock;
    GatewayModel* model = nullptr;
    std::unique_ptr<SimulatedGatewayPort> port = makePort();
    RecordingMessageBoxes messages;
    LineSession line{clock, *port, messages};
    GatewayClient client{line.link(), 1, {200, 1}};
};
