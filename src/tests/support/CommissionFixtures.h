#pragma once
// A handover report made without a line, for the report's tests and benchmark: `gateways`
// transceivers at addresses 1.. with `sensors` expected sensors each, listened to for 10 min.
// Sensor 3 of each gateway has a wrong ORG, sensor 7 is missing, sensor 4 never sent, and each
// gateway has one extra sensor in row 31. Made at 2026-12-01 09:30 local time, UTC+01:00.

#include "commission/CommissionReport.h"

inline CommissionReport exampleReport(int gateways, int sensors) {
    CommissionReport r;
    r.header = {"Musterhaus Nord",
                "A. Becker",
                "1.0.0",
                1796113800000,
                3600,
                "COM3",
                LineChoice{LineMode::Rtu, 19200, 'E'}};
    r.applied = true;
    r.listenedMs = 600000;
    for (int a = 1; a <= gateways; ++a) {
        GatewayCheck g;
        g.address = uint8_t(a);
        g.checked = g.answered = true;
        g.image.moduleType = kTransceiverModuleType;
        g.image.responseTimeMs = 20;
        g.image.senders.assign(kGatewaySenderSlots,
                               SenderSlot{0x05, 0xFF9A0000, {0, 0, 0, 0x50}, 0x30});
        for (int i = 0; i < sensors && i < 31; ++i) {
            const uint8_t org = uint8_t(5 + i % 3);
            const uint32_t id = 0x01830000u + uint32_t(a) * 0x100u + uint32_t(i);
            const QString label =
                QString("Raum %1.%2 Fühler, Nordseite").arg(a).arg(i, 2, 10, QChar('0'));
            g.sensors.push_back(
                SensorCheck{SiteSensor{i + 2, uint8_t(a), i, id, org, label, i % 4 == 0}});
            if (i != 7)
                g.image.sensors[i] =
                    SensorSlot{i == 3 ? uint8_t(6) : org, id, {uint8_t(i), 1, 2, 3}, 7, i % 4 == 0};
        }
        g.image.sensors[31] = SensorSlot{0x05, 0x0021FFFF, {}, 1, false};
        compareGateway(g);
        for (auto* list : {&g.sensors, &g.extras})
            for (SensorCheck& s : *list)
                if (s.found())
                    s.listen = ListenRecord{true,
                                            s.row == 4 ? 0 : 1 + s.row % 5,
                                            r.header.madeAtMs - 500000,
                                            r.header.madeAtMs - 1000,
                                            {0x08, uint8_t(s.row), 0x66, 0x00},
                                            9};
        r.gateways.push_back(g);
    }
    return r;
}
