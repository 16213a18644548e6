// An f that fails where a test says, as the user's expression fails: the study
// must stop or go on, and explain it, with f's own failure.
#pragma once

#include <functional>

#include "study/integrand.h"

namespace studytest {

// x², except where fails(x): there "Ошибка 11: деление на ноль" at position
// (0: no place in an expression) and x.
inline mcplot::study::IntegrandFactory failingWhere(std::function<bool(double)> fails, int position = 0) {
    return mcplot::study::factoryOf(
        [fails = std::move(fails), position](double x) -> mcplot::EvaluationResult {
            if (fails(x))
                return mcplot::EvaluationFailure{mcplot::ScriptStatus::failure(11, "деление на ноль"),
                                                 position, x};
            return x * x;
        });
}

}  // namespace studytest
