#pragma once
// The rows of the traffic table over the recorder's records. The model takes over new records in
// batches (catchUp, from the window's 100 ms timer), so that a busy line costs the view one
// insertion per batch rather than one per frame; rows the recorder has dropped go at the same
// time. The "problems only" filter shows time-outs, rejected frames, drained pieces and late
// answers. No widgets.

#include <QAbstractTableModel>
#include <deque>
#include <vector>

class TrafficRecorder;
struct TrafficRecord;

class TrafficModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Time, Direction, Frame, Meaning, Check, Latency, ColumnCount };

    explicit TrafficModel(const TrafficRecorder& recorder, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Takes over what was recorded since the last call; the number of rows added.
    int catchUp();
    void setProblemsOnly(bool on);
    bool problemsOnly() const { return problemsOnly_; }
    void setEnglish(bool english);
    // The record a row shows; nullptr when the recorder has dropped it since the last catchUp.
    const TrafficRecord* recordAt(int row) const;

private:
    // Sequence numbers from..to - 1 that the ring still holds and the filter shows.
    std::vector<uint64_t> shownBetween(uint64_t from, uint64_t to) const;
    QVariant text(const TrafficRecord& r, int column) const;

    const TrafficRecorder& recorder_;
    std::deque<uint64_t> rows_; // sequence numbers of the records shown, oldest first
    uint64_t seen_ = 0;         // the first sequence number not yet looked at
    bool problemsOnly_ = false;
    bool english_ = false;
};
