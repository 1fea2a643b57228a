// Turns a Markdown manual into the A4 PDF help document that the Help menu opens.
//   qrx-helpdoc <manual.md> <output.pdf> <title>
// Pictures are resolved relative to the Markdown file and fitted to the text width; the title
// becomes the document's metadata title and heads the first page unless the text begins with
// a heading of its own. Runs headless
// (QT_QPA_PLATFORM=offscreen).

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QUrl>
#include <cstdio>

namespace {

constexpr int kResolution = 300; // dots per inch of the PDF's layout
constexpr qreal kMarginMm = 20;  // all four page margins
// Pictures are screenshots of about 800 pixels; one common scale keeps the windows' proportions
// to each other, and the text width (170 mm, 642 pixels at 96 dpi) is the limit.
constexpr qreal kPictureScale = 0.75;
constexpr qreal kMaxPictureWidth = 640;

struct Picture {
    int position;
    int length;
    QTextImageFormat format;
};

// Loads every picture the text names from beside the Markdown file and gives each its size on
// the page. A missing picture is an error: the manual would silently lose it.
bool loadPictures(QTextDocument& doc, const QDir& base) {
    QList<Picture> pictures;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.isValid() && f.charFormat().isImageFormat())
                pictures.append({f.position(), f.length(), f.charFormat().toImageFormat()});
        }
    for (Picture& p : pictures) {
        const QString name = p.format.name();
        const QImage image(base.filePath(name));
        if (image.isNull()) {
            std::fprintf(stderr, "qrx-helpdoc: cannot read picture %s\n", qPrintable(name));
            return false;
        }
        doc.addResource(QTextDocument::ImageResource, QUrl(name), image);
        const qreal width = qMin<qreal>(image.width() * kPictureScale, kMaxPictureWidth);
        p.format.setWidth(width);
        p.format.setHeight(width * image.height() / image.width());
        QTextCursor c(&doc);
        c.setPosition(p.position);
        c.setPosition(p.position + p.length, QTextCursor::KeepAnchor);
        c.setCharFormat(p.format);
    }
    return true;
}

void drawPageNumber(QPainter& painter, const QRectF& page, int number, int count) {
    QFont font("DejaVu Sans", 8);
    painter.setFont(font);
    const QRectF footer(0, page.height() + painter.device()->logicalDpiY() * 0.25, page.width(),
                        painter.device()->logicalDpiY() * 0.3);
    painter.drawText(footer, Qt::AlignHCenter | Qt::AlignTop,
                     QString("%1 / %2").arg(number).arg(count));
}

bool writePdf(QTextDocument& doc, const QString& output, const QString& title) {
    QPdfWriter writer(output);
    writer.setResolution(kResolution);
    writer.setTitle(title);
    writer.setCreator("qrx-helpdoc");
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                     QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&writer)) {
        std::fprintf(stderr, "qrx-helpdoc: cannot write %s\n", qPrintable(output));
        return false;
    }
    doc.documentLayout()->setPaintDevice(&writer);
    const QRectF page(QPointF(0, 0), writer.pageLayout().paintRectPixels(kResolution).size());
    doc.setPageSize(page.size());
    const int count = doc.pageCount();
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            writer.newPage();
        painter.save();
        painter.translate(0, -page.height() * i);
        doc.drawContents(&painter, page.translated(0, page.height() * i));
        painter.restore();
        drawPageNumber(painter, page, i + 1, count);
    }
    return painter.end();
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <manual.md> <output.pdf> <title>\n", argv[0]);
        return 2;
    }
    const QString input = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    const QString title = QString::fromLocal8Bit(argv[3]);
    QFile file(input);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "qrx-helpdoc: cannot read %s\n", qPrintable(input));
        return 1;
    }
    QString text = QString::fromUtf8(file.readAll());
    if (!text.startsWith("# "))
        text.prepend("# " + title + "\n\n");
    QTextDocument doc;
    doc.setDefaultFont(QFont("DejaVu Sans", 10));
    doc.setMarkdown(text);
    doc.setMetaInformation(QTextDocument::DocumentTitle, title);
    if (!loadPictures(doc, QFileInfo(input).absoluteDir()))
        return 1;
    QDir().mkpath(QFileInfo(output).absolutePath());
    return writePdf(doc, output, title) ? 0 : 1;
}
