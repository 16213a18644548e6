// Turns one of our HTML help documents into an A4 PDF, so the PDFs are built
// from sources kept in docs/ rather than committed.
// Usage: docgen INPUT.html OUTPUT.pdf   (run with QT_QPA_PLATFORM=offscreen)
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QTextStream>

#include <cstdlib>

namespace {

const char *const kFamily = "Liberation Serif";

// One look for all four documents; the sources hold only structure.
const char *const kStyle = R"css(
h1 { font-size: 20pt; color: #14285a; margin-bottom: 6px; }
h2 { font-size: 15pt; color: #14285a; margin-top: 14px; margin-bottom: 4px; }
h3 { font-size: 13pt; margin-top: 10px; margin-bottom: 2px; }
p { margin-top: 3px; margin-bottom: 5px; }
p.f { font-size: 14pt; margin-top: 8px; margin-bottom: 8px; }
p.note { color: #404040; font-style: italic; }
code { font-family: "Liberation Mono"; }
pre { font-family: "Liberation Mono"; font-size: 10pt; background-color: #f2f2f2; }
th { background-color: #e4eaf6; }
)css";

// The offscreen platform complains about a missing XDG_RUNTIME_DIR, which a
// build does not need; everything else still goes to standard error.
void quietHandler(QtMsgType type, const QMessageLogContext &, const QString &msg) {
    if (msg.startsWith(QLatin1String("QStandardPaths:"))) return;
    QTextStream(stderr) << msg << "\n";
    if (type == QtFatalMsg) std::abort();
}

}  // namespace

int main(int argc, char **argv) {
    qInstallMessageHandler(quietHandler);
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 3) {
        err << "usage: docgen INPUT.html OUTPUT.pdf\n";
        return 2;
    }
    // A PDF set in a substitute font may lack Cyrillic or the formula signs;
    // better no document than a broken one.
    if (!QFontDatabase::families().contains(QString::fromLatin1(kFamily))) {
        err << "docgen: font \"" << kFamily << "\" is not installed (package fonts-liberation2)\n";
        return 1;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        err << "docgen: cannot read " << in.fileName() << "\n";
        return 1;
    }
    const QString html = QString::fromUtf8(in.readAll());

    QTextDocument doc;
    QFont font(QString::fromLatin1(kFamily));
    font.setPointSizeF(12);
    doc.setDefaultFont(font);
    doc.setDefaultStyleSheet(QString::fromLatin1(kStyle));
    doc.setHtml(html);

    const QString outName = QString::fromLocal8Bit(argv[2]);
    {
        QPdfWriter pdf(outName);
        // QTextDocument::print adds 2 cm on every side of its own (and puts the
        // page number there), so the page itself needs only a little extra on
        // the binding side.
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(5, 0, 0, 0),
                                      QPageLayout::Millimeter));
        pdf.setResolution(300);
        pdf.setTitle(doc.metaInformation(QTextDocument::DocumentTitle));
        pdf.setCreator(QStringLiteral("mcplot docgen"));
        doc.print(&pdf);
    }
    QFile out(outName);
    if (!out.exists() || out.size() == 0) {
        err << "docgen: nothing written to " << outName << "\n";
        return 1;
    }
    return 0;
}
