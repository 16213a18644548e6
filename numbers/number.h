// Typed numbers of the calculation state and the number-to-text rules shared
// by every subsystem (labels, tick captions, script text, the script language).
#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

namespace mcplot {

// The four numeric types a state variable may hold, narrowest first.
enum class NumType { Integer, Long, Single, Double };

// A value together with its numeric type. Arithmetic follows the rules of the
// calculation state: +, - and * in the wider type (Integer overflow widens to
// Long, Long overflow to Double, Long with Single gives Double); a quotient is
// Single when both operands are Integer or Single, Double otherwise; a power
// is always Double.
class Number {
public:
    constexpr Number() = default;

    static Number integer(int16_t v) { return Number(NumType::Integer, v); }
    static Number longInt(int32_t v) { return Number(NumType::Long, v); }
    static Number single(float v) { return Number(NumType::Single, v); }
    static Number dbl(double v) { return Number(NumType::Double, v); }

    NumType type() const { return type_; }
    double value() const { return value_; }
    float toSingle() const { return static_cast<float>(value_); }
    operator double() const { return value_; }

    // Inline: the Monte Carlo loop does several of these per throw.
    friend Number operator+(Number l, Number r) { return arith(l, r, Op::Add); }
    friend Number operator-(Number l, Number r) { return arith(l, r, Op::Sub); }
    friend Number operator*(Number l, Number r) { return arith(l, r, Op::Mul); }
    friend Number operator/(Number l, Number r) {
        const double q = l.value() / r.value();
        if (isNarrow(l.type()) && isNarrow(r.type())) return fromSingleResult(q);
        return dbl(q);
    }
    friend Number pow(Number l, Number r);
    Number operator-() const;

private:
    enum class Op { Add, Sub, Mul };

    constexpr Number(NumType t, double v) : type_(t), value_(v) {}

    static bool isIntegral(NumType t) { return t == NumType::Integer || t == NumType::Long; }
    // Integer and Single quotients stay Single.
    static bool isNarrow(NumType t) { return t == NumType::Integer || t == NumType::Single; }

    // Integer results widen to the first type that holds them.
    static Number fromWideInteger(long long v, bool allowInteger) {
        if (allowInteger && v >= INT16_MIN && v <= INT16_MAX) return integer(static_cast<int16_t>(v));
        if (v >= INT32_MIN && v <= INT32_MAX) return longInt(static_cast<int32_t>(v));
        return dbl(static_cast<double>(v));
    }

    // Single results that overflow the single range widen to Double.
    static Number fromSingleResult(double exact) {
        const float f = static_cast<float>(exact);
        if (std::isinf(f) && std::isfinite(exact)) return dbl(exact);
        return single(f);
    }

    template <class T>
    static T apply(T x, T y, Op op) {
        switch (op) {
            case Op::Add:
                return x + y;
            case Op::Sub:
                return x - y;
            default:
                return x * y;
        }
    }

    static Number arith(Number l, Number r, Op op) {
        const NumType a = l.type_, b = r.type_;
        if (isIntegral(a) && isIntegral(b)) {
            const long long v = apply(static_cast<long long>(l.value_), static_cast<long long>(r.value_), op);
            return fromWideInteger(v, a == NumType::Integer && b == NumType::Integer);
        }
        if (a == NumType::Double || b == NumType::Double || a == NumType::Long || b == NumType::Long)
            return dbl(apply(l.value_, r.value_, op));
        // Single with Integer or Single: the double result of two values with
        // at most 24 significant bits rounds correctly to single.
        return fromSingleResult(apply(l.value_, r.value_, op));
    }

    NumType type_ = NumType::Integer;
    double value_ = 0.0;  // always exactly representable in type_
};

// A state variable typed single written from a double.
inline float toSingle(double v) {
    return static_cast<float>(v);
}

// The largest finite single.
inline constexpr double kSingleMax = FLT_MAX;

// Single rounding that saturates at the largest single instead of overflowing
// (and gives 0 for NaN), so that no infinity reaches the canvas or a label.
inline float toSingleSaturated(double v) {
    if (std::isnan(v)) return 0.0f;
    if (v > kSingleMax) return FLT_MAX;
    if (v < -kSingleMax) return -FLT_MAX;
    return static_cast<float>(v);
}

// Rounding to a whole number with halves going to the even neighbour.
double roundHalfEven(double v);

// Rounds to a 16-bit integer, halves to even. Returns false (and leaves out
// untouched) when the value does not fit.
bool toInteger16(double v, int16_t& out);

// Writes v with a format pattern made of '#', '0' and one optional '.':
// "0.000", "0.00", "0", "#0.0", "#000.000". '0' is a mandatory digit, '#' an
// optional one; the value is rounded (halves away from zero, on its exact
// decimal expansion) to the pattern's decimals. decimalSeparator replaces the
// pattern's '.'. Non-finite values give an empty string.
std::string formatPattern(double v, std::string_view pattern, std::string_view decimalSeparator);

// Reads a decimal number written with "." ("-1.5", "2e-3") whatever the C
// locale; 0 for a text that is not one or lies beyond the double range.
double parseDecimal(std::string_view text);

// The language's own text of a number with up to `digits` significant digits
// (15 for a Double, 7 for a Single), "." as separator, no trailing zeros and a
// leading zero before the point ("0.5", "-1.25"). Fixed notation is used when
// the rounded value needs at most `digits` places before the point and at most
// `digits` after it (0.00001 stays "0.00001", 1/30 needs sixteen places and
// becomes "3.33333333333333E-02"); otherwise the exponent form with at least
// two exponent digits ("1E+15", "1.5E-20").
std::string numberText(double v, int digits);
// The Double form: numberText(v, 15).
std::string numberText15(double v);

// The short numeric form: a blank before a value of zero or more and '-' before
// a negative one, no zero before the point when the magnitude is below 1
// (" .5", "-1.25", " 0", " .00001", " 1E-20").
std::string shortNumber(double v);
// The same form, written at the end of out (no temporary text).
void appendShortNumber(std::string& out, double v);
// The digits of numberText15(v) without writing them, where the quick way can
// tell: |v| rounded to `significant` digits (1..15, no trailing zero) and the
// decimal exponent of the first. False for zero, infinities, NaN and values too
// close to a rounding tie or a power of ten; then only the text is sure.
bool quickDigits15(double v, uint64_t& significant, int& count, int& exponent);
// The value the text of numberText15(magnitude) reads back as, for a
// magnitude from 0.1 to 10^15 where the quick way can tell (false elsewhere):
// the number a point's x is in the script, at the cost of a division.
bool quickRounded15(double magnitude, double& rounded);

// Reads the longest leading decimal number of a text the way the parameter box
// is read: blanks, tabs and line feeds anywhere are skipped, '.' is the decimal
// separator, an exponent part belongs to the number, &H and &O introduce
// hexadecimal and octal integers; no leading number gives 0.
double readLeadingNumber(std::string_view text);
// The same reading, and how many of the text's characters other than those
// blanks are left after the number (0 when the number is the whole text).
struct LeadingNumber {
    double value = 0;
    size_t rest = 0;
};
LeadingNumber scanLeadingNumber(std::string_view text);

}  // namespace mcplot
