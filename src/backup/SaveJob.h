#pragma once
// Saving a gateway's configuration: the whole gateway is read through the gateway client
// (35 requests for a receiver, 43 for a transceiver, with progress), then written to the file
// whole or not at all. Saving over an earlier configuration file keeps its labels and the fields
// this version does not know.

#include "backup/ConfigFile.h"
#include "gateway/GatewayClient.h"

class Clock;

class SaveJob {
public:
    SaveJob(GatewayClient& client, Clock& clock);
    // progress(done, total) after each request; done once: nullopt when saved, else the step
    // that failed (outcome Cancelled when cancelled). Nothing is written unless all was read.
    void start(const QString& path, std::function<void(int, int)> progress, OperationDone done);
    // The same for a client that has identified the gateway already (the command line does
    // before every command): only the tables are read, 41 or 33 requests.
    void startIdentified(const QString& path, std::function<void(int, int)> progress,
                         OperationDone done);
    void cancel();
    bool running() const { return running_; }
    // What was written.
    const GatewayConfig& saved() const { return saved_; }

private:
    // Writes the file once the read has ended well.
    OperationDone begin(const QString& path, OperationDone done);
    void write(const QString& path);
    void finish(const std::optional<StepFailure>& failure);

    GatewayClient& client_;
    Clock& clock_;
    OperationDone done_;
    GatewayConfig saved_;
    bool running_ = false;
};
