// What went wrong with the user's expression during one command: at how many
// distinct points it was tried, at how many it failed, and the first failure,
// so that the plot and the button can tell the student what and where.
#pragma once

#include <string>
#include <unordered_set>

#include "core/script_host.h"

namespace mcplot {

namespace texts {
inline constexpr const char* failedPoints = "f(x) не вычисляется в ";
}  // namespace texts

class ExpressionFailures {
public:
    void clear();
    void recordSuccess(double x);
    // kod is the script text that ran, userText the user's expression in it.
    void recordFailure(double x, const ScriptStatus& status, const std::string& kod, const std::string& userText);

    // Distinct arguments tried and those among them that failed.
    int points() const { return static_cast<int>(tried_.size()); }
    int failedPoints() const { return static_cast<int>(failed_.size()); }
    bool any() const { return !failed_.empty(); }

    // One line for the plot and the button's tooltip, e.g. "f(x) не
    // вычисляется в 1 точке из 101. Ошибка 11: деление на ноль (позиция 2,
    // x = 0)"; empty when nothing failed.
    std::string summary() const;

private:
    std::unordered_set<double> tried_;
    std::unordered_set<double> failed_;
    ScriptStatus first_;
    std::string firstKod_, firstUserText_;
    double firstX_ = 0;
};

}  // namespace mcplot
