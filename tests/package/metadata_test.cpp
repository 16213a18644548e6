// What software centres and packagers read about the program: the AppStream
// metadata made by the build, the manual pages and the package's changelog
// and copyright. Their formats are checked by appstreamcli, man and lintian
// (tools/check_package.sh); here, that they say what they must.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMap>
#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QXmlStreamReader>

#include <vector>

namespace {

const QDir buildDir(QStringLiteral(MCPLOT_BUILD_DIR));
const QDir sourceDir(QStringLiteral(MCPLOT_SOURCE_DIR));

QString readText(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The metainfo as element name (with "@lang" for a translation) -> texts.
struct Metainfo {
    QString id;
    QMultiMap<QString, QString> texts;
    QMap<QString, QString> releaseAttributes;
    QString contentRatingType;
};

Metainfo readMetainfo(const QString &path) {
    Metainfo m;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return m;
    struct Open {
        QString key;
        QString text;
        bool hasChildren = false;
    };
    std::vector<Open> open;
    QXmlStreamReader xml(&f);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (!open.empty()) open.back().hasChildren = true;
            const QString name = xml.name().toString();
            const QString lang = xml.attributes().value(QStringLiteral("xml:lang")).toString();
            if (name == QStringLiteral("release"))
                for (const auto &a : xml.attributes())
                    m.releaseAttributes.insert(a.name().toString(), a.value().toString());
            if (name == QStringLiteral("content_rating"))
                m.contentRatingType = xml.attributes().value(QStringLiteral("type")).toString();
            open.push_back({lang.isEmpty() ? name : name + QLatin1Char('@') + lang, {}, false});
        } else if (xml.isCharacters() && !open.empty()) {
            open.back().text += xml.text();
        } else if (xml.isEndElement() && !open.empty()) {
            const Open done = open.back();
            open.pop_back();
            if (done.hasChildren) continue;
            m.texts.insert(done.key, done.text.simplified());
            if (done.key == QStringLiteral("id") && open.size() == 1) m.id = done.text.trimmed();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return m;
}

bool hasCyrillic(const QString &s) {
    return s.contains(QRegularExpression(QStringLiteral("[\\x{0400}-\\x{04FF}]")));
}

}  // namespace

TEST(PackageMetadata, AppStreamNamesTheProgramInEnglishAndRussianForEducationAndMath) {
    const QStringList files = buildDir.entryList({QStringLiteral("*.metainfo.xml")}, QDir::Files);
    ASSERT_EQ(files.size(), 1) << "one metainfo file in the build folder";
    const Metainfo m = readMetainfo(buildDir.filePath(files.first()));
    EXPECT_EQ(files.first(), m.id + QStringLiteral(".metainfo.xml"));

    EXPECT_EQ(m.texts.value(QStringLiteral("name")), QStringLiteral("MC Plots"));
    EXPECT_EQ(m.texts.value(QStringLiteral("name@ru")), QStringLiteral("МК-Графики"));
    EXPECT_FALSE(hasCyrillic(m.texts.value(QStringLiteral("summary"))));
    EXPECT_TRUE(hasCyrillic(m.texts.value(QStringLiteral("summary@ru"))));
    QStringList categories = m.texts.values(QStringLiteral("category"));
    categories.sort();
    EXPECT_EQ(categories, (QStringList{"Education", "Math"}));
    EXPECT_EQ(m.texts.value(QStringLiteral("project_license")), QStringLiteral("GPL-3.0-or-later"));
    EXPECT_EQ(m.texts.value(QStringLiteral("launchable")), QStringLiteral("mcplot.desktop"));
    EXPECT_EQ(m.texts.value(QStringLiteral("binary")), QStringLiteral("mcplot"));
    EXPECT_EQ(m.contentRatingType, QStringLiteral("oars-1.1"));
    EXPECT_EQ(m.releaseAttributes.value(QStringLiteral("version")), QStringLiteral(MCPLOT_VERSION));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"))
                    .match(m.releaseAttributes.value(QStringLiteral("date")))
                    .hasMatch());
}

