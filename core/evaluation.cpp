// Evaluation of f(x): the nine built-in formulas and the user's expression run
// through the script host. Callers store x, call fff and read y.
#include <cfloat>
#include <cmath>
#include <exception>

#include "core/engine.h"

namespace mcplot {

float toSingleSaturated(double v) {
    if (std::isnan(v)) return 0.0f;
    if (v > FLT_MAX) return FLT_MAX;
    if (v < -FLT_MAX) return -FLT_MAX;
    return static_cast<float>(v);
}

Engine::Engine(CalcState& state, Canvas& canvas, ScriptHost& host, EngineControls& controls,
               RandomSource& random)
    : s_(state), canvas_(canvas), host_(host), controls_(controls), random_(random) {}

void Engine::fff() {
    if (s_.nfun == 0) {
        ff1();
        return;
    }
    const float value = fn(s_.x);
    // A formula without a finite single value at x (Planck at 0, Van der Waals
    // at its pole, values beyond the single range) leaves y as it was, the way
    // a failed user expression does, and is counted so the plot can say so.
    if (!std::isfinite(value)) {
        ++undefinedPoints_;
        return;
    }
    s_.y = Number::single(value);
}

float Engine::fn(const Number& xArg) const {
    const double x = xArg.value();
    double v = 0;
    switch (s_.nfun) {
        case 1: v = x; break;
        case 2: v = std::pow(x, 2); break;
        case 3: v = std::sin(x); break;
        case 4: v = std::cos(x); break;
        case 5: v = std::exp(-(std::pow(x, 2))); break;
        case 6: {
            const double c = 4 / std::sqrt(3.14);
            v = c * std::exp(-(std::pow(x, 2)));
            v = v * std::pow(x, 2);
            break;
        }
        case 7: {
            const double d = std::exp(x) - 1;
            v = std::pow(x, 3) / d;
            break;
        }
        case 8: {
            const double inv = 1 / x;
            const double d = std::exp(inv) - 1;
            const double p = 1 / std::pow(x, 5);
            v = p / d;
            break;
        }
        case 9: {
            const double t = readLeadingNumber(controls_.text2());
            const double num = 8 * t;
            const double den = 3 * x - 1;
            const double q = num / den;
            const double r = 3 / std::pow(x, 2);
            v = q - r;
            break;
        }
        default: v = 0; break;
    }
    if (!std::isfinite(v) || std::fabs(v) > FLT_MAX) return NAN;
    return static_cast<float>(v);
}

void Engine::ff1() {
    s_.kod = "x=" + shortNumber(s_.x.value()) + "\r\n" + "Res.p=" + controls_.text1();
    bool ok = false;
    // A point skipped after a time-out fails for the same reason.
    ScriptStatus status = ScriptStatus::failure(kScriptTimedOut, "сценарий выполняется слишком долго и прерван");
    try {
        // An expression that ran out of time once in this command, or used up
        // the command's budget, is not run again for the command's other
        // points: an endless loop would otherwise freeze the window for as
        // many seconds as there are points.
        if (!scriptTimedOut_) {
            const auto start = std::chrono::steady_clock::now();
            host_.Reset();
            if (!s_.Res) s_.Res = std::make_shared<PubResults>();
            status = host_.AddObject("Res", s_.Res);
            if (status.ok) status = host_.ExecuteStatement(s_.kod);
            if (status.ok) {
                s_.y = Number::dbl(s_.Res->p);
                ok = true;
            }
            scriptSpent_ += std::chrono::steady_clock::now() - start;
            scriptTimedOut_ = status.number == kScriptTimedOut || scriptSpent_ > scriptBudget_;
        }
    } catch (...) {
        // A failing host is one more way the expression fails.
        ok = false;
        status = ScriptStatus::failure(51, "внутренняя ошибка");  // the language's "Internal error"
    }
    if (ok)
        failures_.recordSuccess(s_.x.value());
    else
        failures_.recordFailure(s_.x.value(), status, s_.kod, controls_.text1());
    if (!ok) {
        controls_.setCommand1BackColor(errorColor);
        controls_.setCommand1Caption(texts::errorsCaption);
    }
}

}  // namespace mcplot
