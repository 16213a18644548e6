#include "window/worksheet.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <cmath>

#include "window/plot_export.h"

namespace mcplot {

namespace {

// The page in its own units: a picture 1000 wide keeps the texts readable
// when the page is printed or shown at any size.
constexpr double kPageWidth = 1000;
constexpr double kMargin = 30;
constexpr double kTitlePixels = 30, kTextPixels = 22;

QFont sheetFont(double pixels, bool bold = false) {
    QFont f(QStringLiteral("Times New Roman"));
    f.setPixelSize(static_cast<int>(std::lround(pixels)));
    f.setBold(bold);
    return f;
}

}  // namespace

double paintWorksheet(QPainter* painter, double width, const WorksheetContent& content) {
    const double inner = width - 2 * kMargin;
    double y = kMargin;
    auto text = [&](const QString& line, const QFont& font) {
        const QFontMetricsF metrics(font);
        const QRectF box = metrics.boundingRect(QRectF(kMargin, y, inner, 10000), Qt::TextWordWrap, line);
        if (painter) {
            painter->setFont(font);
            painter->setPen(Qt::black);
            painter->drawText(QRectF(kMargin, y, inner, box.height()), Qt::TextWordWrap, line);
        }
        y += box.height() + 0.3 * font.pixelSize();
    };
    text(QString::fromUtf8(texts::sheetTitle), sheetFont(kTitlePixels, true));
    y += 6;
    if (!content.plot.isNull()) {
        const QSizeF size = content.plot.deviceIndependentSize();
        const double height = size.width() > 0 ? inner * size.height() / size.width() : 0;
        const QRectF target(kMargin, y, inner, height);
        if (painter) {
            painter->fillRect(target, Qt::white);
            painter->drawImage(target, content.plot);
            painter->setPen(QPen(Qt::black, 1));
            painter->drawRect(target);
        }
        y += height + 14;
    }
    for (const QString& line : content.lines) text(line, sheetFont(kTextPixels));
    return y + kMargin;
}

namespace {

void paintOnPage(const WorksheetContent& content, QPainter& painter, const QRectF& page) {
    // Scale the page's units to the sheet's width, never past its height.
    const double height = paintWorksheet(nullptr, kPageWidth, content);
    const double scale = std::min(page.width() / kPageWidth, page.height() / height);
    painter.translate(page.topLeft());
    painter.scale(scale, scale);
    paintWorksheet(&painter, kPageWidth, content);
}

}  // namespace

QString saveWorksheet(const WorksheetContent& content, const QString& path) {
    const QString notSaved = QStringLiteral("Лист не сохранён в файл");
    if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        return writeFileSafely(path, notSaved, [&content](QIODevice& file) {
            QPdfWriter pdf(&file);
            pdf.setPageSize(QPageSize(QPageSize::A4));
            pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
            pdf.setTitle(QString::fromUtf8(texts::sheetTitle));
            pdf.setCreator(QStringLiteral("mcplot"));
            QPainter painter;
            if (!painter.begin(&pdf)) return false;
            paintOnPage(content, painter, QRectF(QPointF(0, 0), QSizeF(pdf.width(), pdf.height())));
            return painter.end();
        });
    }
    const double height = paintWorksheet(nullptr, kPageWidth, content);
    QImage page(QSize(int(kPageWidth), int(std::ceil(height))), QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setRenderHint(QPainter::TextAntialiasing);
        paintWorksheet(&painter, kPageWidth, content);
    }
    return writeFileSafely(path, notSaved, [&page](QIODevice& file) { return page.save(&file, "PNG"); });
}

void printWorksheet(const WorksheetContent& content, QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer)) return;
    paintOnPage(content, painter, QRectF(QPointF(0, 0), QSizeF(printer.width(), printer.height())));
    painter.end();
}

}  // namespace mcplot
