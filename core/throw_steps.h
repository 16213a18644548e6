// Throwing a few points at a time into one box, with the counts kept from one
// call to the next, for a demonstration that goes throw by throw. Each call
// goes through the same throwPoints as the Monte Carlo command, so K calls of
// one throw count exactly what one run of K throws counts with the same random
// numbers.
#pragma once

#include <algorithm>
#include <cmath>
#include <optional>

#include "core/monte_carlo.h"

namespace mcplot {

class ThrowSteps {
public:
    explicit ThrowSteps(const ThrowBox& box = {}) : box_(box) {}

    // Throws `count` more points; onThrow(x, yr, kind) sees each of them.
    template <class Random, class ThrowSink>
    void add(Evaluator& f, int count, Random& random, ThrowSink&& onThrow) {
        if (count <= 0) return;
        const ThrowTally t = throwPoints(f, box_, count, random, onThrow);
        plus_ += static_cast<int>(t.nplus.value());
        minus_ += static_cast<int>(t.nminus.value());
        missed_ += t.missed;
    }

    const ThrowBox& box() const { return box_; }
    int throws() const { return plus_ + minus_ + missed_; }
    int plus() const { return plus_; }    // blue above the axis
    int minus() const { return minus_; }  // blue below the axis
    int missed() const { return missed_; }

    // S·(N+ − N−)/N as the Monte Carlo command rounds it; none before a throw.
    std::optional<float> estimate() const {
        if (throws() == 0) return std::nullopt;
        ThrowTally t;
        t.nplus = countNumber(plus_);
        t.nminus = countNumber(minus_);
        return monteCarloValue(box_, t, throws());
    }

private:
    ThrowBox box_;
    int plus_ = 0, minus_ = 0, missed_ = 0;
};

// The standard deviation of the hit-or-miss estimate after n throws into a box
// of area S, when a throw is blue with probability p and counts q on average
// (+1 above, −1 below): S·√((p − q²)/n).
inline double hitOrMissSigma(double area, double blueShare, double meanShare, double n) {
    return std::fabs(area) * std::sqrt(std::max(0.0, blueShare - meanShare * meanShare) / n);
}

}  // namespace mcplot
