#include "commission/Commissioning.h"

#include "backup/RestoreJob.h"
#include "link/Link.h"
#include "platform/Timer.h"

#include <algorithm>

Commissioning::Commissioning(Link& link, Clock& clock, OptionsFor optionsFor)
    : link_(link)
    , clock_(clock)
    , optionsFor_(std::move(optionsFor)) {}

Commissioning::~Commissioning() {
    handlers_ = {};
    for (auto& c : clients_)
        if (c && c->busy())
            c->cancel();
}

void Commissioning::setSite(const SiteFile& site) {
    site_ = site;
    gateways_.clear();
    clients_.clear();
    for (uint8_t address : site_.addresses())
        gateways_.push_back(uncheckedGateway(address, site_.sensorsAt(address)));
    clients_.resize(gateways_.size());
    applied_ = false;
    listenedMs_ = 0;
}

GatewayClient& Commissioning::client(int gateway) {
    auto& c = clients_[gateway];
    if (!c)
        c = std::make_unique<GatewayClient>(link_, gateways_[gateway].address, optionsFor_({}));
    return *c;
}

void Commissioning::begin(Handlers handlers) {
    handlers_ = std::move(handlers);
    running_ = true;
    stopping_ = false;
}

void Commissioning::finish() {
    running_ = false;
    underway_ = -1;
    if (listenEnd_)
        listenEnd_->setEnabled(false);
    if (handlers_.done)
        handlers_.done();
}

void Commissioning::cancel() {
    if (!running_)
        return;
    stopping_ = true;
    if (job_ && job_->running())
        return job_->cancel();
    if (underway_ >= 0 && clients_[underway_] && clients_[underway_]->busy())
        clients_[underway_]->cancel();
}

void Commissioning::verify(Handlers handlers) {
    begin(std::move(handlers));
    applied_ = false;
    listenedMs_ = 0;
    verifyGateway(0);
}

void Commissioning::verifyGateway(int index) {
    if (index >= int(gateways_.size()) || stopping_)
        return finish();
    underway_ = index;
    GatewayCheck& g = gateways_[index];
    g = uncheckedGateway(g.address, site_.sensorsAt(g.address));
    GatewayClient& c = client(index);
    c.setOptions(optionsFor_({}));
    c.identify([this, index](const std::optional<StepFailure>& failure) {
        if (failure)
            return gatewayRead(index, failure);
        GatewayClient& c = *clients_[index];
        c.setOptions(optionsFor_(c.image.responseTimeMs));
        c.readTables(handlers_.progress, [this, index](const std::optional<StepFailure>& failure) {
            gatewayRead(index, failure);
        });
    });
}

void Commissioning::gatewayRead(int index, const std::optional<StepFailure>& failure) {
    GatewayCheck& g = gateways_[index];
    g.checked = true;
    g.answered = !failure;
    g.failure = failure ? failure->text() : QString();
    if (!failure) {
        g.image = clients_[index]->image;
        compareGateway(g);
    }
    if (handlers_.changed)
        handlers_.changed(index);
    verifyGateway(index + 1);
}

std::vector<ApplyPlan> Commissioning::planApply() {
    std::vector<ApplyPlan> plans;
    for (GatewayCheck& g : gateways_)
        if (g.answered)
            plans.push_back(::planApply(g));
    return plans;
}

void Commissioning::apply(std::vector<ApplyPlan> plans, Handlers handlers) {
    begin(std::move(handlers));
    plans_ = std::move(plans);
    applyPlan(0);
}

