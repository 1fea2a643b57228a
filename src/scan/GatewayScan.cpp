#include "scan/GatewayScan.h"

#include "gateway/GatewayRequests.h"
#include "link/Link.h"
#include "link/SerialPort.h"
#include "platform/Timer.h"

namespace {
// The confirming identification may repeat a request: the gateway has just answered.
constexpr int kConfirmRetries = 2;
} // namespace

GatewayScan::GatewayScan(LineSession& session, Clock& clock)
    : session_(session)
    , clock_(clock) {}

GatewayScan::~GatewayScan() {
    handlers_ = {}; // whoever listened may be gone already
    if (running_)
        cancel();
    session_.link().removeObserver(this);
}

void GatewayScan::start(const ScanOptions& options, Handlers handlers) {
    if (running_)
        return;
    options_ = options;
    handlers_ = std::move(handlers);
    report_ = ScanReport{};
    report_.end = ScanEnd::Running;
    lines_ = scanLines(options_);
    addresses_ = scanAddresses(options_);
    lineIndex_ = addressIndex_ = 0;
    activityLine_ = SIZE_MAX;
    totalMs_ = remainingMs_ = scanDurationMs(options_);
    startedMs_ = clock_.nowMs();
    running_ = true;
    openedHere_ = false;
    if (lines_.empty() || addresses_.empty()) {
        finish(ScanEnd::Completed);
        return;
    }
    session_.link().addObserver(this);
    enterLine();
}

void GatewayScan::enterLine() {
    for (; lineIndex_ < lines_.size(); ++lineIndex_) {
        timeoutMs_ = probeTimeoutMs(lines_[lineIndex_], options_.marginMs);
        try {
            session_.configure(lines_[lineIndex_]);
            if (!session_.isOpen()) {
                session_.open();
                openedHere_ = true;
            }
        } catch (const PortError& e) {
            if (e.refused == LineSetting::None)
                return finish(ScanEnd::PortFailed,
                              e.reason.isEmpty() ? QString("error %1").arg(e.number) : e.reason);
            // an adapter that cannot do 1200 baud may well do the rest
            remainingMs_ -= int64_t(addresses_.size()) * timeoutMs_;
            report_.activity.push_back(LineActivity{lines_[lineIndex_], 0, 0, e.reason});
            if (handlers_.activity)
                handlers_.activity(report_.activity.back());
            continue;
        }
        return probe();
    }
    finish(ScanEnd::Completed);
}

void GatewayScan::probe() {
    const int address = addresses_[addressIndex_];
    if (handlers_.progress)
        handlers_.progress(ScanProgress{lines_[lineIndex_], address, report_.probes,
                                        int(lines_.size() * addresses_.size()), remainingMs_,
                                        totalMs_});
    probeBytes_ = 0;
    probing_ = true;
    session_.link().exchange(GatewayRequests::identify(uint8_t(address)), {timeoutMs_, 0},
                             [this](const ExchangeResult& r) { probed(r); });
}

void GatewayScan::probed(const ExchangeResult& r) {
    probing_ = false;
    if (!running_)
        return; // cancelled
    ++report_.probes;
    remainingMs_ -= timeoutMs_;
    const int address = addresses_[addressIndex_];
    switch (r.outcome) {
    case ExchangeOutcome::Answered:
        confirm(address, r.latencyMs);
        return;
    case ExchangeOutcome::PortClosed:
    case ExchangeOutcome::Refused:
        finish(ScanEnd::PortFailed, describeOutcome(r));
        return;
    case ExchangeOutcome::Cancelled:
        finish(ScanEnd::Cancelled);
        return;
    case ExchangeOutcome::TimedOut:
    case ExchangeOutcome::Exception:
        if (probeBytes_ > 0)
            noteActivity(address);
        nextProbe();
        return;
    }
}

void GatewayScan::confirm(int address, int64_t latencyMs) {
    client_ = std::make_unique<GatewayClient>(session_.link(), uint8_t(address),
                                              ExchangeOptions{timeoutMs_, kConfirmRetries});
    client_->setReceiverFallback(false); // a gateway found answers the identification
    client_->identify([this, address, latencyMs](const std::optional<StepFailure>& failure) {
        confirmed(failure, address, latencyMs);
    });
}

void GatewayScan::confirmed(const std::optional<StepFailure>& failure, int address,
                            int64_t latencyMs) {
    if (!running_)
        return; // cancelled
    if (failure) {
        // it answered once but not again: something is there
        probeBytes_ = std::max(probeBytes_, 1);
        noteActivity(address);
        nextProbe();
        return;
    }
    const GatewayImage& image = client_->image;
    FoundGateway g{address, lines_[lineIndex_], image.deviceText(), image.responseTimeMs,
                   latencyMs};
    report_.found.push_back(g);
    if (handlers_.found)
        handlers_.found(g);
    if (!options_.all) {
        finish(ScanEnd::Found);
        return;
    }
    nextProbe();
}

void GatewayScan::nextProbe() {
    if (++addressIndex_ < addresses_.size()) {
        probe();
        return;
    }
    addressIndex_ = 0;
    ++lineIndex_;
    enterLine();
}

void GatewayScan::noteActivity(int address) {
    if (activityLine_ == lineIndex_ && !report_.activity.empty()) {
        report_.activity.back().bytes += probeBytes_;
        return;
    }
    activityLine_ = lineIndex_;
    report_.activity.push_back(LineActivity{lines_[lineIndex_], address, probeBytes_});
    if (handlers_.activity)
        handlers_.activity(report_.activity.back());
}

void GatewayScan::lineEvent(const LineEvent& e) {
    // what came in during a probe: its answer, or bytes that make none
    if (probing_ && (e.kind == LineEventKind::Received || e.kind == LineEventKind::Drained))
        probeBytes_ += int(e.frame.size());
}

void GatewayScan::cancel() {
    if (running_)
        finish(ScanEnd::Cancelled);
}

void GatewayScan::finish(ScanEnd end, const QString& failure) {
    running_ = false;
    probing_ = false;
    session_.link().removeObserver(this);
    // what is underway ends here; its callbacks find the scan stopped
    if (client_ && client_->busy())
        client_->cancel();
    session_.link().cancelExchange();
    if (openedHere_)
        session_.close();
    openedHere_ = false;
    report_.end = end;
    report_.failure = failure;
    report_.elapsedMs = clock_.nowMs() - startedMs_;
    if (handlers_.finished)
        handlers_.finished(report_);
}
