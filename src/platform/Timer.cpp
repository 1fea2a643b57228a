#include "platform/Timer.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <limits>
#include <utility>

int clampTimerInterval(int64_t ms) {
    return static_cast<int>(std::clamp<int64_t>(ms, 0, kMaxTimerInterval));
}

namespace {
// Where a rested timer's next tick falls: its old due time, moved on by the whole intervals
// skipped meanwhile.
int64_t nextInRhythm(int64_t dueAt, int64_t now, int interval) {
    return dueAt >= now ? dueAt : dueAt + (now - dueAt + interval - 1) / interval * interval;
}
} // namespace

// ---------------------------------------------------------------------------------------------
class ManualTimer : public Timer {
public:
    ManualTimer(ManualClock& clock, const QString& name, int interval, uint64_t order)
        : Timer(name)
        , clock_(&clock)
        , interval_(clampTimerInterval(interval))
        , order_(order) {}
    ~ManualTimer() override {
        if (clock_)
            clock_->forget(this);
    }

    void setInterval(int ms) override {
        interval_ = clampTimerInterval(ms);
        if (enabled_)
            restart();
    }
    int interval() const override { return interval_; }
    void setEnabled(bool on) override {
        if (on == enabled_)
            return;
        enabled_ = on;
        if (on)
            restart();
    }
    bool isEnabled() const override { return enabled_; }
    void rest() override {
        if (armed())
            resting_ = true;
    }
    void wake() override {
        if (std::exchange(resting_, false) && clock_)
            dueAt_ = nextInRhythm(dueAt_, clock_->nowMs(), interval_);
    }
    bool resting() const override { return resting_; }

    bool armed() const { return enabled_ && interval_ > 0 && !resting_; }
    int64_t dueAt() const { return dueAt_; }
    uint64_t order() const { return order_; }
    void runTick() {
        dueAt_ += interval_;
        fire();
    }
    void detach() { clock_ = nullptr; }

private:
    void restart() {
        resting_ = false;
        dueAt_ = clock_ ? clock_->nowMs() + interval_ : 0;
    }

    ManualClock* clock_;
    int interval_;
    uint64_t order_;
    bool enabled_ = false;
    bool resting_ = false;
    int64_t dueAt_ = 0;
};

ManualClock::~ManualClock() {
    for (ManualTimer* t : timers_)
        t->detach();
}

std::unique_ptr<Timer> ManualClock::createTimer(const QString& name, int intervalMs) {
    auto t = std::make_unique<ManualTimer>(*this, name, intervalMs, made_++);
    timers_.push_back(t.get());
    return t;
}

void ManualClock::forget(ManualTimer* t) {
    std::erase(timers_, t);
}

void ManualClock::advance(int64_t ms) {
    const int64_t target = now_ + std::max<int64_t>(ms, 0);
    for (;;) {
        ManualTimer* next = nullptr;
        for (ManualTimer* t : timers_) {
            if (!t->armed() || t->dueAt() > target)
                continue;
            if (!next || t->dueAt() < next->dueAt() ||
                (t->dueAt() == next->dueAt() && t->order() < next->order()))
                next = t;
        }
        if (!next)
            break;
        now_ = std::max(now_, next->dueAt());
        next->runTick();
    }
    now_ = target;
}

// ---------------------------------------------------------------------------------------------
namespace {
int64_t monotonicNs() {
    static QElapsedTimer since;
    if (!since.isValid())
        since.start();
    return since.nsecsElapsed();
}

int64_t monotonicMs() {
    return monotonicNs() / 1000000;
}

class QtTimer : public Timer {
public:
    QtTimer(const QString& name, int interval)
        : Timer(name)
        , interval_(clampTimerInterval(interval)) {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { ticked(); });
    }
    void setInterval(int ms) override {
        interval_ = clampTimerInterval(ms);
        restart();
    }
    int interval() const override { return interval_; }
    void setEnabled(bool on) override {
        if (on == enabled_)
            return;
        enabled_ = on;
        restart();
    }
    bool isEnabled() const override { return enabled_; }
    void rest() override {
        if (!timer_.isActive())
            return;
        resting_ = true;
        dueAtMs_ = monotonicMs() + std::max(0, timer_.remainingTime());
        timer_.stop();
    }
    // Ticks go on in their rhythm: the next one where it falls after now, then every interval.
    void wake() override {
        if (!std::exchange(resting_, false))
            return;
        const int64_t now = monotonicMs();
        dueAtMs_ = nextInRhythm(dueAtMs_, now, interval_);
        realigning_ = true;
        timer_.start(int(dueAtMs_ - now));
    }
    bool resting() const override { return resting_; }

private:
    // A QTimer with interval 0 would fire at every pass of the event loop; ours never ticks.
    void restart() {
        resting_ = realigning_ = false;
        if (!enabled_ || interval_ == 0)
            timer_.stop();
        else
            timer_.start(interval_);
    }
    void ticked() {
        if (std::exchange(realigning_, false))
            timer_.start(interval_); // from this tick on, every interval again
        fire();
    }

    QTimer timer_;
    int interval_;
    bool enabled_ = false;
    bool resting_ = false;
    bool realigning_ = false;
    int64_t dueAtMs_ = 0; // while resting: when the next tick would have fallen, monotonic
};

} // namespace

QtClock::QtClock()
    : startedNs_(monotonicNs()) {}

std::unique_ptr<Timer> QtClock::createTimer(const QString& name, int intervalMs) {
    return std::make_unique<QtTimer>(name, intervalMs);
}

int64_t QtClock::wallMs() const {
    return QDateTime::currentMSecsSinceEpoch();
}

int64_t QtClock::nowMs() const {
    return (monotonicNs() - startedNs_) / 1000000;
}
