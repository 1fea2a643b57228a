#pragma once
// The gateway scan: probes the identification register (holding register 0x0141) over the line
// settings and addresses of a ScanPlan, on a LineSession of its own. A probe waits the line time
// of request and answer plus the margin and is not repeated; after its time-out the link sends
// the next probe (another address) at once, so the scan adds no waiting of its own. An answer is
// confirmed by the gateway client's identification (module type and response time). Bytes that
// arrive during a probe without making its answer are reported as activity at that line
// setting: a device may be there with other settings. A line setting the adapter refuses is
// skipped with a note in the activity. Stops at the first gateway, or goes on through
// everything; cancel() stops at once.

#include "gateway/GatewayClient.h"
#include "link/LineTap.h"
#include "scan/ScanPlan.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

class Clock;

struct FoundGateway {
    int address = 0;
    LineChoice line;
    QString deviceType;          // "QTX40" or "QRX40"
    uint16_t responseTimeMs = 0; // the gateway's minimal response time (register 0x0140)
    int64_t latencyMs = 0;       // from the probe's write to its answer
};

// Bytes on a line setting that made no valid answer; or a line setting the adapter refused,
// which is skipped.
struct LineActivity {
    LineChoice line;
    int address = 0;      // the probe during which they first came
    int bytes = 0;        // all of them on this line setting
    QString refused = {}; // the driver's words when the adapter refused the setting
};

struct ScanProgress {
    LineChoice line;
    int address = 0;
    int probesDone = 0;
    int probesTotal = 0;
    int64_t remainingMs = 0; // the time-outs of the probes still to go: the most it can take
    int64_t totalMs = 0;     // the same for the whole scan
};

enum class ScanEnd {
    Running,
    Found,      // stopped at the first gateway
    Completed,  // every setting and address tried
    Cancelled,  //
    PortFailed, // the port could not be opened or set, or went away
};

struct ScanReport {
    std::vector<FoundGateway> found;
    std::vector<LineActivity> activity;
    ScanEnd end = ScanEnd::Running;
    QString failure; // why the port failed
    int probes = 0;
    int64_t elapsedMs = 0;
};

class GatewayScan : private LineObserver {
public:
    struct Handlers {
        std::function<void(const ScanProgress&)> progress; // before every probe
        std::function<void(const FoundGateway&)> found;
        std::function<void(const LineActivity&)> activity; // once per line setting
        std::function<void(const ScanReport&)> finished;   // once, also after cancel()
    };

    GatewayScan(LineSession& session, Clock& clock);
    ~GatewayScan() override;

    // Opens the session's port if it is closed (and closes it again at the end), then probes.
    void start(const ScanOptions& options, Handlers handlers);
    void cancel();
    bool running() const { return running_; }
    const ScanReport& report() const { return report_; }

private:
    // Sets the line setting (opening the port for the first) and probes; skips those the adapter
    // refuses, with a note in the activity.
    void enterLine();
    void probe();
    void probed(const ExchangeResult& result);
    void confirm(int address, int64_t latencyMs);
    void confirmed(const std::optional<StepFailure>& failure, int address, int64_t latencyMs);
    void nextProbe();
    void noteActivity(int address);
    void finish(ScanEnd end, const QString& failure = {});
    void lineEvent(const LineEvent& event) override;

    LineSession& session_;
    Clock& clock_;
    ScanOptions options_;
    Handlers handlers_;
    ScanReport report_;
    std::vector<LineChoice> lines_;
    std::vector<int> addresses_;
    size_t lineIndex_ = 0;
    size_t addressIndex_ = 0;
    int timeoutMs_ = 0;
    int64_t startedMs_ = 0;
    int64_t totalMs_ = 0;
    int64_t remainingMs_ = 0;
    bool running_ = false;
    bool openedHere_ = false;
    bool probing_ = false;
    int probeBytes_ = 0;
    size_t activityLine_ = SIZE_MAX; // the line setting of the last activity reported
    std::unique_ptr<GatewayClient> client_;
};
