#include "cli/ReadingOptions.h"

#include "cli/CliArguments.h"

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
