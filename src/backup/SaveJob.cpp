#include "backup/SaveJob.h"

#include "platform/Timer.h"

#include <utility>

SaveJob::SaveJob(GatewayClient& client, Clock& clock)
    : client_(client)
    , clock_(clock) {}

void SaveJob::start(const QString& path, std::function<void(int, int)> progress,
                    OperationDone done) {
    client_.readAll(std::move(progress), begin(path, std::move(done)));
}

void SaveJob::startIdentified(const QString& path, std::function<void(int, int)> progress,
                              OperationDone done) {
    client_.readTables(std::move(progress), begin(path, std::move(done)));
}

OperationDone SaveJob::begin(const QString& path, OperationDone done) {
    done_ = std::move(done);
    running_ = true;
    return [this, path](const std::optional<StepFailure>& failure) {
        if (failure)
            return finish(failure);
        write(path);
    };
}

void SaveJob::write(const QString& path) {
    GatewayConfig config = configFromImage(client_.image, clock_.wallMs());
    const ConfigLoad earlier = readConfigFile(path);
    if (earlier.config)
        keepFromEarlier(config, *earlier.config);
    if (const auto why = writeConfigFile(path, config))
        return finish(StepFailure{"write " + path, *why});
    saved_ = config;
    finish(std::nullopt);
}

void SaveJob::cancel() {
    if (running_)
        client_.cancel();
}

void SaveJob::finish(const std::optional<StepFailure>& failure) {
    running_ = false;
    if (OperationDone done = std::exchange(done_, nullptr))
        done(failure);
}
