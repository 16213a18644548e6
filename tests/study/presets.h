// The nine built-in formulas in double, with their preset limits, and the box
// a plot run throws into: 101 samples, 0 always inside.
#pragma once

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "study/reference.h"

namespace studytest {

struct PresetFunction {
    std::string name;
    double a, b;
    std::function<double(double)> f;
};

inline std::vector<PresetFunction> presetFunctions() {
    const double T = 0.9;
    return {
        {"линейная", 0, 3, [](double x) { return x; }},
        {"парабола", 0, 3, [](double x) { return std::pow(x, 2); }},
        {"синус", 0, 3.1415927, [](double x) { return std::sin(x); }},
        {"косинус", -3.14159265 / 2, 3.14159265 / 2, [](double x) { return std::cos(x); }},
        {"Гаусс", 0, 3, [](double x) { return std::exp(-std::pow(x, 2)); }},
        {"Максвелл", 0, 3, [](double x) { return 4 / std::sqrt(3.14) * std::exp(-std::pow(x, 2)) * std::pow(x, 2); }},
        {"Планк 1", 0.01, 12, [](double x) { return std::pow(x, 3) / (std::exp(x) - 1); }},
        {"Планк 2", 0.01, 2, [](double x) { return 1 / std::pow(x, 5) / (std::exp(1 / x) - 1); }},
        {"Ван дер Ваальс", 0.5, 5, [T](double x) { return 8 * T / (3 * x - 1) - 3 / std::pow(x, 2); }},
    };
}

inline mcplot::study::Box scanBox(const std::function<double(double)>& f, double a, double b) {
    mcplot::study::Box box{a, b, 0, 0};
    for (int i = 0; i <= 100; ++i) {
        const double y = f(a + (b - a) * i / 100);
        box.ymin = std::min(box.ymin, y);
        box.ymax = std::max(box.ymax, y);
    }
    return box;
}

}  // namespace studytest
