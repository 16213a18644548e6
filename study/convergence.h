// The arithmetic of convergence charts: the counts of throws on a log scale,
// the root-mean-square error of independent runs, and a fitted log-log slope.
// Any page that compares estimates against N uses these.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

namespace mcplot::study {

// The counts 10, 13, 16, 20, ... (ten per decade) from first up to and including last.
std::vector<int64_t> logSpacedCounts(int64_t first, int64_t last);

// The root-mean-square error against exact at each checkpoint of independent
// runs: estimates[r][k] is run r's estimate after its k-th checkpoint. A
// checkpoint counts once every run has reached it, so the result is as long
// as the shortest run.
std::vector<double> rootMeanSquareError(const std::vector<std::vector<double>>& estimates, double exact);

// Least-squares slope of log y against log x over the points with x in
// [from, to] and y > 0; NaN with fewer than two such points.
double logLogSlope(const std::vector<double>& x, const std::vector<double>& y, double from = 0,
                   double to = std::numeric_limits<double>::infinity());

}  // namespace mcplot::study
