// The time the user's expression may take, and the one mechanism that keeps
// it to that.
//
// Every amount the program gives the expression is named in `budgets` below;
// a TimeBudget holds one of them for one use. The window opens a Scope around
// each event handler (a click, a list selection with the redraws it sets off,
// a resize, a text change): every evaluation inside it draws on the same
// budget, so that no action keeps the window busy for much longer than the
// amount, however many plot runs it makes and whatever the expression does.
// Scopes nest: only the outermost starts a fresh budget, so a handler called
// from inside another (a scroll bar moved while a list entry is applied)
// shares the outer one. Outside any scope no budget applies. A holder with no
// handlers around it (the evaluation of a command) calls start() instead.
#pragma once

#include <chrono>

namespace mcplot {

namespace budgets {
// One user action: a click, a selection, a resize, a text change.
inline constexpr std::chrono::milliseconds kUserAction{2000};
// One step of the steps panel's animation: no more than its frame interval.
inline constexpr std::chrono::milliseconds kAnimationStep{20};
// One run of the expression outside any action, and the most one run may
// take inside one.
inline constexpr std::chrono::milliseconds kScriptRun{750};
// All the points of one command evaluated without the window (Evaluator).
inline constexpr std::chrono::milliseconds kCommand{10'000};
// One reference computation of the study: its time, and its evaluations of f.
inline constexpr std::chrono::milliseconds kReferenceComputation{500};
inline constexpr long kReferenceEvaluations = 200'000;
}  // namespace budgets

class TimeBudget {
public:
    using Clock = std::chrono::steady_clock;

    explicit TimeBudget(Clock::duration budget = budgets::kUserAction) : budget_(budget) {}
    TimeBudget(const TimeBudget&) = delete;
    TimeBudget& operator=(const TimeBudget&) = delete;

    // For the actions that begin after the call.
    void setBudget(Clock::duration budget) { budget_ = budget; }
    Clock::duration budget() const { return budget_; }

    class Scope {
    public:
        explicit Scope(TimeBudget& budget) : budget_(budget) { budget_.begin(); }
        ~Scope() { budget_.end(); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        TimeBudget& budget_;
    };

    // A fresh budget from now on that stays open, for a holder outside any
    // Scope; a later start() begins the next one.
    void start();

    bool inAction() const { return depth_ > 0; }
    // Inside an action whose time is used up: what remains of it must not run
    // the user's expression any more.
    bool exhausted() const { return depth_ > 0 && (exhausted_ || spent_ >= current_); }
    // Ended by exhaust() only: a holder that looks at the time itself after
    // each run (the Evaluator lets a budget of zero run one point) asks this.
    bool ended() const { return depth_ > 0 && exhausted_; }
    // Time left in the current action; unbounded outside one.
    Clock::duration remaining() const;
    // Time charged to the current action so far, past its budget too (a
    // holder that lets a slow run overstep the budget by a share of it).
    Clock::duration spent() const { return spent_; }

    // Time an evaluation took, taken from the current action's budget.
    void charge(Clock::duration spent);
    // Ends the current action's budget at once (a run stopped by its own time
    // limit: the next points would only be stopped the same way).
    void exhaust();

private:
    void begin();
    void end();

    Clock::duration budget_;
    Clock::duration current_{};  // the budget of the action under way
    Clock::duration spent_{};
    bool exhausted_ = false;
    int depth_ = 0;
};

}  // namespace mcplot
