// The number texts are written through a fast path (shortest digits, then
// rounded); these compare them with the straightforward formatting from the
// exact value for many doubles.
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "numbers/number.h"

using namespace mcplot;

namespace {

// The rule spelled out directly: round the exact value to `digits`
// significant digits, then choose fixed or exponent notation.
std::string referenceText(double v, int digits) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v > 0 ? "Infinity" : "-Infinity";
    if (v == 0) return "0";
    char buf[64];
    const auto sci = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, digits - 1);
    const std::string text(buf, sci.ptr);
    const size_t e = text.find('e');
    const int exponent = std::stoi(text.substr(e + 1));
    std::string mantissa;
    for (char c : text.substr(0, e))
        if (c >= '0' && c <= '9') mantissa += c;
    while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();
    const int count = static_cast<int>(mantissa.size());
    std::string out = v < 0 ? "-" : "";
    const int before = exponent + 1, after = count - 1 - exponent;
    if (before <= digits && after <= digits) {
        if (exponent < 0)
            out += "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + mantissa;
        else if (count <= before)
            out += mantissa + std::string(static_cast<size_t>(before - count), '0');
        else
            out += mantissa.substr(0, static_cast<size_t>(before)) + "." +
                   mantissa.substr(static_cast<size_t>(before));
        return out;
    }
    out += mantissa.substr(0, 1);
    if (count > 1) out += "." + mantissa.substr(1);
    const int magnitude = std::abs(exponent);
    out += exponent < 0 ? "E-" : "E+";
    if (magnitude < 10) out += '0';
    return out + std::to_string(magnitude);
}

std::string referenceShort(double v) {
    std::string s = referenceText(v, 15);
    const bool negative = s[0] == '-';
    const size_t start = negative ? 1 : 0;
    if (s.compare(start, 2, "0.") == 0) s.erase(start, 1);
    return negative ? s : " " + s;
}

// Checks one value in every form; returns false after recording a failure.
bool sameAsReference(double v) {
    const std::string text = numberText15(v);
    if (text != referenceText(v, 15)) {
        ADD_FAILURE() << "numberText15 of bits " << std::bit_cast<uint64_t>(v) << ": " << text
                      << " instead of " << referenceText(v, 15);
        return false;
    }
    const float f = static_cast<float>(v);
    if (numberText(f, 7) != referenceText(f, 7)) {
        ADD_FAILURE() << "numberText(,7) of " << text << ": " << numberText(f, 7) << " instead of "
                      << referenceText(f, 7);
        return false;
    }
    if (shortNumber(v) != referenceShort(v)) {
        ADD_FAILURE() << "shortNumber of " << text << ": " << shortNumber(v) << " instead of "
                      << referenceShort(v);
        return false;
    }
    return true;
}

}  // namespace

TEST(NumberTextEquivalence, RandomBitPatterns) {
    std::mt19937_64 random(20261207);
    int failures = 0;
    for (int k = 0; k < 1000000 && failures < 5; ++k)
        if (!sameAsReference(std::bit_cast<double>(random()))) ++failures;
}

TEST(NumberTextEquivalence, DecimalsAndPlotArguments) {
    std::mt19937_64 random(7);
    int failures = 0;
    // Short decimals, their sums and quotients: the values a plot produces.
    for (int k = 0; k < 300000 && failures < 5; ++k) {
        const double whole = static_cast<double>(random() % 2000001) - 1000000;
        const double scale = std::pow(10.0, static_cast<int>(random() % 40) - 20);
        const double v = whole * scale;
        if (!sameAsReference(v) || !sameAsReference(v / 3) || !sameAsReference(v + 0.1)) ++failures;
    }
    for (int k = 0; k <= 100000 && failures < 5; ++k)
        if (!sameAsReference(k * 0.1) || !sameAsReference(-10 + k * 0.0002)) ++failures;
}

TEST(NumberTextEquivalence, HalvesAndEdges) {
    // Values whose shortest form ends on a rounding half, the carry into a new
    // digit, subnormals and the ends of the ranges.
    const double cases[] = {0.5,
                            1.0000000000000005,
                            1.00000000000000055,
                            0.12345678901234575,
                            123456789012345.5,
                            1234567890123456.0,
                            999999999999999.5,
                            9.9999999999999995,
                            0.99999999999999995,
                            999999999999999.0,
                            1e15,
                            1e16,
                            1e-15,
                            1.5e-15,
                            1e-16,
                            0.000000000000001234,
                            2.5e-16,
                            DBL_MAX,
                            DBL_MIN,
                            DBL_TRUE_MIN,
                            4.9406564584124654e-324 * 3,
                            2.2250738585072009e-308,
                            1.0 / 3,
                            2.0 / 3,
                            FLT_MAX,
                            FLT_MIN,
                            16777217.0,
                            0.30000000000000004};
    for (double v : cases) {
        EXPECT_TRUE(sameAsReference(v));
        EXPECT_TRUE(sameAsReference(-v));
        EXPECT_TRUE(sameAsReference(std::nextafter(v, 0.0)));
        EXPECT_TRUE(sameAsReference(std::nextafter(v, INFINITY)));
    }
    // Every single whose shortest double form has eight digits ending in 5.
    for (uint32_t bits = 0x3F800000; bits < 0x3F800000 + 200000; ++bits) {
        const double f = std::bit_cast<float>(bits);
        if (numberText(f, 7) != referenceText(f, 7)) {
            ADD_FAILURE() << "single bits " << bits;
            break;
        }
    }
}
