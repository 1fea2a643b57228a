#pragma once
// Line settings found elsewhere (the gateway scan) taken into the window's port settings, as the
// user would pick them: each list's click handler runs, then the address is filled in.

struct FoundLineSettings {
    bool rtu = false;
    int baud = 9600;
    char parity = 'E'; // 'N', 'E' or 'O'
    int address = 1;
};

class LineSettingsChoice {
public:
    virtual ~LineSettingsChoice() = default;
    virtual void chooseLineSettings(const FoundLineSettings& found) = 0;
};
