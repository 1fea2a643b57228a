#include "platform/Timer.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <limits>

int clampTimerInterval(int64_t ms) {
    return static_cast<int>(std::clamp<int64_t>(ms, 0, kMaxTimerInterval));
}

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

    bool armed() const { return enabled_ && interval_ > 0; }
    int64_t dueAt() const { return dueAt_; }
    uint64_t order() const { return order_; }
    void runTick() {
        dueAt_ += interval_;
        fire();
    }
    void detach() { clock_ = nullptr; }

private:
    void restart() { dueAt_ = clock_ ? clock_->nowMs() + interval_ : 0; }

    ManualClock* clock_;
    int interval_;
    uint64_t order_;
    bool enabled_ = false;
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
class QtTimer : public Timer {
public:
    QtTimer(const QString& name, int interval)
        : Timer(name)
        , interval_(clampTimerInterval(interval)) {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { fire(); });
    }
    void setInterval(int ms) override {
        interval_ = clampTimerInterval(ms);
        apply(true);
    }
    int interval() const override { return interval_; }
    void setEnabled(bool on) override {
        if (on == enabled_)
            return;
        enabled_ = on;
        apply(true);
    }
    bool isEnabled() const override { return enabled_; }

private:
    // A QTimer with interval 0 would fire at every pass of the event loop; ours never ticks.
    void apply(bool restart) {
        if (!enabled_ || interval_ == 0) {
            timer_.stop();
            return;
        }
        if (restart || !timer_.isActive())
            timer_.start(interval_);
    }

    QTimer timer_;
    int interval_;
    bool enabled_ = false;
};

int64_t monotonicNs() {
    static QElapsedTimer since;
    if (!since.isValid())
        since.start();
    return since.nsecsElapsed();
}
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
