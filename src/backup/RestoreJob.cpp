#include "backup/RestoreJob.h"

#include <algorithm>

std::vector<RowWrite> planRestore(const GatewayConfig& file, const ConfigDifferences& differences) {
    std::vector<RowWrite> plan;
    for (const RowDifference& d : differences.rows) {
        if (!d.ticked || !d.writable)
            continue;
        RowWrite w;
        w.part = d.part;
        w.row = d.row;
        if (d.part == ConfigPart::Sensor) {
            const SensorEntry& e = file.sensors[d.row];
            w.writeEntry = d.has(ConfigField::Org) || d.has(ConfigField::Id);
            w.org = e.org;
            w.id = e.empty() ? 0 : e.id;
            w.writeInversion = d.has(ConfigField::Inversion);
            w.inverted = e.inverted;
        } else if (d.part == ConfigPart::Sender) {
            const SenderEntry& e = file.senders[d.row];
            w.sender = SenderSlot{e.org, 0, e.data, e.status};
        } else {
            w.responseTimeMs = std::max(file.responseTimeMs, kLeastResponseTimeMs);
        }
        plan.push_back(w);
    }
    return plan;
}

RestoreJob::RestoreJob(GatewayClient& client)
    : client_(client) {}

void RestoreJob::start(std::vector<RowWrite> plan, RowDone rowDone, Done done) {
    plan_ = std::move(plan);
    rowDone_ = std::move(rowDone);
    done_ = std::move(done);
    results_.clear();
    for (const RowWrite& w : plan_)
        results_.push_back(RowResult{w.part, w.row, RowOutcome::NotWritten, {}});
    running_ = true;
    stopped_ = false;
    next(0);
}

void RestoreJob::cancel() {
    if (!running_)
        return;
    stopped_ = true;
    client_.cancel(); // the row underway ends as failed "cancelled"
}

void RestoreJob::next(int index) {
    if (stopped_ || index >= int(plan_.size()))
        return finish();
    writeRow(plan_[index], [this, index](const std::optional<StepFailure>& failure) {
        RowResult& r = results_[index];
        r.outcome = failure ? RowOutcome::Failed : RowOutcome::Verified;
        if (failure) {
            r.failure = *failure;
            // a gateway that refuses one row may take the next; a silent one takes none
            stopped_ = stopped_ || !failure->answered();
        }
        if (rowDone_)
            rowDone_(index, r);
        next(index + 1);
    });
}

void RestoreJob::writeRow(const RowWrite& w, OperationDone then) {
    switch (w.part) {
    case ConfigPart::Sensor: {
        auto inversion = [this, w, then] {
            if (w.writeInversion)
                client_.setInversion(w.row, w.inverted, then);
            else
                then(std::nullopt);
        };
        if (!w.writeEntry)
            return inversion();
        client_.writeSensorEntry(w.row, w.org, w.id,
                                 [inversion, then](const std::optional<StepFailure>& failure) {
                                     if (failure)
                                         then(failure);
                                     else
                                         inversion();
                                 });
        return;
    }
    case ConfigPart::Sender:
        return client_.writeSenderRow(w.row, w.sender, then);
    case ConfigPart::ResponseTime: {
        // answers may come up to 3 x the response time late (as the command line's time-out
        // allows): the time-out grows with the response time
        const int longer = 3 * (int(w.responseTimeMs) - int(client_.image.responseTimeMs));
        if (!timeOutFixed_ && longer > 0) {
            ExchangeOptions o = client_.options();
            o.timeoutMs += longer;
            client_.setOptions(o);
        }
        return client_.setResponseTime(w.responseTimeMs, then);
    }
    }
}

void RestoreJob::finish() {
    running_ = false;
    if (done_)
        done_(results_);
}

QString outcomeText(const RowResult& result, bool english) {
    switch (result.outcome) {
    case RowOutcome::Verified:
        return english ? "written and verified" : "geschrieben und geprüft";
    case RowOutcome::Failed:
        return (english ? "failed: " : "fehlgeschlagen: ") + result.reason(english);
    case RowOutcome::NotWritten:
        break;
    }
    return english ? "not written" : "nicht geschrieben";
}

int verifiedCount(const std::vector<RowResult>& results) {
    return int(std::count_if(results.begin(), results.end(),
                             [](const RowResult& r) { return r.outcome == RowOutcome::Verified; }));
}

QStringList resultLines(const std::vector<RowResult>& results, bool english) {
    QStringList lines;
    for (const RowResult& r : results)
        lines << rowName(r.part, r.row, english) + ": " + outcomeText(r, english);
    lines << QString(english ? "%1 of %2 rows written and verified."
                             : "%1 von %2 Zeilen geschrieben und geprüft.")
                 .arg(verifiedCount(results))
                 .arg(results.size());
    return lines;
}
