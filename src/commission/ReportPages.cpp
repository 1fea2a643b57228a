#include "commission/ReportPages.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

namespace {
constexpr double kMarginMm = 15;
constexpr double kFooterMm = 10; // kept free at the foot of each page
constexpr double kCellPadMm = 0.8;

QFont font(double points, bool bold = false) {
    QFont f("DejaVu Sans");
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    // no ligatures: "fi" stays two letters for whoever searches or copies the text
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}
} // namespace

ReportPages::ReportPages(QPagedPaintDevice& device, QPainter* painter, bool english, QString footer,
                         int pageCount)
    : device_(device)
    , painter_(painter)
    , english_(english)
    , footerText_(std::move(footer))
    , pageCount_(pageCount)
    , body_(font(9))
    , bold_(font(9, true))
    , small_(font(7.5))
    , smallBold_(font(7.5, true))
    , heading_(font(12, true))
    , title_(font(17, true)) {
    left_ = mm(kMarginMm);
    top_ = mm(kMarginMm);
    width_ = device_.width() - 2 * left_;
    bottom_ = device_.height() - mm(kMarginMm + kFooterMm);
    y_ = top_;
}

ReportPages::~ReportPages() = default;

double ReportPages::mm(double v) const {
    return v * device_.logicalDpiY() / 25.4;
}

double ReportPages::textBlock(const QString& text, const QFont& f, double x, double y, double width,
                              bool paint) {
    QTextLayout layout(text, f, &device_);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    double height = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    if (paint && painter_)
        layout.draw(painter_, QPointF(x, y));
    return height;
}

void ReportPages::ensure(double height) {
    if (y_ + height > bottom_ && y_ > top_)
        newPage();
}

void ReportPages::newPage() {
    footer();
    if (painter_)
        device_.newPage();
    ++page_;
    y_ = top_;
}

void ReportPages::footer() {
    const QString text = QString(english_ ? "%1 · Page %2 of %3" : "%1 · Seite %2 von %3")
                             .arg(footerText_)
                             .arg(page_)
                             .arg(pageCount_);
    textBlock(text, small_, left_, device_.height() - mm(kMarginMm + 4), width_, true);
}

int ReportPages::finish() {
    footer();
    return page_;
}

void ReportPages::space(double v) {
    y_ += mm(v);
}

void ReportPages::title(const QString& text) {
    y_ += textBlock(text, title_, left_, y_, width_, true) + mm(3);
}

void ReportPages::heading(const QString& text) {
    // a heading keeps a few lines below it on its page
    ensure(textBlock(text, heading_, 0, 0, width_, false) + mm(20));
    y_ += mm(2);
    y_ += textBlock(text, heading_, left_, y_, width_, true) + mm(1.5);
}

void ReportPages::paragraph(const QString& text, bool bold) {
    const QFont& f = bold ? bold_ : body_;
    const double h = textBlock(text, f, 0, 0, width_, false);
    ensure(h);
    y_ += textBlock(text, f, left_, y_, width_, true) + mm(1.5);
}

void ReportPages::fields(const std::vector<std::pair<QString, QString>>& lines) {
    const double nameWidth = mm(38);
    for (const auto& [name, value] : lines) {
        const double h = textBlock(value, body_, 0, 0, width_ - nameWidth, false);
        ensure(h);
        textBlock(name, bold_, left_, y_, nameWidth, true);
        y_ += textBlock(value, body_, left_ + nameWidth, y_, width_ - nameWidth, true) + mm(0.8);
    }
}

double ReportPages::rowHeight(const std::vector<ReportColumn>& columns, const QStringList& cells,
                              const QFont& f) {
    double h = 0;
    for (int c = 0; c < int(columns.size()) && c < cells.size(); ++c)
        h = std::max(h,
                     textBlock(cells[c], f, 0, 0, mm(columns[c].widthMm - 2 * kCellPadMm), false));
    return h + mm(2 * kCellPadMm);
}

void ReportPages::paintRow(const std::vector<ReportColumn>& columns, const ReportRow& row,
                           const QFont& f, double height, bool header) {
    double x = left_;
    for (int c = 0; c < int(columns.size()); ++c) {
        const double w = mm(columns[c].widthMm);
        if (painter_) {
            const QRectF cell(x, y_, w, height);
            if (header)
                painter_->fillRect(cell, QColor(0xE8, 0xE8, 0xE8));
            else if (c == row.shadedCell)
                painter_->fillRect(cell, row.shade);
            painter_->setPen(QPen(QColor(0xA0, 0xA0, 0xA0), mm(0.15)));
            painter_->drawRect(cell);
            painter_->setPen(Qt::black);
        }
        if (c < row.cells.size())
            textBlock(row.cells[c], f, x + mm(kCellPadMm), y_ + mm(kCellPadMm),
                      w - mm(2 * kCellPadMm), true);
        x += w;
    }
    y_ += height;
}

void ReportPages::table(const QString& caption, const std::vector<ReportColumn>& columns,
                        const std::vector<ReportRow>& rows) {
    QStringList headers;
    for (const ReportColumn& c : columns)
        headers << c.header;
    const double headerHeight = rowHeight(columns, headers, smallBold_);
    auto top = [&](const QString& text) {
        if (!text.isEmpty())
            y_ += textBlock(text, bold_, left_, y_, width_, true) + mm(1);
        paintRow(columns, ReportRow{headers}, smallBold_, headerHeight, true);
    };
    const double captionHeight =
        caption.isEmpty() ? 0 : textBlock(caption, bold_, 0, 0, width_, false) + mm(1);
    const double first = rows.empty() ? 0 : rowHeight(columns, rows.front().cells, small_);
    ensure(captionHeight + headerHeight + first);
    top(caption);
    for (const ReportRow& row : rows) {
        const double h = rowHeight(columns, row.cells, small_);
        if (y_ + h > bottom_) {
            newPage();
            const QString continued = english_ ? "(continued)" : "(Fortsetzung)";
            top(caption.isEmpty() ? continued : caption + " " + continued);
        }
        paintRow(columns, row, small_, h, false);
    }
    y_ += mm(3);
}

void ReportPages::signatures(const QString& left, const QString& right) {
    ensure(mm(30));
    y_ += mm(18);
    const double w = (width_ - mm(20)) / 2;
    for (int i = 0; i < 2; ++i) {
        const double x = left_ + i * (w + mm(20));
        if (painter_) {
            painter_->setPen(QPen(Qt::black, mm(0.2)));
            painter_->drawLine(QPointF(x, y_), QPointF(x + w, y_));
        }
        textBlock(i == 0 ? left : right, small_, x, y_ + mm(1), w, true);
    }
    y_ += mm(12);
}
