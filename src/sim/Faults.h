#pragma once
// Named, deterministic faults of the simulated gateway. Counts run over the answers the gateway
// would give (requests with a good check addressed to it), from 1.
//   drop=N       every Nth answer is not sent
//   corrupt=N    every Nth answer has a content byte changed (a block's ORG), so its check fails
//   exception=N  every Nth request is answered with exception 04 (slave device failure)
//   noise=N      N noise bytes go on the line before every answer
//   late=MS      every answer starts MS milliseconds later than the response time
//   silent       no answer at all
//   lost=N       the device is lost at the Nth request (the port reports it and closes)
//   stray=MS     a stray byte (0xFF) every MS milliseconds while no answer is underway, as a
//                badly biased line or another device gives
//   noident      no answer to the identification (register 0x0141), as older receivers

#include <QString>
#include <optional>

struct FaultPlan {
    int dropEvery = 0;
    int corruptEvery = 0;
    int exceptionEvery = 0;
    int noiseBytes = 0;
    int lateMs = 0;
    bool silent = false;
    int lostAt = 0;
    int strayEveryMs = 0;
    bool noIdentification = false;

    // Adds one "name" or "name=N"; false for an unknown name or a bad number.
    bool add(const QString& text);
};

// Whether the nth answer (from 1) falls on an every-N fault.
inline bool hits(int every, int n) {
    return every > 0 && n % every == 0;
}
