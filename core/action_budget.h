// One time budget per user action. A click, a list selection with the redraws
// it sets off, a resize or a text change is one action: every evaluation of the
// user's expression inside it draws on the same budget, so that no action keeps
// the window busy for much longer than the budget, however many plot runs it
// makes and whatever the expression does.
//
// The window opens a Scope around each event handler. Scopes nest: only the
// outermost starts a fresh budget, so a handler called from inside another
// (a scroll bar moved while a list entry is applied) shares the outer one.
// Outside any scope no budget applies.
#pragma once

#include <chrono>

namespace mcplot {

class ActionBudget {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kDefaultBudget = std::chrono::seconds(2);

    explicit ActionBudget(Clock::duration budget = kDefaultBudget) : budget_(budget) {}
    ActionBudget(const ActionBudget&) = delete;
    ActionBudget& operator=(const ActionBudget&) = delete;

    // For the actions that begin after the call.
    void setBudget(Clock::duration budget) { budget_ = budget; }
    Clock::duration budget() const { return budget_; }

    class Scope {
    public:
        explicit Scope(ActionBudget& budget) : budget_(budget) { budget_.begin(); }
        ~Scope() { budget_.end(); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        ActionBudget& budget_;
    };

    bool inAction() const { return depth_ > 0; }
    // Inside an action whose time is used up: what remains of it must not run
    // the user's expression any more.
    bool exhausted() const { return depth_ > 0 && (exhausted_ || spent_ >= current_); }
    // Time left in the current action; unbounded outside one.
    Clock::duration remaining() const;

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
