// `mcplot --help` and `mcplot --version` answer in Russian and exit at once,
// even where there is no display at all; other arguments start the window.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringDecoder>

#include <sstream>

#include "window/command_line.h"

namespace {

struct ProgramRun {
    int exitCode = -1;
    bool finished = false;
    QString out;
    QByteArray err;
};

// The program with every way to a screen taken away: no X11 or Wayland
// display and no platform plugin chosen, so creating the application object
// would fail.
ProgramRun runWithoutDisplay(const QStringList &args) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
        env.remove(QString::fromLatin1(name));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(MCPLOT_PROGRAM), args);
    ProgramRun r;
    r.finished = p.waitForFinished(20000);
    if (!r.finished) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    QStringDecoder utf8(QStringDecoder::Utf8);
    r.out = utf8(p.readAllStandardOutput());
    EXPECT_FALSE(utf8.hasError()) << "output is not UTF-8";
    r.err = p.readAllStandardError();
    return r;
}

bool hasCyrillic(const QString &s) {
    for (const QChar c : s)
        if (c.unicode() >= 0x0400 && c.unicode() <= 0x04FF) return true;
    return false;
}

}  // namespace

TEST(InfoOptions, HelpPrintsRussianUsageWithoutDisplay) {
    const ProgramRun r = runWithoutDisplay({QStringLiteral("--help")});
    ASSERT_TRUE(r.finished) << "mcplot --help did not exit";
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_TRUE(hasCyrillic(r.out));
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Использование: mcplot"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("--help")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("--version")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("Монте-Карло")));
    // Short enough for a terminal: a screenful of lines no wider than 80.
    const QStringList lines = r.out.split(QLatin1Char('\n'));
    EXPECT_LE(lines.size(), 24);
    for (const QString &line : lines) EXPECT_LE(line.size(), 80) << line.toStdString();
}

TEST(InfoOptions, VersionPrintsNameVersionAndLicenceWithoutDisplay) {
    const ProgramRun r = runWithoutDisplay({QStringLiteral("--version")});
    ASSERT_TRUE(r.finished) << "mcplot --version did not exit";
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    const QString first = r.out.section(QLatin1Char('\n'), 0, 0);
    EXPECT_EQ(first, QStringLiteral("МК-Графики (mcplot) " MCPLOT_VERSION));
    EXPECT_TRUE(r.out.contains(QStringLiteral("GPL")));
    EXPECT_TRUE(hasCyrillic(r.out.section(QLatin1Char('\n'), 1)));
}

TEST(InfoOptions, OnlyTheFirstArgumentCountsAndOthersAreLeftToTheWindow) {
    auto answer = [](std::initializer_list<const char *> args, std::string *text = nullptr) {
        std::vector<const char *> argv{"mcplot"};
        argv.insert(argv.end(), args);
        std::ostringstream out;
        const auto status = mcplot::answerInfoOption(int(argv.size()), argv.data(), out);
        if (text) *text = out.str();
        return status;
    };
    std::string text;
    EXPECT_EQ(answer({"--version", "--help"}, &text), 0);
    EXPECT_EQ(text.rfind("МК-Графики (mcplot) ", 0), 0u);
    // Not ours: the program goes on to its window and ignores them, as it
    // always has; nothing is written.
    for (const char *other : {"-h", "--helpme", "help", "-platform", "file.txt", ""}) {
        SCOPED_TRACE(other);
        text.clear();
        EXPECT_FALSE(answer({other}, &text).has_value());
        EXPECT_TRUE(text.empty());
    }
    EXPECT_FALSE(answer({"-style", "--help"}).has_value());
    EXPECT_FALSE(answer({}).has_value());
}

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
