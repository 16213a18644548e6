// Inputs a student might type that once crashed, froze or misled the program,
// each through the real window: the program stays alive, a failing expression
// shows "ERRORS!!!" (or a clear text in the result labels), and every user
// action ends well within a few seconds. The times measured are printed so a
// loaded machine's figures can be read off the test log.
#include <gtest/gtest.h>

#include <QJsonArray>

#include <iostream>

#include "driver_session.h"

namespace mcplot::testing {
namespace {

// Generous: the window's own budget per action is about 2 s; the margin is for
// a loaded machine and the sanitizer build.
constexpr double actionLimitSeconds = 5.0;
constexpr int userEntry = 9;

// A driver script in which chosen commands are timed: each is followed by
// `elapsed`, whose answers come back in order.
class TimedScript {
public:
    TimedScript& add(const QString& command) {
        lines_ << command;
        return *this;
    }
    TimedScript& timed(const QString& command, const QString& what) {
        lines_ << command << QStringLiteral("elapsed");
        names_ << what;
        return *this;
    }

    struct Result {
        std::vector<double> seconds;
        QJsonObject dump;
    };

    // Runs the script, then one dump; checks every timed action against the limit.
    Result run(DriverSession& session) {
        const auto lines = session.run(QStringList(lines_) << QStringLiteral("dump"), 600000);
        Result r;
        for (const QJsonObject& line : lines) {
            EXPECT_FALSE(line.contains("error")) << line["error"].toString().toStdString();
            if (line.contains("elapsed")) r.seconds.push_back(line["elapsed"].toDouble());
            if (line.contains("controls")) r.dump = line;
        }
        EXPECT_EQ(r.seconds.size(), size_t(names_.size()));
        for (size_t k = 0; k < r.seconds.size() && k < size_t(names_.size()); ++k) {
            std::cout << "  " << names_[k].toStdString() << ": " << r.seconds[k] << " s\n";
            EXPECT_LT(r.seconds[k], actionLimitSeconds) << names_[k].toStdString();
        }
        EXPECT_TRUE(r.dump["alive"].toBool());
        return r;
    }

private:
    QStringList lines_;
    QStringList names_;
};

// The user's entry selected and the expression typed (typing does not plot).
TimedScript withExpression(const QString& expression) {
    TimedScript script;
    script.add(QStringLiteral("start"))
        .add(QStringLiteral("select %1").arg(userEntry))
        .timed(QStringLiteral("text 1 ") + expression, QStringLiteral("typing the expression"));
    return script;
}

// Every user action that evaluates the expression: a click on each button, a
// selection (up to three plot runs), a resize and a limit bar.
TimedScript& everyAction(TimedScript& script) {
    return script.timed(QStringLiteral("click Command1"), QStringLiteral("click Command1"))
        .timed(QStringLiteral("click CmdOK"), QStringLiteral("click CmdOK"))
        .add(QStringLiteral("select 0"))
        .timed(QStringLiteral("select %1").arg(userEntry), QStringLiteral("list selection"))
        .timed(QStringLiteral("resize 700 520"), QStringLiteral("resize"))
        .timed(QStringLiteral("scroll 1 100"), QStringLiteral("lower limit bar"))
        .timed(QStringLiteral("scroll 4 3"), QStringLiteral("scaling bar"));
}

QString errorsOrOk(const QJsonObject& dump) {
    return caption(dump, "Command1");
}

TEST(HostileInput, DeeplyNestedArrayIsReleasedWithoutKillingTheProgram) {
    DriverSession s;
    TimedScript script = withExpression(QStringLiteral("x:a=Array():For i=1 To 300000:a=Array(a):Next"));
    const auto r = everyAction(script).run(s);
    EXPECT_TRUE(errorsOrOk(r.dump) == "OK" || errorsOrOk(r.dump) == "ERRORS!!!");
}

TEST(HostileInput, ArrayBoundAtTheLongLimitIsAnErrorNotACrash) {
    DriverSession s;
    TimedScript script = withExpression(QStringLiteral("x:ReDim a(2147483647)"));
    script.timed(QStringLiteral("click Command1"), QStringLiteral("click Command1"));
    const auto r = script.run(s);
    EXPECT_EQ(errorsOrOk(r.dump).toStdString(), "ERRORS!!!");
}

TEST(HostileInput, SlowLoopCostsEachUserActionOneBudgetOnly) {
    DriverSession s;
    TimedScript script = withExpression(QStringLiteral("x:For i=1 To 10000000:Next"));
    const auto r = everyAction(script).run(s);
    EXPECT_EQ(errorsOrOk(r.dump).toStdString(), "ERRORS!!!");
}

TEST(HostileInput, SlowFailuresCostEachUserActionOneBudgetOnly) {
    // Endless recursion fails by running out of stack, deep nesting in the
    // parser; both fail slowly, point after point.
    QString nested;
    for (int k = 0; k < 10000; ++k) nested += QStringLiteral("Sin(");
    nested += QStringLiteral("x");
    for (int k = 0; k < 10000; ++k) nested += QStringLiteral(")");
    for (const QString& expression :
         {QStringLiteral("x:Function f(n):f=f(n+1):End Function:Res.p=f(1)"), nested}) {
        SCOPED_TRACE(expression.left(60).toStdString());
        DriverSession s;
        TimedScript script = withExpression(expression);
        const auto r = everyAction(script).run(s);
        EXPECT_EQ(errorsOrOk(r.dump).toStdString(), "ERRORS!!!");
    }
}

TEST(HostileInput, SubstringSearchesOnLongStringsEndQuickly) {
    for (const QString& expression : {
             QStringLiteral("InStr(String(1000000,\"a\"), String(500000,\"a\") & \"b\")"),
             QStringLiteral("Len(Replace(String(1000000,\"a\"), String(500000,\"a\") & \"b\", \"c\"))"),
             QStringLiteral("UBound(Split(String(1000000,\"a\"), String(500000,\"a\") & \"b\"))"),
         }) {
        SCOPED_TRACE(expression.toStdString());
        DriverSession s;
        TimedScript script = withExpression(expression);
        script.timed(QStringLiteral("click Command1"), QStringLiteral("click Command1"))
            .timed(QStringLiteral("click CmdOK"), QStringLiteral("click CmdOK"));
        script.run(s);
    }
}

TEST(HostileInput, ManyProcedureDefinitionsEndQuickly) {
    QString expression = QStringLiteral("x");
    for (int k = 0; k < 40000; ++k) expression += QStringLiteral(":Function f%1():End Function").arg(k);
    DriverSession s;
    TimedScript script = withExpression(expression);
    script.timed(QStringLiteral("click Command1"), QStringLiteral("click Command1"));
    const auto r = script.run(s);
    EXPECT_TRUE(errorsOrOk(r.dump) == "OK" || errorsOrOk(r.dump) == "ERRORS!!!");
}

TEST(HostileInput, HugeExpressionIsRefusedQuickly) {
    // About 5 MB, as if pasted.
    QString expression = QStringLiteral("x");
    expression.reserve(5'000'001);
    while (expression.size() < 5'000'000) expression += QStringLiteral("+x");
    DriverSession s;
    TimedScript script = withExpression(expression);
    script.timed(QStringLiteral("click Command1"), QStringLiteral("click Command1"))
        .add(QStringLiteral("select 0"))
        .timed(QStringLiteral("select %1").arg(userEntry), QStringLiteral("list selection"));
    const auto r = script.run(s);
    EXPECT_EQ(errorsOrOk(r.dump).toStdString(), "ERRORS!!!");
}

TEST(HostileInput, LongestTextTheBoxTakesCostsOneBudgetPerAction) {
    // As many characters as the box holds, too long to run: every point
    // fails, and with 32 000 throws the text must not be copied past the
    // action's budget.
    const QString expression(131072, QLatin1Char('('));
    DriverSession s;
    TimedScript script = withExpression(expression);
    script.add(QStringLiteral("scroll 3 32000"));
    const auto r = everyAction(script).run(s);
    EXPECT_EQ(errorsOrOk(r.dump).toStdString(), "ERRORS!!!");
}

TEST(HostileInput, MonteCarloWithEveryPointFailingShowsNoNumber) {
    DriverSession s;
    // A good run first, so that stale numbers would be there to show.
    const auto lines = s.run({"seed 5", "start", "select 9", "text 1 x", "click CmdOK", "dump", "text 1 1/0",
                              "click CmdOK", "dump", "text 1 1/x", "click CmdOK", "dump"});
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(caption(lines[0], "Label6").left(2).toStdString(), "I=");
    EXPECT_NE(caption(lines[0], "Label6").toStdString(), "I=не вычисляется");

    const QJsonObject& allFailed = lines[1];
    EXPECT_EQ(caption(allFailed, "Command1").toStdString(), "ERRORS!!!");
    EXPECT_EQ(caption(allFailed, "Label6").toStdString(), "I=не вычисляется");
    EXPECT_EQ(caption(allFailed, "Label2").toStdString(), "I=не вычисляется");

    // 1/x fails only at x = 0: both values are numbers again.
    const QJsonObject& someFailed = lines[2];
    EXPECT_EQ(caption(someFailed, "Command1").toStdString(), "ERRORS!!!");
    for (const char* label : {"Label6", "Label2"}) {
        const QString text = caption(someFailed, label);
        EXPECT_TRUE(text.startsWith("I=") && text.size() > 2 && (text[2].isDigit() || text[2] == '-'))
            << label << ": " << text.toStdString();
    }
}

TEST(HostileInput, TrapezoidAloneFailingSaysSoWhileThrowsStillCount) {
    // With no throws the Monte Carlo label says so; the trapezoid label says
    // its value cannot be computed when every one of its points fails.
    DriverSession s;
    const auto d = s.runOne({"start", "select 9", "scroll 3 0", "text 1 1/0", "click CmdOK", "dump"});
    EXPECT_EQ(caption(d, "Label6").toStdString(), "I=нет бросков");
    EXPECT_EQ(caption(d, "Label2").toStdString(), "I=не вычисляется");
}

TEST(HostileInput, EveryLineIsJsonWhateverBytesComeIn) {
    DriverSession s;
    QByteArray script = "start\n\xff\xfe\n";
    script += "click \xc3\n";             // a sequence cut short
    script += "menu \xed\xa0\x80\n";      // an encoded surrogate
    script += "menu \xf4\x90\x80\x80\n";  // beyond U+10FFFF
    script += "\xc0\xaf\x01\x7f\n";       // an overlong form and control bytes
    script += "select 9\ntext 1 x\xff+1\ndump\n";
    const auto lines = s.runBytes(script);
    ASSERT_EQ(lines.size(), 6u);
    for (size_t k = 0; k < 5; ++k) {
        ASSERT_TRUE(lines[k].contains("error")) << k;
        EXPECT_TRUE(lines[k]["error"].toString().contains(QChar(0xFFFD))) << k;
    }
    EXPECT_TRUE(lines[5]["alive"].toBool());
    EXPECT_EQ(caption(lines[5], "Command1").toStdString(), "OK");
}

}  // namespace
}  // namespace mcplot::testing
