#pragma once
// Reads the gateway continuously for the publisher, answer-paced over the link's exchange API:
// a pass covers the learned slots, the pause between passes is the interval, and every
// fullEvery-th pass (the first included) identifies the gateway again and reads the whole table,
// which notices learn-ins. When the gateway stops answering, or the port is lost, the gateway is
// offline and the line is tried again after a growing pause (1 s up to 60 s); a lost port is
// opened again first. It is online again when it answers its identification.

#include "gateway/GatewayClient.h"
#include "publish/GrowingPause.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

class Clock;
class LineSession;
class Timer;

class GatewayReader {
public:
    GatewayReader(Clock& clock, LineSession& line, GatewayClient& client, int intervalMs,
                  int fullEvery);
    ~GatewayReader();

    void start();
    // Stops at once: the request underway is cancelled, no pause runs.
    void stop();
    bool online() const { return online_; }

    // The gateway answered its identification: the image holds type and response time.
    std::function<void(const GatewayImage&)> identified;
    // Online after an identification, offline (with the reason) when the gateway is lost.
    std::function<void(bool online, const QString& reason)> availability;
    // A slot as just read: client.image.sensors[row].
    std::function<void(int row, const SensorSlot& slot)> slotRead;
    // A line for standard error: an outage once, the same trouble once until a clean pass.
    std::function<void(const QString&)> complain;

private:
    enum class Phase { Stopped, Reading, Waiting, Retrying };
    void startPass();
    void readRows(size_t index);
    void passDone();
    void failed(const StepFailure& failure);
    void retry();
    void say(const QString& text);

    LineSession& line_;
    GatewayClient& client_;
    int fullEvery_;
    std::unique_ptr<Timer> interval_;
    std::unique_ptr<Timer> retryPause_;
    GrowingPause pause_;
    Phase phase_ = Phase::Stopped;
    bool online_ = false;
    bool offlineSaid_ = false;
    int passesUntilFull_ = 0;
    bool fullPass_ = false; // the pass underway identifies and reads the whole table
    std::vector<int> rows_; // the rows of the pass underway
    QString lastSaid_;
};
