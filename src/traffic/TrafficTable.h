#pragma once
// The table of frmTraffic. Qt's table view answers every change of the row count by laying out
// and painting all the rows it shows, which at ten batches a second was most of what following
// the line cost. A batch only appends rows and, once the recorder's ring is full, drops the
// oldest: the rows shown keep their texts and at most move up. So after a batch this view lays
// out only the scroll range, moves the pixels it has by as far as the rows moved (the backing
// store copies them) and paints only the rows that came into view. A reset, rows dropped
// elsewhere than at the top and new texts are laid out and painted whole, as Qt does. The
// vertical scroll bar repaints only when its handle moves, not at every new row.

#include <QTableView>

class TrafficTable : public QTableView {
    Q_OBJECT
public:
    explicit TrafficTable(QWidget* parent = nullptr);

    // After a batch: shows the rows the model took over; `follow` keeps the newest row in view.
    void settleBatch(bool follow);
    void reset() override;

protected:
    void doItemsLayout() override;
    void scrollContentsBy(int dx, int dy) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

private:
    void settleMovedRows(bool follow);
    void paintRowsFrom(int first);

    int appendedFrom_ = -1;       // the first row appended since the last batch; -1: none
    int droppedAtTop_ = 0;        // rows dropped at the top since the last batch
    bool wholeLayoutDue_ = false; // something else changed: lay out and paint everything
    bool keepPixels_ = false;     // a batch is moving the scroll position; the pixels move later
};
