// Numbers as a student writes them: 0,0123, 1 000 000, 6,5·10⁻⁷; the decimal
// separator is the main window's, so every number on screen uses one.
#pragma once

#include <cstdint>
#include <string>

namespace mcplot::study {

// v with at most `significant` significant digits, trailing zeros dropped;
// ordinary notation from 10⁻⁴ up to 10⁷, a power of ten outside it; "—" when
// v is not a finite number.
std::string plainNumber(double v, int significant, const std::string& separator);

// A text whose numbers were written with a decimal comma (a verdict), with
// each comma between two digits turned into the given separator.
std::string withDecimalSeparator(std::string text, const std::string& separator);

// A whole number with its thousands apart: 32 000, 1 000 000.
std::string plainCount(int64_t n);

}  // namespace mcplot::study
