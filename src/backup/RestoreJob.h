#pragma once
// Restoring a configuration file onto a gateway: the plan holds only the rows that differ and are
// ticked; the job writes them one row after the other through the gateway client, which reads
// every write back. A row the gateway refuses fails on its own and the next one follows; when the
// gateway stops answering (or the user cancels) the job stops, and the rows after it are
// reported as not written. So the results say exactly which rows are written and verified.

#include "backup/ConfigDiff.h"
#include "gateway/GatewayClient.h"

#include <functional>
#include <vector>

// What one row of the plan writes.
struct RowWrite {
    ConfigPart part = ConfigPart::Sensor;
    int row = 0;
    bool writeEntry = false; // sensor: ORG and ID (ORG 00, ID 0 deletes)
    uint8_t org = 0;
    uint32_t id = 0;
    bool writeInversion = false; // sensor: the inversion of data byte 1
    bool inverted = false;
    SenderSlot sender;           // sender row
    uint16_t responseTimeMs = 0; // response time
};

// The rows of the differences that are ticked and can be written, with the file's values.
std::vector<RowWrite> planRestore(const GatewayConfig& file, const ConfigDifferences& differences);

enum class RowOutcome { Verified, Failed, NotWritten };
struct RowResult {
    ConfigPart part = ConfigPart::Sensor;
    int row = 0;
    RowOutcome outcome = RowOutcome::NotWritten;
    StepFailure failure; // of a failure: "write sensor row 5: no answer (3 attempts)"
    QString reason(bool english = true) const { return failure.text(english); }
};

class RestoreJob {
public:
    using RowDone = std::function<void(int index, const RowResult& result)>;
    using Done = std::function<void(const std::vector<RowResult>& results)>;

    explicit RestoreJob(GatewayClient& client);
    // The gateway may wait its new response time before it answers: the read-back after a
    // response-time write waits that much longer, unless the user fixed the time-out.
    void keepTimeOut(bool fixed) { timeOutFixed_ = fixed; }
    // Writes the plan; rowDone after each row (index into the plan), done once at the end.
    void start(std::vector<RowWrite> plan, RowDone rowDone, Done done);
    // Stops after the exchange underway; the rows not finished are reported not written.
    void cancel();
    bool running() const { return running_; }
    const std::vector<RowResult>& results() const { return results_; }

private:
    void next(int index);
    void writeRow(const RowWrite& w, OperationDone then);
    void finish();

    GatewayClient& client_;
    std::vector<RowWrite> plan_;
    std::vector<RowResult> results_;
    RowDone rowDone_;
    Done done_;
    bool running_ = false;
    bool stopped_ = false;
    bool timeOutFixed_ = false;
};

// "written and verified", "failed: …", "not written"
QString outcomeText(const RowResult& result, bool english);
// One line per row, then a count: "12 of 14 rows written and verified."
QStringList resultLines(const std::vector<RowResult>& results, bool english);
int verifiedCount(const std::vector<RowResult>& results);
