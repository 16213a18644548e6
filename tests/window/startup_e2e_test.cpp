// Start-up, the initial setup, the parameter bars and shutdown, end to end.
#include <gtest/gtest.h>

#include <cmath>

#include "driver_session.h"

namespace mcplot::testing {
namespace {

const QString singularWarning = QStringLiteral(
    "В папке с программой должен быть файл с рисунком linein.gif.\r\n"
    "Он находятся в архиве с программой.\r\n"
    "Если его нет, то программа всё равно будет работать. \r\n"
    "Но лучше его использовать.");
const QString pluralWarning = QStringLiteral(
    "В папке с программой должны быть файлы с рисунками формата *.gif.\r\n"
    "Они находятся в архиве с программой.\r\n"
    "Если их нет, то программа всё равно будет работать. \r\n"
    "Но лучше их использовать.");

TEST(StartUp, SetsLabelsStateAndControlsFromTheTemplateBars) {
    DriverSession s;
    const QJsonObject d = s.runOne({"start", "dump"});
    EXPECT_EQ(caption(d, "Label3"), "0.00");
    EXPECT_EQ(caption(d, "Label4"), "3.00");
    EXPECT_EQ(caption(d, "Label5"), "200");
    EXPECT_EQ(caption(d, "Label1"), "2");
    EXPECT_EQ(caption(d, "Label6"), "");
    EXPECT_EQ(caption(d, "Label2"), "");
    // The setup draws once; the window's first show lays out and draws again.
    EXPECT_EQ(d["plots"].toInt(), 2);
    EXPECT_TRUE(d["messages"].toArray().isEmpty());

    EXPECT_EQ(stateValue(d, "a"), 0);
    EXPECT_EQ(stateValue(d, "b"), 3);
    EXPECT_EQ(stateValue(d, "nbros"), 200);
    EXPECT_EQ(stateValue(d, "mashtab"), 2);
    EXPECT_EQ(stateValue(d, "n"), 100);
    EXPECT_EQ(stateValue(d, "nfun"), 1);
    EXPECT_EQ(stateValue(d, "zagruzka"), 1);
    EXPECT_EQ(d["canvas"]["drawWidth"].toInt(), 3);  // 1 from the setup, 3 once the axes ran

    const QJsonObject list = control(d, "List1");
    EXPECT_EQ(list["index"].toInt(), 0);
    const QJsonArray items = list["items"].toArray();
    const char* expected[] = {"линейная", "парабола", "синус",   "косинус",        "Гаусс",
                              "Максвелл", "Планк 1",  "Планк 2", "Ван дер Ваальс", "Ваша функция"};
    ASSERT_EQ(items.size(), 10);
    for (int k = 0; k < 10; ++k) EXPECT_EQ(items[k].toString(), QString::fromUtf8(expected[k]));

    EXPECT_FALSE(visible(d, "Text1"));
    EXPECT_EQ(caption(d, "Text1"), "5+tan(30*3.14/180)*x -9.8*x^2/2/10^2/(cos(30*3.14/180))^2");
    EXPECT_FALSE(visible(d, "Command1"));
    EXPECT_FALSE(visible(d, "Text2"));
    EXPECT_TRUE(visible(d, "Image1"));
    EXPECT_TRUE(control(d, "Image1")["hasPicture"].toBool());
    EXPECT_TRUE(visible(d, "Picture1"));
    EXPECT_EQ(d["form"]["focus"].toString(), "CmdOK");
    EXPECT_EQ(d["form"]["caption"].toString(),
              "Графики функций и расчёт определённого интеграла методом Монте-Карло");
    EXPECT_EQ(d["windows"].toArray(), QJsonArray({"Form1"}));
    EXPECT_TRUE(d["alive"].toBool());
}

TEST(StartUp, PlacesTheWindowATenthAndAFiftiethIntoTheFreeScreen) {
    DriverSession s;
    for (auto size : {QStringLiteral("size 640 480"), QStringLiteral("size 300 250")}) {
        const QJsonObject d = s.runOne({size, "start", "dump"});
        const QJsonArray frame = d["form"]["frame"].toArray();
        const QJsonArray screen = d["form"]["screen"].toArray();
        const double freeW = (screen[2].toInt() - frame[2].toInt()) * 15.0;
        const double freeH = (screen[3].toInt() - frame[3].toInt()) * 15.0;
        EXPECT_EQ(frame[0].toInt(), std::lround(float(freeW) * 0.1f / 15.0)) << size.toStdString();
        EXPECT_EQ(frame[1].toInt(), std::lround(freeH * 0.02 / 15.0)) << size.toStdString();
    }
}

TEST(StartUp, WithoutTheFirstPictureWarnsSingularThenPluralAndStillPlots) {
    DriverSession s({"linein.gif"});
    const QJsonObject d = s.runOne({"start", "dump"});
    const QJsonArray m = d["messages"].toArray();
    ASSERT_GE(m.size(), 2);
    EXPECT_EQ(m[0]["title"].toString(), "ПРЕДУПРЕЖДЕНИЕ");
    EXPECT_EQ(m[0]["text"].toString(), singularWarning);
    EXPECT_EQ(m[0]["buttons"].toInt(), 0);
    EXPECT_EQ(m[1]["text"].toString(), pluralWarning);
    // The first show's resize applies entry 0 again: the plural one each time.
    for (int k = 2; k < m.size(); ++k) EXPECT_EQ(m[k]["text"].toString(), pluralWarning);
    EXPECT_TRUE(visible(d, "Image1"));
    EXPECT_FALSE(control(d, "Image1")["hasPicture"].toBool());
    EXPECT_EQ(stateValue(d, "a"), 0);
    EXPECT_EQ(stateValue(d, "b"), 3);
    EXPECT_EQ(stateValue(d, "nfun"), 1);
    EXPECT_FALSE(d["canvas"]["texts"].toArray().isEmpty());

    // Every later resize warns again.
    const auto lines = s.run({"start", "dump", "resize 700 500", "dump"});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1]["messages"].toArray().size(), 1);
    EXPECT_EQ(lines[1]["messages"][0]["text"].toString(), pluralWarning);
}

