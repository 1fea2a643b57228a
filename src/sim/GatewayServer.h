#pragma once
// The gateway behind a line: takes the request bytes as they arrive, frames and checks them, lets
// the model answer and applies the fault plan. Shared by the in-process port and qrx-gateway-sim.
// Further gateways on the same line (addGateway) answer their own addresses, as on a real bus.

#include "link/LineSettings.h"
#include "sim/Faults.h"
#include "sim/GatewayModel.h"
#include "sim/SlaveFraming.h"

#include <functional>
#include <random>

struct ServedExchange {
    QByteArray request; // request bytes without check (empty when undecodable)
    bool requestCheckOk = false;
    QByteArray answerFrame;    // full frame on the line, noise first; empty: no answer
    QByteArray answer;         // answer bytes without check
    bool answerCheckOk = true; // false when a fault corrupted the answer's check
    int delayMs = 0;           // time from the request's end to the answer's start
    bool deviceLost = false;
};

class GatewayServer {
public:
    GatewayServer(GatewayModel& model, FaultPlan faults, uint32_t seed = 1)
        : model_(model)
        , faults_(faults)
        , rng_(seed) {}
    // Another gateway on the line, at another address; it must outlive the server.
    void addGateway(GatewayModel& model) { others_.push_back(&model); }
    void setMode(LineMode m);
    LineMode mode() const { return mode_; }
    // Bytes that arrived by nowMs; one exchange per complete frame. frameEnds: the line falls
    // silent after these bytes (the in-process port gets whole frames at once).
    std::vector<ServedExchange> receive(const QByteArray& bytes, int64_t nowMs,
                                        bool frameEnds = true);
    // The line has been silent for 3.5 characters: an RTU frame of unknown length ends here.
    std::vector<ServedExchange> lineSilent(int64_t nowMs);
    GatewayModel& model() { return model_; }
    // Runs every gateway's telegrams and learn-ins due up to nowMs.
    void advanceTo(int64_t nowMs);
    // The faults from now on (a gateway that falls silent for a while, say).
    FaultPlan& faults() { return faults_; }

private:
    ServedExchange serve(const SlaveFrame& f);

    GatewayModel& model_;
    std::vector<GatewayModel*> others_;
    FaultPlan faults_;
    std::mt19937 rng_;
    LineMode mode_ = LineMode::Rtu;
    RtuSlaveFramer rtu_;
    AsciiSlaveFramer ascii_;
    int answered_ = 0;
    int requests_ = 0;
};
