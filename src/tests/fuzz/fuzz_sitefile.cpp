// Arbitrary bytes as a site file never crash or read out of bounds: a file is either refused with
// a text in German and English, or accepted; an accepted one holds rows 0..31, addresses 1..247
// (or none at all), learnable ORGs and no row or ID twice on a gateway, and the writes planned
// for it onto an empty gateway stay in distinct rows 0..31.

#include "commission/ApplyPlan.h"
#include "commission/SiteFile.h"

#include <cstdlib>
#include <set>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const SiteLoad load = parseSiteFile(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    if (!load.site) {
        if (!load.refusal || load.refusal->text(true).isEmpty() ||
            load.refusal->text(false).isEmpty())
            std::abort();
        return 0;
    }
    std::set<std::pair<int, int>> rows;
    std::set<std::pair<int, uint32_t>> ids;
    for (const SiteSensor& s : load.site->sensors) {
        if ((s.address == 0) == load.site->addressColumn || s.address > 247 || s.org < 5 ||
            s.org > 7 || (s.row && (*s.row < 0 || *s.row > 31)) ||
            (s.row && !rows.insert({s.address, *s.row}).second) ||
            !ids.insert({s.address, s.id}).second)
            std::abort();
    }
    for (uint8_t address : load.site->addresses()) {
        GatewayCheck g = uncheckedGateway(address, load.site->sensorsAt(address));
        g.answered = true;
        compareGateway(g);
        std::set<int> written;
        for (const RowWrite& w : planApply(g).writes)
            if (w.row < 0 || w.row > 31 || !written.insert(w.row).second)
                std::abort();
    }
    return 0;
}
