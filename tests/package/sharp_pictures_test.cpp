// The formula pictures come twice: the plain files the program opens by name
// and "@2x" files of twice the size beside them. On a screen with two device
// pixels per pixel the sharp one is drawn, at the plain one's size; without it
// the plain one is drawn, and without the plain one nothing is loaded at all.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QTemporaryDir>

#include "window/controls.h"
#include "window/hidpi_picture.h"

namespace {

const QDir buildDir(QStringLiteral(MCPLOT_BUILD_DIR));
const QDir assetsDir(QStringLiteral(MCPLOT_ASSETS_DIR));

const QStringList kPictures = {"linein",  "parabola", "sinus",   "cos", "gauss",
                               "maxwell", "plank_1",  "plank_2", "vdv"};

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool isInk(QRgb px) {
    return qRed(px) < 160 || qGreen(px) < 160 || qBlue(px) < 160;
}

QRect inkBounds(const QImage &img) {
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (isInk(img.pixel(x, y))) box |= QRect(x, y, 1, 1);
    return box;
}

// Mean difference of the grey levels, 0 (same) to 255.
double meanDifference(const QImage &a, const QImage &b) {
    const QImage ga = a.convertToFormat(QImage::Format_Grayscale8);
    const QImage gb = b.convertToFormat(QImage::Format_Grayscale8);
    double sum = 0;
    for (int y = 0; y < ga.height(); ++y)
        for (int x = 0; x < ga.width(); ++x) sum += std::abs(qGray(ga.pixel(x, y)) - qGray(gb.pixel(x, y)));
    return sum / (ga.width() * ga.height());
}

QImage halved(const QImage &img) {
    return img.scaled(img.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

TEST(SharpPictures, EveryFormulaHasOneOfTwiceTheSizeShowingTheSameDrawing) {
    for (const QString &name : kPictures) {
        SCOPED_TRACE(name.toStdString());
        const QString plainFile = name + QStringLiteral(".gif");
        const QString sharpFile = name + QStringLiteral("@2x.gif");
        QImageReader sharpReader(assetsDir.filePath(sharpFile));
        EXPECT_EQ(sharpReader.format(), "gif");
        const QImage sharp = sharpReader.read();
        const QImage plain = QImage(assetsDir.filePath(plainFile));
        ASSERT_FALSE(sharp.isNull()) << sharpReader.errorString().toStdString();
        ASSERT_FALSE(plain.isNull());
        EXPECT_EQ(sharp.size(), plain.size() * 2);
        // Copied beside the program, like the plain one, by the build.
        EXPECT_EQ(readAll(buildDir.filePath(sharpFile)), readAll(assetsDir.filePath(sharpFile)))
            << "stale or missing copy";
        // The same formula in the same place, only finer: halved, it is the
        // plain picture up to anti-aliasing.
        const QImage small = halved(sharp);
        const QRect a = inkBounds(small), b = inkBounds(plain);
        ASSERT_TRUE(a.isValid());
        // Glyph advances are rounded at each size, so a long formula may
        // come out a little wider or narrower.
        const int slack = plain.width() / 50;
        EXPECT_LE(std::abs(a.left() - b.left()), slack);
        EXPECT_LE(std::abs(a.right() - b.right()), slack);
        EXPECT_LE(std::abs(a.top() - b.top()), 3);
        EXPECT_LE(std::abs(a.bottom() - b.bottom()), 3);
        EXPECT_LT(meanDifference(small, plain), 12.0);
    }
}

TEST(SharpPictures, DoubleResolutionNameGoesBeforeTheSuffix) {
    EXPECT_EQ(mcplot::doubleResolutionName(QStringLiteral("gauss.gif")), QStringLiteral("gauss@2x.gif"));
    EXPECT_EQ(mcplot::doubleResolutionName(QStringLiteral("plank_1.gif")), QStringLiteral("plank_1@2x.gif"));
    EXPECT_EQ(mcplot::doubleResolutionName(QStringLiteral("/a.b/pic.x.gif")),
              QStringLiteral("/a.b/pic.x@2x.gif"));
    EXPECT_EQ(mcplot::doubleResolutionName(QStringLiteral("dir.d/plain")), QStringLiteral("dir.d/plain@2x"));
}

TEST(SharpPictures, ChosenByRatioWithThePlainFileDeciding) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto copy = [&](const QString &from, const QString &to) {
        ASSERT_TRUE(QFile::copy(assetsDir.filePath(from), dir.filePath(to)));
    };
    copy(QStringLiteral("gauss.gif"), QStringLiteral("both.gif"));
    copy(QStringLiteral("gauss@2x.gif"), QStringLiteral("both@2x.gif"));
    copy(QStringLiteral("sinus.gif"), QStringLiteral("plain.gif"));
    copy(QStringLiteral("cos@2x.gif"), QStringLiteral("orphan@2x.gif"));
    copy(QStringLiteral("vdv.gif"), QStringLiteral("wrong.gif"));
    copy(QStringLiteral("vdv.gif"), QStringLiteral("wrong@2x.gif"));
    ASSERT_TRUE(QFile(dir.filePath(QStringLiteral("broken.gif"))).open(QIODevice::WriteOnly));
    copy(QStringLiteral("linein@2x.gif"), QStringLiteral("broken@2x.gif"));

    const QString both = dir.filePath(QStringLiteral("both.gif"));
    const QImage plainGauss(assetsDir.filePath(QStringLiteral("gauss.gif")));
    const QImage sharpGauss(assetsDir.filePath(QStringLiteral("gauss@2x.gif")));
    for (qreal ratio : {1.25, 1.5, 2.0, 3.0}) {
        SCOPED_TRACE(ratio);
        const QImage img = mcplot::readPictureForRatio(both, ratio);
        EXPECT_EQ(img.size(), QSize(1200, 300));
        EXPECT_EQ(img.devicePixelRatio(), 2.0);
        EXPECT_EQ(img.deviceIndependentSize(), QSizeF(600, 150));
        EXPECT_EQ(img.convertToFormat(QImage::Format_RGB32),
                  sharpGauss.convertToFormat(QImage::Format_RGB32));
    }
    for (qreal ratio : {0.5, 1.0}) {
        const QImage img = mcplot::readPictureForRatio(both, ratio);
        EXPECT_EQ(img.devicePixelRatio(), 1.0);
        EXPECT_EQ(img.convertToFormat(QImage::Format_RGB32),
                  plainGauss.convertToFormat(QImage::Format_RGB32));
    }
    // No sharp file, or one that does not fit: the plain one, silently.
    for (const char *name : {"plain.gif", "wrong.gif"}) {
        SCOPED_TRACE(name);
        const QImage img = mcplot::readPictureForRatio(dir.filePath(QString::fromLatin1(name)), 2.0);
        EXPECT_EQ(img.size(), QSize(600, 150));
        EXPECT_EQ(img.devicePixelRatio(), 1.0);
    }
    // A plain file missing or unreadable is a failure however sharp the
    // other is, so the program warns exactly as before.
    for (const char *name : {"orphan.gif", "broken.gif", "nothing.gif"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(mcplot::readPictureForRatio(dir.filePath(QString::fromLatin1(name)), 2.0).isNull());
        EXPECT_TRUE(mcplot::readPictureForRatio(dir.filePath(QString::fromLatin1(name)), 1.0).isNull());
    }
}

// This executable runs with QT_SCALE_FACTOR=2 (see main): every widget has two
// device pixels per pixel, as on a high-density screen.
TEST(SharpPictures, ImageBoxOnADoubleDensityScreenDrawsTheSharpPictureAtTheSameSize) {
    QWidget window;
    window.resize(700, 200);
    mcplot::ImageBox box(&window);
    box.setLeft(0);
    box.setTop(0);
    box.setWidth(624);
    box.setHeight(152);
    ASSERT_EQ(box.devicePixelRatioF(), 2.0);

    ASSERT_TRUE(box.LoadPicture(buildDir.filePath(QStringLiteral("maxwell.gif")).toStdString()));
    const QImage shown = box.grab().toImage();
    ASSERT_EQ(shown.size(), QSize(1248, 304));
    // Centred: 12 pixels left and right, 1 above and below, in device pixels twice that.
    const QImage sharp(assetsDir.filePath(QStringLiteral("maxwell@2x.gif")));
    const QImage area = shown.copy(24, 2, 1200, 300);
    EXPECT_LT(meanDifference(area, sharp), 1.0);

    // Without the sharp file the plain one is drawn enlarged in the same place.
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(assetsDir.filePath(QStringLiteral("maxwell.gif")),
                            dir.filePath(QStringLiteral("m.gif"))));
    ASSERT_TRUE(box.LoadPicture(dir.filePath(QStringLiteral("m.gif")).toStdString()));
    const QImage blurry = box.grab().toImage().copy(24, 2, 1200, 300);
    const QImage plain(assetsDir.filePath(QStringLiteral("maxwell.gif")));
    EXPECT_LT(meanDifference(halved(blurry), plain), 12.0);
    EXPECT_GT(meanDifference(blurry, sharp), meanDifference(area, sharp));

    // A missing file changes nothing and reports the failure.
    EXPECT_FALSE(box.LoadPicture(dir.filePath(QStringLiteral("none.gif")).toStdString()));
    EXPECT_TRUE(box.hasPicture());
}

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
