#pragma once
// A gateway compared with the site file, sensor by sensor: learned as expected (the same ID and
// ORG, in its row or anywhere when the file leaves the row empty), in another row, with a wrong
// ORG, with another inversion than expected, missing, learned twice, or learned but not in the
// file (extra). What the apply wrote and what listening saw are kept beside each sensor, so that
// a comparison made again after the writes keeps them.

#include "commission/SiteFile.h"
#include "gateway/GatewayImage.h"

#include <array>
#include <vector>

// The states of a sensor, in the order a sensor with several deficiencies shows them.
enum class SensorState {
    Verified,
    Unchecked, // its gateway did not answer
    Missing,
    RowTaken,  // missing, and its row holds another sensor: the apply left it
    NoFreeRow, // missing, and the gateway has no free row for it
    OtherRow,
    WrongOrg,
    InversionDiffers,
    LearnedTwice,
    Extra,
    WriteFailed,
    Silent, // no telegram while listening
};

enum class WriteOutcome { None, Written, Failed, RowTaken, NoFreeRow };

struct ListenRecord {
    bool watched = false;
    int telegrams = 0;               // reads whose time value differed from the read before
    int64_t firstMs = 0, lastMs = 0; // wall clock of the first and last telegram seen; 0: none
    std::array<uint8_t, 4> data{};   // data bytes 0..3 after the last telegram
    uint16_t timeValue = 0;          // the slot's time value at the last read
};

struct SensorCheck {
    SiteSensor expected; // an extra: what the gateway holds, without label and line
    bool extra = false;
    bool checked = false;    // compared with its gateway, which answered
    std::vector<int> rows{}; // the rows that hold its ID
    int row = -1;            // where it is: its own row when among them, else the first; -1 missing
    SensorSlot slot{};       // what that row holds
    WriteOutcome write = WriteOutcome::None;
    int writeRow = -1;     // the row written, or found taken
    QString writeDetail{}; // a failure's reason; the ID a taken row holds
    ListenRecord listen{};

    bool found() const { return row >= 0; }
    bool otherRow() const { return found() && expected.row && *expected.row != row; }
    bool wrongOrg() const { return found() && slot.org != expected.org; }
    bool inversionDiffers() const {
        return found() && expected.inverted && *expected.inverted != slot.inverted;
    }
    bool twice() const { return rows.size() > 1; }
    // Learned as the file says, whatever listening found.
    bool verified() const;
    // Every deficiency, in the order of SensorState; none for a verified sensor that sent.
    std::vector<SensorState> deficiencies() const;
    SensorState state() const; // the first deficiency, or Verified
};

struct GatewayCheck {
    uint8_t address = 0;
    bool checked = false;  // a verification ran
    bool answered = false; // and read the whole gateway
    QString failure;       // why not: "read sensor row 5: no answer (3 attempts)"
    QString listenFailure; // the last read that failed while listening
    GatewayImage image;
    std::vector<SensorCheck> sensors; // the file's, in its order
    std::vector<SensorCheck> extras;  // learned but not in the file, by row
    bool transceiver() const { return answered && image.transceiver(); }
};

// The file's sensors at the gateway's address, not checked yet.
GatewayCheck uncheckedGateway(uint8_t address, const std::vector<SiteSensor>& expected);
// The labels where the sensors are: the row a sensor was found in, else the row the file gives.
SiteLabelMap labelsOf(const std::vector<GatewayCheck>& gateways);
// Compares what the gateway holds (check.image, read in full) with the file's sensors; what the
// apply and listening recorded stays.
void compareGateway(GatewayCheck& check);
