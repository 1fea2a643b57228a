#pragma once
// The page server without its sockets: the gateway reader (with the inversion flags and the
// sender slots in its whole passes), the live view it fills, the writes and the API over them.
// Changes go to the pages at the end of each pass, and at the latest kMostChangeDelayMs after
// the first unsent one (a long pass does not hold a telegram back); a write's result at once.

#include "gateway/GatewayReader.h"
#include "serve/LiveGateway.h"
#include "serve/RowOperations.h"
#include "serve/ServeApi.h"

#include <memory>

class Clock;
class LineSession;
class Timer;

inline constexpr int kMostChangeDelayMs = 20;

struct ServeReading {
    int intervalMs = 50; // from the end of a pass to the next
    int fullEvery = 20;  // every this many passes the whole table
};

class ServeSession {
public:
    ServeSession(Clock& clock, LineSession& line, GatewayClient& client, ServeView view,
                 ServeAccess access, ServeReading reading);
    ~ServeSession();

    void start();
    // Ctrl-C: a learn by button switches learn mode off, then the reading stops; then done.
    void stop(std::function<void()> done);

    const ServeApi& api() const { return api_; }
    // The names it answers to are set once the server listens (its port may be a free one).
    ServeAccess& access() { return access_; }
    LiveGateway& live() { return live_; }

    // A change message for every page.
    std::function<void(const QByteArray&)> broadcast;
    std::function<void(const QString&)> complain;
    // The gateway's response time, each time it is identified (the answer time-out follows it).
    std::function<void(uint16_t ms)> responseTime;

private:
    void flush();

    ServeAccess access_;
    LiveGateway live_;
    GatewayReader reader_;
    RowOperations operations_;
    ServeApi api_;
    std::unique_ptr<Timer> changeDelay_;
};
