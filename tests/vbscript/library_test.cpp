// The interpreter as a library of its own: objects a host exposes by name,
// budgets held by each instance, errors that say where they arose.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <exception>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "vbscript/host_object.h"
#include "vbscript/interpreter.h"

namespace mcplot::vbs {
namespace {

// A host object with two properties kept in a map, as a host might expose
// its settings.
class Settings : public HostObject {
public:
    const char* typeName() const override { return "Settings"; }
    bool get(std::string_view name, Value& out) const override {
        for (const auto& [key, value] : props)
            if (sameName(key, name)) {
                out = value;
                return true;
            }
        return false;
    }
    bool set(std::string_view name, const Value& v) override {
        for (auto& [key, value] : props)
            if (sameName(key, name)) {
                value = key == "Width" ? Value::lng(toLong(v)) : v;
                return true;
            }
        return false;
    }
    std::map<std::string, Value> props{{"Width", Value::lng(0)}, {"Title", Value::str("")}};
};

int errorOf(Interpreter& in, std::string_view code) {
    try {
        in.execute(code);
    } catch (const ScriptError& e) {
        return e.number;
    }
    return 0;
}

ScriptError caught(std::string_view code) {
    Interpreter in;
    try {
        in.execute(code);
    } catch (const ScriptError& e) {
        return e;
    }
    ADD_FAILURE() << "no error from " << code;
    return ScriptError(0);
}

TEST(HostObjects, PropertiesAreReadAndWrittenByNameWithoutCase) {
    Interpreter in;
    auto settings = std::make_shared<Settings>();
    in.addObject("App", settings);
    in.execute("app.WIDTH = 3 * 7 : App.title = \"График \" & App.Width");
    EXPECT_EQ(toLong(settings->props["Width"]), 21);
    EXPECT_EQ(settings->props["Title"].s(), "График 21");
    EXPECT_EQ(toText(in.evaluate("TypeName(App)")), "Settings");
    EXPECT_EQ(toText(in.evaluate("App Is App")), "True");
}

TEST(HostObjects, UnknownPropertiesAndNamesFail) {
    Interpreter in;
    in.addObject("App", std::make_shared<Settings>());
    EXPECT_EQ(errorOf(in, "App.Height = 1"), 438);
    EXPECT_EQ(errorOf(in, "y = App.Height"), 438);
    EXPECT_EQ(errorOf(in, "App = 1"), 501);
    in.reset();
    // After a reset the name means nothing any more.
    EXPECT_EQ(errorOf(in, "App.Width = 1"), 424);
}

TEST(HostObjects, AddingAgainReplacesTheObjectOfThatName) {
    Interpreter in;
    auto first = std::make_shared<Settings>();
    auto second = std::make_shared<Settings>();
    in.addObject("App", first);
    in.addObject("APP", second);
    in.execute("App.Width = 5");
    EXPECT_EQ(toLong(first->props["Width"]), 0);
    EXPECT_EQ(toLong(second->props["Width"]), 5);
}

TEST(ErrorLocation, ErrorsAreExceptionsWithNumberMessageLineAndColumn) {
    const ScriptError e = caught("y = 1\r\ny = 2 / 0");
    const std::exception& base = e;
    EXPECT_EQ(e.number, 11);
    EXPECT_STREQ(base.what(), errorMessage(11));
    EXPECT_EQ(e.line, 2);
    EXPECT_EQ(e.column, 7);  // the operator that failed
}

TEST(ErrorLocation, ColumnsCountCharactersNotBytes) {
    const ScriptError e = caught("s = \"жжж\" : y = Sqr(-1)");
    EXPECT_EQ(e.number, 5);
    EXPECT_EQ(e.line, 1);
    EXPECT_EQ(e.column, 17);  // Sqr, after three two-byte letters
}

TEST(ErrorLocation, SyntaxErrorsPointAtTheToken) {
    ScriptError e = caught("y = 1\ny = (2 + 3");
    EXPECT_EQ(e.number, 1006);
    EXPECT_EQ(e.line, 2);
    EXPECT_EQ(e.column, 11);  // the end of the text where ")" was due
    e = caught("y = 1 +* 2");
    EXPECT_EQ(e.number, 1023);
    EXPECT_EQ(e.column, 8);
    e = caught("y = 1\rz = 2 $");  // a lone CR ends a line too
    EXPECT_EQ(e.number, 1032);
    EXPECT_EQ(e.line, 2);
    EXPECT_EQ(e.column, 7);
}

TEST(ErrorLocation, ErrorsInsideProceduresPointIntoTheirBody) {
    const ScriptError e = caught("Function f(a)\r\n  f = a(1)\r\nEnd Function\r\ny = f(2)");
    EXPECT_EQ(e.number, 13);
    EXPECT_EQ(e.line, 2);
    EXPECT_EQ(e.column, 7);
}

TEST(ErrorLocation, AFailedStoreBlamesTheValue) {
    Interpreter in;
    in.addObject("App", std::make_shared<Settings>());
    try {
        in.execute("App.Width = \"abc\"");
        FAIL();
    } catch (const ScriptError& e) {
        EXPECT_EQ(e.number, 13);
        EXPECT_EQ(e.column, 13);
    }
}

TEST(Budgets, TwoInterpretersOnTwoThreadsKeepTheirOwnLimits) {
    using namespace std::chrono_literals;
    std::atomic<int> tightError{-1}, roomyError{-1}, tightTimeError{-1}, roomyTimeError{-1};
    std::atomic<bool> roomyDone{false};
    std::thread tight([&] {
        Interpreter in;
        in.setMemoryLimit(1u << 20);
        in.setTimeLimit(100ms);
        tightError = errorOf(in, "s = Space(600000) : t = s & s");
        tightTimeError = errorOf(in, "Do : Loop");
    });
    std::thread roomy([&] {
        Interpreter in;
        in.setMemoryLimit(32u << 20);
        // Generous: the sanitizer builds run the loop below many times slower.
        in.setTimeLimit(60000ms);
        // Holds more than the other's whole budget, and runs longer than its
        // time limit.
        roomyError = errorOf(in, "s = Space(6000000) : t = s & s : For i = 1 To 3000000 : Next");
        roomyTimeError = errorOf(in, "n = Len(t)");
        roomyDone = true;
    });
    tight.join();
    roomy.join();
    EXPECT_EQ(tightError, 7);
    EXPECT_EQ(tightTimeError, static_cast<int>(0x80004004u));
    EXPECT_EQ(roomyError, 0);
    EXPECT_EQ(roomyTimeError, 0);
    EXPECT_TRUE(roomyDone);
}

TEST(Budgets, MemoryIsCountedPerInstanceAndGivenBack) {
    Interpreter a, b;
    a.setMemoryLimit(3u << 20);
    b.setMemoryLimit(3u << 20);
    // a keeps 2 MB alive in a variable; b still has its whole budget.
    EXPECT_EQ(errorOf(a, "s = Space(2000000)"), 0);
    EXPECT_EQ(errorOf(b, "s = Space(2000000)"), 0);
    EXPECT_EQ(errorOf(a, "t = Space(2000000)"), 7);
    a.reset();
    EXPECT_EQ(errorOf(a, "t = Space(2000000)"), 0);
}

}  // namespace
}  // namespace mcplot::vbs
