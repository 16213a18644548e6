// Classes: fields, properties, methods, Me, New, Class_Initialize and
// Class_Terminate.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "tests/vbscript/script_test_support.h"

namespace mcplot::testing {
namespace {

const char* const kCounter =
    "Class Counter\r\n"
    "  Private count_\r\n"
    "  Public Name\r\n"
    "  Private Sub Class_Initialize()\r\n"
    "    count_ = 10\r\n"
    "  End Sub\r\n"
    "  Public Property Get Count\r\n"
    "    Count = count_\r\n"
    "  End Property\r\n"
    "  Public Property Let Count(v)\r\n"
    "    If v < 0 Then Err.Raise 5\r\n"
    "    count_ = v\r\n"
    "  End Property\r\n"
    "  Public Function Add(n)\r\n"
    "    count_ = count_ + n\r\n"
    "    Add = Me.Count\r\n"
    "  End Function\r\n"
    "  Public Sub Reset\r\n"
    "    Count = 0\r\n"
    "  End Sub\r\n"
    "End Class\r\n";

std::string withCounter(const std::string& code) {
    return std::string(kCounter) + code;
}

TEST(Classes, FieldsDefaultToEmpty) {
    EXPECT_EQ(runP(withCounter("Set c = New Counter\r\nRes.p = VarType(c.Name)")), 0.0);
    EXPECT_EQ(runP(withCounter("Set c = New Counter\r\nc.Name = \"n\"\r\nRes.p = Len(c.Name)")), 1.0);
    EXPECT_EQ(runP("Class E\r\nPublic v\r\nEnd Class\r\nSet e = New E\r\nRes.p = IsEmpty(e.v)"), -1.0);
}

TEST(Classes, PropertiesAndInitialize) {
    EXPECT_EQ(runP(withCounter("Set c = New Counter\r\nRes.p = c.Count")), 10.0);
    EXPECT_EQ(runP(withCounter("Set c = New Counter\r\nc.Count = 3\r\nRes.p = c.Count")), 3.0);
    EXPECT_EQ(runP(withCounter("Set c = New Counter\r\nRes.p = c.Add(5) + c.Add(1)")), 31.0);
    EXPECT_EQ(runP(withCounter("Set c = New Counter\r\nc.Reset\r\nRes.p = c.Count")), 0.0);
    EXPECT_EQ(runError(withCounter("Set c = New Counter\r\nc.Count = -1")), 5);
}

TEST(Classes, PrivateMembersStayInside) {
    EXPECT_EQ(runError(withCounter("Set c = New Counter\r\nRes.p = c.count_")), 438);
    EXPECT_EQ(runError(withCounter("Set c = New Counter\r\nc.count_ = 1")), 438);
    EXPECT_EQ(runError(withCounter("Set c = New Counter\r\nc.Class_Initialize")), 438);
}

TEST(Classes, InstancesAreReferences) {
    EXPECT_EQ(runP(withCounter("Set a = New Counter\r\nSet b = a\r\nb.Count = 7\r\nRes.p = a.Count")), 7.0);
    EXPECT_EQ(
        runP(withCounter("Set a = New Counter\r\nSet b = New Counter\r\nb.Count = 7\r\nRes.p = a.Count")),
        10.0);
    EXPECT_EQ(
        runP(withCounter("Set a = New Counter\r\nSet b = a\r\nRes.p = (a Is b) + 2 * (a Is New Counter)")),
        -1.0);
    EXPECT_EQ(show("TypeName(Nothing)"), "String Nothing");
    EXPECT_EQ(
        runP("Class Point\r\nEnd Class\r\nSet q = New Point\r\nRes.p = Len(TypeName(q)) + 10 * IsObject(q)"),
        -5.0);
}

TEST(Classes, PropertySetAndObjectFields) {
    const std::string code =
        "Class Holder\r\n"
        "  Private item_\r\n"
        "  Public Property Set Item(o)\r\n"
        "    Set item_ = o\r\n"
        "  End Property\r\n"
        "  Public Property Get Item\r\n"
        "    Set Item = item_\r\n"
        "  End Property\r\n"
        "End Class\r\n"
        "Set h = New Holder\r\n"
        "Set h.Item = Res\r\n"
        "h.Item.p = 12\r\n";
    EXPECT_EQ(runP(code), 12.0);
}

TEST(Classes, TerminateRunsWhenTheLastReferenceGoes) {
    const std::string cls =
        "Class T\r\n"
        "  Private Sub Class_Terminate()\r\n"
        "    Res.pInt = Res.pInt + 1\r\n"
        "  End Sub\r\n"
        "End Class\r\n";
    EXPECT_EQ(run(cls + "Set a = New T\r\nSet b = a\r\nSet a = Nothing\r\nRes.p = Res.pInt").res.p, 0.0);
    EXPECT_EQ(run(cls + "Set a = New T\r\nSet a = Nothing\r\nRes.p = Res.pInt").res.p, 1.0);
    EXPECT_EQ(run(cls + "Sub s\r\nDim t : Set t = New T\r\nEnd Sub\r\ns\r\ns\r\nRes.p = Res.pInt").res.p,
              2.0);
}

TEST(Classes, ArraysFieldsAndMethodsCallingEachOther) {
    const std::string code =
        "Class Stack\r\n"
        "  Private items(9)\r\n"
        "  Private top\r\n"
        "  Private Sub Class_Initialize : top = -1 : End Sub\r\n"
        "  Public Sub Push(v) : top = top + 1 : items(top) = v : End Sub\r\n"
        "  Public Function Pop() : Pop = items(top) : top = top - 1 : End Function\r\n"
        "  Public Property Get Size : Size = top + 1 : End Property\r\n"
        "  Public Function PushTwice(v) : Push v : Push v : PushTwice = Size : End Function\r\n"
        "End Class\r\n"
        "Set s = New Stack\r\n"
        "s.Push 4 : s.Push 5\r\n"
        "Res.pInt = s.PushTwice(6)\r\n"
        "Res.p = s.Pop() * 10 + s.Size\r\n";
    const RunResult r = run(code);
    EXPECT_TRUE(r.status.ok) << r.status.description;
    EXPECT_EQ(r.res.pInt, 4);
    EXPECT_EQ(r.res.p, 63.0);
}

TEST(Classes, DefaultMemberRecursionAndExitProperty) {
    const std::string code =
        "Class Num\r\n"
        "  Public v\r\n"
        "  Public Default Property Get Value\r\n"
        "    Value = v\r\n"
        "    If v < 0 Then Exit Property\r\n"
        "    Value = Fact(v)\r\n"
        "  End Property\r\n"
        "  Private Function Fact(n)\r\n"
        "    If n <= 1 Then Fact = 1 Else Fact = n * Fact(n - 1)\r\n"
        "  End Function\r\n"
        "End Class\r\n"
        "Set n = New Num\r\n";
    EXPECT_EQ(runP(code + "n.v = 5\r\nRes.p = n"), 120.0);
    EXPECT_EQ(runP(code + "n.v = -2\r\nRes.p = n.Value"), -2.0);
    EXPECT_EQ(runError(code + "Res.p = n.Fact(3)"), 438);
}

TEST(Classes, ErrorsInsideMethods) {
    const std::string code =
        "Class Bad\r\n"
        "  Public Function Div(a) : Div = 1 / a : End Function\r\n"
        "  Private Sub Class_Terminate : x = 1 / 0 : End Sub\r\n"
        "End Class\r\n";
    EXPECT_EQ(runError(code + "Set b = New Bad\r\nRes.p = b.Div(0)"), 11);
    // An error in Class_Terminate goes nowhere; the script goes on.
    EXPECT_EQ(runP(code + "Set b = New Bad\r\nSet b = Nothing\r\nRes.p = 4"), 4.0);
    EXPECT_EQ(
        runP(code + "On Error Resume Next\r\nSet b = New Bad\r\nRes.p = b.Div(0)\r\nRes.p = Err.Number"),
        11.0);
}

// Res.p after running the code with a time limit a loaded machine cannot hit.
double runPatience(const std::string& code) {
    VBScriptHost host;
    host.setTimeLimit(std::chrono::seconds(30));
    auto res = std::make_shared<PubResults>();
    host.Reset();
    host.AddObject("Res", res);
    const ScriptStatus status = host.ExecuteStatement(code);
    EXPECT_TRUE(status.ok) << status.number;
    host.Reset();  // drops whatever the script left alive
    return res->p;
}

TEST(Classes, LongChainsAreFreedWithoutDeepRecursion) {
    const std::string list =
        "Class Node\r\nPublic nxt\r\nEnd Class\r\n"
        "Set head = Nothing\r\n"
        "For i = 1 To 300000\r\nSet n = New Node\r\nSet n.nxt = head\r\nSet head = n\r\nNext\r\n"
        "Set n = Nothing\r\n";
    EXPECT_EQ(runPatience(list + "Set head = Nothing\r\nRes.p = i"), 300001.0);
    EXPECT_EQ(runPatience(list + "Res.p = 1"), 1.0);
    const std::string nested = "a = Array()\r\nFor i = 1 To 300000 : a = Array(a) : Next\r\n";
    EXPECT_EQ(runPatience(nested + "a = 0\r\nRes.p = i"), 300001.0);
    EXPECT_EQ(runPatience(nested + "Res.p = 1"), 1.0);
}

TEST(Classes, InstancesHoldingEachOtherAreFreedWithTheScript) {
    // Each run leaves a cycle holding 15 MB; without freeing it the host
    // would soon have no memory left for any script.
    VBScriptHost host;
    host.setTimeLimit(std::chrono::seconds(30));
    const std::string cycle =
        "Class Pair\r\nPublic other, load\r\nEnd Class\r\n"
        "Set a = New Pair : Set b = New Pair\r\n"
        "Set a.other = b : Set b.other = a\r\n"
        "a.load = String(15000000, \"x\")\r\n";
    for (int k = 0; k < 8; ++k) {
        host.Reset();
        const ScriptStatus status = host.ExecuteStatement(cycle);
        ASSERT_TRUE(status.ok) << "run " << k << ": error " << status.number;
    }
}

TEST(Classes, Errors) {
    EXPECT_EQ(runError("Set o = New NoSuchClass"), 506);
    EXPECT_NE(runError("Class A\r\nPublic v\r\n"), 0);
    EXPECT_EQ(runError("Class A\r\nPublic v\r\nEnd Sub"), 1047);
    EXPECT_EQ(runError("Class A\r\nProperty Get v\r\nEnd Function\r\nEnd Class"), 1050);
    EXPECT_EQ(runError("Class A\r\nProperty Put v\r\nEnd Property\r\nEnd Class"), 1049);
    EXPECT_EQ(runError("Class A\r\nProperty Let v\r\nEnd Property\r\nEnd Class"), 1054);
    EXPECT_EQ(runError("Class A\r\nSub Class_Initialize(x)\r\nEnd Sub\r\nEnd Class"), 1053);
    EXPECT_NE(runError("Sub s\r\nClass A\r\nEnd Class\r\nEnd Sub"), 0);
    EXPECT_EQ(runError("Class A\r\nEnd Class\r\nSet o = New A\r\no.nothing_here = 1"), 438);
    EXPECT_EQ(runError("Class A\r\nEnd Class\r\nSet o = New A\r\nRes.p = o"), 438);
}

}  // namespace
}  // namespace mcplot::testing

