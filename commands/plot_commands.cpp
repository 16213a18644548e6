#include "commands/plot_commands.h"

#include <exception>

#include "canvas/axes.h"
#include "core/range_scan.h"
#include "core/trace.h"

namespace mcplot {
namespace {

// Where the note on undefined points stands, as shares of the window.
constexpr double kNoticeLeft = 0.02, kNoticeDrop = 0.1;
// Throws are drawn in batches of this many dots: few enough that the batch
// stays in the processor's cache between throwing and drawing.
constexpr size_t kDotBatch = 2048;

int plus(const ThrowTally& tally) {
    return static_cast<int>(tally.nplus.value());
}

}  // namespace

// One step's use of the evaluator: it starts from the state's x, y and result
// object, with the function the state and the controls choose, and everything
// it leaves goes back into the state, also when the step is cut short.
class PlotCommands::Step {
public:
    explicit Step(PlotCommands& c) : Step(c, c.s_.nfun) {}
    Step(PlotCommands& c, int16_t nfun) : c_(c) {
        FunctionChoice choice;
        choice.nfun = nfun;
        if (nfun == 9) choice.temperature = readLeadingNumber(c.controls_.text2());
        if (nfun == 0) choice.expression = c.controls_.text1();
        c.evaluator_.setChoice(std::move(choice));
        c.evaluator_.setStart(c.s_.x, c.s_.y);
        c.evaluator_.setResultObject(c.s_.Res);
    }
    ~Step() {
        CalcState& s = c_.s_;
        const Evaluator& f = c_.evaluator_;
        s.x = f.x();
        s.y = f.y();
        s.Res = f.resultObject();
        if (f.choice().nfun == 0) s.kod = f.kod();
        // A failed user expression marks the plot button; only an edit of the
        // expression clears the mark.
        if (f.failures() != c_.failuresShown_) {
            c_.failuresShown_ = f.failures();
            c_.controls_.setCommand1BackColor(errorColor);
            c_.controls_.setCommand1Caption(texts::errorsCaption);
        }
    }
    Step(const Step&) = delete;
    Step& operator=(const Step&) = delete;

private:
    PlotCommands& c_;
};

PlotCommands::PlotCommands(CalcState& state, Canvas& canvas, ScriptHost& host, PlotControls& controls,
                           RandomSource& random)
    : s_(state), canvas_(canvas), controls_(controls), random_(random), evaluator_(FunctionChoice{}, &host) {}

void PlotCommands::setReportSink(ReportSink sink) {
    report_ = sink;
    evaluator_.setReportSink(std::move(sink));
}

// ---- Evaluation ----

void PlotCommands::fff() {
    Step step(*this);
    evaluator_.at(s_.x);
}

float PlotCommands::fn(const Number& x) const {
    const double t = s_.nfun == 9 ? readLeadingNumber(controls_.text2()) : 0.0;
    return builtInFormula(s_.nfun, x.value(), t);
}

void PlotCommands::ff1() {
    Step step(*this, 0);
    evaluator_.at(s_.x);
}

// ---- Steps of a plot run ----

void PlotCommands::minmax() {
    ++plotRuns_;
    {
        Step step(*this);
        const RangeScan r = scanRange(evaluator_, s_.a, s_.b, s_.n, s_.mashtab);
        s_.i = Number::integer(static_cast<int16_t>(s_.n.value() + 1));
        s_.h = r.h;
        s_.ymin = r.ymin;
        s_.ymax = r.ymax;
        s_.hx = r.hx;
        s_.hy = r.hy;
        s_.xc = r.xc;
        s_.yc = r.yc;
        s_.x1 = r.x1;
        s_.x2 = r.x2;
        s_.y1 = r.y1;
        s_.y2 = r.y2;
    }
    canvas_.Scale(s_.x1, s_.y1, s_.x2, s_.y2);
}

void PlotCommands::axes() {
    {
        Step step(*this);
        evaluator_.at(s_.a);
    }
    AxesFrame frame;
    frame.x1 = s_.x1.value();
    frame.x2 = s_.x2.value();
    frame.y1 = s_.y1.value();
    frame.y2 = s_.y2;
    frame.xc = s_.xc.value();
    frame.ymin = s_.ymin.value();
    frame.ymax = s_.ymax;
    frame.startX = s_.x.value();
    frame.startY = s_.y.value();
    drawAxes(canvas_, frame);
    s_.i = Number::integer(kGridSteps + 1);
}

void PlotCommands::raschet() {
    Step step(*this);
    tracePoints(evaluator_, s_.a, s_.h, s_.n,
                [this](float x, float y) { canvas_.LineTo(x, y, colors::blue); });
    s_.i = Number::integer(static_cast<int16_t>(s_.n.value() + 1));
}

std::string PlotCommands::resultCaption(double value) const {
    return "I=" + formatPattern(value, "0.000", decimalSeparator_);
}

PlotCommands::EvaluationCount PlotCommands::evaluationCount() const {
    return {evaluator_.evaluations(), evaluator_.failures() + evaluator_.undefinedPoints()};
}

bool PlotCommands::everyOneFailed(EvaluationCount before, EvaluationCount after) {
    const int made = after.made - before.made;
    return made > 0 && after.failed - before.failed == made;
}

void PlotCommands::karlo() {
    // A run cut short leaves no record: its values would not be the labels'.
    lastRun_.reset();
    lastThrows_.clear();
    random_.reseedFromClock();
    canvas_.Box(s_.a.value(), s_.ymin.value(), s_.b, s_.ymax, colors::black);

    s_.nplus = Number::integer(0);
    s_.nminus = Number::integer(0);
    const ThrowBox box{s_.a, s_.b, s_.ymin, s_.ymax};
    ThrowTally tally;
    const EvaluationCount beforeThrows = evaluationCount();
    dots_.clear();
    dots_.reserve(kDotBatch);
    {
        Step step(*this);
        auto keep = [this](double x, float yr, ThrowKind kind) {
            dots_.push_back({x, yr, kind == ThrowKind::Miss ? colors::red : colors::blue});
            if (lastThrows_.size() < kKeptThrows) lastThrows_.push_back({x, yr, kind});
            if (dots_.size() == kDotBatch) {
                canvas_.PSets(dots_);
                dots_.clear();
            }
        };
        // The program's own generator is called directly, without a virtual
        // call per number.
        if (auto* clock = dynamic_cast<ClockRandom*>(&random_))
            tally = throwPoints(evaluator_, box, s_.nbros, *clock, keep);
        else
            tally = throwPoints(evaluator_, box, s_.nbros, random_, keep);
    }
    s_.nplus = tally.nplus;
    s_.nminus = tally.nminus;
    blueThrows_ += tally.counted;
    redThrows_ += tally.missed;
    if (s_.nbros > 0) {
        s_.yr = tally.lastYr;
        s_.i = Number::integer(static_cast<int16_t>(s_.nbros + 1));
    }
    const bool throwsFailed = everyOneFailed(beforeThrows, evaluationCount());
    canvas_.PSets(dots_);
    dots_.clear();

    if (s_.nbros > 0) {
        s_.ikarlo = monteCarloValue(box, tally, s_.nbros);
        // Counts made from nothing but the value left over from before would
        // show a number that means nothing.
        controls_.setLabel6Caption(throwsFailed ? std::string("I=") + texts::noIntegral
                                                : resultCaption(s_.ikarlo));
    } else {
        // Without throws there is no estimate to show.
        s_.ikarlo = 0;
        controls_.setLabel6Caption(std::string("I=") + texts::noThrows);
    }

    TrapezoidResult trap;
    const EvaluationCount beforeTrapezoid = evaluationCount();
    {
        Step step(*this);
        trap = trapezoid(evaluator_, s_.a, s_.b);
    }
    s_.i = Number::integer(kTrapezoidIntervals);
    s_.itrap = trap.itrap;
    s_.htrap = trap.htrap;
    s_.yleft = trap.yleft;
    s_.yright = trap.yright;
    const bool trapezoidFailed = everyOneFailed(beforeTrapezoid, evaluationCount());
    controls_.setLabel2Caption(trapezoidFailed ? std::string("I=") + texts::noIntegral
                                               : resultCaption(s_.itrap.value()));

    RunRecord run;
    run.inputs = currentInputs();
    run.box = box.plain();
    run.blueAbove = plus(tally);
    run.blueBelow = tally.counted - run.blueAbove;
    run.red = tally.missed;
    if (s_.nbros > 0 && !throwsFailed) run.monteCarlo = s_.ikarlo;
    if (!trapezoidFailed) run.trapezoid = s_.itrap.value();
    lastRun_ = std::move(run);
}

RunInputs PlotCommands::currentInputs() const {
    RunInputs in;
    in.nfun = s_.nfun;
    if (s_.nfun == 0) in.formula = controls_.text1();
    if (s_.nfun == 9) in.formula = controls_.text2();
    in.a = s_.a.value();
    in.b = s_.b;
    in.throws = s_.nbros;
    return in;
}

// ---- Run commands ----

template <class Action>
void PlotCommands::runGuarded(const char* what, Action&& action) {
    try {
        action();
    } catch (const std::exception& e) {
        if (report_) report_(std::string(what) + " stopped: " + e.what());
    }
}

void PlotCommands::startCommand() {
    evaluator_.startBudget();
    failuresShown_ = 0;
    blueThrows_ = 0;
    redThrows_ = 0;
}

void PlotCommands::plotSequence() {
    startCommand();
    // A command must always finish and leave the window usable; anything the
    // drawing or evaluation throws ends the drawing, not the program.
    runGuarded("plot", [this] {
        canvas_.Cls();
        minmax();
        axes();
        raschet();
    });
}

void PlotCommands::showUndefinedNotice() {
    Explanation e;
    if (const int undefined = evaluator_.undefinedPoints(); undefined != 0)
        e.text = texts::undefinedPoints + std::to_string(undefined);
    const ExpressionFailures& failures = evaluator_.expressionFailures();
    const int16_t nfun = s_.nfun;
    e.userFunction = nfun == 0;
    if (failures.any()) {
        // The user's expression: say what failed and where, on the plot and
        // on the button that turned red.
        e.failed = true;
        e.text = failures.summary();
        e.span = failureSpan(failures.first());
        e.marked = markedExpression(failures.first());
    }
    // Looked at once per command, from the text as written.
    if (nfun == 0)
        e.hints = expressionHints(controls_.text1(), failures.any() ? &failures.first() : nullptr);
    else if (nfun == 9)
        e.hints = temperatureHints(controls_.text2());
    for (const std::string& hint : e.hints) e.text += (e.text.empty() ? "" : " ") + hint;
    if (!e.text.empty()) {
        const double x1 = s_.x1.value(), x2 = s_.x2.value(), y1 = s_.y1.value(), y2 = s_.y2;
        canvas_.setCurrentX(x1 + kNoticeLeft * (x2 - x1));
        canvas_.setCurrentY(y1 - kNoticeDrop * (y1 - y2));
        e.shortened = !canvas_.PrintNotice(e.text);
    }
    explanation_ = e;
    controls_.showExplanation(explanation_);
}

void PlotCommands::replot() {
    plotSequence();
    showUndefinedNotice();
}

void PlotCommands::Command1_Click() {
    replot();
}

void PlotCommands::CmdOK_Click() {
    plotSequence();
    runGuarded("Monte Carlo", [this] { karlo(); });
    showUndefinedNotice();
}

void PlotCommands::Text1_Change() {
    controls_.setCommand1BackColor(buttonFaceColor);
    controls_.setCommand1Caption(texts::okCaption);
}

void PlotCommands::Text2_Change() {
    Command1_Click();
}

}  // namespace mcplot
