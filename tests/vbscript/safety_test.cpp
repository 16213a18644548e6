// Limits that keep a student's script from freezing or crashing the program.
#include <gtest/gtest.h>

#include <string>

#include "core/vbscript_host.h"
#include "tests/vbscript/script_test_support.h"

namespace mcplot::testing {
namespace {

constexpr int kTimedOut = static_cast<int>(0x80004004u);

ScriptStatus runWithLimit(const std::string& code, std::chrono::milliseconds limit) {
    VBScriptHost host;
    host.setTimeLimit(limit);
    host.Reset();
    host.AddObject("Res", std::make_shared<PubResults>());
    return host.ExecuteStatement(code);
}

TEST(Safety, EndlessLoopFailsWithTheDefaultLimit) {
    const RunResult r = run("x = .5\r\nRes.p=0 : Do : Res.p = Res.p + 1 : Loop");
    EXPECT_FALSE(r.status.ok);
    EXPECT_EQ(r.status.number, kTimedOut);
    EXPECT_GT(r.res.p, 0.0);
}

TEST(Safety, EveryKindOfEndlessLoopIsStopped) {
    using std::chrono::milliseconds;
    for (const char* code :
         {"Do : Loop", "While True : Wend", "Do While 1 : Loop", "Do : Loop Until False",
          "For i = 1 To 2 Step 0 : Next", "For i = 1 To 1E300 : Next", "Sub s() : Do : Loop : End Sub : s",
          "On Error Resume Next : Do : y = 1/0 : Loop", "Do : s = Space(15000000) : Loop",
          "e = String(100000, \"1\") : Do : y = Eval(\"Len(\"\"\" & e & \"\"\")\") : Loop",
          "Function f(n) : For i = 1 To 1000 : f = f + n : Next : End Function\r\n"
          "Do : Res.p = f(1) : Loop"}) {
        const ScriptStatus s = runWithLimit(code, milliseconds(50));
        EXPECT_EQ(s.number, kTimedOut) << code;
    }
}

TEST(Safety, DeepRecursionIsOutOfStackSpace) {
    EXPECT_EQ(runError("Function f(n) : f = f(n + 1) : End Function : Res.p = f(1)"), 28);
    EXPECT_EQ(runError("Sub s() : s : End Sub : s"), 28);
    EXPECT_EQ(runError("Function f() : f = Eval(\"f()\") : End Function : Res.p = f()"), 28);
    EXPECT_EQ(runError("On Error Resume Next\r\nFunction f(n) : f = f(n + 1) : End Function : Res.p = f(1)"),
              28);
}

TEST(Safety, ModerateRecursionStillWorks) {
    EXPECT_EQ(
        runP("Function depth(n) : If n = 0 Then depth = 0 Else depth = 1 + depth(n - 1)\r\nEnd Function\r\n"
             "Res.p = depth(200)"),
        200.0);
}

TEST(Safety, DeeplyNestedTextIsOutOfStackSpaceNotACrash) {
    const size_t n = 100000;
    EXPECT_EQ(runError("Res.p = " + std::string(n, '(') + "1" + std::string(n, ')')), 28);
    EXPECT_EQ(runError("Res.p = " + std::string(n, '(')), 28);
    EXPECT_EQ(runError("Res.p = " + std::string(n, '-') + "1"), 28);
    std::string nots;
    for (size_t k = 0; k < n; ++k) nots += "Not ";
    EXPECT_EQ(runError("Res.p = " + nots + "0"), 28);
    std::string ifs;
    for (size_t k = 0; k < n; ++k) ifs += "If True Then\n";
    EXPECT_EQ(runError(ifs), 28);
    EXPECT_EQ(runError("Res.p = " + std::string(50000, 'a') + "(1)"), 13);  // a long name is just a name
}

TEST(Safety, NestingThatFitsStillWorks) {
    EXPECT_EQ(runP("Res.p = " + std::string(200, '(') + "2" + std::string(200, ')')), 2.0);
}

// Memory checks do heavy string work: a loaded machine must not turn them
// into time-outs, so they run with a generous clock.
constexpr std::chrono::seconds kMemoryTestTime{30};

int memoryError(const std::string& code) {
    return runWithLimit(code, kMemoryTestTime).number;
}

double memoryP(const std::string& code) {
    VBScriptHost host;
    host.setTimeLimit(kMemoryTestTime);
    auto res = std::make_shared<PubResults>();
    host.Reset();
    host.AddObject("Res", res);
    return host.ExecuteStatement(code).ok ? res->p : -1.0;
}

TEST(Safety, HugeStringsAreOutOfMemory) {
    for (const char* code : {
             "s = String(100000000, \"a\")",
             "s = Space(20000000)",
             "s = \"a\" : Do : s = s & s : Loop",
             "s = \"ab\" : Do : s = s + s : Loop",
             "s = Replace(String(1000000, \"a\"), \"a\", String(1000, \"b\"))",
             "Dim a(100) : For i = 0 To 100 : a(i) = String(10000000, \"a\") : Next",
             "ReDim a(100000000)",
             "ReDim a(10000, 10000)",
             "s = Join(Split(String(100000, \",\"), \",\"), String(1000, \"x\"))",
             "a = Split(String(15000000, \",\"), \",\")",
             // The limit counts bytes: a Cyrillic letter takes two.
             "s = String(9000000, \"ж\")",
         })
        EXPECT_EQ(memoryError(code), 7) << code;
    EXPECT_EQ(memoryP("s = String(8000000, \"ж\") : Res.p = Len(s)"), 8000000.0);
}

TEST(Safety, MemoryIsGivenBackAfterAFailure) {
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(memoryError("Dim a(5) : For i = 0 To 5 : a(i) = String(15000000, \"a\") : Next"), 7);
        EXPECT_EQ(memoryP("s = String(15000000, \"a\") : Res.p = Len(s)"), 15000000.0);
    }
}

TEST(Safety, HostWorksAgainAfterEachKindOfFailure) {
    VBScriptHost host;
    host.setTimeLimit(std::chrono::milliseconds(50));
    auto res = std::make_shared<PubResults>();
    for (const char* bad : {"Do : Loop", "Res.p = (((", "Function f() : f = f() : End Function : f",
                            "s = String(99999999, \"a\")", "Res.p = 1/0"}) {
        host.Reset();
        host.AddObject("Res", res);
        EXPECT_FALSE(host.ExecuteStatement(bad).ok) << bad;
        host.Reset();
        host.AddObject("Res", res);
        ASSERT_TRUE(host.ExecuteStatement("x= .5\r\nRes.p=x^2").ok) << "after " << bad;
        EXPECT_EQ(res->p, 0.25);
    }
}

}  // namespace
}  // namespace mcplot::testing
