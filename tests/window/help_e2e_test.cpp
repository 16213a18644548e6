// The help menu: documents, the instruction, the About box and the Authors
// window, end to end.
#include <gtest/gtest.h>

#include <cmath>

#include "driver_session.h"

namespace mcplot::testing {
namespace {

TEST(Help, DocumentItemsOpenTheirFilesAndInstructionStartsTheEditor) {
    DriverSession s;
    const QJsonObject d =
        s.runOne({"start", "menu mnuFilespravka", "menu mnuFilespravka2", "menu mnuFileHistory",
                  "menu mnuFileUprav", "menu mnuHelpInstruction", "dump"});
    const QJsonArray l = d["launched"].toArray();
    ASSERT_EQ(l.size(), 5);
    const char* files[] = {"spravka.pdf", "spravka2.pdf", "history.pdf", "uprav.pdf"};
    for (int k = 0; k < 4; ++k) {
        const QJsonObject r = l[k].toObject();
        EXPECT_EQ(r["kind"].toString(), "open");
        EXPECT_EQ(r["owner"].toInt(), 0);
        EXPECT_EQ(r["verb"].toString(), "open");
        EXPECT_EQ(r["file"].toString(), files[k]);
        EXPECT_EQ(r["parameters"].toString(), "");
        EXPECT_EQ(r["directory"].toString(), "");
        EXPECT_EQ(r["show"].toInt(), 1);
    }
    EXPECT_EQ(l[4].toObject()["kind"].toString(), "program");
    EXPECT_EQ(l[4].toObject()["commandLine"].toString(), "notepad.exe instruction.txt");
    EXPECT_EQ(l[4].toObject()["style"].toInt(), 4);
    EXPECT_EQ(d["plots"].toInt(), 2);  // only start-up's: help touches no calculation
}

TEST(Help, AboutBoxHasElevenLinesBeginningWithTheProgramsPurpose) {
    DriverSession s;
    const QJsonObject d = s.runOne({"start", "menu mnuHelpAbout", "dump"});
    const QJsonArray m = d["messages"].toArray();
    ASSERT_EQ(m.size(), 1);
    EXPECT_EQ(m[0].toObject()["title"].toString(), "О ПРОГРАММЕ");
    EXPECT_EQ(m[0].toObject()["buttons"].toInt(), 0);
    const QString text = m[0].toObject()["text"].toString();
    EXPECT_TRUE(text.startsWith(
        "Эта программа\r\nстроит графики функций и иллюстрирует метод Монте-Карло.\r\n \r\n"));
    EXPECT_FALSE(text.endsWith("\n"));
    const QStringList lines = text.split("\r\n");
    ASSERT_EQ(lines.size(), 11);
    EXPECT_EQ(lines[3], "История версий:");
    for (int k = 4; k < 7; ++k) EXPECT_TRUE(lines[k].endsWith(',')) << k;
}

TEST(Help, AuthorsWindowIsCentredShownOnceAndOutlivesTheMainWindow) {
    DriverSession s;
    const auto d =
        s.run({"start", "resize 700 500", "move 100 50", "menu mnuHelpAvtors", "dump", "menu mnuHelpAvtors",
               "dump", "menu mnuFileUprav", "menu mnuHelpAbout", "dump", "close", "dump"});
    ASSERT_EQ(d.size(), 4u);
    const QJsonObject a = d[0];
    EXPECT_EQ(a["windows"].toArray(), QJsonArray({"Form1", "Form2"}));
    const QJsonObject f2 = a["form2"].toObject();
    EXPECT_EQ(f2["caption"].toString(), "Авторы");
    EXPECT_EQ(f2["client"].toArray(), QJsonArray({222, 297}));
    EXPECT_TRUE(f2["hasPicture"].toBool());
    const QJsonArray outer1 = a["form"]["frame"].toArray();
    const QJsonArray outer2 = f2["frame"].toArray();
    EXPECT_EQ(outer1[0].toInt(), 100);
    const double cx1 = outer1[0].toInt() + outer1[2].toInt() / 2.0,
                 cy1 = outer1[1].toInt() + outer1[3].toInt() / 2.0;
    const double cx2 = outer2[0].toInt() + outer2[2].toInt() / 2.0,
                 cy2 = outer2[1].toInt() + outer2[3].toInt() / 2.0;
    EXPECT_LE(std::abs(cx1 - cx2), 1.0);
    EXPECT_LE(std::abs(cy1 - cy2), 1.0);

    const QStringList credits = f2["label1"].toString().split("\r\n");
    ASSERT_EQ(credits.size(), 6);
    for (int k = 0; k < 5; ++k) EXPECT_EQ(credits[k].size(), 36) << k;
    EXPECT_NE(credits[5].size(), 36);
    EXPECT_FALSE(credits[5].endsWith(' '));

    // Chosen again: the same single window, centred again.
    EXPECT_EQ(d[1]["windows"].toArray(), QJsonArray({"Form1", "Form2"}));
    EXPECT_EQ(d[1]["form2"]["frame"], a["form2"]["frame"]);
    // Help items still work while it is open.
    EXPECT_EQ(d[2]["launched"].toArray().size(), 1);
    EXPECT_EQ(d[2]["messages"].toArray().size(), 1);
    // The main window closes alone; the program lives on with Form2.
    EXPECT_EQ(d[3]["windows"].toArray(), QJsonArray({"Form2"}));
    EXPECT_TRUE(d[3]["alive"].toBool());
}

}  // namespace
}  // namespace mcplot::testing
