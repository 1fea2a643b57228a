#include "commission/SiteCheck.h"

#include <algorithm>
#include <set>

bool SensorCheck::verified() const {
    return !extra && found() && !otherRow() && !wrongOrg() && !inversionDiffers() && !twice();
}

std::vector<SensorState> SensorCheck::deficiencies() const {
    std::vector<SensorState> out;
    if (!checked && !extra)
        return {SensorState::Unchecked};
    if (extra) {
        out.push_back(SensorState::Extra);
        if (twice())
            out.push_back(SensorState::LearnedTwice);
        return out;
    }
    if (!found()) {
        out.push_back(write == WriteOutcome::RowTaken    ? SensorState::RowTaken
                      : write == WriteOutcome::NoFreeRow ? SensorState::NoFreeRow
                                                         : SensorState::Missing);
    }
    const std::pair<bool, SensorState> findings[] = {
        {otherRow(), SensorState::OtherRow},
        {wrongOrg(), SensorState::WrongOrg},
        {inversionDiffers(), SensorState::InversionDiffers},
        {twice(), SensorState::LearnedTwice},
        {write == WriteOutcome::Failed, SensorState::WriteFailed},
        {listen.watched && listen.telegrams == 0, SensorState::Silent},
    };
    for (const auto& [is, state] : findings)
        if (is)
            out.push_back(state);
    return out;
}

SensorState SensorCheck::state() const {
    const std::vector<SensorState> d = deficiencies();
    return d.empty() ? SensorState::Verified : d.front();
}

GatewayCheck uncheckedGateway(uint8_t address, const std::vector<SiteSensor>& expected) {
    GatewayCheck g;
    g.address = address;
    for (const SiteSensor& s : expected)
        g.sensors.push_back(SensorCheck{s});
    return g;
}

namespace {
std::vector<int> rowsHolding(const GatewayImage& image, uint32_t id) {
    std::vector<int> rows;
    for (int row = 0; row < kGatewaySensorSlots; ++row)
        if (image.sensors[row].learned() && image.sensors[row].id == id)
            rows.push_back(row);
    return rows;
}

void locate(SensorCheck& s, const GatewayImage& image) {
    s.rows = rowsHolding(image, s.expected.id);
    s.row = -1;
    if (s.rows.empty())
        return;
    const bool inOwnRow =
        s.expected.row && std::find(s.rows.begin(), s.rows.end(), *s.expected.row) != s.rows.end();
    s.row = inOwnRow ? *s.expected.row : s.rows.front();
    s.slot = image.sensors[s.row];
}
} // namespace

void compareGateway(GatewayCheck& check) {
    std::set<uint32_t> expectedIds;
    for (SensorCheck& s : check.sensors) {
        s.checked = true;
        locate(s, check.image);
        expectedIds.insert(s.expected.id);
    }
    std::vector<SensorCheck> extras;
    for (int row = 0; row < kGatewaySensorSlots; ++row) {
        const SensorSlot& slot = check.image.sensors[row];
        if (!slot.learned() || expectedIds.count(slot.id))
            continue;
        SensorCheck e;
        e.extra = true;
        e.checked = true;
        e.expected = SiteSensor{0, check.address, row, slot.id, slot.org, {}, slot.inverted};
        e.rows = rowsHolding(check.image, slot.id);
        e.row = row;
        e.slot = slot;
        // what listening saw of that row stays
        for (const SensorCheck& before : check.extras)
            if (before.row == row && before.expected.id == slot.id)
                e.listen = before.listen;
        extras.push_back(e);
    }
    check.extras = std::move(extras);
}

SiteLabelMap labelsOf(const std::vector<GatewayCheck>& gateways) {
    SiteLabelMap labels;
    for (const GatewayCheck& g : gateways)
        for (const SensorCheck& s : g.sensors) {
            const int row = s.found() ? s.row : s.expected.row.value_or(-1);
            if (row >= 0 && !s.expected.label.isEmpty())
                labels[{g.address, row}] = s.expected.label;
        }
    return labels;
}
