#pragma once
// A long-running command's way back after its network port lost the connection (a serial server
// restarted, a cable was out): it says so on standard error, opens the port again after a pause
// that grows 1, 2, 4, 8, 16 s up to 30 s, and goes on. The first request that goes through
// again says so and starts the pause from 1 s. A device port is not reopened: its loss ends the
// command as before.

#include <functional>
#include <memory>

class CommandContext;
class Timer;

class Reconnection {
public:
    explicit Reconnection(CommandContext& context);
    ~Reconnection();

    // The line is closed: false for a device port (the command ends); else then runs once the
    // port is open again, or once more after each failed open.
    bool retryLater(std::function<void()> then);
    // A request went through: after a reconnection, "connected again".
    void succeeded();
    // The port was opened again and nothing went through yet.
    bool retrying() const;

private:
    void attempt();

    CommandContext& c_;
    std::unique_ptr<Timer> pause_;
    std::function<void()> then_;
    int pauseMs_ = 0;       // the next pause; 0 before the first loss
    bool reopened_ = false; // the port was opened again and nothing went through yet
};
