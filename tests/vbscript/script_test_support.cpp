#include "tests/vbscript/script_test_support.h"

#include <gtest/gtest.h>

#include <limits>

namespace mcplot::testing {

namespace {
std::string describe(VBScriptHost& host, std::string_view expression) {
    host.Reset();
    host.ExecuteStatement("x = 0.5");
    const auto r = host.Evaluate(expression);
    if (!r.status.ok) return "Error " + std::to_string(r.status.number);
    if (r.typeName == "Empty" || r.typeName == "Null") return r.typeName;
    return r.typeName + " " + r.text;
}
}  // namespace

std::string show(std::string_view expression) {
    VBScriptHost host;
    return describe(host, expression);
}

std::string show(std::string_view expression, std::chrono::milliseconds timeLimit) {
    VBScriptHost host;
    host.setTimeLimit(timeLimit);
    return describe(host, expression);
}

void expectShows(std::initializer_list<Shown> table) {
    for (const Shown& row : table) EXPECT_EQ(show(row.expression), row.shown) << row.expression;
}

RunResult run(std::string_view code) {
    VBScriptHost host;
    auto res = std::make_shared<PubResults>();
    host.Reset();
    host.AddObject("Res", res);
    RunResult out;
    out.status = host.ExecuteStatement(code);
    out.res = *res;
    return out;
}

double runP(std::string_view code) {
    const RunResult r = run(code);
    return r.status.ok ? r.res.p : std::numeric_limits<double>::quiet_NaN();
}

int runError(std::string_view code) {
    return run(code).status.number;
}

std::string runOut(std::string_view code) {
    VBScriptHost host;
    host.Reset();
    host.AddObject("Res", std::make_shared<PubResults>());
    const ScriptStatus s = host.ExecuteStatement(code);
    if (!s.ok) return "Error " + std::to_string(s.number);
    const auto r = host.Evaluate("out");
    if (!r.status.ok) return "Error " + std::to_string(r.status.number);
    if (r.typeName == "Empty" || r.typeName == "Null") return r.typeName;
    return r.typeName + " " + r.text;
}

}  // namespace mcplot::testing
