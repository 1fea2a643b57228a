#pragma once
// The RTU request bytes of each request kind, built from the program settings and the window's
// fields as they are when send() runs. A pure function of its inputs. The bytes of request kind
// 12 are built here for both modes.

#include "core/SenderRowValues.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <variant>

struct RtuRequestInputs {
    QString addressText; // txt_Modbus_adress, decimal
    int32_t RegisterCounter = 0;
    int32_t CurrentRow = 0;
    QString LearnOrgText;
    QString LearnIdText;
    int32_t InversionValue = 0;
    int32_t ResponseTime = 0;
    int32_t SenderRow = 0;
    int32_t TransmitRow = 0;
    SenderRowValues sender; // the row SenderRow names, for kind 12
};

// Why a request cannot be framed; the text is shown to the user.
struct RequestRefused {
    QString reason;
};
// No bytes for this kind (0, 11, unknown): nothing is written and nothing is said.
struct NoRequest {};

using RtuBuildResult = std::variant<QByteArray, RequestRefused, NoRequest>;

// Request bytes before the CRC.
RtuBuildResult buildRtuRequest(int32_t requestKind, const RtuRequestInputs& in);

// The bytes of request kind 12 in both modes (ASCII sends their hex text): write the 10
// registers of sender row 0..7 from 400 + 10 x row, one byte each in the low half: the ORG of
// Combo1's index 0..2 (5, 6, 7), two zero sender ID registers, data bytes 4..1, the status, two
// zero registers. `values` are txt_snd_data_1..4 and txt_snd_status in that order.
QByteArray senderBlockRequest(uint8_t address, int row, int orgIndex,
                              const std::array<uint8_t, 5>& values);
