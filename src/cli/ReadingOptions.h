#pragma once
// The options of the commands that read the gateway continuously (publish, serve): --interval
// from the end of a pass to the next, --full-every (every this many passes the whole table) and
// --scale BYTE=LOWER..UPPER, repeatable, as the window scales a data byte; and --site SITE.csv,
// the site file (commissioning's) whose labels name the rows.

#include "commission/SiteFile.h"
#include "gateway/GatewayImage.h"
#include "sensors/Scaling.h"

#include <QString>
#include <array>
#include <optional>

class QCommandLineParser;

struct ReadingOptions {
    int intervalMs = 1000;
    int fullEvery = 30;
    std::optional<std::array<ScaleRange, 4>> scale{};
    std::optional<SiteFile> site{}; // --site
    // The site file's labels of the gateway at address, by row (empty without a file).
    std::array<QString, kGatewaySensorSlots> labelsAt(uint8_t address) const;
};

// scaledNote: what --scale changes in the command's output.
void addReadingOptions(QCommandLineParser& p, const ReadingOptions& defaults,
                       const QString& scaledNote);
// The message for standard error when a value does not pass.
std::optional<QString> takeReadingOptions(const QCommandLineParser& p, ReadingOptions& reading);
// --site: siteNote says what the labels name; the file is read and checked by take, before the
// port is opened ("publish: --site refused: ...").
void addSiteOption(QCommandLineParser& p, const QString& siteNote);
std::optional<QString> takeSiteOption(const QCommandLineParser& p, const QString& command,
                                      ReadingOptions& reading);