namespace mcplot::testing {
namespace {

TEST(Classes, DefaultMembers) {
    const std::string classes =
        "Class Greeter\r\n"
        "  Public Default Function SayHello(name)\r\n"
        "    SayHello = \"Hello, \" & name\r\n"
        "  End Function\r\n"
        "End Class\r\n"
        "Class Rectangle\r\n"
        "  Private height, width\r\n"
        "  Public Default Function Constructor(h, w)\r\n"
        "    height = h : width = w\r\n"
        "    Set Constructor = Me\r\n"
        "  End Function\r\n"
        "  Public Property Get Area : Area = height * width : End Property\r\n"
        "End Class\r\n"
        "Class Temp\r\n"
        "  Public Default Property Get Value : Value = 21.5 : End Property\r\n"
        "End Class\r\n"
        "Set g = New Greeter : Set t = New Temp\r\n";
    const struct {
        const char* code;
        const char* out;
    } cases[] = {
        {"out = g(\"demon\")", "String Hello, demon"},
        {"Set r = (New Rectangle)(6, 8) : out = r.Area", "Integer 48"},
        {"out = t + 1", "Double 22.5"},
        {"out = t & \"\"", "String 21.5"},
        {"y = t : out = TypeName(y)", "String Double"},
        {"out = VarType(t) & TypeName(t) & IsObject(t)", "String 5TempTrue"},
        {"out = VarType(g)", "Integer 9"},  // the default wants an argument
        {"out = (t > 20) And (t = 21.5) And -t = -21.5", "Boolean True"},
        {"Select Case t\r\nCase 21.5: out = 1\r\nEnd Select", "Integer 1"},
        {"out = Abs(t) + CDbl(t)", "Double 43"},
        {"out = g", "Error 450"},
        {"Set r = New Rectangle : out = r + 1", "Error 450"},
        {"out = Res + 1", "Error 438"},  // no default member
    };
    for (const auto& c : cases) EXPECT_EQ(runOut(classes + c.code), c.out) << c.code;
}

TEST(Classes, DefaultMemberDeclarationErrors) {
    const struct {
        const char* members;
        int number;
    } cases[] = {
        {"Private Default Function f\r\nEnd Function", 1057},
        {"Default Function f\r\nEnd Function", 1057},
        {"Public Default Property Let p(v)\r\nEnd Property", 1058},
        {"Public Default Function f\r\nEnd Function\r\nPublic Default Function g\r\nEnd Function", 1052},
        {"Public Default x", 1056},
        {"Public Default Property Get p(i)\r\np = i\r\nEnd Property", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(runError(std::string("Class A\r\n") + c.members + "\r\nEnd Class"), c.number) << c.members;
}

}  // namespace
}  // namespace mcplot::testing
