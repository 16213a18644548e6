#include "window/hidpi_picture.h"

#include <QFileInfo>
#include <QImageReader>

namespace mcplot {

QString doubleResolutionName(const QString& file) {
    const QFileInfo info(file);
    const QString suffix = info.suffix();
    const QString name = info.fileName();
    const QString stem = suffix.isEmpty() ? name : name.left(name.size() - suffix.size() - 1);
    const QString twice =
        stem + QStringLiteral("@2x") + (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
    const qsizetype slash = file.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? twice : file.left(slash + 1) + twice;
}

QImage readPictureForRatio(const QString& file, qreal ratio) {
    QImage plain = QImageReader(file).read();
    if (plain.isNull() || ratio <= 1.0) return plain;
    QImage sharp = QImageReader(doubleResolutionName(file)).read();
    if (sharp.isNull() || sharp.size() != plain.size() * 2) return plain;
    sharp.setDevicePixelRatio(2.0);
    return sharp;
}

}  // namespace mcplot
