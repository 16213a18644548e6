// What ships beside the program must be there after a build and be usable:
// the documents are real PDFs set in the Cyrillic serif font, the formula
// pictures load and fit the picture area, the resources are compiled in, and
// the renderer keeps every formula inside its picture.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QStringDecoder>

#include "tools/formulapics/pictures.h"

namespace {

const QDir buildDir(QStringLiteral(MCPLOT_BUILD_DIR));
const QDir assetsDir(QStringLiteral(MCPLOT_ASSETS_DIR));

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool isInk(QRgb px) {
    return qAlpha(px) > 0 && (qRed(px) < 200 || qGreen(px) < 200 || qBlue(px) < 200);
}

// Bounding box of the non-white pixels.
QRect inkBounds(const QImage &img) {
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (isInk(img.pixel(x, y))) box |= QRect(x, y, 1, 1);
    return box;
}

}  // namespace

TEST(ShippedDocuments, AreCompletePdfsSetInLiberationSerif) {
    for (const char *name : {"spravka.pdf", "spravka2.pdf", "history.pdf", "uprav.pdf"}) {
        SCOPED_TRACE(name);
        const QByteArray pdf = readAll(buildDir.filePath(QString::fromLatin1(name)));
        ASSERT_GT(pdf.size(), 10000);
        EXPECT_TRUE(pdf.startsWith("%PDF-"));
        EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF"));
        // A substitute font would lack the look, and maybe the Cyrillic.
        EXPECT_TRUE(pdf.contains("LiberationSerif"));
        EXPECT_TRUE(pdf.contains("/Type /Page"));
    }
}

TEST(ShippedDocuments, InstructionIsRussianUtf8Text) {
    const QByteArray raw = readAll(buildDir.filePath(QStringLiteral("instruction.txt")));
    ASSERT_FALSE(raw.isEmpty());
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(raw);
    EXPECT_FALSE(utf8.hasError());
    EXPECT_TRUE(text.contains(QStringLiteral("Монте-Карло")));
    EXPECT_TRUE(text.contains(QStringLiteral("ERRORS!!!")));
}

TEST(FormulaPictures, CopiedBesideTheProgramLoadAndFitThePictureArea) {
    const QStringList names = mcplot::pictures::formulaNames();
    ASSERT_EQ(names.size(), 9);
    for (const QString &name : names) {
        const QString file = name + QStringLiteral(".gif");
        SCOPED_TRACE(file.toStdString());
        const QByteArray built = readAll(buildDir.filePath(file));
        EXPECT_EQ(built, readAll(assetsDir.filePath(file))) << "stale or missing copy";
        QImageReader reader(buildDir.filePath(file));
        EXPECT_EQ(reader.format(), "gif");
        const QImage img = reader.read();
        ASSERT_FALSE(img.isNull()) << reader.errorString().toStdString();
        // The main window's picture area is 624 x 152 at the template size.
        EXPECT_LE(img.width(), 624);
        EXPECT_LE(img.height(), 152);
        EXPECT_TRUE(inkBounds(img).isValid());
    }
}

TEST(FormulaPictures, FileNamesAreThoseTheProgramOpens) {
    EXPECT_EQ(mcplot::pictures::formulaNames(), (QStringList{"linein", "parabola", "sinus", "cos", "gauss",
                                                             "maxwell", "plank_1", "plank_2", "vdv"}));
    EXPECT_TRUE(mcplot::pictures::renderFormula(QStringLiteral("tangens")).isNull());
}

TEST(FormulaPictures, RenderedFormulasStayInsideTheirMargins) {
    for (const QString &name : mcplot::pictures::formulaNames()) {
        SCOPED_TRACE(name.toStdString());
        const QImage img = mcplot::pictures::renderFormula(name);
        ASSERT_EQ(img.size(), mcplot::pictures::kFormulaSize);
        const QRect ink = inkBounds(img);
        ASSERT_TRUE(ink.isValid());
        EXPECT_GE(ink.left(), 3);
        EXPECT_GE(ink.top(), 3);
        EXPECT_LE(ink.right(), img.width() - 4);
        EXPECT_LE(ink.bottom(), img.height() - 4);
        // The formula and its caption must not run into each other: some
        // blank row separates them.
        bool blankRow = false;
        for (int y = ink.top() + ink.height() / 2; y < ink.bottom() && !blankRow; ++y) {
            blankRow = true;
            for (int x = 0; x < img.width() && blankRow; ++x) blankRow = !isInk(img.pixel(x, y));
        }
        EXPECT_TRUE(blankRow);
    }
}

TEST(Resources, IconAndAuthorsPictureAreCompiledIn) {
    const QImage icon(QStringLiteral(":/icon.png"));
    ASSERT_EQ(icon.size(), QSize(32, 32));
    EXPECT_TRUE(icon.hasAlphaChannel());
    int blue = 0, red = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRgb px = icon.pixel(x, y);
            blue += qBlue(px) > 180 && qRed(px) < 100;
            red += qRed(px) > 180 && qBlue(px) < 100;
        }
    // The throws must still show at 32 pixels.
    EXPECT_GT(blue, 10);
    EXPECT_GT(red, 10);

    EXPECT_EQ(QImage(QStringLiteral(":/icon64.png")).size(), QSize(64, 64));
    QImageReader authors(QStringLiteral(":/authors.jpg"));
    EXPECT_EQ(authors.format(), "jpeg");
    // It fills the 2250 x 2700 twip image of the Authors window.
    EXPECT_EQ(authors.read().size(), QSize(150, 180));
}

int main(int argc, char **argv) {
    // Test discovery runs this binary without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
