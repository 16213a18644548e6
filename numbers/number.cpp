#include "numbers/number.h"

#include <bit>
#include <cctype>
#include <charconv>
#include <cfloat>
#include <cstdlib>
#include <cmath>
#include <cstdio>
#include <limits>

namespace mcplot {

Number pow(Number l, Number r) {
    return Number::dbl(std::pow(l.value(), r.value()));
}

Number Number::operator-() const {
    switch (type_) {
        case NumType::Integer:
            return fromWideInteger(-static_cast<long long>(value_), true);
        case NumType::Long:
            return fromWideInteger(-static_cast<long long>(value_), false);
        default:
            return Number(type_, -value_);
    }
}

double roundHalfEven(double v) {
    return std::nearbyint(v);
}

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

    const bool isZero =
        whole.find_first_not_of('0') == std::string::npos && frac.find_first_not_of('0') == std::string::npos;
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

namespace {

// The significant digits of |v| rounded (halves to even on the exact value) to
// at most `digits` places, without trailing zeros, and the decimal exponent of
// the first one.
struct RoundedDigits {
    char digit[24];
    int count = 0;
    int exponent = 0;
};

// Reads "d.ddde[+-]xx" as written by to_chars in scientific form.
void readScientific(const char* first, const char* last, RoundedDigits& out) {
    out.count = 0;
    const char* p = first;
    for (; p != last && *p != 'e'; ++p)
        if (*p != '.') out.digit[out.count++] = *p;
    ++p;  // 'e'
    const bool negative = *p == '-';
    ++p;  // the exponent always carries a sign
    int exponent = 0;
    for (; p != last; ++p) exponent = exponent * 10 + (*p - '0');
    out.exponent = negative ? -exponent : exponent;
}

// Straight from the exact value: correct for every double, but several times
// slower than the shortest form, which the plot loop writes once per point.
void exactRounding(double magnitude, int digits, RoundedDigits& out) {
    char buf[48];
    const auto r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, digits - 1);
    readScientific(buf, r.ptr, out);
}

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The cheapest way, for the usual magnitudes: scale |v| by an exact power of
// ten so that the wanted digits form the whole part. The product is rounded
// once, by at most a sixteenth of a unit (the scaled value stays below 2^50),
// so whenever its fraction is clearly away from a half its nearest whole
// number is the rounded value: whole has `digits` places, the first at the
// decimal exponent. Returns false when it cannot tell.
bool scaledWhole(double magnitude, int digits, uint64_t& whole, int& exponent, double& scaled, int& shift) {
    const int binaryExponent = static_cast<int>((std::bit_cast<uint64_t>(magnitude) >> 52) & 0x7FF) - 1023;
    // floor(log10(magnitude)), possibly one too low
    exponent = (binaryExponent * 78913) >> 18;  // 78913 / 2^18 is just below log10(2)
    const double low = kPowersOfTen[digits - 1], high = kPowersOfTen[digits];
    scaled = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        shift = digits - 1 - exponent;
        if (shift < 0 || shift > 22) return false;
        scaled = magnitude * kPowersOfTen[shift];
        if (scaled < high) break;
        ++exponent;
    }
    // Too close to a power of ten to be sure of the decade.
    if (!(scaled >= low + 1 && scaled < high - 1)) return false;
    whole = static_cast<uint64_t>(scaled + 0.5);
    return std::fabs(scaled - static_cast<double>(whole)) <= 0.4;
}

bool scaledWhole(double magnitude, int digits, uint64_t& whole, int& exponent) {
    double scaled = 0;
    int shift = 0;
    return scaledWhole(magnitude, digits, whole, exponent, scaled, shift);
}

bool scaledRounding(double magnitude, int digits, RoundedDigits& out) {
    uint64_t whole = 0;
    int exponent = 0;
    if (!scaledWhole(magnitude, digits, whole, exponent)) return false;
    uint64_t rest = whole;
    int count = digits;
    // Trailing zeros go eight, then one at a time (whole is not zero): a
    // short argument such as 0.3 has fourteen of them.
    for (; rest % 100000000 == 0; rest /= 100000000) count -= 8;
    for (; rest % 10 == 0; rest /= 10) --count;
    out.count = count;
    out.exponent = exponent;
    for (int k = count - 1; k >= 0; --k, rest /= 10) out.digit[k] = static_cast<char>('0' + rest % 10);
    return true;
}

