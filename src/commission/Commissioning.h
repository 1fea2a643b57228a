#pragma once
// One commissioning run over the one line: for each gateway of the site file, in address order,
// the whole read and the comparison (verify); the writes of what is missing, each read back by
// the restore job (apply); then watching the learned rows of every gateway in turn for a while
// and counting the telegrams each sensor sends (listen). Without widgets: the window and qrx-cli
// drive it, over a line they have claimed. Every request goes through a GatewayClient per
// address on the one link.

#include "commission/ApplyPlan.h"
#include "commission/SiteCheck.h"
#include "gateway/GatewayClient.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Clock;
class Link;
class RestoreJob;
class Timer;

class Commissioning {
public:
    // The exchange options for a gateway, before (nullopt) and after its response time is known.
    using OptionsFor = std::function<ExchangeOptions(std::optional<uint16_t> responseTimeMs)>;
    struct Handlers {
        std::function<void(int done, int total)> progress; // within the gateway underway
        std::function<void(int gateway)> changed;          // a gateway's checks changed
        std::function<void()> done;
    };

    Commissioning(Link& link, Clock& clock, OptionsFor optionsFor);
    ~Commissioning();

    // The file (placed: every sensor has its address); the checks start over, unchecked.
    void setSite(const SiteFile& site);
    const SiteFile& site() const { return site_; }
    const std::vector<GatewayCheck>& gateways() const { return gateways_; }

    // Each gateway: identification, the whole read, the comparison. One that does not answer is
    // noted and the next follows.
    void verify(Handlers handlers);
    // What apply() would write, per gateway that answered; marks the sensors it cannot write.
    std::vector<ApplyPlan> planApply();
    void apply(std::vector<ApplyPlan> plans, Handlers handlers);
    // Reads the rows that hold a sensor, gateway after gateway, answer-paced, until durationMs
    // has passed; a changed time value is a telegram. changed(gateway) after every read.
    void listen(int64_t durationMs, Handlers handlers);
    // Stops after the exchange underway (at once for a read); done follows.
    void cancel();

    bool running() const { return running_; }
    int gatewayUnderway() const { return underway_; }
    bool applied() const { return applied_; }
    int64_t listenedMs() const { return listenedMs_; }

private:
    struct Watched {
        int gateway;
        bool extra;
        int index;
    };
    void begin(Handlers handlers);
    void finish();
    GatewayClient& client(int gateway);
    void verifyGateway(int index);
    void gatewayRead(int index, const std::optional<StepFailure>& failure);
    void applyPlan(size_t k);
    void startWatching();
    void readWatched(size_t at);
    void slotRead(const Watched& w, const std::optional<StepFailure>& failure);
    SensorCheck& checkOf(const Watched& w);

    Link& link_;
    Clock& clock_;
    OptionsFor optionsFor_;
    SiteFile site_;
    std::vector<GatewayCheck> gateways_;
    std::vector<std::unique_ptr<GatewayClient>> clients_;
    std::vector<ApplyPlan> plans_;
    std::unique_ptr<RestoreJob> job_;
    std::unique_ptr<Timer> listenEnd_;
    std::vector<Watched> watched_;
    Handlers handlers_;
    int underway_ = -1;
    bool running_ = false;
    bool stopping_ = false;
    bool applied_ = false;
    int64_t listenedMs_ = 0;
    int64_t listenStartMs_ = 0;
};
