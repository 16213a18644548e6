// Hints on what a student typed and the advice after a failure, read from
// the parsed expression: each trap gives its hint, look-alikes that are fine
// give none.
#include <gtest/gtest.h>

#include <memory>

#include "core/expression_failures.h"
#include "core/expression_hints.h"
#include "core/failure_text.h"
#include "core/vbscript_host.h"
#include "numbers/number.h"

namespace mcplot {
namespace {

std::string firstHint(const std::string& text) {
    const auto hints = expressionHints(text, nullptr);
    return hints.empty() ? std::string() : hints.front();
}

TEST(ExpressionHints, EachTrapGivesItsHint) {
    const std::pair<const char*, const char*> cases[] = {
        {"Exp(-x^2)", "Подсказка: −x^2 здесь — это (−x)²; для −x² пишите -(x^2)"},
        {"1 - -x^2", "Подсказка: −x^2 здесь — это (−x)²; для −x² пишите -(x^2)"},
        {"-2^0.5", "Подсказка: −x^2 здесь — это (−x)²"},
        {"pi*x^2", "Подсказка: pi здесь не задано и равно 0; число π — 4*Atn(1)"},
        {"e^x", "Подсказка: e здесь не задано и равно 0; число e — Exp(1), а e^x — Exp(x)"},
        {"x²+1", "Подсказка: «x²» здесь — неизвестное имя, равное 0; степень пишется так: x^2"},
        {"eхp(x)", "Подсказка: в «eхp» буква «х» русская; наберите латинскую x"},  // Cyrillic х
        {"х^2", "Подсказка: «х» — русская буква; наберите латинскую x"},           // does not parse
        {"a*x", "Подсказка: «a» здесь не задано и равно 0"},
        {"sqrt(x)", "Подсказка: функции sqrt в VBScript нет; корень — Sqr(x)"},
        {"ln(x)", "Подсказка: функции ln в VBScript нет; натуральный логарифм — Log(x)"},
        {"lg(x)", "Подсказка: функции lg в VBScript нет; десятичный логарифм — Log(x)/Log(10)"},
        {"LOG10(x)", "Подсказка: функции LOG10 в VBScript нет; десятичный логарифм — Log(x)/Log(10)"},
        {"tg(x)", "Подсказка: функции tg в VBScript нет; тангенс — Tan(x)"},
        {"ctg(x)", "Подсказка: функции ctg в VBScript нет; котангенс — 1/Tan(x)"},
        {"arcsin(x)", "Подсказка: функции arcsin в VBScript нет; арксинус — Atn(x/Sqr(1-x^2))"},
        {"arccos(x)", "Подсказка: функции arccos в VBScript нет; арккосинус — 2*Atn(1)-Atn(x/Sqr(1-x^2))"},
        {"arctg(x)", "Подсказка: функции arctg в VBScript нет; арктангенс — Atn(x)"},
        {"atan(x)", "Подсказка: функции atan в VBScript нет; арктангенс — Atn(x)"},
        {"pow(x, 2)", "Подсказка: функции pow в VBScript нет; степень — a^b"},
        {"sh(x)", "Подсказка: функции sh в VBScript нет; гиперболический синус — (Exp(x)-Exp(-x))/2"},
        {"ch(x)", "Подсказка: функции ch в VBScript нет; гиперболический косинус — (Exp(x)+Exp(-x))/2"},
        {"foo(x)", "Подсказка: функции foo в VBScript нет"},
        {"x(x+1)", "Подсказка: x(…) — не умножение: пишите x*(…)"},
        {"0,5*x", "Подсказка: дробь пишется с точкой: 0.5, а не 0,5"},
        {"Sin(0,5*x)", "Подсказка: дробь пишется с точкой: 0.5, а не 0,5"},
    };
    for (const auto& [text, hint] : cases)
        EXPECT_EQ(firstHint(text).rfind(hint, 0), 0u) << text << " -> " << firstHint(text);
}

TEST(ExpressionHints, LookAlikesThatAreFineGiveNone) {
    const char* const fine[] = {
        "x-1^2",
        "(-x)^2",
        "-(x^2)",
        "Exp(-(x^2))",
        "-x^3",  // (-x)^3 = -(x^3)
        "2^-x",
        "Len(\"pi\")*x",
        "x: a = 2: Res.p = a*x",  // assigned before use
        "Sqr(x) + Log(x) + Atn(x) + Tan(x) + Abs(x) + Sgn(x)",
        "Round(x, 2) + vbCr & \"\"",
        "5+tan(30*3.14/180)*x -9.8*x^2/2/10^2/(cos(30*3.14/180))^2",  // the sample
        "X^2",
        "Round(1.5,2)",  // a comma between digits that separates arguments
    };
    for (const char* text : fine)
        EXPECT_EQ(expressionHints(text, nullptr), std::vector<std::string>{}) << text;
}

TEST(ExpressionHints, AtMostTwoMostImportantFirst) {
    const auto hints = expressionHints("pi*sqrt(x) + Exp(-x^2) + e", nullptr);
    ASSERT_EQ(hints.size(), 2u);
    EXPECT_EQ(hints[0].rfind("Подсказка: −x^2", 0), 0u);
    EXPECT_EQ(hints[1].rfind("Подсказка: функции sqrt", 0), 0u);
}

// The expression run the way the program runs it, at x.
FailureRecord failureOf(const std::string& userText, double x) {
    FailureRecord f;
    f.kod = "x=" + shortNumber(x) + "\r\nRes.p=" + userText;
    f.userText = userText;
    f.x = x;
    VBScriptHost host;
    host.Reset();
    host.AddObject("Res", std::make_shared<PubResults>());
    f.status = host.ExecuteStatement(f.kod);
    return f;
}

TEST(FailureAdvice, EachKindSaysWhatToDo) {
    struct Case {
        const char* text;
        double x;
        const char* message;  // the error as the program words it
        const char* advice;
        TextSpan span;
    };
    const Case cases[] = {
        {"0,5*x",
         1,
         "Ошибка 1025: ожидается конец инструкции (позиция 2)",
         "Запятая здесь не входит в число; дробь пишется с точкой: 0.5, а не 0,5.",
         {1, 1}},
        {"(x+1",
         1,
         "Ошибка 1006: ожидается «)» (позиция 5)",
         "Не хватает закрывающей скобки «)»: допишите её.",
         {4, 0}},
        {"x+1)",
         1,
         "Ошибка 1025: ожидается конец инструкции (позиция 4)",
         "Лишняя скобка «)»: уберите её или добавьте «(» перед ней.",
         {3, 1}},
        {"2x",
         1,
         "Ошибка 1025: ожидается конец инструкции (позиция 2)",
         "Между «2» и «x» не хватает знака операции; умножение пишется *, например 2*x.",
         {1, 1}},
        {"x^2 +* 1",
         1,
         "Ошибка 1023: ожидается выражение (позиция 6)",
         "Перед «*» не хватает числа или выражения: допишите его или уберите лишний знак.",
         {5, 1}},
        {"x^2 +",
         1,
         "Ошибка 1023: ожидается выражение (позиция 6)",
         "Формула обрывается после «+»: допишите число, x или выражение в скобках.",
         {5, 0}},
        {"",
         1,
         "Ошибка 1023: ожидается выражение (позиция 1)",
         "Формула пуста: введите выражение от x, например x^2.",
         {0, 0}},
        {"2·x", 1, "Ошибка 1032: недопустимый знак (позиция 2)", "Умножение пишется звёздочкой: *.", {1, 1}},
        {"sqrt(x)",
         1,
         "Ошибка 13: несовпадение типов (позиция 1, x = 1)",
         "Функции sqrt в VBScript нет; корень — Sqr(x).",
         {0, 7}},
        {"1 + Sqr(x-1)",
         0,
         "Ошибка 5: недопустимый вызов процедуры или недопустимый аргумент (позиция 5, x = 0)",
         "Под корнем отрицательное число при x = 0: сдвиньте пределы так, чтобы выражение под Sqr было не "
         "меньше 0.",
         {4, 8}},
        {"Log(x)",
         0,
         "Ошибка 5: недопустимый вызов процедуры или недопустимый аргумент (позиция 1, x = 0)",
         "Логарифм числа, не большего 0, при x = 0: выражение под Log должно быть больше 0; сдвиньте "
         "пределы.",
         {0, 6}},
        {"1/x",
         0,
         "Ошибка 11: деление на ноль (позиция 2, x = 0)",
         "Деление на ноль при x = 0: знаменатель здесь равен 0; сдвиньте предел или обойдите эту точку.",
         {1, 1}},
        {"Sin(x)/x",
         0,
         "Ошибка 6: переполнение (позиция 7, x = 0)",
         "Здесь 0/0: числитель и знаменатель при x = 0 равны 0.",
         {6, 1}},
        {"Sin(0,5*x)",
         1,
         "Ошибка 450: неверное число аргументов или недопустимое присвоение свойства (позиция 1, x = 1)",
         "У Sin не то число аргументов: аргументы разделяет запятая, а дробь пишется с точкой.",
         {0, 10}},
        {"Exp(x)",
         1000,
         "Ошибка 6: переполнение (позиция 1, x = 1000)",
         "Число вышло за пределы (больше 1.8E308) при x = 1000: уменьшите промежуток или проверьте степени и "
         "Exp.",
         {0, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const FailureRecord f = failureOf(c.text, c.x);
        ASSERT_FALSE(f.status.ok);
        EXPECT_EQ(failureText(f.status, f.kod, f.userText, f.x), c.message);
        EXPECT_EQ(failureAdvice(f), c.advice);
        const TextSpan span = failureSpan(f);
        EXPECT_EQ(span.start, c.span.start);
        EXPECT_EQ(span.length, c.span.length);
    }
}

TEST(FailureAdvice, TheLineAndTheMarkedExpression) {
    ExpressionFailures failures;
    const FailureRecord f = failureOf("Sin(x)/x", 0);
    failures.recordFailure(0, f.status, f.kod, f.userText);
    failures.recordSuccess(1);
    EXPECT_EQ(
        failures.summary(),
        "f(x) не вычисляется в 1 точке из 2. Ошибка 6: переполнение (позиция 7, x = 0). Здесь 0/0: числитель "
        "и знаменатель при x = 0 равны 0.");
    EXPECT_EQ(markedExpression(f), "Sin(x)▸/◂x");
    const auto hints = expressionHints(f.userText, &f);
    ASSERT_EQ(hints.size(), 1u);
    EXPECT_EQ(
        hints[0],
        "Подсказка: 0/0 при x = 0 (например, sin(x)/x): в этой точке f не вычисляется, и график и трапеции "
        "берут там прежнее значение; сам интеграл от этого не зависит");
    // A hint that says what the advice says already is left out.
    const FailureRecord unknown = failureOf("sqrt(x) + pi", 1);
    const auto rest = expressionHints(unknown.userText, &unknown);
    ASSERT_EQ(rest.size(), 1u);
    EXPECT_EQ(rest[0].rfind("Подсказка: pi", 0), 0u);
}

TEST(TemperatureHints, TheLeadingNumberMustBeTheWholeText) {
    const std::pair<const char*, const char*> cases[] = {
        {"0,95", "Подсказка: T прочитано как 0; дробь пишется с точкой: 0.95"},
        {"0.90 ", ""},
        {" 1 .5", ""},  // blanks inside are skipped: 1.5
        {"1e-1", ""},
        {"&H10", ""},
        {"1e", "Подсказка: T прочитано как 1: после числа текст не учитывается"},
        {"abc", "Подсказка: T прочитано как 0: в поле нет числа"},
        {"", "Подсказка: T прочитано как 0: поле пусто"},
    };
    for (const auto& [text, hint] : cases) {
        const auto hints = temperatureHints(text);
        EXPECT_EQ(hints.empty() ? std::string() : hints.front(), hint) << text;
    }
}

}  // namespace
}  // namespace mcplot
