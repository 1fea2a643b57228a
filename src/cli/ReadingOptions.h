#pragma once
// The options of the commands that read the gateway continuously (publish, serve): --interval
// from the end of a pass to the next, --full-every (every this many passes the whole table) and
// --scale BYTE=LOWER..UPPER, repeatable, as the window scales a data byte.

#include "sensors/Scaling.h"

#include <QString>
#include <array>
#include <optional>

class QCommandLineParser;

struct ReadingOptions {
    int intervalMs = 1000;
    int fullEvery = 30;
    std::optional<std::array<ScaleRange, 4>> scale{};
};

// scaledNote: what --scale changes in the command's output.
void addReadingOptions(QCommandLineParser& p, const ReadingOptions& defaults,
                       const QString& scaledNote);
// The message for standard error when a value does not pass.
std::optional<QString> takeReadingOptions(const QCommandLineParser& p, ReadingOptions& reading);
