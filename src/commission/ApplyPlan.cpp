#include "commission/ApplyPlan.h"

#include <array>

namespace {
// The rows the plan may not write into: learned ones, and those the file names.
std::array<bool, kGatewaySensorSlots> closedRows(const GatewayCheck& check) {
    std::array<bool, kGatewaySensorSlots> closed{};
    for (int row = 0; row < kGatewaySensorSlots; ++row)
        closed[row] = check.image.sensors[row].learned();
    for (const SensorCheck& s : check.sensors)
        if (s.expected.row)
            closed[*s.expected.row] = true;
    return closed;
}

int firstOpenRow(const std::array<bool, kGatewaySensorSlots>& closed) {
    for (int row = 0; row < kGatewaySensorSlots; ++row)
        if (!closed[row])
            return row;
    return -1;
}

void addWrite(ApplyPlan& plan, int sensor, RowWrite w) {
    w.part = ConfigPart::Sensor;
    plan.writes.push_back(w);
    plan.sensorOf.push_back(sensor);
}

// A missing sensor: its row when that is empty, else the first open row.
void planMissing(ApplyPlan& plan, GatewayCheck& check, int index,
                 std::array<bool, kGatewaySensorSlots>& closed) {
    SensorCheck& s = check.sensors[index];
    int row = s.expected.row.value_or(-1);
    if (row >= 0 && check.image.sensors[row].learned()) {
        s.write = WriteOutcome::RowTaken;
        s.writeRow = row;
        s.writeDetail = check.image.sensors[row].idText();
        return;
    }
    if (row < 0)
        row = firstOpenRow(closed);
    if (row < 0) {
        s.write = WriteOutcome::NoFreeRow;
        return;
    }
    closed[row] = true;
    s.writeRow = row;
    RowWrite w;
    w.row = row;
    w.writeEntry = true;
    w.org = s.expected.org;
    w.id = s.expected.id;
    // a fresh row keeps the flag it has, unless the file says otherwise
    w.writeInversion =
        s.expected.inverted && *s.expected.inverted != check.image.sensors[row].inverted;
    w.inverted = s.expected.inverted.value_or(false);
    addWrite(plan, index, w);
}
} // namespace

ApplyPlan planApply(GatewayCheck& check) {
    ApplyPlan plan;
    plan.address = check.address;
    if (!check.answered)
        return plan;
    std::array<bool, kGatewaySensorSlots> closed = closedRows(check);
    for (int i = 0; i < int(check.sensors.size()); ++i) {
        SensorCheck& s = check.sensors[i];
        s.write = WriteOutcome::None;
        s.writeRow = -1;
        s.writeDetail.clear();
        if (!s.found()) {
            planMissing(plan, check, i, closed);
        } else if (s.inversionDiffers() && !s.otherRow() && !s.twice()) {
            // the sensor's own row (or its only one): the flag is the file's to set
            RowWrite w;
            w.row = s.row;
            w.writeInversion = true;
            w.inverted = *s.expected.inverted;
            s.writeRow = s.row;
            addWrite(plan, i, w);
        }
    }
    return plan;
}

void takeApplyResults(GatewayCheck& check, const ApplyPlan& plan,
                      const std::vector<RowResult>& results) {
    for (size_t k = 0; k < plan.writes.size() && k < results.size(); ++k) {
        SensorCheck& s = check.sensors[plan.sensorOf[k]];
        const RowResult& r = results[k];
        s.write = r.outcome == RowOutcome::Verified ? WriteOutcome::Written : WriteOutcome::Failed;
        s.writeDetail = r.outcome == RowOutcome::Failed ? r.reason(true) : outcomeText(r, true);
    }
    compareGateway(check);
}

QStringList planLines(const GatewayCheck& check, const ApplyPlan& plan, bool english) {
    QStringList lines;
    for (size_t k = 0; k < plan.writes.size(); ++k) {
        const RowWrite& w = plan.writes[k];
        const SiteSensor& s = check.sensors[plan.sensorOf[k]].expected;
        QStringList what;
        if (w.writeEntry)
            what << QString("%1 ORG %2").arg(s.idText(), s.orgText());
        if (w.writeInversion)
            what << QString(english ? "inversion %1" : "Invertierung %1")
                        .arg(w.inverted ? (english ? "on" : "ein") : (english ? "off" : "aus"));
        const QString label = s.label.isEmpty() ? QString() : " (" + s.label + ")";
        lines << QString(english ? "Gateway %1, row %2: %3%4" : "Gateway %1, Zeile %2: %3%4")
                     .arg(check.address)
                     .arg(w.row)
                     .arg(what.join(", "), label);
    }
    return lines;
}
