#include "study/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace mcplot::study {

namespace {

// A no-break space between groups of three digits: a line never breaks inside a number.
constexpr const char* groupSpace = "\u00A0";

std::string grouped(const std::string& digits) {
    if (digits.size() < 5) return digits;
    std::string out;
    for (size_t k = 0; k < digits.size(); ++k) {
        if (k > 0 && (digits.size() - k) % 3 == 0) out += groupSpace;
        out += digits[k];
    }
    return out;
}

std::string superscript(int exponent) {
    static const char* const digits[] = {"⁰", "¹", "²", "³", "⁴", "⁵", "⁶", "⁷", "⁸", "⁹"};
    std::string out = exponent < 0 ? "⁻" : "";
    for (char c : std::to_string(std::abs(exponent))) out += digits[c - '0'];
    return out;
}

// Fixed notation with the decimals given, trailing zeros dropped, digits grouped.
std::string fixed(double v, int decimals, const std::string& separator) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", std::max(0, decimals), std::fabs(v));
    std::string s = buf;
    std::string whole = s, fraction;
    if (const size_t dot = s.find('.'); dot != std::string::npos) {
        whole = s.substr(0, dot);
        fraction = s.substr(dot + 1);
        while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    }
    const bool zero = whole.find_first_not_of('0') == std::string::npos && fraction.empty();
    std::string out = (v < 0 && !zero ? "−" : "") + grouped(whole);
    if (!fraction.empty()) out += separator + fraction;
    return out;
}

}  // namespace

std::string plainNumber(double v, int significant, const std::string& separator) {
    if (!std::isfinite(v)) return "—";
    if (v == 0) return "0";
    significant = std::max(1, significant);
    int exponent = static_cast<int>(std::floor(std::log10(std::fabs(v))));
    if (exponent >= -4 && exponent < 7) {
        const int decimals = significant - 1 - exponent;
        // Whole digits past the significant ones are zeros: 1234 to three digits is 1230.
        if (decimals < 0) v = std::round(v / std::pow(10.0, -decimals)) * std::pow(10.0, -decimals);
        return fixed(v, decimals, separator);
    }
    double mantissa = v / std::pow(10.0, exponent);
    // Rounding may carry the mantissa to 10.
    const double scale = std::pow(10.0, significant - 1);
    if (std::fabs(std::round(mantissa * scale) / scale) >= 10) {
        mantissa /= 10;
        ++exponent;
    }
    return fixed(mantissa, significant - 1, separator) + "·10" + superscript(exponent);
}

std::string plainCount(int64_t n) {
    const std::string digits = std::to_string(n < 0 ? -n : n);
    return (n < 0 ? "−" : "") + grouped(digits);
}

std::string withDecimalSeparator(std::string text, const std::string& separator) {
    if (separator == ",") return text;
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    std::string out;
    out.reserve(text.size());
    for (size_t k = 0; k < text.size(); ++k) {
        const bool decimal =
            text[k] == ',' && k > 0 && k + 1 < text.size() && digit(text[k - 1]) && digit(text[k + 1]);
        if (decimal)
            out += separator;
        else
            out += text[k];
    }
    return out;
}

}  // namespace mcplot::study
