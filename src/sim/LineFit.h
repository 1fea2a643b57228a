#pragma once
// What crosses a serial line whose two ends are set differently. The simulated gateway has line
// settings of its own, as a real one has, and answers only what it understands:
//   Same     both ends agree: requests and answers pass unchanged
//   Deaf     baud rate or data bits differ: the gateway's receiver sees no valid character, so
//            it hears no request and stays silent
//   Garbled  only the parity differs: the characters fit, the gateway takes their data bits
//            (it does not check parity) and answers, but the tool's port gets a parity or
//            framing error in every character whose bit after the data does not fit, and
//            hands over 0x00 for it
// A pseudo-terminal keeps the baud rate, PARODD and CSTOPB the tool sets, but always reports 8
// data bits and no parity enable: ptyLine reads the tool's settings from what is left.

#include "link/LineSettings.h"

#include <QByteArray>
#include <optional>

enum class LineFit { Same, Deaf, Garbled };

LineFit lineFit(const LineSettings& gateway, const LineSettings& tool);

// The bytes as a receiver set to `receiver` gets them from a sender set to `sender` (same baud
// rate and data bits): each character whose parity bit (or first stop bit for no parity) does
// not fit becomes 0x00.
QByteArray receivedAcross(const QByteArray& bytes, const LineSettings& sender,
                          const LineSettings& receiver);

// The tool's settings on a pseudo-terminal from the master side's termios flags and speed
// (cfgetispeed): PARODD means odd, CSTOPB no parity (the tool sends 2 stop bits then), neither
// even; even and no parity with 1 stop bit look alike. The data bits cannot be read: the
// framing alone tells the mode. nullopt for a speed that is no standard rate.
std::optional<LineSettings> ptyLine(unsigned cflag, unsigned speed, int dataBits);