TEST(PackageMetadata, AppStreamScreenshotsAreTheReadmeOnes) {
    const QStringList files = buildDir.entryList({QStringLiteral("*.metainfo.xml")}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    const QStringList images =
        readMetainfo(buildDir.filePath(files.first())).texts.values(QStringLiteral("image"));
    ASSERT_GE(images.size(), 2);
    const QString readme = readText(sourceDir.filePath(QStringLiteral("README.md")));
    for (const QString &url : images) {
        SCOPED_TRACE(url.toStdString());
        EXPECT_TRUE(url.startsWith(QStringLiteral("https://")));
        const QString path = url.section(QStringLiteral("/docs/"), 1);
        ASSERT_FALSE(path.isEmpty());
        EXPECT_TRUE(QFile::exists(sourceDir.filePath(QStringLiteral("docs/") + path)));
        EXPECT_TRUE(readme.contains(QStringLiteral("(docs/") + path + QLatin1Char(')')));
    }
}

TEST(PackageMetadata, ManualPagesInBothLanguagesDescribeBothOptions) {
    struct Page {
        const char *source, *built;
        bool russian;
    };
    for (const Page &page : {Page{"docs/mcplot.1", "man/man1/mcplot.1.gz", false},
                             Page{"docs/mcplot.ru.1", "man/ru/man1/mcplot.1.gz", true}}) {
        SCOPED_TRACE(page.source);
        const QString roff = readText(sourceDir.filePath(QString::fromLatin1(page.source)));
        ASSERT_FALSE(roff.isEmpty());
        EXPECT_TRUE(roff.contains(QStringLiteral(".TH MCPLOT 1 ")));
        EXPECT_TRUE(roff.contains(QStringLiteral("mcplot \\- ")));  // the NAME line apropos reads
        EXPECT_TRUE(roff.contains(QStringLiteral(".B \\-\\-help")));
        EXPECT_TRUE(roff.contains(QStringLiteral(".B \\-\\-version")));
        EXPECT_TRUE(roff.contains(QStringLiteral("\"mcplot " MCPLOT_VERSION "\"")));
        EXPECT_EQ(hasCyrillic(roff.section(QStringLiteral(".SH"), 1, 1)), page.russian);

        // Installed compressed, with the same text.
        QProcess gunzip;
        gunzip.start(QStringLiteral("gzip"),
                     {QStringLiteral("-dc"), buildDir.filePath(QString::fromLatin1(page.built))});
        ASSERT_TRUE(gunzip.waitForFinished(20000));
        EXPECT_EQ(gunzip.exitCode(), 0);
        const QByteArray unpacked = gunzip.readAllStandardOutput();
        EXPECT_EQ(QString::fromUtf8(unpacked), roff);
    }
}

TEST(PackageMetadata, ChangelogAndCopyrightNameTheProjectLicenceAndVersion) {
    const QString changelog = readText(sourceDir.filePath(QStringLiteral("packaging/changelog")));
    EXPECT_TRUE(changelog.startsWith(QStringLiteral("mcplot (" MCPLOT_VERSION ") ")));
    const QString copyright = readText(sourceDir.filePath(QStringLiteral("packaging/copyright")));
    EXPECT_TRUE(copyright.startsWith(
        QStringLiteral("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n")));
    EXPECT_TRUE(copyright.contains(QStringLiteral("\nFiles: *\n")));
    EXPECT_TRUE(copyright.contains(QStringLiteral("\nLicense: GPL-3+\n")));
    EXPECT_TRUE(copyright.contains(QStringLiteral("/usr/share/common-licenses/GPL-3")));
    EXPECT_TRUE(copyright.contains(QStringLiteral("LGPL-3")));
    const QString license = readText(sourceDir.filePath(QStringLiteral("LICENSE")));
    EXPECT_TRUE(license.contains(QStringLiteral("GNU GENERAL PUBLIC LICENSE")));
    EXPECT_TRUE(license.contains(QStringLiteral("Version 3, 29 June 2007")));
}

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
