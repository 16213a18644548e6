// The ten entries of the function list, in list order: text, function number,
// formula picture and preset limits.
#pragma once

#include <cstdint>

namespace mcplot {

struct Preset {
    const char* text;
    int16_t nfun;
    const char* picture;  // null: the entry neither clears nor loads a picture
    double a;             // preset lower limit
    float b;              // preset upper limit, kept as a single
    bool showsParameter;  // the Van der Waals temperature box
};

// Steps of the range scan and the graph trace, set by the initial setup.
inline constexpr int16_t kScanSteps = 100;

// Cosine's limits come from 3.14159265, not from full-precision pi.
inline constexpr double halfPi = 3.14159265 / 2;

inline constexpr Preset presets[10] = {
    {"линейная", 1, "linein.gif", 0, 3, false},
    {"парабола", 2, "parabola.gif", 0, 3, false},
    {"синус", 3, "sinus.gif", 0, 3.1415927f, false},
    {"косинус", 4, "cos.gif", -halfPi, static_cast<float>(halfPi), false},
    {"Гаусс", 5, "gauss.gif", 0, 3, false},
    {"Максвелл", 6, "maxwell.gif", 0, 3, false},
    {"Планк 1", 7, "plank_1.gif", 0.01, 12, false},
    {"Планк 2", 8, "plank_2.gif", 0.01, 2, false},
    {"Ван дер Ваальс", 9, "vdv.gif", 0.5, 5, true},
    {"Ваша функция", 0, nullptr, 0, static_cast<float>(14.2), false},
};

}  // namespace mcplot