void Commissioning::applyPlan(size_t k) {
    while (k < plans_.size() && plans_[k].empty())
        ++k;
    if (k >= plans_.size() || stopping_) {
        applied_ = true;
        return finish();
    }
    const auto at = std::find_if(gateways_.begin(), gateways_.end(), [&](const GatewayCheck& g) {
        return g.address == plans_[k].address;
    });
    const int index = int(at - gateways_.begin());
    if (at == gateways_.end() || !at->answered)
        return applyPlan(k + 1);
    underway_ = index;
    job_ = std::make_unique<RestoreJob>(client(index));
    const int total = int(plans_[k].writes.size());
    job_->start(
        plans_[k].writes,
        [this, total](int row, const RowResult&) {
            if (handlers_.progress)
                handlers_.progress(row + 1, total);
        },
        [this, k, index](const std::vector<RowResult>& results) {
            GatewayCheck& g = gateways_[index];
            g.image = clients_[index]->image; // as the read-backs left it
            takeApplyResults(g, plans_[k], results);
            if (handlers_.changed)
                handlers_.changed(index);
            applyPlan(k + 1);
        });
}

SensorCheck& Commissioning::checkOf(const Watched& w) {
    GatewayCheck& g = gateways_[w.gateway];
    return w.extra ? g.extras[w.index] : g.sensors[w.index];
}

void Commissioning::listen(int64_t durationMs, Handlers handlers) {
    begin(std::move(handlers));
    if (!listenEnd_) {
        listenEnd_ = clock_.createTimer("listen end", 0);
        listenEnd_->setTickHandler([this] {
            listenEnd_->setEnabled(false);
            stopping_ = true; // after the read underway
        });
    }
    listenedMs_ = 0;
    listenStartMs_ = clock_.nowMs();
    startWatching();
    if (watched_.empty())
        return finish();
    listenEnd_->setInterval(clampTimerInterval(std::max<int64_t>(1, durationMs)));
    listenEnd_->setEnabled(true);
    readWatched(0);
}

// Every row that holds a sensor, of every gateway that answered, in row order per gateway.
void Commissioning::startWatching() {
    watched_.clear();
    for (int g = 0; g < int(gateways_.size()); ++g) {
        if (!gateways_[g].answered)
            continue;
        std::vector<Watched> rows;
        for (int i = 0; i < int(gateways_[g].sensors.size()); ++i)
            if (gateways_[g].sensors[i].found())
                rows.push_back({g, false, i});
        for (int i = 0; i < int(gateways_[g].extras.size()); ++i)
            rows.push_back({g, true, i});
        std::sort(rows.begin(), rows.end(), [this](const Watched& a, const Watched& b) {
            return checkOf(a).row < checkOf(b).row;
        });
        for (const Watched& w : rows) {
            SensorCheck& s = checkOf(w);
            s.listen = ListenRecord{true, 0, 0, 0, s.slot.data, s.slot.time};
            watched_.push_back(w);
        }
    }
}

void Commissioning::readWatched(size_t at) {
    if (stopping_) {
        listenedMs_ = clock_.nowMs() - listenStartMs_;
        return finish();
    }
    const Watched w = watched_[at % watched_.size()];
    underway_ = w.gateway;
    client(w.gateway).readSensorSlot(checkOf(w).row, [this, w, at](const auto& failure) {
        slotRead(w, failure);
        const bool lineGone = failure && (failure->outcome == ExchangeOutcome::PortClosed ||
                                          failure->outcome == ExchangeOutcome::Refused);
        if (lineGone || (failure && failure->outcome == ExchangeOutcome::Cancelled))
            stopping_ = true;
        readWatched(at + 1);
    });
}

void Commissioning::slotRead(const Watched& w, const std::optional<StepFailure>& failure) {
    GatewayCheck& g = gateways_[w.gateway];
    SensorCheck& s = checkOf(w);
    if (failure) {
        if (failure->outcome != ExchangeOutcome::Cancelled)
            g.listenFailure = failure->text();
    } else {
        const SensorSlot& slot = clients_[w.gateway]->image.sensors[s.row];
        ListenRecord& r = s.listen;
        if (slot.time != r.timeValue) {
            ++r.telegrams;
            r.lastMs = clock_.wallMs();
            if (r.firstMs == 0)
                r.firstMs = r.lastMs;
            r.data = slot.data;
            r.timeValue = slot.time;
        }
    }
    if (handlers_.changed)
        handlers_.changed(w.gateway);
}
