// What went wrong with the user's expression during one command: at how many
// distinct points it was tried, at how many it failed, and the first failure,
// so that the plot and the button can tell the student what and where.
#pragma once

#include <string>
#include <vector>

#include "core/expression_hints.h"
#include "core/script_host.h"

namespace mcplot {

namespace texts {
inline constexpr const char* failedPoints = "f(x) не вычисляется в ";
inline constexpr const char* notParsed = "Формула записана с ошибкой. ";
}  // namespace texts

class ExpressionFailures {
public:
    void clear();
    void recordSuccess(double x);
    // kod is the script text that ran, userText the user's expression in it.
    void recordFailure(double x, const ScriptStatus& status, const std::string& kod,
                       const std::string& userText);

    // Distinct arguments tried and those among them that failed.
    int points() const;
    int failedPoints() const;
    bool any() const { return !failed_.empty(); }

    // One line for the plot and the button's tooltip, e.g. "f(x) не
    // вычисляется в 1 точке из 101. Ошибка 11: деление на ноль (позиция 2,
    // x = 0). Деление на ноль при x = 0: ..."; a text that does not parse is
    // told without points and x. Empty when nothing failed.
    std::string summary() const;
    // The first failure, while any() holds.
    const FailureRecord& first() const { return first_; }

private:
    // Arguments appended on every evaluation (the hot path) and made
    // distinct only when counted. Past a memory cap, further ones are only
    // counted, without telling them apart (a caller that evaluates millions
    // of points and never clears).
    class PointSet {
    public:
        void add(double x);
        int count() const;
        bool empty() const { return kept_.empty() && beyond_ == 0; }
        void clear();

    private:
        void makeDistinct() const;
        mutable std::vector<double> kept_;
        mutable bool distinct_ = true;
        bool full_ = false;
        int beyond_ = 0;
    };
    PointSet tried_, failed_;
    FailureRecord first_;
};

}  // namespace mcplot
