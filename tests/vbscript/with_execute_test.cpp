// With blocks, Execute and ExecuteGlobal.
#include <gtest/gtest.h>

#include "tests/vbscript/script_test_support.h"

namespace mcplot::testing {
namespace {

TEST(With, MembersOfTheObject) {
    EXPECT_EQ(runP("With Res\r\n.p = 2\r\n.pInt = .p + 1\r\nEnd With\r\nRes.p = Res.p + Res.pInt"), 5.0);
    EXPECT_EQ(runP("With Res : .p = 7 : End With"), 7.0);
    // The object is taken once, when the block starts.
    EXPECT_EQ(runP("Set o = Res\r\nWith o\r\nSet o = Nothing\r\n.p = 3\r\nEnd With"), 3.0);
}

TEST(With, Nested) {
    const std::string code =
        "Class Box\r\nPublic v\r\nEnd Class\r\n"
        "Set b = New Box\r\n"
        "With Res\r\n"
        "  .pInt = 1\r\n"
        "  With b\r\n"
        "    .v = 40\r\n"
        "  End With\r\n"
        "  .p = b.v + .pInt\r\n"
        "End With";
    EXPECT_EQ(runP(code), 41.0);
}

TEST(With, FailingMemberAndMisuse) {
    EXPECT_EQ(runError("With Res\r\n.q = 1\r\nEnd With"), 438);
    EXPECT_EQ(runError("With Res\r\nRes.p = .nothere\r\nEnd With"), 438);
    // The error leaves the block: what follows runs without the object.
    const RunResult r =
        run("On Error Resume Next\r\nWith Res\r\n.q = 1\r\n.p = 9\r\nEnd With\r\nRes.pInt = Err.Number");
    EXPECT_TRUE(r.status.ok);
    EXPECT_EQ(r.res.p, 9.0);
    EXPECT_EQ(r.res.pInt, 438);
    EXPECT_NE(runError("Res.p = .p"), 0) << "a member without With is a syntax error";
    EXPECT_EQ(runError("With Res\r\n.p = 1"), 1014);
    EXPECT_EQ(runError("With Res\r\n.p = 1\r\nEnd If"), 1029);
    EXPECT_EQ(runError("With Nothing\r\n.p = 1\r\nEnd With"), 91);
}

TEST(Execute, StatementDefinesAVariableSeenAfterwards) {
    EXPECT_EQ(runP("Execute \"a = 5\"\r\nRes.p = a * 2"), 10.0);
    EXPECT_EQ(runP("Execute \"Dim b : b = 3\" & vbCrLf & \"c = b + 1\"\r\nRes.p = c"), 4.0);
    EXPECT_EQ(runP("Execute(\"Function sq(v) : sq = v * v : End Function\")\r\nRes.p = sq(9)"), 81.0);
    EXPECT_EQ(runP("ExecuteGlobal \"g = 12\"\r\nRes.p = g"), 12.0);
}

TEST(Execute, ScopeOfExecuteAndExecuteGlobal) {
    // Inside a procedure Execute works in the procedure's scope...
    EXPECT_EQ(
        runP("g = 1\r\nSub s\r\nDim g\r\nExecute \"g = 5\"\r\nRes.pInt = g\r\nEnd Sub\r\ns\r\nRes.p = g"),
        1.0);
    EXPECT_EQ(run("Sub s\r\nDim g\r\nExecute \"g = 5\"\r\nRes.pInt = g\r\nEnd Sub\r\ns").res.pInt, 5);
    // ...ExecuteGlobal in the script's.
    EXPECT_EQ(runP("g = 1\r\nSub s\r\nDim g\r\nExecuteGlobal \"g = 5\"\r\nEnd Sub\r\ns\r\nRes.p = g"), 5.0);
}

TEST(Execute, ErrorsInTheExecutedText) {
    EXPECT_EQ(runError("Execute \"a = \""), 1023);
    EXPECT_EQ(runError("Execute \"a = 1/0\""), 11);
    EXPECT_NE(runError("ExecuteGlobal \"If\""), 0);
    EXPECT_EQ(runError("Execute Null"), 94);
    // The error is placed at the call of Execute in the script.
    const RunResult located = run("Res.p = 1\r\n  Execute \"a = 1 / 0\"");
    EXPECT_EQ(located.status.line, 2);
    EXPECT_EQ(located.status.column, 3);
    const RunResult r =
        run("On Error Resume Next\r\nExecute \"a = 1/0\"\r\nRes.pInt = Err.Number\r\nRes.p = 1");
    EXPECT_EQ(r.res.pInt, 11);
    EXPECT_EQ(r.res.p, 1.0);
}

}  // namespace
}  // namespace mcplot::testing
