#pragma once
// A QR code of a text for the terminal (libqrencode), so that a phone scans the page's address:
// two rows of modules a line with the half blocks ▀ ▄ █, a quiet zone of 2 modules. On a terminal
// the colours are set (black on white), so that the code reads on a dark terminal too.

#include <QString>

// Empty when the text does not fit a QR code.
QString terminalQr(const QByteArray& text, bool terminalColours);
