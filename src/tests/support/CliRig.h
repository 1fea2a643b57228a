#pragma once
// qrx-cli on the manual clock, its port the in-process gateway: a transceiver (or receiver) at
// address 1 with sensors in rows 2 and 9, row 17 inverted and fixed values in row 20. A test may
// put another model in before the run (a copy of an earlier run's gateway, to go on with it).

#include "cli/CliTool.h"
#include "sim/SimulatedGatewayPort.h"

#include <QStringList>
#include <memory>

struct CliRig {
    explicit CliRig(GatewayVariant variant = GatewayVariant::Transceiver, FaultPlan faults = {}) {
        auto m = std::make_unique<GatewayModel>(1, variant, 3);
        m->learnSensor(2, 0x07, 0x01834C17);
        m->learnSensor(9, 0x05, 0x0021C488);
        m->handle(QByteArray::fromHex("01050031FF00")); // row 17 inverted
        // row 20: ORG 00 (so it sends no telegrams) with data bytes 3..0 = 11 22 33 44, time 0x8001
        m->handle(QByteArray::fromHex("011000C8000A14"
                                      "000000000000"
                                      "0011002200330044"
                                      "8001"
                                      "00000000"));
        if (variant == GatewayVariant::Transceiver)
            m->fillDemoSenderRows();
        model = std::move(m);
        faultPlan = faults;
    }
    int run(const QStringList& args) {
        tool.start(QStringList{"qrx-cli"} + args, {});
        for (int waited = 0; !tool.finished() && waited < 600000; ++waited)
            clock.advance(1);
        return tool.exitCode();
    }
    QStringList lines() const { return io.out.split('\n', Qt::SkipEmptyParts); }

    ManualClock clock;
    RecordingStreams io;
    std::unique_ptr<GatewayModel> model;
    GatewayModel* gateway = nullptr; // the model once the port is made
    SimulatedGatewayPort* port = nullptr;
    FaultPlan faultPlan;
    // The gateway's own line settings; without them it understands whatever the tool sets.
    std::optional<LineChoice> gatewayLine;
    std::function<void(SimulatedGatewayPort&)> adapt; // the adapter in front of the gateway
    CliTool tool{clock, io, [this](const QString&) {
                     gateway = model.get();
                     auto p =
                         std::make_unique<SimulatedGatewayPort>(clock, std::move(model), faultPlan);
                     if (gatewayLine)
                         p->setGatewayLine(gatewayLine->settings());
                     if (adapt)
                         adapt(*p);
                     port = p.get();
                     return p;
                 }};
};