void roundDigits(double magnitude, int digits, RoundedDigits& out) {
    if (scaledRounding(magnitude, digits, out)) return;
    // The shortest round-trip digits S lie within half a unit of the last
    // place of the double. For a normal double that unit is finer than the
    // spacing of `digits`-digit decimals (digits <= 15), so when S has at most
    // `digits` places it is already the nearest such decimal. When S is
    // longer, no rounding midpoint (a decimal of digits + 1 places) can lie
    // strictly between v and S, or it would be a shorter or closer round-trip
    // form than S; so rounding S gives the same digits as rounding v, except
    // when S is itself a midpoint (its tail is exactly "5"), where only the
    // exact value can tell.
    if (magnitude < DBL_MIN || digits > 15) return exactRounding(magnitude, digits, out);
    char buf[48];
    const auto r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific);
    readScientific(buf, r.ptr, out);
    if (out.count > digits) {
        if (out.count == digits + 1 && out.digit[digits] == '5') return exactRounding(magnitude, digits, out);
        const bool up = out.digit[digits] >= '5';
        out.count = digits;
        if (up) {
            int k = digits - 1;
            while (k >= 0 && out.digit[k] == '9') --k;
            if (k < 0) {
                out.digit[0] = '1';
                out.count = 1;
                ++out.exponent;
                return;
            }
            ++out.digit[k];
            out.count = k + 1;  // the nines after it became zeros
        }
    }
    while (out.count > 1 && out.digit[out.count - 1] == '0') --out.count;
}

// Writes the language's text of a finite non-zero v; returns the end. `out`
// has room for 32 characters.
char* writeNumberText(double v, int digits, char* out) {
    RoundedDigits d;
    roundDigits(std::fabs(v), digits, d);
    // Scientific output keeps trailing zeros in the exact path.
    while (d.count > 1 && d.digit[d.count - 1] == '0') --d.count;
    if (v < 0) *out++ = '-';
    const int count = d.count;
    const int exponent = d.exponent;
    const int before = exponent + 1;         // places before the point
    const int after = count - 1 - exponent;  // places after it
    if (before <= digits && after <= digits) {
        if (exponent < 0) {
            *out++ = '0';
            *out++ = '.';
            for (int k = 0; k < -exponent - 1; ++k) *out++ = '0';
            for (int k = 0; k < count; ++k) *out++ = d.digit[k];
        } else if (count <= before) {
            for (int k = 0; k < count; ++k) *out++ = d.digit[k];
            for (int k = count; k < before; ++k) *out++ = '0';
        } else {
            for (int k = 0; k < before; ++k) *out++ = d.digit[k];
            *out++ = '.';
            for (int k = before; k < count; ++k) *out++ = d.digit[k];
        }
        return out;
    }
    *out++ = d.digit[0];
    if (count > 1) {
        *out++ = '.';
        for (int k = 1; k < count; ++k) *out++ = d.digit[k];
    }
    *out++ = 'E';
    *out++ = exponent < 0 ? '-' : '+';
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude < 10) *out++ = '0';
    return std::to_chars(out, out + 4, magnitude).ptr;
}

}  // namespace

std::string numberText(double v, int digits) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v > 0 ? "Infinity" : "-Infinity";
    if (v == 0) return "0";
    // to_chars ignores the C locale, which the GUI toolkit sets from the
    // user's settings: the script text must keep "." whatever they are.
    char buf[40];
    return std::string(buf, writeNumberText(v, digits, buf));
}

std::string numberText15(double v) {
    return numberText(v, 15);
}

void appendShortNumber(std::string& out, double v) {
    if (!std::isfinite(v) || v == 0) {
        const std::string s = numberText15(v);
        if (s[0] != '-') out += ' ';
        out += s;
        return;
    }
    char buf[40];
    char* text = buf + 1;
    char* end = writeNumberText(v, 15, text);
    if (*text == '-') {
        // "-0.5" becomes "-.5"
        if (text[1] == '0' && text[2] == '.') {
            text[1] = '-';
            ++text;
        }
    } else if (text[0] == '0' && text[1] == '.') {
        // "0.5" becomes " .5"
        text[0] = ' ';
    } else {
        *--text = ' ';
    }
    out.append(text, end);
}

