#pragma once
// The table read and its polling timers, without widgets: the read switch (chk_read on and
// off), the walk through the sensor slots (and the sender slots of the transceiver) paced by
// Timer1 and LinkReady, the slot watch of Timer2 (kind 3), and the inversion flag read of
// Timer3 (kind 7) that starts a single pass.

#include <cstdint>
#include <functional>

class Answer;
struct ToolContext;

class TableReadCycle {
public:
    struct Hooks {
        std::function<void()> checkConnected;               // chk_connected := checked
        std::function<void(bool)> setResponseInputsEnabled; // txt_min_response, bt_set_response
    };

    TableReadCycle(ToolContext& ctx, Hooks hooks);
    // Registers the answer handlers of kinds 4, 3, 7 and the ticks of Timer1, Timer2, Timer3.
    void attach();

    void chk_read_Click(bool checked);
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    void tableAnswer(const Answer& answer); // kind 4
    void slotAnswer(const Answer& answer);  // kind 3
    void coilAnswer(const Answer& answer);  // kind 7

private:
    void readOn();
    void readOff();
    void advance();
    void sendBlockRead();
    bool transceiver() const;

    ToolContext& ctx_;
    Hooks hooks_;
};
