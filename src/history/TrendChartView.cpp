#include "history/TrendChartView.h"

#include "platform/Timer.h"

#include <QDateTime>
#include <QDateTimeAxis>
#include <QKeyEvent>
#include <QLineSeries>
#include <QMouseEvent>
#include <QValueAxis>
#include <tuple>
#include <utility>

namespace {
constexpr qreal kDayMs = 24.0 * 3600 * 1000;
} // namespace

TrendChartView::TrendChartView(const Clock& clock, QWidget* parent)
    : QChartView(parent)
    , clock_(clock)
    , time_(new QDateTimeAxis)
    , value_(new QValueAxis) {
    auto* c = new QChart;
    c->legend()->setVisible(true);
    c->legend()->setAlignment(Qt::AlignBottom);
    c->addAxis(time_, Qt::AlignBottom);
    c->addAxis(value_, Qt::AlignLeft);
    value_->setLabelFormat("%g");
    setChart(c);
    setRenderHint(QPainter::Antialiasing, false); // thousands of points: crisp and fast
    setRubberBand(QChartView::RectangleRubberBand);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(480, 280);
    fit();
}

void TrendChartView::setAxisTitles(const QString& time, const QString& value) {
    time_->setTitleText(time);
    value_->setTitleText(value);
}

void TrendChartView::setLines(const std::vector<Line>& lines) {
    chart()->removeAllSeries();
    series_.clear();
    pending_.assign(lines.size(), {});
    anyPending_ = false;
    empty_ = true;
    for (const Line& l : lines) {
        auto* s = new QLineSeries;
        s->setName(l.name);
        s->replace(l.points);
        chart()->addSeries(s);
        s->attachAxis(time_);
        s->attachAxis(value_);
        QPen pen = s->pen(); // the theme's colour, thin: thousands of points draw fast
        pen.setWidthF(1);
        s->setPen(pen);
        series_.push_back(s);
        for (const QPointF& p : l.points)
            widen(p);
    }
    resetView();
}

void TrendChartView::appendPoint(int index, const QPointF& point, qsizetype keep) {
    if (index < 0 || index >= lineCount())
        return;
    Pending& p = pending_[size_t(index)];
    p.points.append(point);
    p.keep = keep;
    anyPending_ = true;
}

void TrendChartView::drawPending() {
    if (!anyPending_)
        return;
    for (size_t i = 0; i < series_.size(); ++i) {
        Pending& p = pending_[i];
        QLineSeries* s = series_[i];
        if (p.keep > 0 && p.points.size() > p.keep)
            p.points.remove(0, p.points.size() - p.keep);
        const qsizetype over = s->count() + p.points.size() - p.keep;
        if (p.keep > 0 && over > 0)
            s->removePoints(0, over);
        for (const QPointF& point : std::as_const(p.points)) {
            s->append(point);
            widen(point);
        }
        p.points.clear();
    }
    anyPending_ = false;
    if (following_)
        fit();
}

void TrendChartView::widen(const QPointF& p) {
    if (empty_) {
        minX_ = maxX_ = p.x();
        minY_ = maxY_ = p.y();
        empty_ = false;
        return;
    }
    minX_ = qMin(minX_, p.x());
    maxX_ = qMax(maxX_, p.x());
    minY_ = qMin(minY_, p.y());
    maxY_ = qMax(maxY_, p.y());
}

void TrendChartView::resetView() {
    following_ = true;
    chart()->zoomReset();
    fit();
}

void TrendChartView::fit() {
    const qreal now = qreal(clock_.wallMs());
    qreal x0 = empty_ ? now - 3600000 : minX_, x1 = empty_ ? now : maxX_;
    if (x1 - x0 < 60000) // at least a minute, so that a first point shows
        x1 = x0 + 60000;
    qreal y0 = empty_ ? 0 : minY_, y1 = empty_ ? 255 : maxY_;
    const qreal margin = y1 > y0 ? (y1 - y0) * 0.05 : 1;
    time_->setFormat(x1 - x0 < kDayMs ? "HH:mm:ss" : "dd.MM. HH:mm");
    time_->setRange(QDateTime::fromMSecsSinceEpoch(qint64(x0)),
                    QDateTime::fromMSecsSinceEpoch(qint64(x1)));
    value_->setRange(y0 - margin, y1 + margin);
    value_->applyNiceNumbers(); // round steps: 20, 40, 60 rather than 14.66, 55.59
}

void TrendChartView::scrollBy(qreal dx, qreal dy) {
    following_ = false;
    chart()->scroll(dx, dy);
}

void TrendChartView::keyPressEvent(QKeyEvent* event) {
    const QRectF area = chart()->plotArea();
    const qreal stepX = area.width() / 10, stepY = area.height() / 10;
    switch (event->key()) {
    case Qt::Key_Left:
        scrollBy(-stepX, 0);
        break;
    case Qt::Key_Right:
        scrollBy(stepX, 0);
        break;
    case Qt::Key_Up:
        scrollBy(0, stepY);
        break;
    case Qt::Key_Down:
        scrollBy(0, -stepY);
        break;
    default:
        QChartView::keyPressEvent(event);
    }
}

void TrendChartView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        panning_ = true;
        panFrom_ = event->position().toPoint();
        event->accept();
        return;
    }
    QChartView::mousePressEvent(event);
}

void TrendChartView::mouseMoveEvent(QMouseEvent* event) {
    if (panning_) {
        const QPoint at = event->position().toPoint();
        const QPoint d = at - panFrom_;
        panFrom_ = at;
        scrollBy(-d.x(), d.y()); // the content follows the hand
        event->accept();
        return;
    }
    QChartView::mouseMoveEvent(event);
}

void TrendChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton && panning_) {
        panning_ = false;
        event->accept();
        return;
    }
    auto ranges = [this] {
        return std::tuple(time_->min(), time_->max(), value_->min(), value_->max());
    };
    const auto before = ranges();
    QChartView::mouseReleaseEvent(event);
    if (ranges() != before)
        following_ = false; // zoomed in or out by hand
}
