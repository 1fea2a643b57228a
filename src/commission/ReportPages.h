#pragma once
// A4 pages of text and tables for the handover report, on any paged device (QPdfWriter): a
// cursor runs down the page, a table row that does not fit starts a new page and repeats the
// table's caption and header there. Cells wrap at word boundaries, or anywhere in a word longer
// than the cell. A run without a painter only measures: the report is laid out twice, first to
// count the pages for the footer ("Page 2 of 3").

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <vector>

class QPagedPaintDevice;
class QPainter;

struct ReportColumn {
    QString header;
    double widthMm = 20;
};

struct ReportRow {
    QStringList cells{};
    int shadedCell = -1; // this cell gets the background
    QColor shade{};
};

class ReportPages {
public:
    // painter: null to only measure. footer: the text before "Page n of N".
    ReportPages(QPagedPaintDevice& device, QPainter* painter, bool english, QString footer,
                int pageCount);
    ~ReportPages();

    void title(const QString& text);
    void heading(const QString& text);
    void paragraph(const QString& text, bool bold = false);
    // "Name: value" lines with the names in a column of their own.
    void fields(const std::vector<std::pair<QString, QString>>& lines);
    // caption: above the table and, "(continued)", above its rest on the next page; may be empty.
    void table(const QString& caption, const std::vector<ReportColumn>& columns,
               const std::vector<ReportRow>& rows);
    // Two signature blocks side by side: a line to sign on, the caption below.
    void signatures(const QString& left, const QString& right);
    void space(double mm);
    // Paints the last page's footer; the number of pages.
    int finish();

private:
    double mm(double v) const;
    // The height text takes in width at font; paints it at (x, y) when painting.
    double textBlock(const QString& text, const QFont& font, double x, double y, double width,
                     bool paint);
    void ensure(double height);
    void newPage();
    void footer();
    double rowHeight(const std::vector<ReportColumn>& columns, const QStringList& cells,
                     const QFont& font);
    void paintRow(const std::vector<ReportColumn>& columns, const ReportRow& row, const QFont& font,
                  double height, bool header);

    QPagedPaintDevice& device_;
    QPainter* painter_;
    bool english_;
    QString footerText_;
    int pageCount_;
    int page_ = 1;
    double left_, top_, width_, bottom_;
    double y_;
    QFont body_, bold_, small_, smallBold_, heading_, title_;
};
