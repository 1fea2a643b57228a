#pragma once
// Reads the gateway continuously for the publisher and the page server, answer-paced over the
// link's exchange API: a pass covers the learned slots, the pause between passes is the interval,
// and every fullEvery-th pass (the first included) identifies the gateway again and reads the
// whole table, which notices learn-ins (with the extras on, also the inversion flags and, on the
// transceiver, the sender slots). When the gateway stops answering, or the port is lost, the
// gateway is offline and the line is tried again after a growing pause (1 s up to 60 s); a lost
// port is opened again first. It is online again when it answers its identification.
// Another user of the client (a write) asks for the line with hold(): the reading stops after the
// request underway and goes on with a new pass at release().

#include "gateway/GatewayClient.h"
#include "platform/GrowingPause.h"

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

    // A whole pass also reads the inversion flags and the transceiver's sender slots.
    void setWholePassExtras(bool on) { extras_ = on; }
    void start();
    // Stops at once: the request underway is cancelled, no pause runs.
    void stop();
    bool online() const { return online_; }
    // held() comes once no request of the reading is underway (at once when none is); until
    // release() the reading sends nothing.
    void hold(std::function<void()> held);
    void release();
    bool holding() const { return phase_ == Phase::Held; }

    // The gateway answered its identification: the image holds type and response time.
    std::function<void(const GatewayImage&)> identified;
    // Online after an identification, offline (with the reason) when the gateway is lost.
    std::function<void(bool online, const QString& reason)> availability;
    // A slot as just read: client.image.sensors[row] (with its inversion flag).
    std::function<void(int row, const SensorSlot& slot)> slotRead;
    // A sender slot as just read (whole passes with the extras, on the transceiver).
    std::function<void(int row, const SenderSlot& slot)> senderRead;
    // A pass has ended, read through or not.
    std::function<void()> passEnded;
    // A line for standard error: an outage once, the same trouble once until a clean pass.
    std::function<void(const QString&)> complain;

private:
    enum class Phase { Stopped, Reading, Waiting, Retrying, Held };
    enum class StepKind { Identify, Flags, Sensor, Sender };
    struct Step {
        StepKind kind;
        int row = 0;
    };
    void startPass();
    void runStep(size_t index);
    void stepDone(size_t index, const std::optional<StepFailure>& failure);
    void passDone();
    void failed(const StepFailure& failure);
    void cameOnline();
    void retry();
    void say(const QString& text);
    // After a step or a failure: the line goes to whoever asked for it.
    bool heldNow();

    LineSession& line_;
    GatewayClient& client_;
    int fullEvery_;
    bool extras_ = false;
    std::unique_ptr<Timer> interval_;
    std::unique_ptr<Timer> retryPause_;
    GrowingPause pause_;
    Phase phase_ = Phase::Stopped;
    std::function<void()> holdWanted_;
    bool online_ = false;
    bool offlineSaid_ = false;
    int passesUntilFull_ = 0;
    bool fullPass_ = false;   // the pass underway identifies and reads the whole table
    std::vector<Step> steps_; // the steps of the pass underway
    QString lastSaid_;
};
