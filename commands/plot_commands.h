// The run commands of the main window as a thin presenter: each step asks the
// core for its numbers, hands the drawing to the canvas and the texts to the
// controls, and writes what the core computed back into the calculation state.
//
//   Command1_Click  clear, range scan, axes, trace
//   CmdOK_Click     the same, then the Monte Carlo throws and the trapezoid
//   Text1_Change    the plot button back to "OK" on the button face
//   Text2_Change    Command1_Click
//
// A command always finishes and leaves the window usable: what a step throws
// ends that step, is reported, and the command goes on with the next one.
#pragma once

#include <chrono>
#include <optional>
#include <cstdint>
#include <string>
#include <vector>

#include "canvas/canvas.h"
#include "commands/calc_state.h"
#include "core/evaluation.h"
#include "core/expression_hints.h"
#include "core/monte_carlo.h"
#include "core/random.h"
#include "core/run_record.h"
#include "core/script_host.h"

namespace mcplot {

// The line on the plot after a command and what goes with it: hints on the
// expression as written and, when the user's expression failed, where.
struct Explanation {
    std::string text;  // the whole line; "" when there is nothing to say
    std::vector<std::string> hints;
    bool userFunction = false;  // the run was of the user's expression
    bool failed = false;        // and it failed in this command
    TextSpan span;              // the failure's place in the expression
    std::string marked;         // the expression with that place marked
    bool shortened = false;     // the plot shows only part of the text
};

// The few controls the commands read or write.
class PlotControls {
public:
    virtual ~PlotControls() = default;
    virtual std::string text1() const = 0;  // the user's expression
    virtual std::string text2() const = 0;  // the Van der Waals temperature
    virtual void setCommand1BackColor(uint32_t color) = 0;
    virtual void setCommand1Caption(const std::string& caption) = 0;
    virtual void setLabel6Caption(const std::string& caption) = 0;  // Monte Carlo value
    virtual void setLabel2Caption(const std::string& caption) = 0;  // trapezoid value
    // After every plot run and Monte Carlo command: what the plot's line says.
    virtual void showExplanation(const Explanation& /*explanation*/) {}
};

namespace texts {
inline constexpr const char* errorsCaption = "ERRORS!!!";
inline constexpr const char* okCaption = "OK";
inline constexpr const char* noThrows = "нет бросков";
// After "I=" when f could not be computed at any point of the estimate.
inline constexpr const char* noIntegral = "не вычисляется";
inline constexpr const char* undefinedPoints = "Точек, где f(x) не вычисляется: ";
}  // namespace texts

// The plot button's colours: the button face normally, red after a failed
// user expression.
inline constexpr uint32_t buttonFaceColor = colors::buttonFace;
inline constexpr uint32_t errorColor = colors::red;

class PlotCommands {
public:
    PlotCommands(CalcState& state, Canvas& canvas, ScriptHost& host, PlotControls& controls,
                 RandomSource& random);

    // The regional decimal separator used by the result labels.
    void setDecimalSeparator(std::string separator) { decimalSeparator_ = std::move(separator); }
    const std::string& decimalSeparator() const { return decimalSeparator_; }

    // Where failures caught on the way are reported.
    void setReportSink(ReportSink sink);

    // Evaluation on the state: f at x into y.
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
    void setScriptTimeBudget(std::chrono::steady_clock::duration budget) {
        evaluator_.setScriptBudget(budget);
    }

    // Plot runs since the commands were made (every range scan counts one).
    int plotRuns() const { return plotRuns_; }
    // Built-in evaluations without a finite single value since the last clear.
    int undefinedPoints() const { return evaluator_.undefinedPoints(); }
    // The user's expression in the last plot run or Monte Carlo command.
    const ExpressionFailures& expressionFailures() const { return evaluator_.expressionFailures(); }
    // The explanation of the last plot run or Monte Carlo command.
    const Explanation& explanation() const { return explanation_; }
    // Throws drawn blue and red since the last clear.
    int blueThrows() const { return blueThrows_; }
    int redThrows() const { return redThrows_; }

    // What produced the last Monte Carlo and trapezoid values, if any.
    const std::optional<RunRecord>& lastRun() const { return lastRun_; }
    // The throws of that run in the order thrown (at most kKeptThrows).
    struct ThrownPoint {
        double x;
        float yr;
        ThrowKind kind;
    };
    static constexpr size_t kKeptThrows = 32000;
    const std::vector<ThrownPoint>& lastThrows() const { return lastThrows_; }
    // The inputs a run would use now.
    RunInputs currentInputs() const;

    CalcState& state() { return s_; }
    Canvas& canvas() { return canvas_; }

private:
    class Step;
    void startCommand();
    void plotSequence();
    void showUndefinedNotice();
    std::string resultCaption(double value) const;
    // Evaluations made and failed so far in the command; an estimate built
    // only from failed ones has no value to show.
    struct EvaluationCount {
        int made = 0, failed = 0;
    };
    EvaluationCount evaluationCount() const;
    static bool everyOneFailed(EvaluationCount before, EvaluationCount after);
    template <class Action>
    void runGuarded(const char* what, Action&& action);

    CalcState& s_;
    Canvas& canvas_;
    PlotControls& controls_;
    RandomSource& random_;
    Evaluator evaluator_;
    ReportSink report_;
    std::string decimalSeparator_ = ".";
    int plotRuns_ = 0;
    int failuresShown_ = 0;
    int blueThrows_ = 0;
    int redThrows_ = 0;
    std::vector<Dot> dots_;  // the throws of a run, drawn as one batch
    Explanation explanation_;
    std::optional<RunRecord> lastRun_;
    std::vector<ThrownPoint> lastThrows_;
};

}  // namespace mcplot
