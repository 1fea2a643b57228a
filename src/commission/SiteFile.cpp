#include "commission/SiteFile.h"

#include "gateway/GatewayImage.h"
#include "link/Hex.h"
#include "platform/CsvText.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <map>

namespace {
enum class Column { Address, Row, Id, Org, Label, Inverted };
constexpr int kColumns = 6;

struct ColumnName {
    const char* name;
    Column column;
};
constexpr ColumnName kColumnNames[] = {
    {"address", Column::Address},
    {"adresse", Column::Address},
    {"row", Column::Row},
    {"zeile", Column::Row},
    {"id", Column::Id},
    {"org", Column::Org},
    {"label", Column::Label},
    {"bezeichnung", Column::Label},
    {"inverted", Column::Inverted},
    {"invertiert", Column::Inverted},
};

std::optional<Column> columnNamed(const QString& name) {
    const QString wanted = name.trimmed().toLower();
    for (const ColumnName& c : kColumnNames)
        if (wanted == QLatin1String(c.name))
            return c.column;
    return std::nullopt;
}

std::optional<QString> utf8(const QByteArray& bytes) {
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decode(bytes);
    if (decode.hasError())
        return std::nullopt;
    return text;
}

std::optional<int> wholeNumber(const QString& text, int min, int max) {
    if (text.isEmpty() || text.size() > 3 ||
        !std::all_of(text.begin(), text.end(), [](QChar c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int v = text.toInt();
    return v >= min && v <= max ? std::optional<int>(v) : std::nullopt;
}

// yes/no, ja/nein into answer (empty: nullopt); false for anything else.
bool yesOrNo(const QString& text, std::optional<bool>& answer) {
    const QString t = text.toLower();
    answer.reset();
    if (t == "yes" || t == "ja" || t == "no" || t == "nein")
        answer = t == "yes" || t == "ja";
    return t.isEmpty() || answer.has_value();
}

// Reads the records after the header: one sensor a line, each value checked where it stands.
class SiteReader {
public:
    SiteLoad read(const QByteArray& bytes) {
        QByteArray text = bytes;
        if (text.startsWith("\xEF\xBB\xBF"))
            text.remove(0, 3);
        const char separator = csvSeparator(text);
        CsvSplit split = splitCsv(text, separator);
        std::erase_if(split.records, [](const CsvRecord& r) { return r.blank(); });
        if (split.problem)
            return quoteProblem(split);
        if (split.records.empty())
            return refuse({SiteRefusalKind::Empty});
        if (auto refusal = takeHeader(split.records.front()))
            return refuse(*refusal);
        if (split.records.size() == 1)
            return refuse({SiteRefusalKind::NoSensors});
        for (size_t i = 1; i < split.records.size(); ++i)
            if (auto refusal = takeSensor(split.records[i]))
                return refuse(*refusal);
        return SiteLoad{std::move(site_), std::nullopt};
    }

private:
    SiteLoad refuse(SiteRefusal refusal) { return SiteLoad{std::nullopt, std::move(refusal)}; }

    QString columnName(int field) const {
        return field < int(header_.size()) ? header_[field] : QString::number(field + 1);
    }

    SiteLoad quoteProblem(const CsvSplit& split) {
        const CsvProblem& p = *split.problem;
        if (p.fault == CsvFault::QuoteNotClosed)
            return refuse({SiteRefusalKind::QuoteNotClosed, p.line});
        // the header may not be read yet: name the column by its place
        if (!split.records.empty() && split.records.front().line < p.line)
            takeHeader(split.records.front());
        return refuse({SiteRefusalKind::BadQuote, p.line, columnName(p.field)});
    }

    std::optional<SiteRefusal> takeHeader(const CsvRecord& r) {
        header_.clear();
        for (int f = 0; f < int(r.fields.size()); ++f) {
            const auto name = utf8(r.fields[f]);
            header_.push_back(name ? name->trimmed() : QString::number(f + 1));
        }
        for (int f = 0; f < int(r.fields.size()); ++f) {
            if (!utf8(r.fields[f]))
                return SiteRefusal{SiteRefusalKind::NotUtf8, r.line, QString::number(f + 1)};
            if (header_[f].isEmpty())
                continue; // a spreadsheet's empty column: its values must stay empty
            const auto column = columnNamed(header_[f]);
            if (!column)
                return SiteRefusal{SiteRefusalKind::UnknownColumn, r.line, header_[f],
                                   QString::number(f + 1)};
            if (fieldOf_[int(*column)] >= 0)
                return SiteRefusal{SiteRefusalKind::ColumnTwice, r.line, header_[f],
                                   QString::number(f + 1)};
            fieldOf_[int(*column)] = f;
        }
        for (const char* required : {"id", "org"})
            if (fieldOf_[int(*columnNamed(required))] < 0)
                return SiteRefusal{SiteRefusalKind::MissingColumn, 1, required};
        site_.addressColumn = fieldOf_[int(Column::Address)] >= 0;
        return std::nullopt;
    }

    std::optional<SiteRefusal> takeSensor(const CsvRecord& r) {
        for (int f = 0; f < int(r.fields.size()); ++f) {
            const bool named = f < int(header_.size()) && !header_[f].isEmpty();
            if (!named && !r.fields[f].trimmed().isEmpty())
                return SiteRefusal{
                    SiteRefusalKind::TooManyValues, r.line, {}, QString::number(f + 1)};
            if (!utf8(r.fields[f]))
                return SiteRefusal{SiteRefusalKind::NotUtf8, r.line, columnName(f)};
        }
        auto value = [&](Column c) {
            const int f = fieldOf_[int(c)];
            return f >= 0 && f < int(r.fields.size()) ? utf8(r.fields[f])->trimmed() : QString();
        };
        auto refusal = [&](SiteRefusalKind kind, Column c) {
            return SiteRefusal{kind, r.line, columnName(fieldOf_[int(c)]), value(c)};
        };
        SiteSensor s;
        s.line = r.line;
        if (site_.addressColumn) {
            if (value(Column::Address).isEmpty())
                return refusal(SiteRefusalKind::MissingAddress, Column::Address);
            const auto address = wholeNumber(value(Column::Address), 1, 247);
            if (!address)
                return refusal(SiteRefusalKind::BadAddress, Column::Address);
            s.address = uint8_t(*address);
        }
        if (!value(Column::Row).isEmpty()) {
            s.row = wholeNumber(value(Column::Row), 0, kGatewaySensorSlots - 1);
            if (!s.row)
                return refusal(SiteRefusalKind::BadRow, Column::Row);
        }
        const auto id = parseSensorId(value(Column::Id));
        if (!id)
            return refusal(SiteRefusalKind::BadId, Column::Id);
        s.id = *id;
        const auto org = parseSensorOrg(value(Column::Org));
        if (!org)
            return refusal(SiteRefusalKind::BadOrg, Column::Org);
        s.org = *org;
        if (!yesOrNo(value(Column::Inverted), s.inverted))
            return refusal(SiteRefusalKind::BadInverted, Column::Inverted);
        s.label = value(Column::Label);
        return place(s, [&](SiteRefusalKind kind, Column c, int otherLine, QString v) {
            SiteRefusal why = refusal(kind, c);
            why.value = v;
            why.otherLine = otherLine;
            return why;
        });
    }

    template <class Refuse> std::optional<SiteRefusal> place(const SiteSensor& s, Refuse refuse) {
        if (s.row) {
            const auto [at, fresh] = lineOfRow_.try_emplace({s.address, *s.row}, s.line);
            if (!fresh)
                return refuse(SiteRefusalKind::RowTwice, Column::Row, at->second,
                              QString::number(*s.row));
        }
        const auto [at, fresh] = lineOfId_.try_emplace({s.address, s.id}, s.line);
        if (!fresh)
            return refuse(SiteRefusalKind::IdTwice, Column::Id, at->second, s.idText());
        site_.sensors.push_back(s);
        return std::nullopt;
    }

    SiteFile site_;
    QStringList header_;
    std::array<int, kColumns> fieldOf_{-1, -1, -1, -1, -1, -1};
    std::map<std::pair<uint8_t, int>, int> lineOfRow_;     // (address, row) -> line
    std::map<std::pair<uint8_t, uint32_t>, int> lineOfId_; // (address, ID) -> line
};
} // namespace

QString SiteSensor::idText() const {
    return LongToHexStr(int32_t(id), 4);
}

QString SiteSensor::orgText() const {
    return LongToHexStr(org, 1);
}

std::vector<uint8_t> SiteFile::addresses() const {
    std::vector<uint8_t> out;
    for (const SiteSensor& s : sensors)
        out.push_back(s.address);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

std::vector<SiteSensor> SiteFile::sensorsAt(uint8_t address) const {
    std::vector<SiteSensor> out;
    std::copy_if(sensors.begin(), sensors.end(), std::back_inserter(out),
                 [address](const SiteSensor& s) { return s.address == address; });
    return out;
}

SiteLabelMap SiteFile::labels() const {
    SiteLabelMap out;
    for (const SiteSensor& s : sensors)
        if (s.row && !s.label.isEmpty())
            out[{s.address, *s.row}] = s.label;
    return out;
}

void SiteFile::placeAt(uint8_t address) {
    for (SiteSensor& s : sensors)
        s.address = address;
}

SiteLoad parseSiteFile(const QByteArray& bytes) {
    if (bytes.size() > kSiteFileMaxBytes)
        return SiteLoad{std::nullopt, SiteRefusal{SiteRefusalKind::TooLarge}};
    return SiteReader().read(bytes);
}

SiteLoad readSiteFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return SiteLoad{std::nullopt,
                        SiteRefusal{SiteRefusalKind::Unreadable, 0, path, file.errorString()}};
    return parseSiteFile(file.read(kSiteFileMaxBytes + 1));
}
