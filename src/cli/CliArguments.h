#pragma once
// Checks of what a user types after qrx-cli: whole numbers in a range, rows, bytes. Every check
// gives the message for standard error when the text does not pass.

#include <QString>
#include <cstdint>
#include <optional>

// A whole decimal number from min to max; nullopt for anything else ("12abc", "", "1e3").
std::optional<int64_t> numberIn(const QString& text, int64_t min, int64_t max);
// numberIn, or the message "<what> takes a number from <min> to <max>, not "<text>"".
std::optional<int64_t> numberArgument(const QString& what, const QString& text, int64_t min,
                                      int64_t max, QString& error);
// A sensor row 0..31 or a sender row 0..7 (rows counted from 0, as the window shows them).
std::optional<int> sensorRowArgument(const QString& text, QString& error);
std::optional<int> senderRowArgument(const QString& text, QString& error);
