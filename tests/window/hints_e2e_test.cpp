// Hints and explained failures end to end: they add words to the plot's line,
// the button's tooltip and the selection in the expression box, and change
// nothing the program computed or showed before them (the figures below are
// what the program showed before hints existed).
#include <gtest/gtest.h>

#include "driver_session.h"

namespace mcplot::testing {
namespace {

bool isNotice(const QString& text) {
    for (const char* start : {"f(x) не вычисляется", "Формула записана", "Подсказка", "Точек, где"})
        if (text.startsWith(QString::fromUtf8(start))) return true;
    return false;
}

struct Scenario {
    const char* what;
    QStringList commands;
    // As before hints.
    const char *label6, *label2, *caption;
    qint64 backColor;
    int plots;
    // Added.
    const char* firstHint;    // "" for none
    const char* noticeStart;  // "" for no line on the plot
    QJsonArray selection;     // of Text1
};

const char* const kHugeMonteCarlo = "I=340282346638528859811704183484516925440.000";
const char* const kHugeTrapezoid =
    "I=4875195097881843485593676270793314291690591607953781855693804575544024634222310326272.000";

TEST(Hints, AddWordsAndChangeNothingElse) {
    const Scenario scenarios[] = {
        {"minus before a power",
         {"seed 5", "start", "select 9", "text 1 Exp(-x^2)", "click CmdOK", "dump"},
         kHugeMonteCarlo,
         kHugeTrapezoid,
         "OK",
         0x8000000F,
         5,
         "Подсказка: −x^2 здесь — это (−x)²; для −x² пишите -(x^2)",
         "Подсказка: −x^2",
         QJsonArray{-1, 0}},
        {"0/0 at a point",
         {"seed 5", "start", "select 9", "scroll 1 -2500", "scroll 2 2500", "text 1 Sin(x)/x", "click CmdOK",
          "dump"},
         "I=0.588",
         "I=3.044",
         "ERRORS!!!",
         255,
         7,
         "Подсказка: 0/0 при x = 0 (например, sin(x)/x): в этой точке f не вычисляется, и график и трапеции "
         "берут там прежнее значение; сам интеграл от этого не зависит",
         "f(x) не вычисляется в 1 точке из 301. Ошибка 6: переполнение (позиция 7, x = 0). Здесь 0/0",
         QJsonArray{6, 1}},
        {"unknown function and pi",
         {"seed 5", "start", "select 9", "text 1 sqrt(x)+pi*x", "click CmdOK", "dump"},
         "I=не вычисляется",
         "I=не вычисляется",
         "ERRORS!!!",
         255,
         5,
         "Подсказка: pi здесь не задано и равно 0; число π — 4*Atn(1)",
         "f(x) не вычисляется в 426 точках из 426. Ошибка 13: несовпадение типов (позиция 1, x = 0). Функции "
         "sqrt в VBScript нет; корень — Sqr(x).",
         QJsonArray{0, 7}},
        {"decimal comma in the temperature",
         {"seed 5", "start", "select 8", "text 2 0,95", "click CmdOK", "dump"},
         "I=-5.130",
         "I=-5.408",
         "OK",
         0x8000000F,
         7,
         "Подсказка: T прочитано как 0; дробь пишется с точкой: 0.95",
         "Подсказка: T прочитано как 0",
         QJsonArray{-1, 0}},
        {"decimal comma in the expression",
         {"seed 5", "start", "select 9", "text 1 0,5*x", "click Command1", "dump"},
         "",
         "",
         "ERRORS!!!",
         255,
         5,
         "",
         "Формула записана с ошибкой. Ошибка 1025: ожидается конец инструкции (позиция 2). Запятая здесь не "
         "входит в число; дробь пишется с точкой: 0.5, а не 0,5.",
         QJsonArray{1, 1}},
    };
    for (const Scenario& sc : scenarios) {
        SCOPED_TRACE(sc.what);
        DriverSession s;
        const QJsonObject d = s.runOne(sc.commands);
        EXPECT_EQ(caption(d, "Label6"), QString::fromUtf8(sc.label6));
        EXPECT_EQ(caption(d, "Label2"), QString::fromUtf8(sc.label2));
        EXPECT_EQ(caption(d, "Command1"), QString::fromUtf8(sc.caption));
        EXPECT_EQ(control(d, "Command1")["backColor"].toInteger(), sc.backColor);
        EXPECT_EQ(d["plots"].toInt(), sc.plots);

        QStringList notices;
        int otherTexts = 0;
        for (const QJsonValue& t : d["canvas"]["texts"].toArray()) {
            const QString text = t.toArray()[2].toString();
            if (isNotice(text))
                notices << text;
            else
                ++otherTexts;
        }
        EXPECT_EQ(otherTexts, 26) << "the axes' texts as before";
        const QJsonArray hints = d["hints"].toArray();
        if (*sc.firstHint) {
            ASSERT_FALSE(hints.isEmpty());
            EXPECT_EQ(hints[0].toString(), QString::fromUtf8(sc.firstHint));
        }
        EXPECT_LE(hints.size(), 2);
        ASSERT_EQ(notices.size(), 1) << "one explanation line";
        EXPECT_TRUE(notices[0].startsWith(QString::fromUtf8(sc.noticeStart))) << notices[0].toStdString();
        for (const QJsonValue& h : hints)
            EXPECT_TRUE(notices[0].contains(h.toString())) << "hints are on the plot";
        EXPECT_EQ(control(d, "Text1")["selection"].toArray(), sc.selection);
        const QString tip = control(d, "Command1")["toolTip"].toString();
        if (QString::fromUtf8(sc.what).contains("temperature"))
            EXPECT_EQ(tip, "") << "Van der Waals: the plot line only";
        else
            EXPECT_TRUE(tip.startsWith(notices[0])) << tip.toStdString();
    }
}

TEST(Hints, TheRedButtonQuotesTheExpressionWithTheSpotMarked) {
    DriverSession s;
    const QJsonObject d = s.runOne({"start", "select 9", "text 1 2+Sqr(x-1)", "click Command1", "dump"});
    const QString tip = control(d, "Command1")["toolTip"].toString();
    EXPECT_TRUE(tip.endsWith("\nВ формуле: 2+▸Sqr(x-1)◂")) << tip.toStdString();
    EXPECT_TRUE(tip.contains("Под корнем отрицательное число при x = 0")) << tip.toStdString();
    EXPECT_EQ(control(d, "Text1")["selection"].toArray(), (QJsonArray{2, 8}));
    EXPECT_EQ(control(d, "Text1")["text"].toString(), "2+Sqr(x-1)");
}

TEST(Hints, TheLineStaysClearOfTheLabelsAtTheSmallestSize) {
    // The bottom row needs 641 pixels; 300 high leaves the plot 84 pixels.
    DriverSession s;
    const QJsonObject d = s.runOne(
        {"size 641 300", "start", "select 9", "text 1 sqrt(x)+pi*x+Log(x)", "click Command1", "dump"});
    const QString tip = control(d, "Picture1")["toolTip"].toString();
    EXPECT_TRUE(tip.startsWith("f(x) не вычисляется")) << "shortened on the plot, whole in the tooltip";
}

}  // namespace
}  // namespace mcplot::testing
