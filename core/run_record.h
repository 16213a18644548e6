// What produced the main window's last Monte Carlo and trapezoid values: the
// function, the limits, the box and the number of throws, with the run's own
// counts. Pages that explain those values compare it with what the window
// shows now, so they never explain a value with inputs that did not make it.
#pragma once

#include <limits>
#include <optional>
#include <string>

#include "core/monte_carlo.h"

namespace mcplot {

// The inputs a run depends on.
struct RunInputs {
    int nfun = 0;         // 1..9 a built-in formula, 0 the user's expression
    std::string formula;  // the expression text for 0, the text of T for 9, else empty
    double a = 0, b = 0;  // the limits
    int throws = 0;       // N
    bool operator==(const RunInputs&) const = default;
};

struct RunRecord {
    RunInputs inputs;
    Box box;
    int blueAbove = 0, blueBelow = 0, red = 0;  // the throws by where they fell
    std::optional<double> monteCarlo;           // ikarlo, when the run gave a value
    std::optional<double> trapezoid;            // itrap, when it gave one

    // The share of blue throws, NaN without throws.
    double observedShare() const {
        const int all = blueAbove + blueBelow + red;
        return all > 0 ? double(blueAbove + blueBelow) / all : std::numeric_limits<double>::quiet_NaN();
    }
};

// Which inputs differ between a run and now.
struct RunChanges {
    bool function = false, limits = false, throws = false;
    bool any() const { return function || limits || throws; }
};

inline RunChanges changesBetween(const RunInputs& run, const RunInputs& now) {
    RunChanges c;
    c.function = run.nfun != now.nfun || run.formula != now.formula;
    c.limits = run.a != now.a || run.b != now.b;
    c.throws = run.throws != now.throws;
    return c;
}

}  // namespace mcplot
