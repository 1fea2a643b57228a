#include "traffic/TrafficTable.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStyleOptionSlider>

namespace {
// A scroll bar repaints at every change of its range and value, which following a growing list
// changes at every batch, often without moving the handle: at the bottom, once it has shrunk to
// its least size, it stands still. While a batch settles it is held, and then repaints only if
// the handle moved or an end was reached or left (the arrows show that).
class HandleScrollBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;
    void hold() { held_ = true; }
    void release() {
        held_ = false;
        if (look() != shownLook_)
            update();
    }

protected:
    void sliderChange(SliderChange change) override {
        if (!held_)
            QScrollBar::sliderChange(change); // repaints
    }
    void paintEvent(QPaintEvent* event) override {
        shownLook_ = look();
        QScrollBar::paintEvent(event);
    }

private:
    struct Look {
        QRect handle;
        bool atTop = false, atBottom = false;
        bool operator==(const Look&) const = default;
    };
    Look look() const {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return {style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider,
                                        this),
                value() == minimum(), value() == maximum()};
    }
    bool held_ = false;
    Look shownLook_;
};
} // namespace

TrafficTable::TrafficTable(QWidget* parent)
    : QTableView(parent) {
    setVerticalScrollBar(new HandleScrollBar(Qt::Vertical, this));
    QHeaderView* rows = verticalHeader(); // one fixed height: rows move by whole rows
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);
}

void TrafficTable::settleBatch(bool follow) {
    const bool changed = appendedFrom_ >= 0 || droppedAtTop_ > 0;
    if (changed && !wholeLayoutDue_) {
        settleMovedRows(follow);
    } else {
        executeDelayedItemsLayout();
        if (follow && appendedFrom_ >= 0)
            scrollToBottom();
    }
    appendedFrom_ = -1;
    droppedAtTop_ = 0;
}

void TrafficTable::settleMovedRows(bool follow) {
    const int before = verticalHeader()->offset();
    static_cast<HandleScrollBar*>(verticalScrollBar())->hold();
    keepPixels_ = true;
    executeDelayedItemsLayout(); // now, not at the next turn of the event loop
    if (follow && appendedFrom_ >= 0)
        scrollToBottom();
    keepPixels_ = false;
    static_cast<HandleScrollBar*>(verticalScrollBar())->release();
    // how far the rows shown went up: by the rows dropped above them and by the scroll
    const int moved = verticalHeader()->offset() - before +
                      droppedAtTop_ * verticalHeader()->defaultSectionSize();
    if (moved != 0)
        viewport()->scroll(0, -moved); // moves the pixels and paints the strip that came in
    if (appendedFrom_ >= 0)
        paintRowsFrom(appendedFrom_);
}

void TrafficTable::reset() {
    wholeLayoutDue_ = true;
    QTableView::reset();
}

void TrafficTable::doItemsLayout() {
    if (!keepPixels_) {
        wholeLayoutDue_ = false;
        QTableView::doItemsLayout();
        return;
    }
    updateGeometries(); // the scroll range takes the new rows; the rows shown stay as they are
    if (!verticalHeader()->updatesEnabled())
        verticalHeader()->setUpdatesEnabled(true); // the view turns them off while rows go
}

// While a batch settles, the scroll position moves without the pixels: the header takes the
// new position as QTableView would set it, and settleMovedRows moves the pixels once.
void TrafficTable::scrollContentsBy(int dx, int dy) {
    if (!keepPixels_ || dx != 0) {
        QTableView::scrollContentsBy(dx, dy);
        return;
    }
    const QScrollBar* bar = verticalScrollBar();
    if (verticalScrollMode() == ScrollPerPixel)
        verticalHeader()->setOffset(bar->value());
    else if (bar->maximum() > 0 && bar->value() == bar->maximum())
        verticalHeader()->setOffsetToLastSection();
    else
        verticalHeader()->setOffsetToSectionPosition(bar->value());
}

void TrafficTable::rowsInserted(const QModelIndex& parent, int start, int end) {
    if (appendedFrom_ < 0 || start < appendedFrom_)
        appendedFrom_ = start;
    QTableView::rowsInserted(parent, start, end);
}

void TrafficTable::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    if (start == 0 && appendedFrom_ < 0)
        droppedAtTop_ += end - start + 1;
    else
        wholeLayoutDue_ = true;
    QTableView::rowsAboutToBeRemoved(parent, start, end);
}

// The appended rows that lie in the viewport and no scroll has painted.
void TrafficTable::paintRowsFrom(int first) {
    const int last = model()->rowCount() - 1;
    if (first > last)
        return;
    const int top = rowViewportPosition(first);
    const int bottom = rowViewportPosition(last) + rowHeight(last);
    const QRect rows = QRect(0, top, viewport()->width(), bottom - top) & viewport()->rect();
    if (!rows.isEmpty())
        viewport()->update(rows);
}
