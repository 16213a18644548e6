// The nine built-in formulas in double, with their preset limits, and the box
// a plot run throws into: 101 samples, 0 always inside.
#pragma once

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "core/evaluation.h"
#include "core/presets.h"
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
    std::vector<PresetFunction> out;
    for (const mcplot::Preset& p : mcplot::presets) {
        if (!p.formula) continue;
        out.push_back({p.text, p.a, static_cast<double>(p.b),
                       [nfun = p.nfun](double x) { return mcplot::builtInValue(nfun, x, 0.9); }});
    }
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
