// Renders the pictures that ship with the program into a folder:
// the nine formula pictures as PNG, each also at twice the size as name@2x.png
// (make_pictures.sh turns them into GIF, which Qt cannot write), icon.png and
// authors.jpg.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QTextStream>

#include "tools/formulapics/pictures.h"

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: formulapics OUTPUT_FOLDER\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        err << "cannot create " << out.path() << "\n";
        return 1;
    }
    bool ok = true;
    auto save = [&](const QImage &img, const QString &file, const char *format, int quality = -1) {
        if (!img.save(out.filePath(file), format, quality)) {
            err << "cannot write " << out.filePath(file) << "\n";
            ok = false;
        }
    };
    for (const QString &name : mcplot::pictures::formulaNames()) {
        save(mcplot::pictures::renderFormula(name), name + QStringLiteral(".png"), "PNG");
        // The same drawing for screens with two device pixels per pixel.
        save(mcplot::pictures::renderFormula(name, mcplot::pictures::kFormulaSize * 2),
             name + QStringLiteral("@2x.png"), "PNG");
    }
    save(mcplot::pictures::renderIcon(32), QStringLiteral("icon.png"), "PNG");
    save(mcplot::pictures::renderIcon(64), QStringLiteral("icon64.png"), "PNG");
    save(mcplot::pictures::renderAuthors(), QStringLiteral("authors.jpg"), "JPEG", 92);
    return ok ? 0 : 1;
}
