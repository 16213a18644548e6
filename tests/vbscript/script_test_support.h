// Helpers for the interpreter's tests: evaluate an expression or run a text
// through the public host and describe the outcome in one short string.
#pragma once

#include <chrono>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "core/vbscript_host.h"

namespace mcplot::testing {

// "TypeName text" of an expression with x = 0.5 (a Double), as the vbs tool
// prints it: "Integer 7", "String ab", "Empty", or "Error 13" on failure.
std::string show(std::string_view expression);
// The same with the host's time limit set: for long texts whose answer, not
// speed, is tested (the sanitizer builds run them several times slower).
std::string show(std::string_view expression, std::chrono::milliseconds timeLimit);

// An expression and what show() gives for it.
struct Shown {
    std::string expression, shown;
};
// Checks every row of the table, each failure naming its expression.
void expectShows(std::initializer_list<Shown> table);

struct RunResult {
    ScriptStatus status;
    PubResults res;
};
// Runs the statements with a fresh Res object added; Res starts all zero.
RunResult run(std::string_view code);
// Runs the statements and gives Res.p, or NaN on failure.
double runP(std::string_view code);
// The error number of running the statements, 0 on success.
int runError(std::string_view code);
// Runs the statements and describes the variable `out` as show() does, or
// "Error N" when the statements fail.
std::string runOut(std::string_view code);

}  // namespace mcplot::testing
