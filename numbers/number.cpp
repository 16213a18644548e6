#include "numbers/number.h"

#include <cctype>
#include <charconv>
#include <cfloat>
#include <cstdlib>
#include <cmath>
#include <cstdio>
#include <limits>

namespace mcplot {

Number pow(Number l, Number r) { return Number::dbl(std::pow(l.value(), r.value())); }

Number Number::operator-() const {
    switch (type_) {
        case NumType::Integer: return fromWideInteger(-static_cast<long long>(value_), true);
        case NumType::Long: return fromWideInteger(-static_cast<long long>(value_), false);
        default: return Number(type_, -value_);
    }
}

double roundHalfEven(double v) { return std::nearbyint(v); }

bool toInteger16(double v, int16_t& out) {
    if (!std::isfinite(v)) return false;
    const double r = roundHalfEven(v);
    if (r < INT16_MIN || r > INT16_MAX) return false;
    out = static_cast<int16_t>(r);
    return true;
}

namespace {

// The exact decimal expansion of |v| with many fraction digits.
std::string exactDigits(double v) {
    char buf[400];  // 309 integer digits, the point and 60 decimals
    const auto result = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::fixed, 60);
    return std::string(buf, result.ptr);
}

}  // namespace

std::string formatPattern(double v, std::string_view pattern, std::string_view decimalSeparator) {
    if (!std::isfinite(v)) return {};
    const size_t dot = pattern.find('.');
    const std::string_view intPart = pattern.substr(0, dot);
    const size_t decimals = dot == std::string_view::npos ? 0 : pattern.size() - dot - 1;
    size_t minIntDigits = 0;
    for (char c : intPart)
        if (c == '0') ++minIntDigits;

    std::string digits = exactDigits(v);
    const size_t point = digits.find('.');
    std::string whole = digits.substr(0, point);
    std::string frac = digits.substr(point + 1);
    // Round half away from zero on the exact expansion.
    const bool roundUp = frac[decimals] >= '5';
    frac.resize(decimals);
    std::string all = whole + frac;
    if (roundUp) {
        int k = static_cast<int>(all.size()) - 1;
        while (k >= 0 && all[static_cast<size_t>(k)] == '9') all[static_cast<size_t>(k--)] = '0';
        if (k < 0)
            all.insert(all.begin(), '1');
        else
            ++all[static_cast<size_t>(k)];
    }
    whole = all.substr(0, all.size() - decimals);
    frac = all.substr(all.size() - decimals);
    // Strip leading zeros, then pad to the mandatory digit count.
    const size_t firstNonZero = whole.find_first_not_of('0');
    whole = firstNonZero == std::string::npos ? std::string() : whole.substr(firstNonZero);
    if (whole.size() < minIntDigits) whole.insert(0, minIntDigits - whole.size(), '0');

    const bool isZero = whole.find_first_not_of('0') == std::string::npos &&
                        frac.find_first_not_of('0') == std::string::npos;
    // A value that rounds to zero is shown without a minus sign.
    std::string out = (v < 0 && !isZero) ? "-" : "";
    out += whole;
    if (decimals > 0) {
        out += decimalSeparator;
        out += frac;
    }
    return out;
}

double parseDecimal(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double v = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), v);
    // Beyond the double range there is no number to read.
    if (result.ec != std::errc() || !std::isfinite(v)) return 0.0;
    return v;
}

std::string numberText(double v, int digits) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v > 0 ? "Infinity" : "-Infinity";
    if (v == 0) return "0";
    // to_chars ignores the C locale, which the GUI toolkit sets from the
    // user's settings: the script text must keep "." whatever they are.
    // Scientific form first: it gives the rounded digits and the exponent.
    char buf[64];
    const auto sci = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, digits - 1);
    const std::string_view text(buf, static_cast<size_t>(sci.ptr - buf));
    const size_t e = text.find('e');
    int exponent = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), exponent);
    std::string mantissa;  // the significant digits without trailing zeros
    for (char c : text.substr(0, e))
        if (c >= '0' && c <= '9') mantissa += c;
    while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();
    const int count = static_cast<int>(mantissa.size());

    std::string out = v < 0 ? "-" : "";
    const int before = exponent + 1;         // places before the point
    const int after = count - 1 - exponent;  // places after it
    if (before <= digits && after <= digits) {
        if (exponent < 0) {
            out += "0.";
            out.append(static_cast<size_t>(-exponent - 1), '0');
            out += mantissa;
        } else if (count <= before) {
            out += mantissa;
            out.append(static_cast<size_t>(before - count), '0');
        } else {
            out.append(mantissa, 0, static_cast<size_t>(before));
            out += '.';
            out.append(mantissa, static_cast<size_t>(before));
        }
        return out;
    }
    out += mantissa[0];
    if (count > 1) {
        out += '.';
        out.append(mantissa, 1);
    }
    out += exponent < 0 ? "E-" : "E+";
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude < 10) out += '0';
    out += std::to_string(magnitude);
    return out;
}

std::string numberText15(double v) { return numberText(v, 15); }

std::string shortNumber(double v) {
    std::string s = numberText15(v);
    const bool negative = !s.empty() && s[0] == '-';
    const size_t start = negative ? 1 : 0;
    if (s.compare(start, 2, "0.") == 0) s.erase(start, 1);
    return negative ? s : " " + s;
}

double readLeadingNumber(std::string_view text) {
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') s += c;

    if (s.size() >= 2 && s[0] == '&') {
        const char kind = static_cast<char>(s[1] | 0x20);
        const int base = kind == 'h' ? 16 : kind == 'o' ? 8 : 0;
        if (base == 0) return 0;
        unsigned long long value = 0;
        bool any = false, huge = false;
        double wide = 0;
        for (size_t k = 2; k < s.size(); ++k) {
            const char c = static_cast<char>(s[k] | 0x20);
            int d = -1;
            if (c >= '0' && c <= '9') d = c - '0';
            if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
            if (d < 0 || d >= base) break;
            any = true;
            wide = wide * base + d;
            if (!huge) {
                value = value * static_cast<unsigned>(base) + static_cast<unsigned>(d);
                if (value > 0xFFFFFFFFull) huge = true;
            }
        }
        if (!any) return 0;
        if (huge) return wide;
        // Like the language's literals: up to 16 bits read as an Integer, up
        // to 32 bits as a Long, so &HFFFF is -1.
        if (value <= 0xFFFF) return static_cast<int16_t>(static_cast<uint16_t>(value));
        return static_cast<int32_t>(static_cast<uint32_t>(value));
    }

    size_t k = 0;
    std::string num;
    if (k < s.size() && (s[k] == '+' || s[k] == '-')) num += s[k++];
    bool mantissa = false;
    while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k]))) num += s[k++], mantissa = true;
    if (k < s.size() && s[k] == '.') {
        num += s[k++];
        while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k]))) num += s[k++], mantissa = true;
    }
    if (!mantissa) return 0;
    if (k < s.size() && (s[k] == 'e' || s[k] == 'E' || s[k] == 'd' || s[k] == 'D')) {
        size_t e = k + 1;
        std::string exp = "e";
        if (e < s.size() && (s[e] == '+' || s[e] == '-')) exp += s[e++];
        bool expDigits = false;
        while (e < s.size() && std::isdigit(static_cast<unsigned char>(s[e]))) exp += s[e++], expDigits = true;
        if (expDigits) num += exp;
    }
    return parseDecimal(num);
}

}  // namespace mcplot
