#pragma once
// A client's line without the main window: LineSession over the in-process gateway on the
// manual clock, with a tap that records every event. Shared by the exchange, gateway-client and
// command-line tests.

#include "link/LineSession.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "sim/SimulatedGatewayPort.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

struct TapLog : LineObserver {
    void lineEvent(const LineEvent& e) override { events.push_back(e); }
    int count(LineEventKind kind) const {
        return int(std::count_if(events.begin(), events.end(),
                                 [kind](const LineEvent& e) { return e.kind == kind; }));
    }
    std::vector<LineEvent> events;
};

struct LineRig {
    explicit LineRig(LineMode mode, FaultPlan faults = {},
                     GatewayVariant variant = GatewayVariant::Transceiver) {
        auto m = std::make_unique<GatewayModel>(1, variant, 3);
        m->learnSensor(2, 0x07, 0x01834C17);
        model = m.get();
        port = std::make_unique<SimulatedGatewayPort>(clock, std::move(m), faults);
        line = std::make_unique<LineSession>(clock, *port, messages);
        line->configure({mode, 9600, 'E'});
        line->open();
        line->link().addObserver(&tap);
    }
    ~LineRig() { line->link().removeObserver(&tap); }
    // Runs one exchange to its end on the manual clock.
    ExchangeResult run(const char* requestHex, ExchangeOptions options = {}) {
        std::optional<ExchangeResult> result;
        line->link().exchange(QByteArray::fromHex(requestHex), options,
                              [&](const ExchangeResult& r) { result = r; });
        for (int waited = 0; !result && waited < 60000; waited += 1)
            clock.advance(1);
        EXPECT_TRUE(result.has_value());
        return result.value_or(ExchangeResult{});
    }
    // Advances the clock until done says so (at most a minute).
    template <class Done> void runUntil(Done done) {
        for (int waited = 0; !done() && waited < 60000; waited += 1)
            clock.advance(1);
    }

    ManualClock clock;
    GatewayModel* model = nullptr;
    std::unique_ptr<SimulatedGatewayPort> port;
    RecordingMessageBoxes messages;
    std::unique_ptr<LineSession> line;
    TapLog tap;
};
