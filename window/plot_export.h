// The plot as a picture for a report: saved as PNG or put on the clipboard,
// at the resolution of the screen it is shown on.
#pragma once

#include <QImage>
#include <QString>

#include <memory>

#include "studywindow/file_saving.h"

class QFileDialog;
class QWidget;

namespace mcplot {

namespace texts {
inline constexpr const char* savePictureCaption = "Сохранить рисунок…";
inline constexpr const char* copyPictureCaption = "Копировать рисунок";
inline constexpr const char* saveFailedTitle = "Рисунок не сохранён";
}  // namespace texts

// What the plot box shows, pixel for pixel.
QImage plotPicture(QWidget* plotBox);

// Writes the picture as PNG. Returns "" on success, else a Russian message
// naming the file and the reason.
QString savePicture(const QImage& picture, const QString& path);

void copyPicture(const QImage& picture);

// Qt's own save dialog (translated, the same on every desktop) for a PNG
// file, not yet shown.
std::unique_ptr<QFileDialog> pictureDialog(QWidget* parent);

// Runs that dialog; "" when the user cancels.
QString askPicturePath(QWidget* parent);

}  // namespace mcplot
