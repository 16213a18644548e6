// A failing expression explained: one line on the plot and the same text on
// the red button's tooltip, end to end.
#include <gtest/gtest.h>

#include "driver_session.h"

namespace mcplot::testing {
namespace {

// The last text printed on the plot.
QString lastPlotText(const QJsonObject& dump) {
    const QJsonArray texts = dump["canvas"]["texts"].toArray();
    return texts.isEmpty() ? QString() : texts.last().toArray()[2].toString();
}

int plotTextsContaining(const QJsonObject& dump, const QString& part) {
    int n = 0;
    for (const QJsonValue& t : dump["canvas"]["texts"].toArray())
        if (t.toArray()[2].toString().contains(part)) ++n;
    return n;
}

TEST(FailureNotice, OnePointOfTheGraphFailsAtZero) {
    DriverSession s;
    const auto d = s.run({"start", "select 9", "text 1 1/x", "dump", "click Command1", "dump"});
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(stateValue(d[0], "a"), 0);
    EXPECT_FLOAT_EQ(float(stateValue(d[0], "b")), 14.2f);
    EXPECT_EQ(control(d[0], "Command1")["toolTip"].toString(), "") << "a text change alone runs nothing";

    const QJsonObject after = d[1];
    EXPECT_EQ(caption(after, "Command1"), "ERRORS!!!");
    const QString line = lastPlotText(after);
    // The division sign is the second character of "1/x".
    EXPECT_EQ(
        line,
        "f(x) не вычисляется в 1 точке из 101. Ошибка 11: деление на ноль (позиция 2, x = 0). "
        "Деление на ноль при x = 0: знаменатель здесь равен 0; сдвиньте предел или обойдите эту точку.");
    EXPECT_EQ(plotTextsContaining(after, "не вычисляется"), 1) << "one line only";
    EXPECT_EQ(control(after, "Command1")["toolTip"].toString(), line + "\nВ формуле: 1▸/◂x");
}

TEST(FailureNotice, MonteCarloCountsTheThrowsAsPointsToo) {
    DriverSession s;
    const QJsonObject d = s.runOne({"seed 3", "start", "select 9", "text 1 1/x", "click CmdOK", "dump"});
    const QString line = lastPlotText(d);
    EXPECT_TRUE(line.startsWith("f(x) не вычисляется в 1 точке из ")) << line.toStdString();
    EXPECT_FALSE(line.startsWith("f(x) не вычисляется в 1 точке из 101.")) << "the throws add their points";
    EXPECT_TRUE(control(d, "Command1")["toolTip"].toString().startsWith(line + "\n"));
    EXPECT_TRUE(caption(d, "Label6").startsWith("I=")) << "the integral still comes";
}

TEST(FailureNotice, ASyntaxErrorFailsEveryPoint) {
    DriverSession s;
    const QJsonObject d = s.runOne({"start", "select 9", "text 1 1/(x", "click Command1", "dump"});
    const QString line = lastPlotText(d);
    // The text does not parse: no points and no x, the missing ")" after the text.
    EXPECT_EQ(line,
              "Формула записана с ошибкой. Ошибка 1006: ожидается «)» (позиция 5). Не хватает закрывающей "
              "скобки «)»: допишите её.");
    EXPECT_EQ(control(d, "Command1")["toolTip"].toString(), line + "\nВ формуле: 1/(x▸◂");
    EXPECT_EQ(caption(d, "Command1"), "ERRORS!!!");
}

TEST(FailureNotice, AnEditRestoresTheButtonAndItsEmptyTooltip) {
    DriverSession s;
    const auto d = s.run({"start", "select 9", "text 1 1/x", "click Command1", "text 1 1/x + 1", "dump",
                          "scroll 1 100", "dump"});
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(caption(d[0], "Command1"), "OK");
    EXPECT_EQ(control(d[0], "Command1")["toolTip"].toString(), "");
    // x = 0 is no longer on [1, 14.2]: nothing fails and nothing is explained.
    EXPECT_EQ(caption(d[1], "Command1"), "OK");
    EXPECT_EQ(plotTextsContaining(d[1], "не вычисляется"), 0);
    EXPECT_EQ(control(d[1], "Command1")["toolTip"].toString(), "");
}

TEST(FailureNotice, TheRedButtonKeepsItsExplanationWhileLaterRunsSucceed) {
    DriverSession s;
    const QJsonObject d =
        s.runOne({"start", "select 9", "text 1 1/x", "click Command1", "scroll 1 100", "dump"});
    EXPECT_EQ(caption(d, "Command1"), "ERRORS!!!");
    EXPECT_EQ(plotTextsContaining(d, "не вычисляется"), 0) << "the last run had no failure";
    EXPECT_TRUE(
        control(d, "Command1")["toolTip"].toString().startsWith("f(x) не вычисляется в 1 точке из 101."));
}

TEST(FailureNotice, BuiltInFormulasKeepTheirOwnNotice) {
    DriverSession s;
    const QJsonObject d = s.runOne({"start", "select 6", "scroll 1 0", "dump"});
    EXPECT_EQ(plotTextsContaining(d, "f(x) не вычисляется в "), 0);
    EXPECT_EQ(control(d, "Command1")["toolTip"].toString(), "");
}

}  // namespace
}  // namespace mcplot::testing
