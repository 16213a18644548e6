#include "study/convergence.h"

#include <algorithm>
#include <cmath>

namespace mcplot::study {

std::vector<int64_t> logSpacedCounts(int64_t first, int64_t last) {
    std::vector<int64_t> out;
    for (int k = 0;; ++k) {
        const auto n = static_cast<int64_t>(std::llround(std::pow(10.0, k / 10.0)));
        if (n > last) break;
        if (n >= first && (out.empty() || out.back() != n)) out.push_back(n);
    }
    if (last >= first && (out.empty() || out.back() != last)) out.push_back(last);
    return out;
}

std::vector<double> rootMeanSquareError(const std::vector<std::vector<double>>& estimates, double exact) {
    if (estimates.empty()) return {};
    size_t reached = estimates.front().size();
    for (const auto& run : estimates) reached = std::min(reached, run.size());
    std::vector<double> out(reached, 0.0);
    for (size_t k = 0; k < reached; ++k) {
        double sum = 0;
        for (const auto& run : estimates) sum += (run[k] - exact) * (run[k] - exact);
        out[k] = std::sqrt(sum / static_cast<double>(estimates.size()));
    }
    return out;
}

double logLogSlope(const std::vector<double>& x, const std::vector<double>& y, double from, double to) {
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    int m = 0;
    for (size_t k = 0; k < x.size() && k < y.size(); ++k) {
        if (x[k] < from || x[k] > to || !(x[k] > 0) || !(y[k] > 0) || !std::isfinite(y[k])) continue;
        const double lx = std::log(x[k]), ly = std::log(y[k]);
        sx += lx, sy += ly, sxx += lx * lx, sxy += lx * ly;
        ++m;
    }
    const double d = m * sxx - sx * sx;
    if (m < 2 || !(d > 0)) return std::numeric_limits<double>::quiet_NaN();
    return (m * sxy - sx * sy) / d;
}

}  // namespace mcplot::study
