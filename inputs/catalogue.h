// The ten entries of the function list, in list order: text, function number,
// formula picture and preset limits.
#pragma once

#include <cstdint>

namespace mcplot {

struct Preset {
    const char* text;
    int16_t nfun;
    const char* picture;  // null: the entry shows no picture
};

inline constexpr Preset presets[10] = {
    {"линейная", 1, "linein.gif"},  {"парабола", 2, "parabola.gif"}, {"синус", 3, "sinus.gif"},
    {"косинус", 4, "cos.gif"},      {"Гаусс", 5, "gauss.gif"},       {"Максвелл", 6, "maxwell.gif"},
    {"Планк 1", 7, "plank_1.gif"},  {"Планк 2", 8, "plank_2.gif"},   {"Ван дер Ваальс", 9, "vdv.gif"},
    {"Ваша функция", 0, nullptr},
};

}  // namespace mcplot
