#pragma once
// The trend chart of the history window: scaled data bytes over wall-clock time, one line per
// row and byte, with a legend. Drag a rectangle to zoom in, right-click to zoom out; pan with the
// arrow keys or by dragging with the middle button; resetView() fits the data again. While the
// view is not zoomed or panned it follows new points. New points wait for drawPending(), so that
// a live chart redraws (lines, axes and all) at most as often as that is called.

#include <QChartView>
#include <QList>
#include <QPointF>
#include <QString>
#include <vector>

class Clock;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

class TrendChartView : public QChartView {
    Q_OBJECT
public:
    struct Line {
        QString name;
        QList<QPointF> points; // x: ms since 1970-01-01 UTC
    };

    // The clock places an empty chart: the hour before now.
    explicit TrendChartView(const Clock& clock, QWidget* parent = nullptr);
    void setLines(const std::vector<Line>& lines);
    // A new point at the end of line `index`, shown at the next drawPending(); the line keeps at
    // most `keep` points.
    void appendPoint(int index, const QPointF& point, qsizetype keep);
    // Draws the points appended since the last call; nothing when there are none.
    void drawPending();
    void resetView();
    void setAxisTitles(const QString& time, const QString& value);
    bool following() const { return following_; }
    int lineCount() const { return int(series_.size()); }
    QLineSeries* line(int index) const { return series_[size_t(index)]; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void fit();
    void widen(const QPointF& p);
    void scrollBy(qreal dx, qreal dy); // in pixels; the user has left the live view

    const Clock& clock_;
    QDateTimeAxis* time_;
    QValueAxis* value_;
    std::vector<QLineSeries*> series_;
    struct Pending {
        QList<QPointF> points;
        qsizetype keep = 0;
    };
    std::vector<Pending> pending_; // by line
    bool anyPending_ = false;
    bool following_ = true;
    bool empty_ = true;
    qreal minX_ = 0, maxX_ = 0, minY_ = 0, maxY_ = 0;
    bool panning_ = false;
    QPoint panFrom_;
};
