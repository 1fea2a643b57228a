#pragma once
// The page's writes, one at a time on the line: a write asks the reader for the line (the
// reading stops after the request underway), runs over GatewayClient with its read-back, shows
// what it read in the live view and gives the line back. A second write while one runs is refused
// with what runs. Values are checked before anything is sent, as qrx-cli checks them; a learn-in
// reads the row first and leaves a row that holds another sensor as it is unless it is to be
// replaced. Learn by button holds the line while it watches the row (every 300 ms, as the
// window's slot watch) until a sensor arrives, the time is up or the page cancels; learn mode is
// switched off again on time-out, cancel and stop.

#include "gateway/GatewayClient.h"

#include <QJsonObject>
#include <functional>
#include <memory>
#include <optional>

class Clock;
class GatewayReader;
class LiveGateway;
class Timer;

enum class WriteOutcome {
    Done,     // written and read back
    Started,  // learn by button: learn mode is on, the end comes as the operation
    BadValue, // nothing sent
    Refused,  // the row holds another sensor, or another than the page showed
    Busy,     // another write holds the line
    NotHere,  // the receiver has no sender rows
    Failed,   // the gateway did not answer, or read back something else
};

struct WriteResult {
    WriteOutcome outcome = WriteOutcome::Done;
    QString message; // "row 5: learned 0012A3F0, ORG 05, read back", or why not
};
using WriteDone = std::function<void(const WriteResult&)>;

inline constexpr int kLearnButtonWaitDefaultS = 60;
inline constexpr int kLearnButtonWaitMostS = 600;

class RowOperations {
public:
    RowOperations(Clock& clock, GatewayClient& client, GatewayReader& reader, LiveGateway& live);
    ~RowOperations();

    void learnById(int row, const QString& id, const QString& org, bool replace, WriteDone done);
    void learnByButton(int row, int waitS, bool replace, WriteDone done);
    // Ends learn by button: learn mode off, then done.
    void cancelLearn(WriteDone done);
    // expectedId: the sensor the page showed and the user confirmed ("" takes whatever is there).
    void remove(int row, const QString& expectedId, WriteDone done);
    void invert(int row, bool on, WriteDone done);
    void transmit(int row, WriteDone done);
    // Ctrl-C: a learn by button switches learn mode off first; then done.
    void stop(std::function<void()> done);
    bool busy() const { return current_.has_value(); }

    // Something changed for the page (the operation, a row): send it now.
    std::function<void()> changed;

private:
    struct Current {
        QString kind; // "learn", "learn-button", "delete", "invert", "transmit"
        int row = 0;
        QString what; // "learn by button, row 7"
    };
    // Checks that no write runs, shows this one as running and gets the line; then run.
    void claim(Current op, WriteDone& done, std::function<void()> run);
    // The write has ended (state: "done", "failed", "cancelled", "timeout"); the line goes back.
    void end(WriteResult result, const WriteDone& done, QString state = {});
    // The row is read first: a row that holds another sensor is refused unless replace.
    void readRowThen(int row, uint8_t org, uint32_t id, bool replace, const WriteDone& done,
                     std::function<void()> then);
    void failed(const StepFailure& f, const WriteDone& done);
    // learn by button
    void learnModeOn(const WriteDone& done);
    void watchRow();
    // At the points where no request of the learn-in is underway: a cancel or stop waits there.
    bool cancelledNow();
    // Learn mode off, then the end.
    void switchOff(const QString& state, const QString& message);
    QJsonObject operationJson(const QString& state, const QString& message) const;

    Clock& clock_;
    GatewayClient& client_;
    GatewayReader& reader_;
    LiveGateway& live_;
    std::optional<Current> current_;
    // learn by button
    std::unique_ptr<Timer> watch_;
    SensorSlot before_;
    int64_t deadlineMs_ = 0;
    int waitS_ = 0;
    bool learnModeOn_ = false;
    bool cancelWanted_ = false;
    bool switchingOff_ = false;
    std::vector<WriteDone> cancelDone_;
    std::function<void()> stopDone_;
};
