#include "traffic/TrafficModel.h"

#include "traffic/TrafficRecorder.h"
#include "traffic/TrafficRows.h"

#include <QBrush>
#include <QColor>
#include <QDateTime>
#include <QFontDatabase>
#include <algorithm>
#include <vector>

namespace {
const QColor kProblem(0xFF, 0xD0, 0xD0);
}

TrafficModel::TrafficModel(const TrafficRecorder& recorder, QObject* parent)
    : QAbstractTableModel(parent)
    , recorder_(recorder) {}

int TrafficModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int TrafficModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const TrafficRecord* TrafficModel::recordAt(int row) const {
    const BoundedRing<TrafficRecord>& ring = recorder_.records();
    if (row < 0 || size_t(row) >= rows_.size() || !ring.holds(rows_[size_t(row)]))
        return nullptr;
    return &ring.bySeq(rows_[size_t(row)]);
}

QVariant TrafficModel::data(const QModelIndex& index, int role) const {
    const TrafficRecord* r = recordAt(index.row());
    if (!r)
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return text(*r, column);
    case Qt::ToolTipRole: // the whole of what a narrow column cuts off
        if (column == Time)
            return QDateTime::fromMSecsSinceEpoch(r->wallMs).toString("yyyy-MM-dd HH:mm:ss.zzz");
        return column == Frame || column == Meaning ? text(*r, column) : QVariant();
    case Qt::BackgroundRole:
        return isProblem(*r) ? QVariant(QBrush(kProblem)) : QVariant();
    case Qt::FontRole:
        return column == Frame ? QVariant(QFontDatabase::systemFont(QFontDatabase::FixedFont))
                               : QVariant();
    case Qt::TextAlignmentRole:
        return column == Latency ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
    default:
        return {};
    }
}

QVariant TrafficModel::text(const TrafficRecord& r, int column) const {
    switch (column) {
    case Time:
        return QDateTime::fromMSecsSinceEpoch(r.wallMs).toString("HH:mm:ss.zzz");
    case Direction:
        return directionText(r, english_);
    case Frame:
        return frameText(r.frame, r.format);
    case Meaning:
        return meaningText(r, english_);
    case Check:
        return checkText(r, english_);
    case Latency:
        return r.latencyMs >= 0 ? QVariant(r.latencyMs) : QVariant();
    default:
        return {};
    }
}

QVariant TrafficModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const german[] = {"Zeit",      "Richtung", "Frame",
                                         "Bedeutung", "Prüfung",  "Antwortzeit (ms)"};
    static const char* const english[] = {"Time",    "Direction", "Frame",
                                          "Meaning", "Check",     "Latency (ms)"};
    if (section < 0 || section >= ColumnCount)
        return {};
    return QString::fromUtf8(english_ ? english[section] : german[section]);
}

std::vector<uint64_t> TrafficModel::shownBetween(uint64_t from, uint64_t to) const {
    const BoundedRing<TrafficRecord>& ring = recorder_.records();
    std::vector<uint64_t> shown;
    for (uint64_t seq = std::max(from, ring.firstSeq()); seq < std::min(to, ring.endSeq()); ++seq)
        if (!problemsOnly_ || isProblem(ring.bySeq(seq)))
            shown.push_back(seq);
    return shown;
}

int TrafficModel::catchUp() {
    const BoundedRing<TrafficRecord>& ring = recorder_.records();
    size_t gone = 0; // dropped by the ring or cleared: always the oldest rows
    while (gone < rows_.size() && !ring.holds(rows_[gone]))
        ++gone;
    if (gone > 0) {
        beginRemoveRows({}, 0, int(gone) - 1);
        rows_.erase(rows_.begin(), rows_.begin() + qsizetype(gone));
        endRemoveRows();
    }
    const std::vector<uint64_t> fresh = shownBetween(seen_, ring.endSeq());
    seen_ = ring.endSeq();
    if (fresh.empty())
        return 0;
    const int first = int(rows_.size());
    beginInsertRows({}, first, first + int(fresh.size()) - 1);
    rows_.insert(rows_.end(), fresh.begin(), fresh.end());
    endInsertRows();
    return int(fresh.size());
}

void TrafficModel::setProblemsOnly(bool on) {
    if (on == problemsOnly_)
        return;
    beginResetModel();
    problemsOnly_ = on;
    const std::vector<uint64_t> shown = shownBetween(0, seen_);
    rows_.assign(shown.begin(), shown.end());
    endResetModel();
}

void TrafficModel::setEnglish(bool english) {
    english_ = english;
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
    if (!rows_.empty())
        emit dataChanged(index(0, 0), index(int(rows_.size()) - 1, ColumnCount - 1));
}
