#pragma once
// Command line of qrx-gateway-sim, parsed apart from the program so that it is tested alone.

#include "link/SerialPort.h"
#include "sim/Faults.h"
#include "sim/GatewayModel.h"
#include "sim/GatewayServer.h"

#include <QStringList>
#include <memory>
#include <variant>
#include <vector>

struct SimOptions {
    LineMode mode = LineMode::Rtu;
    std::vector<uint8_t> addresses{1}; // several gateways on one line, each its own sensors
    GatewayVariant variant = GatewayVariant::Transceiver;
    int sensors = 5;
    int learnDelayMs = 3000;
    int responseTimeMs = 20;
    FaultPlan faults;
    uint32_t seed = 1;
    int baud = 9600; // the gateway's own: a tool at another rate is not understood
    // what has arrived is handed on every so many ms, as a USB adapter's latency timer does
    int adapterLatencyMs = 1;
    char parity = 'E'; // 'E', 'N' (2 stop bits) or 'O'
    QString link;      // symlink to the pseudo-terminal; empty: none
    // --listen KIND:PORT: served on 127.0.0.1 instead of a pseudo-terminal (port 0: any free one)
    PortKind listenKind = PortKind::Device;
    uint16_t listenPort = 0;
    bool help = false;
};

// args as from QCoreApplication::arguments() (program name first). An error text on bad input.
std::variant<SimOptions, QString> parseSimOptions(const QStringList& args);
QString simUsage();
// The gateway at address as the options describe it: sensors of mixed kinds in rows 0..n-1 (IDs
// 0183xxxx at the first address named, 0184xxxx at the second, …) and, for the transceiver, three
// filled sender rows.
std::unique_ptr<GatewayModel> makeGatewayModel(const SimOptions& o, uint8_t address);
// "1", "1,2,3"
QString addressesText(const std::vector<uint8_t>& addresses);
