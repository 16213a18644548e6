// Texts built to crash, freeze or exhaust the interpreter: each must end
// quickly with a clear error or a right result.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "core/vbscript_host.h"
#include "tests/vbscript/script_test_support.h"

namespace mcplot::testing {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A loaded machine must not make these flaky, and the sanitizer build runs
// several times slower; the faults they guard against took minutes.
#if defined(__SANITIZE_ADDRESS__)
constexpr auto kGenerous = std::chrono::seconds(40);
#else
constexpr auto kGenerous = std::chrono::seconds(5);
#endif

struct Timed {
    ScriptStatus status;
    Clock::duration took;
    PubResults res;
};

Timed runTimed(const std::string& code, milliseconds limit = milliseconds(10000), size_t maxBytes = 0) {
    VBScriptHost host;
    host.setTimeLimit(limit);
    if (maxBytes) host.setMaxScriptBytes(maxBytes);
    auto res = std::make_shared<PubResults>();
    const auto start = Clock::now();
    host.Reset();
    host.AddObject("Res", res);
    Timed t;
    t.status = host.ExecuteStatement(code);
    host.Reset();  // frees whatever the script built
    t.took = Clock::now() - start;
    t.res = *res;
    return t;
}

TEST(HostileInput, DeeplyNestedArraysAreFreedWithoutRecursion) {
    const Timed t = runTimed("x= .5\r\nRes.p=x:a=Array():For i=1 To 300000:a=Array(a):Next");
    EXPECT_TRUE(t.status.ok) << t.status.description;
    EXPECT_LT(t.took, kGenerous);
    // Dropped by assignment too, and within one run again and again.
    EXPECT_TRUE(runTimed("For k=1 To 3:a=Array():For i=1 To 100000:a=Array(a):Next:a=0:Next").status.ok);
}

TEST(HostileInput, DeeplyNestedArraysCanBeCopiedInspectedAndRefused) {
    const std::string nest = "a=Array():For i=1 To 200000:a=Array(a):Next:";
    EXPECT_EQ(runTimed(nest + "b=a:c=b:Res.p=UBound(c)+IsArray(c(0))").res.p, -1.0);
    EXPECT_EQ(runTimed(nest + "Res.pLong=VarType(a)").res.pLong, 8204);
    // Printing or comparing an array is a type mismatch, not a walk down it.
    EXPECT_EQ(runTimed(nest + "s=CStr(a)").status.number, 13);
    EXPECT_EQ(runTimed(nest + "b=a:Res.p=(a=b)").status.number, 13);
    EXPECT_EQ(runTimed(nest + "s=\"\" & a").status.number, 13);
}

TEST(HostileInput, HugeArrayBoundsAreCleanErrors) {
    EXPECT_EQ(runError("x:ReDim a(2147483647)"), 7);
    EXPECT_EQ(runError("ReDim a(2147483647)"), 7);
    EXPECT_EQ(runError("Dim a(2147483647)"), 7);
    EXPECT_EQ(runError("ReDim a(2147483647, 2147483647)"), 7);
    EXPECT_EQ(runError("ReDim a(65536, 65536)"), 7);
    EXPECT_EQ(runError("ReDim a(2147483648)"), 6);
    EXPECT_EQ(runError("ReDim a(-2)"), 9);
    EXPECT_EQ(runP("ReDim a(-1) : Res.p = UBound(a)"), -1.0);
    EXPECT_EQ(runError("ReDim a(9) : ReDim Preserve a(2147483647)"), 7);
}

std::string manyFunctions(int n) {
    std::string code;
    code.reserve(static_cast<size_t>(n) * 40);
    for (int k = 0; k < n; ++k) {
        const std::string name = std::to_string(k);
        code.append("Function f").append(name).append("(a)\r\nf").append(name).append(" = a + ").append(name);
        code.append("\r\nEnd Function\r\n");
    }
    return code;
}

TEST(HostileInput, ManyProceduresRegisterInLinearTime) {
    for (int n : {40000, 100000}) {
        const std::string last = std::string("f").append(std::to_string(n - 1));
        const Timed t = runTimed(manyFunctions(n) + "Res.p = " + last + "(1) + f7(0)");
        EXPECT_TRUE(t.status.ok) << t.status.description;
        EXPECT_EQ(t.res.p, n + 7.0);
        EXPECT_LT(t.took, kGenerous) << n << " functions";
    }
    EXPECT_EQ(runError(manyFunctions(3) + "Function F1()\r\nEnd Function"), 1041);
}

TEST(HostileInput, SearchesWithAMatchEveryFewBytesWatchTheClock) {
    // Millions of matches, each found by a short search: the loops over the
    // matches must look at the clock themselves (and see a stop request).
    for (const char* code : {"s = String(8000000, \"a\") : Res.p = Len(Replace(s, \"a\", \"b\"))",
                             "s = String(8000000, \"a\") : Res.p = UBound(Split(s, \"a\"))"}) {
        const Timed t = runTimed(code, milliseconds(1));
        EXPECT_EQ(t.status.number, static_cast<int>(0x80004004u)) << code;
        EXPECT_LT(t.took, kGenerous);
    }
}

TEST(HostileInput, TextsLongerThanTheLimitFailAtOnce) {
    const std::string prefix = "x= .5\r\nRes.p=";
    // 64 KB of the user's text still runs.
    std::string fits = "x" + std::string(kMaxExpressionBytes - 1, ' ');
    Timed t = runTimed(prefix + fits, milliseconds(10000), kMaxScriptBytes);
    EXPECT_TRUE(t.status.ok) << t.status.description;
    EXPECT_EQ(t.res.p, 0.5);
    for (size_t size : {kMaxExpressionBytes + 100, size_t{5} << 20, size_t{10} << 20}) {
        t = runTimed(prefix + std::string(size, '1'), milliseconds(10000), kMaxScriptBytes);
        EXPECT_EQ(t.status.number, 7);
        EXPECT_EQ(t.status.description, "слишком длинный текст сценария");
        EXPECT_LT(t.took, kGenerous);
    }
}

TEST(HostileInput, HugeTextsWithoutALengthLimitStillFailFast) {
    std::string sum = "Res.p = 1";
    while (sum.size() < (10u << 20)) sum += "+1";
    // More nodes than the parser may make (or, on a slow machine, more time
    // than the script may take).
    Timed t = runTimed(sum, milliseconds(750));
    EXPECT_TRUE(t.status.number == 7 || t.status.number == static_cast<int>(0x80004004u)) << t.status.number;
    EXPECT_LT(t.took, kGenerous);
    // Empty statements make no nodes: the clock stops them.
    t = runTimed(std::string(10u << 20, ':'), milliseconds(20));
    EXPECT_EQ(t.status.number, static_cast<int>(0x80004004u));
    EXPECT_LT(t.took, kGenerous);
}

}  // namespace
}  // namespace mcplot::testing
