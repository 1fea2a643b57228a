#pragma once
// The one record shared by every window of the tool: serial settings, the outstanding request,
// operation fields, flags, receive state, language and the localised text table. It lives for
// the whole run and is never saved.

#include <QMap>
#include <QString>
#include <array>
#include <cstdint>

// Kinds of the one outstanding request. 0 means none; 11 is not used.
namespace RequestKinds {
inline constexpr int32_t None = 0;
inline constexpr int32_t WriteSensorEntry = 1;
inline constexpr int32_t StartLearnMode = 2;
inline constexpr int32_t WatchSensorSlot = 3;
inline constexpr int32_t ReadSensorTable = 4;
inline constexpr int32_t CancelLearn = 5;
inline constexpr int32_t ReadInversionFlag = 6;
inline constexpr int32_t ReadAllInversionFlags = 7;
inline constexpr int32_t SetInversion = 8;
inline constexpr int32_t ReadResponseTime = 9;
inline constexpr int32_t SetResponseTime = 10;
inline constexpr int32_t ApplySenderValue = 12;
inline constexpr int32_t TransmitTelegram = 13;
inline constexpr int32_t IdentifyDevice = 14;
} // namespace RequestKinds

inline constexpr int kSensorRows = 32;
inline constexpr int kSenderRows = 8;
inline constexpr int kReceiveBufferSize = 51;

struct ProgramSettings {
    uint8_t PortNumber = 0;  // 1..29, "COM1" is 1
    QString BaudText;        // "1200" .. "115200"
    QString ParityLetter;    // "N", "E" or "O"
    QString DataBitsText;    // "7" ASCII, "8" RTU
    QString StopBitsText;    // "2" with no parity, "1" otherwise
    bool PortIsOpen = false; // the user's open/close choice
    QString ModeText;        // "ASCII" or "RTU"; the start value frames as neither
    QString RequestText;     // outstanding request as upper-case hex, address first, no framing
    int32_t RequestKind = RequestKinds::None;
    int16_t RegisterCounter = 0; // next block of the table read, or the block a write addresses
    int16_t CurrentRow = 0;      // sensor row of the current learn-in, deletion or inversion
    int16_t LearnRow = 0;        // sensor row whose inversion flag is being read
    QString LearnOrgText;        // two hex digits
    QString LearnIdText;         // eight hex digits
    int16_t InversionValue = 0;  // 0 or 1
    // Milliseconds; the register holds 16 bits unsigned, and sums of it with timer intervals are
    // formed in 32 bits so that no value the gateway can hold overflows.
    int32_t ResponseTime = 0;
    int16_t SenderRow = 0;
    int16_t TransmitRow = 0;
    bool LinkReady = false;        // no polling answer is awaited
    bool FirstReadPending = false; // the first complete table read has not ended yet
    bool SingleRead = false;       // the running table read is a single pass
    QString AnswerText;            // ASCII: the answer collected so far, then the answer
    std::array<uint8_t, kReceiveBufferSize> ReceiveBuffer{}; // RTU: the bytes collected so far
    uint8_t ReceiveCount = 0;                                // never above 51
    QString LanguageCode;                                    // "1031" or "1033"
    QString HelpDocument;                                    // begins with a backslash
    QString InstallPath;
    QMap<int, QString> Texts; // localised message texts by number
};

// The start routine's values, before the main window loads.
inline void applyStartValues(ProgramSettings& s) {
    s.PortNumber = 2;
    s.BaudText = "9600";
    s.ParityLetter = "E";
    s.DataBitsText = "8";
    s.StopBitsText = "1";
    s.PortIsOpen = false;
    s.ModeText = "standard_ascii";
}
