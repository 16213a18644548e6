// The text a student reads when the expression fails: number, Russian
// message, position in the expression box and the value of x.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/failure_text.h"
#include "core/vbscript_host.h"
#include "numbers/number.h"

namespace mcplot {
namespace {

// Runs the user's text the way the program does and describes the failure.
std::string explain(const std::string& userText, double x) {
    const std::string kod = "x=" + shortNumber(x) + "\r\nRes.p=" + userText;
    VBScriptHost host;
    host.Reset();
    host.AddObject("Res", std::make_shared<PubResults>());
    const ScriptStatus status = host.ExecuteStatement(kod);
    if (status.ok) return "ok";
    return failureText(status, kod, userText, x);
}

TEST(FailureText, RunTimeErrorsPointIntoTheExpression) {
    EXPECT_EQ(explain("1/x", 0), "Ошибка 11: деление на ноль (позиция 2, x = 0)");
    EXPECT_EQ(explain("Sqr(x) + Log(x)", -1.5),
              "Ошибка 5: недопустимый вызов процедуры или недопустимый аргумент "
              "(позиция 1, x = -1.5)");
    EXPECT_EQ(explain("x + \"а\"", 2), "Ошибка 13: несовпадение типов (позиция 3, x = 2)");
    EXPECT_EQ(explain("Foo(x)", 0.5), "Ошибка 13: несовпадение типов (позиция 1, x = 0.5)");
}

TEST(FailureText, SyntaxErrorsPointIntoTheExpression) {
    // A text that does not parse fails whatever x is: no x in the text.
    EXPECT_EQ(explain("x^2 +* 1", 1), "Ошибка 1023: ожидается выражение (позиция 6)");
    EXPECT_EQ(explain("(x + 1", 1), "Ошибка 1006: ожидается «)» (позиция 7)");
    EXPECT_EQ(explain("", 1), "Ошибка 1023: ожидается выражение (позиция 1)");
    EXPECT_EQ(explain("x $ 2", 1), "Ошибка 1032: недопустимый знак (позиция 3)");
}

TEST(FailureText, PositionsCountCharactersAcrossLinesOfTheExpression) {
    // Cyrillic letters take two bytes each but one position.
    EXPECT_EQ(explain("\"жжж\" + 1/0", 3), "Ошибка 11: деление на ноль (позиция 10, x = 3)");
    // A text of several lines: positions run on through the line breaks.
    EXPECT_EQ(explain("1\r\ny = 1/0", 3), "Ошибка 11: деление на ноль (позиция 9, x = 3)");
}

TEST(FailureText, FailuresOutsideTheExpressionHaveNoPosition) {
    // The store into Res.p fails in the program's own part of the text.
    ScriptStatus s = ScriptStatus::failure(13, "несовпадение типов");
    s.line = 2;
    s.column = 1;
    EXPECT_EQ(failureText(s, "x=1\r\nRes.p=\"a\"", "\"a\"", 1), "Ошибка 13: несовпадение типов (x = 1)");
    s.line = 0;
    s.column = 0;
    EXPECT_EQ(failureText(s, "x=1\r\nRes.p=\"a\"", "\"a\"", 1), "Ошибка 13: несовпадение типов (x = 1)");
    s.line = 7;
    s.column = 3;
    EXPECT_EQ(positionInUserText("x=1\r\nRes.p=\"a\"", "\"a\"", 7, 3), 0);
}

TEST(FailureText, TimeOutsReadInHexadecimal) {
    VBScriptHost host;
    host.setTimeLimit(std::chrono::milliseconds(20));
    host.Reset();
    host.AddObject("Res", std::make_shared<PubResults>());
    const std::string kod = "x= .5\r\nRes.p=0:Do:Loop";
    const ScriptStatus s = host.ExecuteStatement(kod);
    EXPECT_EQ(
        failureText(s, kod, "0:Do:Loop", 0.5).rfind("Ошибка 80004004: сценарий выполняется слишком долго", 0),
        0u);
}

}  // namespace
}  // namespace mcplot
