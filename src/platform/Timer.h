#pragma once
// Timers with an interval in milliseconds, an enable switch and a tick handler. Interval 0 never
// ticks; enabling an enabled timer keeps its countdown; changing the interval of an enabled timer
// restarts the countdown; disabling stops it. A Clock makes timers: QtClock over QTimer for the
// program, ManualClock for tests, where advance() runs every due tick in time order.

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class Timer {
public:
    virtual ~Timer() = default;
    virtual void setInterval(int ms) = 0;
    virtual int interval() const = 0;
    virtual void setEnabled(bool on) = 0;
    virtual bool isEnabled() const = 0;
    // A poll with nothing to poll for may rest: its ticks are skipped (they would find nothing)
    // until wake(), and then go on in their old rhythm, the next tick where it would have fallen.
    // Enabling, disabling or a new interval end a rest. A timer that cannot rest ticks on.
    virtual void rest() {}
    virtual void wake() {}
    virtual bool resting() const { return false; }
    void setTickHandler(std::function<void()> handler) { tick_ = std::move(handler); }
    const QString& name() const { return name_; }

protected:
    explicit Timer(QString name)
        : name_(std::move(name)) {}
    void fire() {
        if (tick_)
            tick_();
    }

private:
    QString name_;
    std::function<void()> tick_;
};

// The largest interval a timer accepts; larger requests are clamped to it.
inline constexpr int kMaxTimerInterval = 0x7FFFFFFF;
int clampTimerInterval(int64_t ms);

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::unique_ptr<Timer> createTimer(const QString& name, int intervalMs) = 0;
    // Milliseconds since the clock was made.
    virtual int64_t nowMs() const = 0;
    // Wall-clock time, milliseconds since 1970-01-01 UTC, for what the user reads as a date.
    virtual int64_t wallMs() const = 0;
};

class ManualTimer;

class ManualClock : public Clock {
public:
    ~ManualClock() override;
    std::unique_ptr<Timer> createTimer(const QString& name, int intervalMs) override;
    int64_t nowMs() const override { return now_; }
    // The wall clock stands at wallStartMs when the clock is made and moves with advance().
    int64_t wallMs() const override { return wallStartMs_ + now_; }
    void setWallStartMs(int64_t ms) { wallStartMs_ = ms; }
    // Moves time forward by ms, running every tick that falls due on the way, earliest first;
    // ticks due at the same moment run in the order the timers were made.
    void advance(int64_t ms);

private:
    friend class ManualTimer;
    void forget(ManualTimer* t);
    int64_t now_ = 0;
    int64_t wallStartMs_ = 1796083200000; // 2026-12-01T00:00:00Z
    uint64_t made_ = 0;
    std::vector<ManualTimer*> timers_;
};

class QtClock : public Clock {
public:
    QtClock();
    std::unique_ptr<Timer> createTimer(const QString& name, int intervalMs) override;
    int64_t nowMs() const override;
    int64_t wallMs() const override;

private:
    int64_t startedNs_;
};
