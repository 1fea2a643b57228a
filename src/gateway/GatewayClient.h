#pragma once
// The gateway at one address, for clients without the window (command line, backup and restore):
// reads the whole gateway, and writes a sensor entry, an inversion flag, the response time or a
// sender row, each read back and compared. One operation at a time, over a line the client has
// claimed; every request goes through the link's exchange API (retries, answer-paced).

#include "gateway/GatewayImage.h"
#include "link/Exchange.h"

#include <QString>
#include <functional>
#include <optional>

class Link;

// Why an operation stopped: the step ("read sensor row 5") and the reason ("no answer").
struct StepFailure {
    QString step;
    QString reason;
    // How the step's exchange ended: Answered when the answer itself was wrong.
    ExchangeOutcome outcome = ExchangeOutcome::Answered;
    int strayBytes = 0; // what the line carried meanwhile besides answers
    // "read sensor row 10: no answer (3 attempts); meanwhile 140 bytes from another device ...";
    // the step and the reason are the tool's English words, the line's account follows the
    // window's language.
    QString text(bool english = true) const;
    // The gateway answered the step (if wrongly): the line still works.
    bool answered() const {
        return outcome == ExchangeOutcome::Answered || outcome == ExchangeOutcome::Exception;
    }
};
using OperationDone = std::function<void(const std::optional<StepFailure>& failure)>;

class GatewayClient {
public:
    GatewayClient(Link& link, uint8_t address, ExchangeOptions options = {});

    uint8_t address() const { return address_; }
    void setOptions(ExchangeOptions options) { options_ = options; }
    const ExchangeOptions& options() const { return options_; }
    bool busy() const { return static_cast<bool>(done_); }
    // Stops the running operation at once; its done is told "cancelled".
    void cancel();

    // Module type and response time into `image`. A gateway that does not answer the
    // identification (an older receiver) is taken as the receiver QRX40, as the window does,
    // unless that is switched off; receiverByFallback() tells.
    void identify(OperationDone done);
    void setReceiverFallback(bool on) { receiverFallback_ = on; }
    bool receiverByFallback() const { return receiverByFallback_; }
    // Identification, response time, inversion flags, the 32 sensor slots and, on the
    // transceiver, the 8 sender slots: 35 or 43 requests. progress(done, total) after each.
    void readAll(std::function<void(int, int)> progress, OperationDone done);
    // The rest of the whole read, after identify(): the inversion flags, the sensor slots and
    // the sender slots of the transceiver (41 or 33 requests). progress counts as for readAll.
    void readTables(std::function<void(int, int)> progress, OperationDone done);
    void readInversionFlags(OperationDone done);      // into image.sensors[..].inverted
    void readSensorSlot(int row, OperationDone done); // into image.sensors[row]
    void readSenderSlot(int row, OperationDone done); // into image.senders[row]

    // Writes and reads back; a read-back that differs fails with what it holds.
    void writeSensorEntry(int row, uint8_t org, uint32_t id, OperationDone done);
    void setInversion(int row, bool on, OperationDone done);
    void setResponseTime(uint16_t ms, OperationDone done);
    void writeSenderRow(int row, const SenderSlot& slot, OperationDone done);
    // Writes without a read-back: the learn mode coil, the transmit coil.
    void setLearnMode(int row, bool on, OperationDone done);
    void transmit(int row, OperationDone done);

    // What the operations have read so far.
    GatewayImage image;

private:
    using Take = std::function<bool(const QByteArray& answer, QString& why)>;
    void begin(OperationDone done);
    void finish(const std::optional<StepFailure>& failure);
    // One request of the running operation: its answer goes to take, which may refuse it (the
    // operation fails with its reason), then to then.
    // A step without an answer fails, unless `unanswered` goes on instead.
    void ask(const QString& step, const QByteArray& request, Take take, std::function<void()> then,
             std::function<void()> unanswered = {});
    void readNext(int index, std::function<void(int, int)> progress);
    void readFlagsThen(std::function<void()> then);
    void readSlotThen(int row, std::function<void()> then);
    void readSenderThen(int row, std::function<void()> then);

    Link& link_;
    uint8_t address_;
    ExchangeOptions options_;
    OperationDone done_;
    bool receiverFallback_ = true;
    bool receiverByFallback_ = false;
};