bool quickDigits15(double v, uint64_t& significant, int& count, int& exponent) {
    if (!std::isfinite(v) || v == 0) return false;
    const double magnitude = std::fabs(v);
    uint64_t whole = 0;
    double scaled = 0;
    int shift = 0;
    if (!scaledWhole(magnitude, 15, whole, exponent, scaled, shift)) {
        // Near a half the product's own rounding error decides: it is exact
        // as a fused multiply-add (the power of ten is exact), and the sign
        // of the sum of two doubles is the sign of their exact sum. The
        // decade must be sure, and an exact half is left to the exact way.
        if (shift < 0 || shift > 22 || !(scaled >= 1e14 + 1 && scaled < 1e15 - 1)) return false;
        const double error = std::fma(magnitude, kPowersOfTen[shift], -scaled);
        const double floor = std::floor(scaled);
        const double aboveHalf = (scaled - floor - 0.5) + error;
        if (aboveHalf == 0) return false;
        whole = static_cast<uint64_t>(floor) + (aboveHalf > 0 ? 1 : 0);
    }
    count = 15;
    for (; whole % 100000000 == 0; whole /= 100000000) count -= 8;
    for (; whole % 10 == 0; whole /= 10) --count;
    significant = whole;
    return true;
}

bool quickRounded15(double magnitude, double& rounded) {
    // The upper ends of the decades 10^-1 .. 10^14.
    static constexpr double kDecadeEnds[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (!(magnitude >= 0.1 && magnitude < 1e15)) return false;
    const int binaryExponent = static_cast<int>(std::bit_cast<uint64_t>(magnitude) >> 52) - 1023;
    int exponent = (binaryExponent * 78913) >> 18;  // floor(log10(magnitude)), or one too low
    if (exponent < -1) return false;
    // A comparison rather than a branch on the product: the decade of a
    // random x is a coin toss the processor would guess wrong.
    exponent += magnitude >= kDecadeEnds[exponent + 1] ? 1 : 0;
    const int shift = 14 - exponent;
    if (shift < 0) return false;
    // As in quickDigits15: the 15 digits are the whole number nearest to the
    // exact product, told by the product's own rounding error; an exact
    // half, or a decade that is not sure, is left to the text.
    const double scaled = magnitude * kPowersOfTen[shift];
    if (!(scaled >= 1e14 + 1 && scaled < 1e15 - 1)) return false;
    const double error = std::fma(magnitude, kPowersOfTen[shift], -scaled);
    const auto floor = static_cast<int64_t>(scaled);
    const double aboveHalf = (scaled - static_cast<double>(floor) - 0.5) + error;
    if (aboveHalf == 0) return false;
    // Both exact, so the quotient is the reading's one rounding.
    rounded = static_cast<double>(floor + (aboveHalf > 0 ? 1 : 0)) / kPowersOfTen[shift];
    return true;
}

std::string shortNumber(double v) {
    std::string s;
    appendShortNumber(s, v);
    return s;
}

double readLeadingNumber(std::string_view text) {
    return scanLeadingNumber(text).value;
}

LeadingNumber scanLeadingNumber(std::string_view text) {
    LeadingNumber out;
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') s += c;
    out.rest = s.size();

    if (s.size() >= 2 && s[0] == '&') {
        const char kind = static_cast<char>(s[1] | 0x20);
        const int base = kind == 'h' ? 16 : kind == 'o' ? 8 : 0;
        if (base == 0) return out;
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
            out.rest = s.size() - k - 1;
            wide = wide * base + d;
            if (!huge) {
                value = value * static_cast<unsigned>(base) + static_cast<unsigned>(d);
                if (value > 0xFFFFFFFFull) huge = true;
            }
        }
        if (!any) return out;
        if (huge) {
            out.value = wide;
            return out;
        }
        // Like the language's literals: up to 16 bits read as an Integer, up
        // to 32 bits as a Long, so &HFFFF is -1.
        if (value <= 0xFFFF)
            out.value = static_cast<int16_t>(static_cast<uint16_t>(value));
        else
            out.value = static_cast<int32_t>(static_cast<uint32_t>(value));
        return out;
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
    if (!mantissa) return out;
    if (k < s.size() && (s[k] == 'e' || s[k] == 'E' || s[k] == 'd' || s[k] == 'D')) {
        size_t e = k + 1;
        std::string exp = "e";
        if (e < s.size() && (s[e] == '+' || s[e] == '-')) exp += s[e++];
        bool expDigits = false;
        while (e < s.size() && std::isdigit(static_cast<unsigned char>(s[e])))
            exp += s[e++], expDigits = true;
        if (expDigits) {
            num += exp;
            k = e;
        }
    }
    out.value = parseDecimal(num);
    out.rest = s.size() - k;
    return out;
}

}  // namespace mcplot