TEST(ScrollBars, LimitsFollowTheBarsAndRedrawOncePerChange) {
    DriverSession s;
    const auto d = s.run({"start", "dump", "scroll 1 150", "dump", "scroll 2 -7", "dump", "scroll 1 150",
                          "dump", "scroll 3 1000", "dump"});
    ASSERT_EQ(d.size(), 5u);
    EXPECT_EQ(stateValue(d[1], "a"), 150 * 0.01);
    EXPECT_EQ(caption(d[1], "Label3"), "1.50");
    EXPECT_EQ(d[1]["plots"].toInt(), 1);

    EXPECT_EQ(stateValue(d[2], "b"), double(float(-7 * 0.01)));
    EXPECT_EQ(caption(d[2], "Label4"), "-0.07");
    EXPECT_EQ(d[2]["plots"].toInt(), 1);

    // The same position again raises nothing.
    EXPECT_EQ(d[3]["plots"].toInt(), 0);

    // The throw count waits for the next Monte Carlo run.
    EXPECT_EQ(stateValue(d[4], "nbros"), 1000);
    EXPECT_EQ(caption(d[4], "Label5"), "1000");
    EXPECT_EQ(d[4]["plots"].toInt(), 0);
}

TEST(ScrollBars, ScaleMovesLabel1AlongTheBarAndRedraws) {
    DriverSession s;
    const auto d = s.run({"start", "scroll 4 5", "dump", "scroll 4 1", "dump", "resize 740 580", "dump"});
    ASSERT_EQ(d.size(), 3u);
    const auto bar = geometry(d[0], "VScroll4");
    EXPECT_EQ(caption(d[0], "Label1"), "5");
    EXPECT_EQ(stateValue(d[0], "mashtab"), 5);
    EXPECT_FLOAT_EQ(geometry(d[0], "Label1")[1], float(bar[3]) * 5.0f / 7.0f + float(bar[1]));
    EXPECT_EQ(geometry(d[0], "Label1")[0], geometry(d[0], "VScroll4")[0] + geometry(d[0], "VScroll4")[2]);
    EXPECT_EQ(d[0]["plots"].toInt(), 2 + 1);  // start-up's two, then the scale
    EXPECT_EQ(caption(d[1], "Label1"), "1");
    EXPECT_FLOAT_EQ(geometry(d[1], "Label1")[1], float(bar[3]) / 7.0f + float(bar[1]));
    // The layout puts Label1 back at a seventh, whatever the scale.
    const auto bar2 = geometry(d[2], "VScroll4");
    EXPECT_FLOAT_EQ(geometry(d[2], "Label1")[1], float(bar2[1] + bar2[3] / 7));
}

TEST(ScrollBars, RussianSettingsWriteADecimalComma) {
    DriverSession s;
    s.setLocale("ru_RU.UTF-8");
    const QJsonObject d = s.runOne({"start", "scroll 1 150", "dump"});
    EXPECT_EQ(caption(d, "Label3"), "1,50");
    EXPECT_EQ(caption(d, "Label4"), "3,00");
}

TEST(ScrollBars, RussianSettingsKeepThePointInTheScriptText) {
    DriverSession s;
    s.setLocale("ru_RU.UTF-8");
    const QJsonObject d = s.runOne({"start", "select 9", "click CmdOK", "dump"});
    EXPECT_EQ(caption(d, "Command1"), "OK") << "every point of the sample expression evaluates";
    const QString kod = d["state"]["kod"].toString();
    EXPECT_TRUE(kod.startsWith("x=")) << kod.toStdString();
    EXPECT_FALSE(kod.section("\r\n", 0, 0).contains(',')) << kod.toStdString();
    EXPECT_TRUE(caption(d, "Label2").startsWith("I=")) << caption(d, "Label2").toStdString();
    EXPECT_TRUE(caption(d, "Label2").contains(','));
}

