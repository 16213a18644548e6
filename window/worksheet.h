// A worksheet page: the plot with, under it, the function, the limits, the
// number of throws and the counts, both answers and the date, for a report or
// the blackboard. One layout serves the PNG picture, the PDF file and the
// printer.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

class QPainter;
class QPrinter;

namespace mcplot {

struct WorksheetContent {
    QImage plot;
    QStringList lines;  // the texts under the plot, in order
};

namespace texts {
inline constexpr const char* saveSheetCaption = "Сохранить рисунок с подписью…";
inline constexpr const char* printCaption = "Печать…";
inline constexpr const char* sheetTitle = "Определённый интеграл методом Монте-Карло";
inline constexpr const char* sheetFailedTitle = "Лист не сохранён";
}  // namespace texts

// Paints the page `width` units wide from the top left of the painter's
// coordinates; returns the height it took. With a null painter it only
// measures.
double paintWorksheet(QPainter* painter, double width, const WorksheetContent& content);

// Writes the page as PDF when the name ends in ".pdf" (any case), else as PNG.
// Returns "" on success, else a Russian message naming the file and the reason.
QString saveWorksheet(const WorksheetContent& content, const QString& path);

// Prints the page on one sheet of the printer, scaled to its width.
void printWorksheet(const WorksheetContent& content, QPrinter& printer);

}  // namespace mcplot
