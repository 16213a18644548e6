// Errors carry the language's number and message; syntax errors come from
// the parser before anything runs.
#include <gtest/gtest.h>

#include "tests/vbscript/script_test_support.h"

namespace mcplot::testing {
namespace {

TEST(Errors, StatusCarriesNumberAndMessage) {
    const RunResult r = run("Res.p = 1/0");
    EXPECT_FALSE(r.status.ok);
    EXPECT_EQ(r.status.number, 11);
    EXPECT_EQ(r.status.description, "деление на ноль");
    EXPECT_EQ(run("Res.p = ").status.description, "ожидается выражение");
    EXPECT_EQ(run("Res.p = 1 +* 2").status.number, 1023);
}

TEST(Errors, SyntaxErrorsStopTheWholeText) {
    // The first line would run, but the text is rejected as a whole.
    const RunResult r = run("Res.p = 5\r\nRes.p = (1");
    EXPECT_EQ(r.status.number, 1006);
    EXPECT_EQ(r.res.p, 0.0);
}

TEST(Errors, RuntimeErrorsKeepWhatRanBefore) {
    const RunResult r = run("Res.p = 5\r\nRes.p = 1/0");
    EXPECT_EQ(r.status.number, 11);
    EXPECT_EQ(r.res.p, 5.0);
}

TEST(Errors, CompileErrorNumbers) {
    EXPECT_EQ(runError("If x Then\r\nRes.p = 1"), 1014);
    EXPECT_EQ(runError("If x\r\nEnd If"), 1017);
    EXPECT_EQ(runError("For i = 1\r\nNext"), 1013);
    EXPECT_EQ(runError("For i = 1 To 2\r\n"), 1020);
    EXPECT_EQ(runError("Do\r\nRes.p = 1"), 1019);
    EXPECT_EQ(runError("While True\r\n"), 1018);
    EXPECT_EQ(runError("Res.p = 1 2"), 1025);
    EXPECT_EQ(runError("Function f\r\nEnd Sub"), 1015);
    EXPECT_EQ(runError("Loop"), 1024);
    EXPECT_EQ(runError("Sub s(a, b)\r\nEnd Sub\r\ns(1, 2)"), 1044);
}

TEST(Errors, RuntimeErrorNumbers) {
    EXPECT_EQ(runError("Res.p = nosuchfunction(1)"), 13);
    EXPECT_EQ(runError("Res.q = 1"), 438);
    EXPECT_EQ(runError("Res.p = Res"), 438);
    EXPECT_EQ(runError("Set a = 5"), 424);
    EXPECT_EQ(runError("Dim a(2) : a(3) = 1"), 9);
    EXPECT_EQ(runError("Res.p = Sin()"), 450);
    EXPECT_EQ(runError("Res.p = Sin(1, 2)"), 450);
    EXPECT_EQ(runError("Const c = 1 : c = 2"), 501);
    EXPECT_EQ(runError("Option Explicit\r\ny = 1"), 500);
    EXPECT_EQ(runError("Dim a(2) : ReDim a(3)"), 10);
}

TEST(Errors, ErrRaiseReportsTheGivenNumber) {
    EXPECT_EQ(runError("Err.Raise 6"), 6);
    EXPECT_EQ(runError("Err.Raise 0"), 5);
}

TEST(Errors, OnErrorResumeNextContinuesAndRecords) {
    const RunResult r = run("On Error Resume Next\r\nRes.p = 1/0\r\nRes.pLong = Err.Number\r\nRes.p = 3");
    EXPECT_TRUE(r.status.ok);
    EXPECT_EQ(r.res.pLong, 11);
    EXPECT_EQ(r.res.p, 3.0);
    EXPECT_EQ(runP("On Error Resume Next : Err.Raise 5 : Err.Clear : Res.p = Err.Number + 1"), 1.0);
    EXPECT_EQ(runError("On Error Resume Next\r\nOn Error GoTo 0\r\nRes.p = 1/0"), 11);
}

}  // namespace
}  // namespace mcplot::testing

namespace mcplot::testing {
namespace {

TEST(Errors, RaiseFillsTheErrObject) {
    const std::string all =
        "out = Err.Number & \"|\" & Err.Source & \"|\" & Err.Description & \"|\" & "
        "Err.HelpFile & \"|\" & Err.HelpContext";
    const struct {
        std::string code;
        std::string out;
    } cases[] = {
        {"Err.Raise vbObjectError + 513, \"MyApp\", \"Custom\", \"h.chm\", 42 : " + all,
         "String -2147220991|MyApp|Custom|h.chm|42"},
        {"Err.Raise 6 : " + all, "String 6|Microsoft VBScript runtime error|переполнение||0"},
        {"Err.Raise 1000, , \"Mine\" : " + all, "String 1000|Microsoft VBScript runtime error|Mine||0"},
        {"x = 1 / 0 : " + all, "String 11|Microsoft VBScript runtime error|деление на ноль||0"},
        {"Execute \"x = (\" : out = Err.Number & \" \" & Err.Source",
         "String 1023 Microsoft VBScript compilation error"},
        // What a Raise leaves out comes from an error not cleared yet.
        {"Err.Raise 6, \"A\" : Err.Raise 11 : " + all, "String 11|A|переполнение||0"},
        {"Err.Raise 6, \"A\" : Err.Clear : " + all, "String 0||||0"},
        {"Err.Raise 0 : out = Err.Number", "Long 5"},
        // Number is the default property.
        {"Err.Raise 6 : out = Err + 1", "Long 7"},
        {"Err.Raise 6 : out = VarType(Err) & TypeName(Err) & (Err = 6)", "String 3ErrObjectTrue"},
        {"Err.Raise 6 : n = Err : out = n", "Long 6"},
        {"Err.Raise 6 : If Err Then out = \"yes\"", "String yes"},
    };
    for (const auto& c : cases) EXPECT_EQ(runOut("On Error Resume Next : " + c.code), c.out) << c.code;
    const RunResult r = run("Err.Raise vbObjectError + 1, \"SomeObject\", \"Custom text\"");
    EXPECT_EQ(r.status.number, -2147221503);
    EXPECT_EQ(r.status.description, "Custom text");
}

TEST(Errors, ConstructsTheLanguageRejects) {
    const struct {
        const char* code;
        int number;
    } cases[] = {
        {"Select Case 5\r\nCase Is > 2\r\nEnd Select", 1023},
        {"Select Case 5\r\nCase 1 To 6\r\nEnd Select", 1025},
        {"Exit Do", 1039},
        {"For i = 1 To 2\r\nExit Do\r\nNext", 1039},
        {"Do\r\nExit For\r\nLoop", 1039},
        {"While True\r\nExit Do\r\nWend", 1039},
        {"Sub s\r\nExit Function\r\nEnd Sub", 1039},
        {"Exit Sub", 1039},
        {"If True Then Exit If", 1039},
        {"Function f() As Integer\r\nEnd Function", 1025},
        {"Dim x As Integer", 1025},
        {"Do\r\nFor i = 1 To 3\r\nExit Do\r\nNext\r\nLoop", 0},
        {"Function f\r\nDo\r\nExit Function\r\nLoop\r\nEnd Function", 0},
        {"Option Explicit\r\nReDim a(3)\r\na(3) = 1", 0},
        {"Option Explicit\r\nSub s\r\nReDim b(1)\r\nEnd Sub\r\ns\r\nb = 1", 500},
    };
    for (const auto& c : cases) EXPECT_EQ(runError(c.code), c.number) << c.code;
}

}  // namespace
}  // namespace mcplot::testing
