// The ten entries of the function list, in list order: the one table that the
// evaluation, the list, the study and its window read. Entries 1..9 are the
// built-in formulas, numbered as the calculation keeps them in nfun; "Ваша
// функция" is number 0 and has no formula here (the user's expression goes
// through the script host).
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace mcplot {

// The Maxwell formula's constant: 3.14, not pi.
inline constexpr double kMaxwellPi = 3.14;

// Cosine's limits come from 3.14159265, not from full-precision pi.
inline constexpr double halfPi = 3.14159265 / 2;

// The built-in formulas in doubles, each step in the formula's own order: the
// rounding of every step is part of the value. t is the Van der Waals T.
namespace formulas {

inline double linear(double x, double) {
    return x;
}
inline double parabola(double x, double) {
    return std::pow(x, 2);
}
inline double sine(double x, double) {
    return std::sin(x);
}
inline double cosine(double x, double) {
    return std::cos(x);
}
inline double gauss(double x, double) {
    return std::exp(-(std::pow(x, 2)));
}
inline double maxwell(double x, double) {
    const double c = 4 / std::sqrt(kMaxwellPi);
    const double v = c * std::exp(-(std::pow(x, 2)));
    return v * std::pow(x, 2);
}
inline double planck1(double x, double) {
    const double d = std::exp(x) - 1;
    return std::pow(x, 3) / d;
}
inline double planck2(double x, double) {
    const double inv = 1 / x;
    const double d = std::exp(inv) - 1;
    const double p = 1 / std::pow(x, 5);
    return p / d;
}
inline double vanDerWaals(double x, double t) {
    const double num = 8 * t;
    const double den = 3 * x - 1;
    const double q = num / den;
    const double r = 3 / std::pow(x, 2);
    return q - r;
}

}  // namespace formulas

struct Preset {
    const char* text;
    int16_t nfun;
    const char* picture;                    // null: the entry neither clears nor loads a picture
    double a;                               // preset lower limit
    float b;                                // preset upper limit, kept as a single
    bool showsParameter;                    // the formula uses the Van der Waals temperature box
    double (*formula)(double x, double t);  // null for the user's expression
    const char* formulaText;                // as the study window shows it
};

inline constexpr Preset presets[10] = {
    {"линейная", 1, "linein.gif", 0, 3, false, formulas::linear, "f(x) = x"},
    {"парабола", 2, "parabola.gif", 0, 3, false, formulas::parabola, "f(x) = x²"},
    {"синус", 3, "sinus.gif", 0, 3.1415927f, false, formulas::sine, "f(x) = sin x"},
    {"косинус", 4, "cos.gif", -halfPi, static_cast<float>(halfPi), false, formulas::cosine, "f(x) = cos x"},
    {"Гаусс", 5, "gauss.gif", 0, 3, false, formulas::gauss, "f(x) = exp(−x²)"},
    {"Максвелл", 6, "maxwell.gif", 0, 3, false, formulas::maxwell, "f(x) = 4/√3,14 · exp(−x²) · x²"},
    {"Планк 1", 7, "plank_1.gif", 0.01, 12, false, formulas::planck1, "f(x) = x³ / (eˣ − 1)"},
    {"Планк 2", 8, "plank_2.gif", 0.01, 2, false, formulas::planck2, "f(x) = (1/x⁵) / (e^(1/x) − 1)"},
    {"Ван дер Ваальс", 9, "vdv.gif", 0.5, 5, true, formulas::vanDerWaals, "f(x) = 8T / (3x − 1) − 3/x²"},
    {"Ваша функция", 0, nullptr, 0, static_cast<float>(14.2), false, nullptr, ""},
};

// Built-in formula k sits at presets[k - 1]; the user's expression comes last.
inline constexpr int16_t kBuiltInFormulas = 9;
static_assert([] {
    for (int16_t k = 1; k <= kBuiltInFormulas; ++k)
        if (presets[k - 1].nfun != k) return false;
    return presets[kBuiltInFormulas].nfun == 0 && presets[kBuiltInFormulas].formula == nullptr;
}());

// The entry of built-in formula nfun, or null when nfun is none of 1..9.
inline constexpr const Preset* builtInPreset(int nfun) {
    return nfun >= 1 && nfun <= kBuiltInFormulas ? &presets[nfun - 1] : nullptr;
}

namespace detail {
// One comparison per formula, each call through a constant of the table, so
// that the compiler inlines every formula into the per-point loop.
template <size_t... K>
inline double builtInValue(int16_t nfun, double x, double t, std::index_sequence<K...>) {
    double v = 0;
    (void)((nfun == K + 1 ? (v = presets[K].formula(x, t), true) : false) || ...);
    return v;
}
}  // namespace detail

// Built-in formula nfun (1..9) at x, in doubles in the formula's own order,
// before any rounding (a study of the method's error integrates this value);
// 0 for any other nfun. temperature is the Van der Waals T (formula 9).
inline double builtInValue(int16_t nfun, double x, double temperature) {
    return detail::builtInValue(nfun, x, temperature, std::make_index_sequence<kBuiltInFormulas>());
}

}  // namespace mcplot
