// Our own VBScript interpreter behind the script-host interface. Every text is
// parsed afresh on each ExecuteStatement; the interpreter reuses its storage
// between calls so that the per-point evaluation of a plot stays cheap.
//
// Safety limits: a run stops with an error after the time limit (an endless
// loop typed by a student), before the native stack runs out (deep recursion,
// deeply nested expressions: error 28), when strings or arrays grow past the
// memory limit (error 7), and a text longer than the limit set for it is
// refused at once (error 7). No exception leaves the host.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "core/script_host.h"

namespace mcplot {

// The longest user expression the program runs, and room for the line that
// sets x and the "Res.p=" before it.
inline constexpr size_t kMaxExpressionBytes = 64 * 1024;
inline constexpr size_t kMaxScriptBytes = kMaxExpressionBytes + 64;

class VBScriptHost : public ScriptHost {
public:
    VBScriptHost();
    ~VBScriptHost() override;
    VBScriptHost(const VBScriptHost&) = delete;
    VBScriptHost& operator=(const VBScriptHost&) = delete;

    void Reset() override;
    ScriptStatus AddObject(std::string_view name, std::shared_ptr<PubResults> object) override;
    ScriptStatus ExecuteStatement(std::string_view code) override;
    void setStopFlag(const std::atomic<bool>* flag) override;
    // Parses "x=0" CR LF "Res.p=<expression>" once; each run resets the
    // engine, adds Res, puts in place of the 0 the value the point's text
    // gives x and runs the two statements. An expression of numbers and x
    // alone runs as a flat sequence of the same operations, without the
    // statements. nullptr for an expression that is not one plain expression
    // (see the source). The parse no longer counts in each run's time limit.
    std::unique_ptr<PreparedPointScript> preparePointScript(std::string_view expression,
                                                            std::shared_ptr<PubResults> res) override;

    // The value of one expression, for tools: its TypeName and its text as
    // CStr writes it ("." as decimal separator; empty for Empty and Null).
    struct Evaluation {
        ScriptStatus status;
        std::string typeName;
        std::string text;
    };
    Evaluation Evaluate(std::string_view expression);

    // How long one ExecuteStatement may run (default budgets::kScriptRun).
    void setTimeLimit(std::chrono::milliseconds limit);
    // How much native stack one call may use at most (default 4 MB, and never
    // closer than 256 KB to the end of the calling thread's stack).
    void setStackBudget(size_t bytes);
    // How many bytes of strings and arrays a script may hold (default 64 MB).
    void setMemoryLimit(size_t bytes);
    // The longest text ExecuteStatement accepts (default 16 MB; the program
    // sets kMaxScriptBytes).
    void setMaxScriptBytes(size_t bytes);

private:
    struct Impl;
    class PreparedPoint;
    std::unique_ptr<Impl> impl_;
};

}  // namespace mcplot
