#pragma once
// What "Write missing…" (qrx-cli commission --apply) writes into a checked gateway: each missing
// sensor by ID and ORG into its row, or into the first free row when the file leaves the row
// empty, and the inversion flags that differ from the file. It never touches a row that holds
// another sensor (that stays a deficiency, for the technician to decide), and never a row that
// the file reserves for another sensor. The restore job writes the plan and reads each row back.

#include "backup/RestoreJob.h"
#include "commission/SiteCheck.h"

#include <QStringList>
#include <vector>

struct ApplyPlan {
    uint8_t address = 0;
    std::vector<RowWrite> writes;
    std::vector<int> sensorOf; // per write: the index into the gateway's sensors
    bool empty() const { return writes.empty(); }
};

// The plan for a gateway that answered; the sensors it cannot write are marked (row taken, no
// free row) in check.
ApplyPlan planApply(GatewayCheck& check);
// The job's results into the sensors; then compare again with what the read-backs left in the
// image.
void takeApplyResults(GatewayCheck& check, const ApplyPlan& plan,
                      const std::vector<RowResult>& results);
// One line per write: "Gateway 1, row 5: 0021A3F1 ORG 05 (Room 1.01), inversion on".
QStringList planLines(const GatewayCheck& check, const ApplyPlan& plan, bool english);
