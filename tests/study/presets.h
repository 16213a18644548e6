// The nine built-in formulas in double, with their preset limits, and the box
// a plot run throws into: 101 samples, 0 always inside.
#pragma once

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "core/evaluation.h"
#include "study/program_integrands.h"
#include "study/reference.h"

namespace studytest {

struct PresetFunction {
    std::string name;
    double a, b;
    std::function<double(double)> f;
};

// The preset entries with their limits, evaluated through the study's own
// adapter of the built-in formulas (T = 0.9 for Van der Waals).
inline std::vector<PresetFunction> presetFunctions() {
    const struct {
        const char* name;
        int nfun;
        double a, b;
    } entries[] = {
        {"линейная", 1, 0, 3},
        {"парабола", 2, 0, 3},
        {"синус", 3, 0, 3.1415927},
        {"косинус", 4, -3.14159265 / 2, 3.14159265 / 2},
        {"Гаусс", 5, 0, 3},
        {"Максвелл", 6, 0, 3},
        {"Планк 1", 7, 0.01, 12},
        {"Планк 2", 8, 0.01, 2},
        {"Ван дер Ваальс", 9, 0.5, 5},
    };
    std::vector<PresetFunction> out;
    for (const auto& e : entries)
        out.push_back({e.name, e.a, e.b, [nfun = e.nfun](double x) {
                           return mcplot::builtInValue(static_cast<int16_t>(nfun), x, 0.9);
                       }});
    return out;
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
