// The calculation engine: evaluation of f(x), the range scan, the axes, the
// graph trace, the Monte Carlo and trapezoid integration and the run commands.
// It works on the calculation state and reaches the window only through the
// small interfaces below, so it runs the same in tests and in the program.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "canvas/canvas.h"
#include "core/expression_failures.h"
#include "core/random.h"
#include "core/script_host.h"
#include "core/state.h"

namespace mcplot {

// The few controls the engine reads or writes.
class EngineControls {
public:
    virtual ~EngineControls() = default;
    virtual std::string text1() const = 0;  // the user's expression
    virtual std::string text2() const = 0;  // the Van der Waals temperature
    virtual void setCommand1BackColor(uint32_t color) = 0;
    virtual void setCommand1Caption(const std::string& caption) = 0;
    virtual void setLabel6Caption(const std::string& caption) = 0;  // Monte Carlo value
    virtual void setLabel2Caption(const std::string& caption) = 0;  // trapezoid value
    // After a command in which the user's expression failed: what failed and where.
    virtual void showExpressionFailure(const std::string& /*text*/) {}
};

namespace texts {
inline constexpr const char* errorsCaption = "ERRORS!!!";
inline constexpr const char* okCaption = "OK";
inline constexpr const char* noThrows = "нет бросков";
inline constexpr const char* undefinedPoints = "Точек, где f(x) не вычисляется: ";
}  // namespace texts

inline constexpr uint32_t buttonFaceColor = 0x8000000F;
inline constexpr uint32_t errorColor = 255;

class Engine {
public:
    Engine(CalcState& state, Canvas& canvas, ScriptHost& host, EngineControls& controls,
           RandomSource& random);

    // The regional decimal separator used by the result labels.
    void setDecimalSeparator(std::string separator) { decimalSeparator_ = std::move(separator); }
    const std::string& decimalSeparator() const { return decimalSeparator_; }

    // Evaluation: f at x into y.
    void fff();
    float fn(const Number& x) const;
    void ff1();

    // Steps of a plot run.
    void minmax();
    void axes();
    void raschet();
    void karlo();

    // Run commands.
    void Command1_Click();
    void CmdOK_Click();
    void Text1_Change();
    void Text2_Change();

    // Clear, scan, axes and trace, as every plot does, with a note on the plot
    // when f could not be computed at some points. Never throws.
    void replot();

    // Script time one command may spend on the user's expression; past it,
    // and after a script that ran out of time, the command's remaining points
    // fail at once so the window never freezes for long.
    void setScriptTimeBudget(std::chrono::steady_clock::duration budget) { scriptBudget_ = budget; }

    // Plot runs since the engine was made (every range scan counts one).
    int plotRuns() const { return plotRuns_; }
    // Built-in evaluations without a finite single value since the last clear.
    int undefinedPoints() const { return undefinedPoints_; }
    // The user's expression in the last plot run or Monte Carlo command.
    const ExpressionFailures& expressionFailures() const { return failures_; }
    // Throws drawn blue and red since the last clear.
    int blueThrows() const { return blueThrows_; }
    int redThrows() const { return redThrows_; }

    CalcState& state() { return s_; }
    Canvas& canvas() { return canvas_; }

private:
    void plotSequence();
    void showUndefinedNotice();
    std::string resultCaption(double value) const;

    CalcState& s_;
    Canvas& canvas_;
    ScriptHost& host_;
    EngineControls& controls_;
    RandomSource& random_;
    std::string decimalSeparator_ = ".";
    int plotRuns_ = 0;
    int undefinedPoints_ = 0;
    ExpressionFailures failures_;
    bool scriptTimedOut_ = false;  // in the command that runs now
    std::chrono::steady_clock::duration scriptBudget_ = std::chrono::seconds(10);
    std::chrono::steady_clock::duration scriptSpent_{};
    int blueThrows_ = 0;
    int redThrows_ = 0;
};

// Single rounding that saturates at the largest single instead of overflowing,
// so that no infinity reaches the canvas or a label.
float toSingleSaturated(double v);

// Tick label and range label of the axes: rounded with "#0.0" / "#000.000",
// then written in the short numeric form.
std::string tickLabel(double v);
std::string rangeLabel(double v);

}  // namespace mcplot
