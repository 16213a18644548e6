// Log–log charts on category axes: the points as (log₁₀ x, log₁₀ y) and one
// label per decade written as a student writes it (0,1, 1, 10, 10³).
#pragma once

#include <QList>
#include <QPointF>
#include <QString>

#include <cmath>
#include <string>
#include <vector>

class QCategoryAxis;
class QXYSeries;

namespace mcplot {

// The points with a positive value as (log₁₀ x, log₁₀ y): a zero or a missing
// value has no place on logarithmic axes.
template <class N>
QList<QPointF> logPoints(const std::vector<N>& xs, const std::vector<double>& ys) {
    QList<QPointF> out;
    for (size_t k = 0; k < xs.size() && k < ys.size(); ++k)
        if (ys[k] > 0 && std::isfinite(ys[k]) && xs[k] > 0)
            out.append(QPointF(std::log10(static_cast<double>(xs[k])), std::log10(ys[k])));
    return out;
}

// 10ᵏ as a label: 0,01, 0,1, 1, 10, 100 with the given separator, else 10 with a superscript power.
QString decadeLabel(int k, const std::string& separator);

// Labels the decades from..to on the axis, every `every`-th one; 0: all
// while they fit, every second or third one when there are many. Sets its range.
void labelDecades(QCategoryAxis* axis, double from, double to, const std::string& separator, int every = 0);

// The whole decades around the points of the series (at most 14 of them
// below the top); −6..0 when there are no points.
std::pair<double, double> decadeRange(const QList<QXYSeries*>& series);

}  // namespace mcplot
