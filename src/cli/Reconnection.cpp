#include "cli/Reconnection.h"

#include "cli/CliCommand.h"
#include "link/LineSession.h"
#include "link/SerialPort.h"
#include "platform/Timer.h"

#include <algorithm>

namespace {
constexpr int kFirstPauseMs = 1000;
constexpr int kLongestPauseMs = 30000;
} // namespace

Reconnection::Reconnection(CommandContext& context)
    : c_(context)
    , pause_(context.clock.createTimer("reconnect", kFirstPauseMs)) {
    pause_->setTickHandler([this] {
        pause_->setEnabled(false);
        attempt();
    });
}

Reconnection::~Reconnection() = default;

bool Reconnection::retryLater(std::function<void()> then) {
    if (!isNetwork(c_.line.port().kind()))
        return false;
    then_ = std::move(then);
    const bool first = pauseMs_ == 0;
    pauseMs_ = first ? kFirstPauseMs : std::min(2 * pauseMs_, kLongestPauseMs);
    c_.complain(QString(first ? "%1: connection lost, connecting again in %2 s"
                              : "%1: no connection, trying again in %2 s")
                    .arg(c_.options.port)
                    .arg(pauseMs_ / 1000));
    pause_->setInterval(pauseMs_);
    pause_->setEnabled(true);
    return true;
}

void Reconnection::attempt() {
    reopened_ = true;
    try {
        c_.line.open(); // connects meanwhile: the next request waits for it, or fails with it
    } catch (const PortError& e) {
        c_.complain(QString("%1: %2").arg(c_.options.port, e.reason));
    }
    if (then_)
        then_();
}

void Reconnection::succeeded() {
    if (!reopened_)
        return;
    reopened_ = false;
    pauseMs_ = 0;
    c_.complain(QString("%1: connected again").arg(c_.options.port));
}

bool Reconnection::retrying() const {
    return reopened_;
}
