// One evaluation of f at a point: its value, or why the user's expression
// failed there, with the place in the expression and x. The main window's
// evaluation, the study and its pages all report a failure of f this way.
#pragma once

#include <string>
#include <utility>
#include <variant>

#include "core/script_host.h"

namespace mcplot {

struct EvaluationFailure {
    ScriptStatus status;  // the language's error number and message
    int position = 0;     // in the user's expression, in characters from 1; 0 when it has none
    double x = 0;

    // "Ошибка 11: деление на ноль (позиция 3, x = 0)", see failureText.
    std::string explanation() const;
};

class EvaluationResult {
public:
    // A value that is not finite means f has no value at x (a built-in
    // formula at its pole); the evaluation itself did not fail.
    EvaluationResult(double value) : state_(value) {}  // NOLINT: a value reads as a result
    EvaluationResult(EvaluationFailure failure) : state_(std::move(failure)) {}  // NOLINT

    bool ok() const { return std::holds_alternative<double>(state_); }
    explicit operator bool() const { return ok(); }
    // While ok().
    double value() const { return *std::get_if<double>(&state_); }
    double operator*() const { return value(); }
    // While !ok().
    const EvaluationFailure& failure() const { return *std::get_if<EvaluationFailure>(&state_); }

    // A value equal to v; never a failure.
    friend bool operator==(const EvaluationResult& result, double v) {
        return result.ok() && result.value() == v;
    }

private:
    std::variant<double, EvaluationFailure> state_;
};

}  // namespace mcplot