TEST(Commands, AnEndlessLoopFailsTheRunInsteadOfFreezingIt) {
    DriverSession s;
    // 32200 evaluations: each would run out of time on its own.
    const QJsonObject d =
        s.runOne({"start", "select 9", "scroll 3 32000", "text 1 0 : Do : Loop", "click CmdOK", "dump"});
    EXPECT_EQ(caption(d, "Command1"), "ERRORS!!!");
    EXPECT_TRUE(caption(d, "Label2").startsWith("I="));
}

TEST(Commands, MonteCarloThrowsTheCountedPointsAndWritesBothValues) {
    DriverSession s;
    const auto d = s.run({"seed 7", "start", "scroll 3 1000", "click CmdOK", "dump", "scroll 1 50", "dump"});
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0]["canvas"]["blue"].toInt() + d[0]["canvas"]["red"].toInt(), 1000);
    EXPECT_TRUE(caption(d[0], "Label6").startsWith("I=")) << caption(d[0], "Label6").toStdString();
    EXPECT_TRUE(caption(d[0], "Label2").startsWith("I="));
    // Moving a limit redraws without throws and keeps the integral labels.
    EXPECT_EQ(d[1]["canvas"]["blue"].toInt() + d[1]["canvas"]["red"].toInt(), 0);
    EXPECT_EQ(caption(d[1], "Label6"), caption(d[0], "Label6"));
}

TEST(Commands, HiddenButtonsAndUnknownCommandsAreRefusedAndTheDriverGoesOn) {
    DriverSession s;
    const auto d = s.run({"click Command1", "start", "click Command1", "text 2 1.5", "bogus", "select 10",
                          "scroll 4 6", "menu mnuHelpSep1", "dump"});
    ASSERT_EQ(d.size(), 8u);
    for (int k = 0; k < 7; ++k) EXPECT_TRUE(d[k].contains("error")) << k;
    EXPECT_TRUE(d[7].contains("state"));
}

TEST(Commands, ParameterBoxRedrawsOnEveryChange) {
    DriverSession s;
    const auto d = s.run({"start", "select 8", "dump", "text 2 1.5", "dump", "text 2 abc", "dump"});
    ASSERT_EQ(d.size(), 3u);
    EXPECT_TRUE(visible(d[0], "Text2"));
    EXPECT_EQ(d[1]["plots"].toInt(), 1);
    EXPECT_EQ(caption(d[1], "Text2"), "1.5");
    EXPECT_EQ(d[2]["plots"].toInt(), 1);
}

TEST(Commands, AWrongExpressionMarksCommand1UntilTheTextChanges) {
    DriverSession s;
    const auto d = s.run({"start", "select 9", "text 1 x+*", "click Command1", "dump", "text 1 x*x", "dump",
                          "click Command1", "dump"});
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(caption(d[0], "Command1"), "ERRORS!!!");
    EXPECT_EQ(control(d[0], "Command1")["backColor"].toInteger(), 255);
    EXPECT_EQ(caption(d[1], "Command1"), "OK");
    EXPECT_EQ(control(d[1], "Command1")["backColor"].toInteger(), 0x8000000F);
    EXPECT_EQ(d[1]["plots"].toInt(), 0);
    EXPECT_EQ(caption(d[2], "Command1"), "OK");
    EXPECT_EQ(d[2]["state"]["yType"].toString(), "Double");
}

TEST(Shutdown, NoKeepsEverythingYesClosesAndBothWaysAskOnce) {
    DriverSession s;
    const auto d = s.run({"start", "scroll 1 100", "dump", "answer no", "close", "dump", "answer no",
                          "menu mnuFileExit", "dump", "close", "dump", "select 1"});
    ASSERT_EQ(d.size(), 5u);
    for (int k : {1, 2}) {
        const QJsonArray m = d[k]["messages"].toArray();
        ASSERT_EQ(m.size(), 1) << k;
        EXPECT_EQ(m[0]["title"].toString(), "На Выход");
        EXPECT_EQ(m[0]["text"].toString(), "Вы абсолютно уверены?");
        EXPECT_EQ(m[0]["buttons"].toInt(), 4);
        EXPECT_EQ(d[k]["windows"].toArray(), QJsonArray({"Form1"}));
        EXPECT_EQ(d[k]["plots"].toInt(), 0);
        EXPECT_EQ(d[k]["state"], d[0]["state"]);
        EXPECT_EQ(d[k]["controls"], d[0]["controls"]);
    }
    EXPECT_EQ(d[3]["messages"].toArray().size(), 1);
    EXPECT_TRUE(d[3]["windows"].toArray().isEmpty());
    EXPECT_FALSE(d[3]["alive"].toBool());
    EXPECT_TRUE(d[4].contains("error"));  // a closed window takes no clicks
}

}  // namespace
}  // namespace mcplot::testing
