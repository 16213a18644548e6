#include "vbscript/operators.h"

#include "vbscript/formats.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "vbscript/dates.h"
#include "vbscript/text.h"

namespace mcplot::vbs {

namespace {

// Integer subtypes, narrowest first.
int intRank(uint16_t t) {
    switch (t) {
        case vtByte:
            return 0;
        case vtInteger:
            return 1;
        case vtLong:
            return 2;
        default:
            return -1;
    }
}

// The narrowest integer subtype of at least the given rank that holds v;
// beyond Long the value becomes a Double.
Value widenInteger(int64_t v, int rank) {
    if (rank <= 0 && v >= 0 && v <= 255) return Value::byte(static_cast<uint8_t>(v));
    if (rank <= 1 && v >= INT16_MIN && v <= INT16_MAX) return Value::integer(static_cast<int16_t>(v));
    if (v >= INT32_MIN && v <= INT32_MAX) return Value::lng(static_cast<int32_t>(v));
    return Value::dbl(static_cast<double>(v));
}

void rejectNonScalar(const Value& v) {
    if (v.isArray()) raise(err::TypeMismatch);
    if (v.isObject()) raise(v.obj() ? err::NoMember : err::ObjectRequired);
}

Value concat(const Value& a, const Value& b) {
    rejectNonScalar(a);
    rejectNonScalar(b);
    if (a.isNull() && b.isNull()) return Value::null();
    if (a.isString() && endsWithLoneByte(a.s())) [[unlikely]]
        return Value::str(joinBytes(a.s(), b.isNull() ? std::string() : toText(b)));
    if (a.isString() && b.isString()) {
        checkStringSize(a.s().size() + b.s().size());
        std::string s;
        s.reserve(a.s().size() + b.s().size());
        s += a.s();
        s += b.s();
        return Value::str(std::move(s));
    }
    std::string s;
    if (!a.isNull()) appendText(s, a);
    if (!b.isNull()) {
        if (b.isString()) checkStringSize(s.size() + b.s().size());
        appendText(s, b);
    }
    return Value::str(std::move(s));
}

Value arith(BinOp op, const Value& a0, const Value& b0) {
    rejectNonScalar(a0);
    rejectNonScalar(b0);
    if (a0.isNull() || b0.isNull()) return Value::null();
    if (op == BinOp::Add) {
        if (a0.isString() && (b0.isString() || b0.isEmpty())) return concat(a0, b0);
        if (b0.isString() && a0.isEmpty()) return b0;
    }
    const Value a = toArith(a0), b = toArith(b0);
    const uint16_t ta = a.type(), tb = b.type();

    const int ra = intRank(ta), rb = intRank(tb);
    if (ra >= 0 && rb >= 0) {
        const int64_t x = a.i(), y = b.i();
        const int64_t r = op == BinOp::Add ? x + y : op == BinOp::Sub ? x - y : x * y;
        return widenInteger(r, std::max(ra, rb));
    }
    const double x = toDouble(a), y = toDouble(b);
    const double r = op == BinOp::Add ? x + y : op == BinOp::Sub ? x - y : x * y;
    if (ta == vtDate || tb == vtDate) {
        if (op == BinOp::Mul || (op == BinOp::Sub && ta == vtDate && tb == vtDate)) return checkedDouble(r);
        if (!(r >= kMinDate && r <= kMaxDate + 1)) raise(err::Overflow);
        return Value::date(r);
    }
    if (ta == vtDouble || tb == vtDouble) return checkedDouble(r);
    if (ta == vtCurrency || tb == vtCurrency) {
        if (ta == vtSingle || tb == vtSingle) return checkedDouble(r);
        if (ta == vtCurrency && tb == vtCurrency && op != BinOp::Mul) {
            int64_t out = 0;
            const bool bad = op == BinOp::Add ? __builtin_add_overflow(a.i(), b.i(), &out)
                                              : __builtin_sub_overflow(a.i(), b.i(), &out);
            if (bad) raise(err::Overflow);
            return Value::currency(out);
        }
        return Value::currency(roundToRange(r * 10000.0, INT64_MIN + 1, INT64_MAX - 1023));
    }
    // Single with Byte, Integer or Single stays Single; with Long it is Double.
    if (ta == vtLong || tb == vtLong) return checkedDouble(r);
    const float f = static_cast<float>(r);
    if (!std::isfinite(f)) return checkedDouble(r);
    return Value::single(f);
}

Value divide(const Value& a0, const Value& b0) {
    rejectNonScalar(a0);
    rejectNonScalar(b0);
    if (a0.isNull() || b0.isNull()) return Value::null();
    const Value a = toArith(a0), b = toArith(b0);
    const double x = toDouble(a), y = toDouble(b);
    if (y == 0) raise(x == 0 ? err::Overflow : err::DivisionByZero);
    const double q = x / y;
    auto narrow = [](uint16_t t) { return t == vtSingle || t == vtInteger || t == vtByte; };
    if ((a.type() == vtSingle || b.type() == vtSingle) && narrow(a.type()) && narrow(b.type()))
        return checkedSingle(q);
    return checkedDouble(q);
}

// An operand of \ and Mod: rounded halves-to-even to a Long unless it is
// already an integer subtype.
int64_t integralOperand(const Value& v, int& rank) {
    rank = intRank(v.type());
    if (rank >= 0) return v.i();
    rank = 2;
    return toLong(v);
}

Value intDivMod(BinOp op, const Value& a0, const Value& b0) {
    rejectNonScalar(a0);
    rejectNonScalar(b0);
    if (a0.isNull() || b0.isNull()) return Value::null();
    const Value a = toArith(a0), b = toArith(b0);
    int ra = 0, rb = 0;
    const int64_t x = integralOperand(a, ra), y = integralOperand(b, rb);
    if (y == 0) raise(err::DivisionByZero);
    const int64_t r = op == BinOp::IntDiv ? x / y : x % y;
    if (r > INT32_MAX) raise(err::Overflow);
    return widenInteger(r, std::max(ra, rb));
}

// The square, the commonest power in a formula, is one correctly rounded
// product: the value pow gives, at a fraction of its cost.
double raised(double x, double y) {
    return y == 2 ? x * x : std::pow(x, y);
}

Value power(const Value& a0, const Value& b0) {
    rejectNonScalar(a0);
    rejectNonScalar(b0);
    if (a0.isNull() || b0.isNull()) return Value::null();
    const double x = toDouble(toArith(a0)), y = toDouble(toArith(b0));
    if (x < 0 && y != std::trunc(y)) raise(err::InvalidCall);
    if (x == 0 && y < 0) raise(err::InvalidCall);
    return checkedDouble(raised(x, y));
}

// Operands of the logical operators: Boolean stays Boolean, the rest becomes
// an integer of its own width (Long for everything not integral).
struct Bits {
    int64_t v = 0;
    int rank = 1;
    bool boolean = false;
};

Bits bitsOf(const Value& v) {
    Bits b;
    switch (v.type()) {
        case vtBoolean:
            b.v = v.i(), b.boolean = true;
            return b;
        case vtEmpty:
            return b;
        case vtByte:
            b.v = v.i(), b.rank = 0;
            return b;
        case vtInteger:
            b.v = v.i();
            return b;
        case vtLong:
            b.v = v.i(), b.rank = 2;
            return b;
        case vtString:
            if (sameName(v.s(), "true") || sameName(v.s(), "false")) {
                b.v = sameName(v.s(), "true") ? -1 : 0;
                b.boolean = true;
                return b;
            }
            [[fallthrough]];
        default:
            b.v = toLong(v), b.rank = 2;
            return b;
    }
}

Value logical(BinOp op, const Value& a, const Value& b) {
    rejectNonScalar(a);
    rejectNonScalar(b);
    const bool an = a.isNull(), bn = b.isNull();
    if (an || bn) {
        const Bits other = an && bn ? Bits{} : bitsOf(an ? b : a);
        const bool otherNull = an && bn;
        switch (op) {
            case BinOp::And:  // Null And False is False
                if (!otherNull && other.v == 0)
                    return other.boolean ? Value::boolean(false) : widenInteger(0, other.rank);
                return Value::null();
            case BinOp::Or:  // Null Or True is True
                if (!otherNull && other.v == -1)
                    return other.boolean ? Value::boolean(true) : widenInteger(-1, other.rank);
                return Value::null();
            case BinOp::Imp:  // False Imp Null and Null Imp True are True
                if (!otherNull && an && other.v == -1)
                    return other.boolean ? Value::boolean(true) : widenInteger(-1, other.rank);
                if (!otherNull && bn && a.type() != vtNull && other.v == 0)
                    return other.boolean ? Value::boolean(true) : widenInteger(-1, other.rank);
                return Value::null();
            default:
                return Value::null();
        }
    }
    const Bits x = bitsOf(a), y = bitsOf(b);
    int64_t r = 0;
    switch (op) {
        case BinOp::And:
            r = x.v & y.v;
            break;
        case BinOp::Or:
            r = x.v | y.v;
            break;
        case BinOp::Xor:
            r = x.v ^ y.v;
            break;
        case BinOp::Eqv:
            r = ~(x.v ^ y.v);
            break;
        default:
            r = ~x.v | y.v;
            break;
    }
    if (x.boolean && y.boolean) return Value::boolean(r != 0);
    const int rank = std::max(x.boolean ? 1 : x.rank, y.boolean ? 1 : y.rank);
    if (rank == 0) return Value::byte(static_cast<uint8_t>(r & 0xFF));
    if (rank == 1) return Value::integer(static_cast<int16_t>(r));
    return Value::lng(static_cast<int32_t>(r));
}

Value identity(const Value& a, const Value& b) {
    if (!a.isObject() || !b.isObject()) raise(err::ObjectRequired);
    const void* pa = a.obj() ? static_cast<const void*>(a.obj()->host.get()) : nullptr;
    const void* pb = b.obj() ? static_cast<const void*>(b.obj()->host.get()) : nullptr;
    // Wrappers of the same added object are the same object; others are themselves.
    if (a.obj() && a.obj()->which != ObjObj::Host) pa = a.obj();
    if (b.obj() && b.obj()->which != ObjObj::Host) pb = b.obj();
    return Value::boolean(pa == pb);
}

}  // namespace

bool compareValues(const Value& a, const Value& b, int& result, bool textCompare) {
    if (a.isObject() || b.isObject()) [[unlikely]]
        return compareValues(a.isObject() ? objectDefault(a) : a, b.isObject() ? objectDefault(b) : b, result,
                             textCompare);
    rejectNonScalar(a);
    rejectNonScalar(b);
    if (a.isNull() || b.isNull()) return false;
    const bool as = a.isString(), bs = b.isString();
    if (as || bs) {
        if (as && bs)
            result = compareText(a.s(), b.s(), textCompare);
        else if (as && b.isEmpty())
            result = a.s().empty() ? 0 : 1;
        else if (bs && a.isEmpty())
            result = b.s().empty() ? 0 : -1;
        else
            result = as ? 1 : -1;  // a number is less than any string
        return true;
    }
    const int ra = intRank(a.type()), rb = intRank(b.type());
    if ((ra >= 0 || a.type() == vtBoolean || a.isEmpty()) &&
        (rb >= 0 || b.type() == vtBoolean || b.isEmpty())) {
        const int64_t x = a.i(), y = b.i();
        result = x < y ? -1 : x > y ? 1 : 0;
        return true;
    }
    if (a.type() == vtCurrency && b.type() == vtCurrency) {
        result = a.i() < b.i() ? -1 : a.i() > b.i() ? 1 : 0;
        return true;
    }
    const double x = toDouble(a), y = toDouble(b);
    result = x < y ? -1 : x > y ? 1 : 0;
    return true;
}

namespace {
bool plainNumber(uint16_t t) {
    return t == vtDouble || t == vtInteger || t == vtLong;
}
double asDouble(const Value& v) {
    return v.type() == vtDouble ? v.d() : static_cast<double>(v.i());
}

// The operators on Integer, Long and Double operands, the commonest in a
// plotted expression, without the general conversions; same results.
bool plainBinary(BinOp op, const Value& a, const Value& b, Value& out) {
    const bool integral = a.type() != vtDouble && b.type() != vtDouble;
    switch (op) {
        case BinOp::Add:
        case BinOp::Sub:
        case BinOp::Mul:
            if (integral) {
                const int64_t x = a.i(), y = b.i();
                const int64_t r = op == BinOp::Add ? x + y : op == BinOp::Sub ? x - y : x * y;
                out = widenInteger(r, std::max(intRank(a.type()), intRank(b.type())));
            } else {
                const double x = asDouble(a), y = asDouble(b);
                out = checkedDouble(op == BinOp::Add ? x + y : op == BinOp::Sub ? x - y : x * y);
            }
            return true;
        case BinOp::Div: {
            const double x = asDouble(a), y = asDouble(b);
            if (y == 0) raise(x == 0 ? err::Overflow : err::DivisionByZero);
            out = checkedDouble(x / y);
            return true;
        }
        case BinOp::Pow: {
            const double x = asDouble(a), y = asDouble(b);
            if (x < 0 && y != std::trunc(y)) raise(err::InvalidCall);
            if (x == 0 && y < 0) raise(err::InvalidCall);
            out = checkedDouble(raised(x, y));
            return true;
        }
        case BinOp::Eq:
        case BinOp::Ne:
        case BinOp::Lt:
        case BinOp::Gt:
        case BinOp::Le:
        case BinOp::Ge: {
            const double x = asDouble(a), y = asDouble(b);
            bool r = false;
            switch (op) {
                case BinOp::Eq:
                    r = x == y;
                    break;
                case BinOp::Ne:
                    r = x != y;
                    break;
                case BinOp::Lt:
                    r = x < y;
                    break;
                case BinOp::Gt:
                    r = x > y;
                    break;
                case BinOp::Le:
                    r = x <= y;
                    break;
                default:
                    r = x >= y;
                    break;
            }
            out = Value::boolean(r);
            return true;
        }
        default:
            return false;
    }
}
}  // namespace

Value binary(BinOp op, const Value& a, const Value& b) {
    if (plainNumber(a.type()) && plainNumber(b.type())) {
        Value out;
        if (plainBinary(op, a, b, out)) return out;
    }
    // An object operand stands for its default member, except for Is.
    if ((a.isObject() || b.isObject()) && op != BinOp::Is) [[unlikely]]
        return binary(op, a.isObject() ? objectDefault(a) : a, b.isObject() ? objectDefault(b) : b);
    switch (op) {
        case BinOp::Add:
        case BinOp::Sub:
        case BinOp::Mul:
            return arith(op, a, b);
        case BinOp::Div:
            return divide(a, b);
        case BinOp::IntDiv:
        case BinOp::Mod:
            return intDivMod(op, a, b);
        case BinOp::Pow:
            return power(a, b);
        case BinOp::Concat:
            return concat(a, b);
        case BinOp::Is:
            return identity(a, b);
        case BinOp::And:
        case BinOp::Or:
        case BinOp::Xor:
        case BinOp::Eqv:
        case BinOp::Imp:
            return logical(op, a, b);
        default:
            break;
    }
    int c = 0;
    if (!compareValues(a, b, c)) return Value::null();
    switch (op) {
        case BinOp::Eq:
            return Value::boolean(c == 0);
        case BinOp::Ne:
            return Value::boolean(c != 0);
        case BinOp::Lt:
            return Value::boolean(c < 0);
        case BinOp::Gt:
            return Value::boolean(c > 0);
        case BinOp::Le:
            return Value::boolean(c <= 0);
        default:
            return Value::boolean(c >= 0);
    }
}

Value negate(const Value& a0) {
    if (a0.isObject()) return negate(objectDefault(a0));
    rejectNonScalar(a0);
    const Value a = toArith(a0);
    switch (a.type()) {
        case vtNull:
            return a;
        case vtByte:
        case vtInteger:
            return widenInteger(-a.i(), 1);
        case vtLong:
            return widenInteger(-a.i(), 2);
        case vtCurrency:
            if (a.i() == INT64_MIN) raise(err::Overflow);
            return Value::currency(-a.i());
        case vtSingle:
            return Value::single(static_cast<float>(-a.d()));
        case vtDate:
            return Value::date(-a.d());
        default:
            return Value::dbl(-a.d());
    }
}

Value logicalNot(const Value& a) {
    if (a.isObject()) return logicalNot(objectDefault(a));
    rejectNonScalar(a);
    if (a.isNull()) return a;
    const Bits x = bitsOf(a);
    if (x.boolean) return Value::boolean(x.v == 0);
    if (x.rank == 0) return Value::byte(static_cast<uint8_t>(~x.v & 0xFF));
    if (x.rank == 1) return Value::integer(static_cast<int16_t>(~x.v));
    return Value::lng(static_cast<int32_t>(~x.v));
}

}  // namespace mcplot::vbs
