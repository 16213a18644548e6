// Pictures opened by file name, sharp on high-density screens: beside
// "name.gif" may lie "name@2x.gif" of twice the size, which is taken when the
// screen has more than one device pixel per logical pixel.
#pragma once

#include <QImage>
#include <QString>

namespace mcplot {

// "gauss.gif" -> "gauss@2x.gif"; "dir/plain" -> "dir/plain@2x".
QString doubleResolutionName(const QString& file);

// The plain file decides: if it cannot be read the result is a null image,
// whatever else exists. Otherwise, for ratio > 1, the double-resolution file
// replaces it when it reads and is exactly twice as large, with a device pixel
// ratio of 2, so it takes the same logical size as the plain picture.
QImage readPictureForRatio(const QString& file, qreal ratio);

}  // namespace mcplot
