#include "cli/ReadingOptions.h"

#include "cli/CliArguments.h"
#include "cli/CliCommand.h"

#include <QCommandLineParser>

void addReadingOptions(QCommandLineParser& p, const ReadingOptions& defaults,
                       const QString& scaledNote) {
    const QString interval = QString::number(defaults.intervalMs);
    const QString fullEvery = QString::number(defaults.fullEvery);
    p.addOptions({
        {"interval", "Milliseconds from the end of a pass to the next. Default " + interval + ".",
         "ms", interval},
        {"full-every", "Every this many passes the whole table. Default " + fullEvery + ".", "n",
         fullEvery},
        {"scale",
         "BYTE=LOWER..UPPER: data byte 0..3 scaled as the window scales it (raw 0 gives LOWER, "
         "255 UPPER); repeatable. " +
             scaledNote,
         "range"},
    });
}

std::optional<QString> takeReadingOptions(const QCommandLineParser& p, ReadingOptions& reading) {
    QString error;
    const auto interval = numberArgument("--interval", p.value("interval"), 0, 86400000, error);
    const auto fullEvery =
        interval ? numberArgument("--full-every", p.value("full-every"), 1, 100000, error)
                 : std::nullopt;
    if (!fullEvery)
        return error;
    reading.intervalMs = int(*interval);
    reading.fullEvery = int(*fullEvery);
    const QStringList scales = p.values("scale");
    if (scales.isEmpty())
        return std::nullopt;
    reading.scale.emplace();
    for (const QString& s : scales) {
        const auto range = parseScale(s, error);
        if (!range)
            return error;
        (*reading.scale)[size_t(range->first)] = range->second;
    }
    return std::nullopt;
}

void addSiteOption(QCommandLineParser& p, const QString& siteNote) {
    p.addOption({"site", siteNote, "SITE.csv"});
}

std::optional<QString> takeSiteOption(const QCommandLineParser& p, const QString& command,
                                      ReadingOptions& reading) {
    if (!p.isSet("site"))
        return std::nullopt;
    const SiteLoad load = readSiteFile(p.value("site"));
    if (!load.site)
        return command + ": --site refused: " + clause(load.refusal->text(true));
    reading.site = load.site;
    return std::nullopt;
}

std::array<QString, kGatewaySensorSlots> ReadingOptions::labelsAt(uint8_t address) const {
    std::array<QString, kGatewaySensorSlots> labels{};
    if (!site)
        return labels;
    SiteFile placed = *site;
    if (!placed.addressColumn) // a file without addresses is the gateway's at --address
        placed.placeAt(address);
    for (const auto& [at, label] : placed.labels())
        if (at.first == address && at.second >= 0 && at.second < kGatewaySensorSlots)
            labels[size_t(at.second)] = label;
    return labels;
}
