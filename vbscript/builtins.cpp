#include "vbscript/builtins.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <iterator>

#include "vbscript/dates.h"
#include "vbscript/formats.h"
#include "vbscript/interpreter.h"
#include "vbscript/locale.h"
#include "vbscript/operators.h"
#include "vbscript/parser.h"
#include "vbscript/text.h"

namespace mcplot::vbs {

namespace {

using Args = Value*;

// ---- argument helpers ----

bool anyNull(Args a, int n) {
    for (int k = 0; k < n; ++k)
        if (a[k].isNull()) return true;
    return false;
}

int32_t longArg(const Value& v) {
    if (v.isNull()) raise(err::InvalidNull);
    return toLong(v);
}

std::string textArg(const Value& v) {
    if (v.isArray()) raise(err::TypeMismatch);
    return toText(v);
}

// Whether optional argument k was passed: present and not an empty slot.
bool given(Args a, int n, int k) {
    return k < n && !a[k].isMissing();
}

bool textCompareArg(Args a, int n, int index) {
    if (!given(a, n, index)) return false;
    const int32_t c = longArg(a[index]);
    if (c != 0 && c != 1) raise(err::InvalidCall);
    return c == 1;
}

Value longValue(int64_t v) {
    return Value::lng(static_cast<int32_t>(v));
}

// A long search looks at the script's clock between slices of the text and
// counts as work for the evaluator's own look at it.
SearchPacer pacerFor(Interpreter& in) {
    return [&in] {
        addWorkBytes(size_t{1} << 20);
        in.checkTime();
    };
}

// Calls the pacer once per 1024 matches: a text with a match every few bytes
// is searched in many short calls, none of which reaches the pacer itself.
class MatchPacer {
public:
    explicit MatchPacer(const SearchPacer& pace) : pace_(pace) {}
    void operator()() {
        if ((++matches_ & 0x3FF) == 0 && pace_) pace_();
    }

private:
    const SearchPacer& pace_;
    uint32_t matches_ = 0;
};

// ---- math ----

Value mathFn(Args a, double (*f)(double)) {
    if (a[0].isNull()) return Value::null();
    return checkedDouble(f(toDouble(toArith(a[0]))));
}

Value fnAbs(Interpreter&, Args a, int) {
    const Value v = toArith(a[0]);
    switch (v.type()) {
        case vtNull:
            return v;
        case vtByte:
            return v;
        case vtInteger:
            return v.i() == INT16_MIN ? Value::lng(32768)
                                      : Value::integer(static_cast<int16_t>(std::llabs(v.i())));
        case vtLong:
            return v.i() == INT32_MIN ? Value::dbl(2147483648.0)
                                      : Value::lng(static_cast<int32_t>(std::llabs(v.i())));
        case vtCurrency:
            return negate(v).i() > 0 ? negate(v) : v;
        case vtSingle:
            return Value::single(static_cast<float>(std::fabs(v.d())));
        default:
            return Value::dbl(std::fabs(v.d()));
    }
}

Value fnAtn(Interpreter&, Args a, int) {
    return mathFn(a, [](double x) { return std::atan(x); });
}
Value fnCos(Interpreter&, Args a, int) {
    return mathFn(a, [](double x) { return std::cos(x); });
}
Value fnSin(Interpreter&, Args a, int) {
    return mathFn(a, [](double x) { return std::sin(x); });
}
Value fnTan(Interpreter&, Args a, int) {
    return mathFn(a, [](double x) { return std::tan(x); });
}
Value fnExp(Interpreter&, Args a, int) {
    return mathFn(a, [](double x) { return std::exp(x); });
}
Value fnLog(Interpreter&, Args a, int) {
    if (!a[0].isNull() && !(toDouble(toArith(a[0])) > 0)) raise(err::InvalidCall);
    return mathFn(a, [](double x) { return std::log(x); });
}
Value fnSqr(Interpreter&, Args a, int) {
    if (!a[0].isNull() && toDouble(toArith(a[0])) < 0) raise(err::InvalidCall);
    return mathFn(a, [](double x) { return std::sqrt(x); });
}

Value wholePart(const Value& a0, bool floorIt) {
    const Value v = toArith(a0);
    auto cut = [floorIt](double x) { return floorIt ? std::floor(x) : std::trunc(x); };
    switch (v.type()) {
        case vtNull:
        case vtByte:
        case vtInteger:
        case vtLong:
            return v;
        case vtSingle:
            return Value::single(static_cast<float>(cut(v.d())));
        case vtCurrency: {
            const int64_t whole = v.i() / 10000 * 10000;
            return Value::currency(floorIt && v.i() < whole ? whole - 10000 : whole);
        }
        case vtDate:
            return Value::date(cut(v.d()));
        default:
            return Value::dbl(cut(v.d()));
    }
}
Value fnInt(Interpreter&, Args a, int) {
    return wholePart(a[0], true);
}
Value fnFix(Interpreter&, Args a, int) {
    return wholePart(a[0], false);
}

Value fnRound(Interpreter&, Args a, int n) {
    if (given(a, n, 1) && a[1].isNull()) raise(err::InvalidNull);
    const int32_t places = given(a, n, 1) ? toLong(a[1]) : 0;
    if (places < 0) raise(err::InvalidCall);
    const Value v = toArith(a[0]);
    switch (v.type()) {
        case vtNull:
        case vtByte:
        case vtInteger:
        case vtLong:
            return v;
        default:
            break;
    }
    const double x = toDouble(v);
    double r = x;
    if (places <= 22) {
        const double scale = std::pow(10.0, places);
        const double scaled = x * scale;
        if (std::isfinite(scaled) && std::fabs(scaled) < 4.5e15) r = std::nearbyint(scaled) / scale;
    }
    if (v.type() == vtSingle) return Value::single(static_cast<float>(r));
    if (v.type() == vtCurrency)
        return Value::currency(roundToRange(r * 10000.0, INT64_MIN + 1, INT64_MAX - 1023));
    return Value::dbl(r);
}

Value fnSgn(Interpreter&, Args a, int) {
    if (a[0].isNull()) return Value::null();
    const double x = toDouble(toArith(a[0]));
    return Value::integer(static_cast<int16_t>(x > 0 ? 1 : x < 0 ? -1 : 0));
}

Value fnRnd(Interpreter& in, Args a, int n) {
    double arg = 1;
    if (given(a, n, 0)) {
        if (a[0].isNull()) raise(err::InvalidNull);
        arg = toDouble(toArith(a[0]));
    }
    return Value::single(static_cast<float>(in.rnd(arg)));
}

Value fnRandomize(Interpreter& in, Args a, int n) {
    const bool seeded = given(a, n, 0);
    if (seeded && a[0].isNull()) raise(err::InvalidNull);
    in.randomize(seeded, seeded ? toDouble(toArith(a[0])) : 0);
    return Value();
}

// ---- conversions ----

Value notNull(const Value& v) {
    if (v.isNull()) raise(err::InvalidNull);
    if (v.isArray()) raise(err::TypeMismatch);
    return v;
}

Value fnCBool(Interpreter&, Args a, int) {
    return Value::boolean(toBool(notNull(a[0])));
}
Value fnCByte(Interpreter&, Args a, int) {
    return Value::byte(static_cast<uint8_t>(roundToRange(toDouble(notNull(a[0])), 0, 255)));
}
Value fnCCur(Interpreter&, Args a, int) {
    const Value v = notNull(a[0]);
    if (v.type() == vtCurrency) return v;
    return Value::currency(roundToRange(toDouble(v) * 10000.0, INT64_MIN + 1, INT64_MAX - 1023));
}
Value fnCDbl(Interpreter&, Args a, int) {
    return checkedDouble(toDouble(notNull(a[0])));
}
Value fnCInt(Interpreter&, Args a, int) {
    return Value::integer(toInteger(notNull(a[0])));
}
Value fnCLng(Interpreter&, Args a, int) {
    return Value::lng(toLong(notNull(a[0])));
}
Value fnCSng(Interpreter&, Args a, int) {
    return checkedSingle(toDouble(notNull(a[0])));
}
Value fnCStr(Interpreter&, Args a, int) {
    return Value::str(toText(notNull(a[0])));
}

// A date from a Date, a number or a text that reads as a date or a number.
double dateOf(const Value& v) {
    double d = 0;
    if (v.type() == vtDate) return v.d();
    if (v.isString()) {
        if (parseDate(v.s(), d)) return d;
        if (!parseNumber(v.s(), d)) raise(err::TypeMismatch);
    } else {
        d = toDouble(v);
    }
    if (!(d >= kMinDate && d <= kMaxDate + 1)) raise(err::InvalidCall);
    return d;
}

Value fnCDate(Interpreter&, Args a, int) {
    const Value v = notNull(a[0]);
    if (v.isString()) {
        double d = 0;
        if (parseDate(v.s(), d)) return Value::date(d);
    }
    const double d = toDouble(v);
    if (!(d >= kMinDate && d <= kMaxDate + 1)) raise(err::Overflow);
    return Value::date(d);
}

Value radixText(const Value& v0, int bitsPerDigit) {
    if (v0.isNull()) return Value::null();
    const Value v = toArith(v0);
    uint32_t bits = 0;
    if (v.type() == vtInteger || v.type() == vtByte)
        bits = static_cast<uint16_t>(v.i());
    else
        bits = static_cast<uint32_t>(toLong(v));
    const char* digits = "0123456789ABCDEF";
    char buf[16];
    int k = 16;
    do {
        buf[--k] = digits[bits & ((1u << bitsPerDigit) - 1)];
        bits >>= bitsPerDigit;
    } while (bits != 0);
    return Value::str(std::string(buf + k, buf + 16));
}
Value fnHex(Interpreter&, Args a, int) {
    return radixText(a[0], 4);
}
Value fnOct(Interpreter&, Args a, int) {
    return radixText(a[0], 3);
}

// ---- inspection ----

Value fnIsNumeric(Interpreter&, Args a, int) {
    const Value& v = a[0];
    double d = 0;
    switch (v.type()) {
        case vtNull:
        case vtDate:
        case vtObject:
        case vtArray:
            return Value::boolean(false);
        case vtString:
            try {
                return Value::boolean(parseNumber(v.s(), d));
            } catch (const ScriptError&) {
                return Value::boolean(false);  // too large for a Double
            }
        default:
            return Value::boolean(true);
    }
}
Value fnIsEmpty(Interpreter&, Args a, int) {
    return Value::boolean(a[0].isEmpty());
}
Value fnIsNull(Interpreter&, Args a, int) {
    return Value::boolean(a[0].isNull());
}
Value fnIsArray(Interpreter&, Args a, int) {
    return Value::boolean(a[0].isArray());
}
Value fnIsObject(Interpreter&, Args a, int) {
    return Value::boolean(a[0].isObject());
}
Value fnIsDate(Interpreter&, Args a, int) {
    double d = 0;
    if (a[0].type() == vtDate) return Value::boolean(true);
    return Value::boolean(a[0].isString() && parseDate(a[0].s(), d));
}
Value fnTypeName(Interpreter&, Args a, int) {
    return Value::str(typeName(a[0]));
}
// An object with a default property has the type of that property's value; a
// default method that wants arguments leaves it an object.
bool hasDefault(const Value& v) {
    const ObjObj* o = v.isObject() ? v.obj() : nullptr;
    if (!o) return false;
    if (o->which == ObjObj::ErrObject) return o->engine != nullptr;
    if (o->which != ObjObj::Instance || !o->cls || !o->cls->defaultGet) return false;
    const Proc& p = o->cls->defaultGet->proc;
    return p.chunk->nodes[static_cast<size_t>(p.node)].a < 0;
}
Value fnVarType(Interpreter&, Args a, int) {
    if (hasDefault(a[0])) return Value::integer(static_cast<int16_t>(varType(objectDefault(a[0]))));
    return Value::integer(static_cast<int16_t>(varType(a[0])));
}

// ---- strings ----
// Positions and counts are in characters (see text.h); the text stays UTF-8.

Value fnLen(Interpreter&, Args a, int) {
    if (a[0].isNull()) return Value::null();
    if (a[0].isString()) {
        // A lone byte at the end is half a character: Len(ChrB(65)) is 0.
        const std::string& s = a[0].s();
        return longValue(static_cast<int64_t>(charCount(s)) - (endsWithLoneByte(s) ? 1 : 0));
    }
    return longValue(static_cast<int64_t>(charCount(textArg(a[0]))));
}

size_t countArg(const Value& v) {
    const int32_t n = longArg(v);
    if (n < 0) raise(err::InvalidCall);
    return static_cast<size_t>(n);
}

Value fnLeft(Interpreter&, Args a, int) {
    const size_t n = countArg(a[1]);
    if (a[0].isNull()) return Value::null();
    const std::string s = textArg(a[0]);
    return Value::str(s.substr(0, byteOffset(s, n)));
}
Value fnRight(Interpreter&, Args a, int) {
    const size_t n = countArg(a[1]);
    if (a[0].isNull()) return Value::null();
    const std::string s = textArg(a[0]);
    const size_t total = charCount(s);
    return Value::str(n >= total ? s : s.substr(byteOffset(s, total - n)));
}
Value fnMid(Interpreter&, Args a, int n) {
    const int32_t start = longArg(a[1]);
    if (start < 1) raise(err::InvalidCall);
    const size_t len = given(a, n, 2) ? countArg(a[2]) : std::string::npos;
    if (a[0].isNull()) return Value::null();
    const std::string s = textArg(a[0]);
    const size_t b = byteOffset(s, static_cast<size_t>(start) - 1);
    if (b >= s.size()) return Value::str("");
    const std::string_view rest = std::string_view(s).substr(b);
    return Value::str(len == std::string::npos ? rest : rest.substr(0, byteOffset(rest, len)));
}

// The arguments of InStr and InStrB: ([start,] string1, string2 [, compare]),
// the texts folded for a text comparison. False when either text is Null.
struct SearchArgs {
    int32_t start = 1;
    std::string hay, needle;
};
bool readSearchArgs(Args a, int n, SearchArgs& out) {
    int first = 0;
    if (n >= 3) {
        if (!a[0].isMissing()) out.start = longArg(a[0]);
        if (out.start < 1) raise(err::InvalidCall);
        first = 1;
    }
    const bool text = textCompareArg(a, n, 3);
    if (a[first].isNull() || a[first + 1].isNull()) return false;
    out.hay = textArg(a[first]);
    out.needle = textArg(a[first + 1]);
    if (text) out.hay = foldText(out.hay), out.needle = foldText(out.needle);
    return true;
}

Value fnInStr(Interpreter& in, Args a, int n) {
    SearchArgs s;
    if (!readSearchArgs(a, n, s)) return Value::null();
    const int32_t start = s.start;
    const std::string& hay = s.hay;
    const std::string& needle = s.needle;
    const size_t skipped = static_cast<size_t>(start) - 1;
    const size_t from = byteOffset(hay, skipped);
    if (from >= hay.size()) return Value::lng(0);
    if (needle.empty()) return Value::lng(start);
    const size_t p = findText(hay, needle, from, pacerFor(in));
    if (p == std::string::npos) return Value::lng(0);
    return longValue(static_cast<int64_t>(skipped + charCount(std::string_view(hay).substr(from, p - from))) +
                     1);
}

Value fnInStrRev(Interpreter& in, Args a, int n) {
    const int32_t start = given(a, n, 2) ? longArg(a[2]) : -1;
    if (start == 0 || start < -1) raise(err::InvalidCall);
    const bool text = textCompareArg(a, n, 3);
    if (a[0].isNull() || a[1].isNull()) return Value::null();
    std::string hay = textArg(a[0]), needle = textArg(a[1]);
    if (text) hay = foldText(hay), needle = foldText(needle);
    const size_t total = charCount(hay);
    const size_t limit = start == -1 ? total : static_cast<size_t>(start);
    if (limit > total) return Value::lng(0);
    if (needle.empty()) return longValue(static_cast<int64_t>(limit));
    // The match has to end by character number `limit`.
    const std::string_view within = std::string_view(hay).substr(0, byteOffset(hay, limit));
    if (needle.size() > within.size()) return Value::lng(0);
    const size_t p = rfindText(within, needle, within.size() - needle.size(), pacerFor(in));
    return longValue(p == std::string::npos ? 0 : static_cast<int64_t>(charsBefore(hay, p)) + 1);
}

Value caseMap(const Value& v, bool upper) {
    if (v.isNull()) return v;
    const std::string s = textArg(v);
    return Value::str(upper ? upperText(s) : lowerText(s));
}
Value fnLCase(Interpreter&, Args a, int) {
    return caseMap(a[0], false);
}
Value fnUCase(Interpreter&, Args a, int) {
    return caseMap(a[0], true);
}

// A space byte is never part of a longer character, so bytes do here.
Value trimmed(const Value& v, bool left, bool right) {
    if (v.isNull()) return v;
    const std::string s = textArg(v);
    size_t b = 0, e = s.size();
    if (left)
        while (b < e && s[b] == ' ') ++b;
    if (right)
        while (e > b && s[e - 1] == ' ') --e;
    return Value::str(s.substr(b, e - b));
}
Value fnLTrim(Interpreter&, Args a, int) {
    return trimmed(a[0], true, false);
}
Value fnRTrim(Interpreter&, Args a, int) {
    return trimmed(a[0], false, true);
}
Value fnTrim(Interpreter&, Args a, int) {
    return trimmed(a[0], true, true);
}

Value fnReplace(Interpreter& in, Args a, int n) {
    if (a[0].isNull()) return Value::null();
    if (a[1].isNull() || a[2].isNull()) raise(err::InvalidNull);
    const int32_t start = given(a, n, 3) ? longArg(a[3]) : 1;
    const int32_t count = given(a, n, 4) ? longArg(a[4]) : -1;
    if (start < 1 || count < -1) raise(err::InvalidCall);
    const bool text = textCompareArg(a, n, 5);
    const std::string s = textArg(a[0]), find = textArg(a[1]), with = textArg(a[2]);
    // The result begins at start, as the language defines.
    const size_t b = byteOffset(s, static_cast<size_t>(start) - 1);
    if (b >= s.size()) return Value::str("");
    const std::string tail = s.substr(b);
    if (find.empty() || count == 0) return Value::str(tail);
    // Folding keeps byte offsets, so matches in the folded text are offsets in tail.
    const std::string hay = text ? foldText(tail) : tail;
    const std::string key = text ? foldText(find) : find;
    const SearchPacer pace = pacerFor(in);
    MatchPacer paceMatches(pace);
    std::string out;
    size_t from = 0;
    int32_t done = 0;
    for (;;) {
        const size_t p = (count == -1 || done < count) ? findText(hay, key, from, pace) : std::string::npos;
        if (p == std::string::npos) break;
        paceMatches();
        checkStringSize(out.size() + (p - from) + with.size());
        out.append(tail, from, p - from);
        out += with;
        from = p + key.size();
        ++done;
    }
    checkStringSize(out.size() + tail.size() - from);
    out.append(tail, from, std::string::npos);
    return Value::str(std::move(out));
}

Value fnSpace(Interpreter&, Args a, int) {
    const size_t n = countArg(a[0]);
    checkStringSize(n);
    return Value::str(std::string(n, ' '));
}

// n copies of one character; the memory limits count its bytes.
Value repeated(size_t n, std::string_view ch) {
    checkStringSize(n * ch.size());
    if (ch.size() == 1) return Value::str(std::string(n, ch[0]));
    std::string out;
    out.reserve(n * ch.size());
    for (size_t k = 0; k < n; ++k) out += ch;
    return Value::str(std::move(out));
}

Value fnString(Interpreter&, Args a, int) {
    const size_t n = countArg(a[0]);
    if (a[1].isNull()) return Value::null();
    if (a[1].isString()) {
        const std::string& s = a[1].s();
        if (s.empty()) raise(err::InvalidCall);
        return repeated(n, std::string_view(s).substr(0, charBytes(s, 0)));
    }
    // A number is an ANSI code, taken modulo 256.
    std::string ch;
    appendChar(ch, fromCp1251(static_cast<uint8_t>(static_cast<uint32_t>(toLong(a[1])) & 0xFF)));
    return repeated(n, ch);
}

Value fnStrReverse(Interpreter&, Args a, int) {
    const std::string s = toText(notNull(a[0]));
    if (isAscii(s)) return Value::str(std::string(s.rbegin(), s.rend()));
    std::string out(s.size(), '\0');
    for (size_t pos = 0; pos < s.size();) {
        const size_t n = charBytes(s, pos);
        s.copy(out.data() + (s.size() - pos - n), n, pos);
        pos += n;
    }
    return Value::str(std::move(out));
}

Value fnStrComp(Interpreter&, Args a, int n) {
    const bool text = textCompareArg(a, n, 2);
    if (a[0].isNull() || a[1].isNull()) return Value::null();
    int c = 0;
    compareValues(Value::str(textArg(a[0])), Value::str(textArg(a[1])), c, text);
    return Value::integer(static_cast<int16_t>(c));
}

// The first character of a non-empty text.
uint32_t firstChar(const Value& v) {
    const std::string s = toText(notNull(v));
    if (s.empty()) raise(err::InvalidCall);
    size_t n = 0;
    const uint32_t cp = decodeChar(s, 0, n);
    // A single byte is no character: Asc(ChrB(65)) has nothing to read.
    if (cp >= kLoneByte && cp <= kLoneByte + 0xFF) raise(err::InvalidCall);
    return cp;
}

// The first UTF-16 code unit: a character beyond U+FFFF gives its high surrogate.
uint16_t firstCodeUnit(const Value& v) {
    const uint32_t cp = firstChar(v);
    if (cp <= 0xFFFF) return static_cast<uint16_t>(cp);
    if (cp > 0x10FFFF) return static_cast<uint16_t>(kReplacementChar);
    return static_cast<uint16_t>(0xD800 + ((cp - 0x10000) >> 10));
}

// Asc and Chr use the ANSI code page of a Russian system, Windows-1251.
Value fnAsc(Interpreter&, Args a, int) {
    return Value::integer(toCp1251(firstChar(a[0])));
}
Value fnAscW(Interpreter&, Args a, int) {
    return Value::integer(static_cast<int16_t>(firstCodeUnit(a[0])));
}
// The low byte of the first code unit; ChrB makes the character of that byte back.
Value fnAscB(Interpreter&, Args a, int) {
    const std::string s = textArg(notNull(a[0]));
    if (s.empty()) raise(err::InvalidCall);
    const std::string bytes = toUtf16Bytes(std::string_view(s).substr(0, charBytes(s, 0)));
    return Value::integer(static_cast<unsigned char>(bytes[0]));
}

Value charText(uint32_t cp) {
    std::string s;
    appendChar(s, cp);
    return Value::str(std::move(s));
}

Value fnChr(Interpreter&, Args a, int) {
    const int32_t c = longArg(a[0]);
    if (c < 0 || c > 255) raise(err::InvalidCall);
    return charText(fromCp1251(static_cast<uint8_t>(c)));
}

// One byte, not a character: LenB(ChrB(65)) is 1.
Value fnChrB(Interpreter&, Args a, int) {
    const int32_t c = longArg(a[0]);
    if (c < 0 || c > 255) raise(err::InvalidCall);
    return charText(kLoneByte + static_cast<uint32_t>(c));
}

Value fnChrW(Interpreter&, Args a, int) {
    int32_t c = longArg(a[0]);
    if (c < -32768 || c > 65535) raise(err::InvalidCall);
    if (c < 0) c += 65536;
    return charText(static_cast<uint32_t>(c));
}

Value fnJoin(Interpreter&, Args a, int n) {
    if (!a[0].isArray() || a[0].arr()->ubounds.size() > 1) raise(err::TypeMismatch);
    const std::string delim = given(a, n, 1) ? toText(notNull(a[1])) : " ";
    std::string out;
    bool first = true;
    for (const Value& v : a[0].arr()->items) {
        const std::string t = v.isNull() ? std::string() : textArg(v);
        checkStringSize(out.size() + t.size() + delim.size());
        if (!first) out += delim;
        out += t;
        first = false;
    }
    return Value::str(std::move(out));
}

Value fnSplit(Interpreter& in, Args a, int n) {
    if (a[0].isNull()) raise(err::InvalidNull);
    const std::string s = textArg(a[0]);
    const std::string delim = given(a, n, 1) ? toText(notNull(a[1])) : " ";
    const int32_t limit = given(a, n, 2) ? longArg(a[2]) : -1;
    if (limit < -1) raise(err::InvalidCall);
    const bool text = textCompareArg(a, n, 3);
    std::vector<std::string> parts;
    if (!s.empty()) {
        const std::string hay = text ? foldText(s) : s, key = text ? foldText(delim) : delim;
        const SearchPacer pace = pacerFor(in);
        MatchPacer paceMatches(pace);
        size_t from = 0;
        while (!key.empty() && (limit == -1 || static_cast<int32_t>(parts.size()) < limit - 1)) {
            const size_t p = findText(hay, key, from, pace);
            if (p == std::string::npos) break;
            paceMatches();
            // Many tiny parts cost far more than their text: count them too.
            if ((parts.size() + 2) * (sizeof(Value) + sizeof(std::string)) > kMaxLiveBytes)
                raise(err::OutOfMemory);
            parts.push_back(s.substr(from, p - from));
            from = p + key.size();
        }
        if (limit != 0) parts.push_back(s.substr(from));
    }
    auto* arr = new ArrObj({static_cast<int32_t>(parts.size()) - 1}, false);
    Value result = Value::array(arr);
    for (size_t k = 0; k < parts.size(); ++k) arr->items[k] = Value::str(std::move(parts[k]));
    return result;
}

// ---- dates and times ----

Value datePart(const Value& v, int DateParts::*field) {
    if (v.isNull()) return v;
    return Value::integer(static_cast<int16_t>(splitDate(dateOf(v)).*field));
}
Value fnYear(Interpreter&, Args a, int) {
    return datePart(a[0], &DateParts::year);
}
Value fnMonth(Interpreter&, Args a, int) {
    return datePart(a[0], &DateParts::month);
}
Value fnDay(Interpreter&, Args a, int) {
    return datePart(a[0], &DateParts::day);
}
Value fnHour(Interpreter&, Args a, int) {
    return datePart(a[0], &DateParts::hour);
}
Value fnMinute(Interpreter&, Args a, int) {
    return datePart(a[0], &DateParts::minute);
}
Value fnSecond(Interpreter&, Args a, int) {
    return datePart(a[0], &DateParts::second);
}

int firstDayArg(Args a, int n, int index) {
    if (!given(a, n, index)) return 1;
    const int32_t f = longArg(a[index]);
    if (f < 0 || f > 7) raise(err::InvalidCall);
    return f == 0 ? 1 : f;
}

Value fnWeekday(Interpreter&, Args a, int n) {
    const int first = firstDayArg(a, n, 1);
    if (a[0].isNull()) return a[0];
    const int wd = splitDate(dateOf(a[0])).weekday;
    return Value::integer(static_cast<int16_t>((wd - first + 7) % 7 + 1));
}

Value fnNow(Interpreter&, Args, int) {
    return Value::date(nowSerial());
}
Value fnDate(Interpreter&, Args, int) {
    return Value::date(std::floor(nowSerial()));
}
Value fnTime(Interpreter&, Args, int) {
    const double now = nowSerial();
    return Value::date(now - std::floor(now));
}
Value fnTimer(Interpreter&, Args, int) {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    const double frac =
        static_cast<double>(
            std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count() % 1000000) /
        1e6;
    return Value::single(static_cast<float>(tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec + frac));
}

Value fnDateSerial(Interpreter&, Args a, int) {
    if (anyNull(a, 3)) raise(err::InvalidNull);
    bool ok = false;
    const double d = dateSerial(toLong(a[0]), toLong(a[1]), toLong(a[2]), ok);
    if (!ok) raise(err::InvalidCall);
    return Value::date(d);
}

Value fnTimeSerial(Interpreter&, Args a, int) {
    if (anyNull(a, 3)) raise(err::InvalidNull);
    const double secs = static_cast<double>(toLong(a[0])) * 3600 + static_cast<double>(toLong(a[1])) * 60 +
                        static_cast<double>(toLong(a[2]));
    double days = std::floor(secs / 86400);
    const double rest = secs - days * 86400;
    double out = 0;
    if (!makeDate(static_cast<int64_t>(days), rest, out)) raise(err::InvalidCall);
    return Value::date(out);
}

Value fnDateValue(Interpreter&, Args a, int) {
    if (a[0].isNull()) return a[0];
    return Value::date(std::trunc(dateOf(a[0])));
}

Value fnTimeValue(Interpreter&, Args a, int) {
    if (a[0].isNull()) return a[0];
    const double d = dateOf(a[0]);
    return Value::date(std::fabs(d - std::trunc(d)));
}

enum class Interval { Year, Quarter, Month, DayOfYear, Day, Weekday, Week, Hour, Minute, Second };

Interval intervalOf(const Value& v) {
    const std::string s = lowerText(toText(notNull(v)));
    if (s == "yyyy") return Interval::Year;
    if (s == "q") return Interval::Quarter;
    if (s == "m") return Interval::Month;
    if (s == "y") return Interval::DayOfYear;
    if (s == "d") return Interval::Day;
    if (s == "w") return Interval::Weekday;
    if (s == "ww") return Interval::Week;
    if (s == "h") return Interval::Hour;
    if (s == "n") return Interval::Minute;
    if (s == "s") return Interval::Second;
    raise(err::InvalidCall);
}

double secondsOf(const DateParts& p) {
    return p.hour * 3600.0 + p.minute * 60.0 + p.second;
}

Value fnDateAdd(Interpreter&, Args a, int) {
    const Interval iv = intervalOf(a[0]);
    if (a[1].isNull() || a[2].isNull()) raise(err::InvalidNull);
    const double amount = std::trunc(toDouble(toArith(a[1])));
    if (std::fabs(amount) > 1e9) raise(err::InvalidCall);
    const double d = dateOf(a[2]);
    const DateParts p = splitDate(d);
    double out = 0;
    bool ok = true;
    auto addMonths = [&](int64_t months) {
        bool fine = false;
        const double first = dateSerial(p.year, p.month + months, 1, fine);
        if (!fine) return false;
        const DateParts q = splitDate(first);
        bool fine2 = false;
        const double nextMonth = dateSerial(q.year, q.month + 1, 1, fine2);
        const int64_t lastDay = fine2 ? static_cast<int64_t>(nextMonth - first) : 31;
        return makeDate(daysFromCivil(q.year, q.month, static_cast<int>(std::min<int64_t>(p.day, lastDay))),
                        secondsOf(p), out);
    };
    const int64_t n = static_cast<int64_t>(amount);
    switch (iv) {
        case Interval::Year:
            ok = addMonths(n * 12);
            break;
        case Interval::Quarter:
            ok = addMonths(n * 3);
            break;
        case Interval::Month:
            ok = addMonths(n);
            break;
        case Interval::Week:
            ok = makeDate(daysFromCivil(p.year, p.month, p.day) + n * 7, secondsOf(p), out);
            break;
        case Interval::DayOfYear:
        case Interval::Day:
        case Interval::Weekday:
            ok = makeDate(daysFromCivil(p.year, p.month, p.day) + n, secondsOf(p), out);
            break;
        default: {
            const double unit = iv == Interval::Hour ? 3600 : iv == Interval::Minute ? 60 : 1;
            const double total = static_cast<double>(daysFromCivil(p.year, p.month, p.day)) * 86400 +
                                 secondsOf(p) + amount * unit;
            const double days = std::floor(total / 86400);
            ok = std::fabs(days) < 1e7 && makeDate(static_cast<int64_t>(days), total - days * 86400, out);
        }
    }
    if (!ok) raise(err::InvalidCall);
    return Value::date(out);
}

Value fnDateDiff(Interpreter&, Args a, int n) {
    const Interval iv = intervalOf(a[0]);
    const int first = firstDayArg(a, n, 3);
    if (a[1].isNull() || a[2].isNull()) return Value::null();
    const DateParts p = splitDate(dateOf(a[1])), q = splitDate(dateOf(a[2]));
    const int64_t d1 = daysFromCivil(p.year, p.month, p.day), d2 = daysFromCivil(q.year, q.month, q.day);
    auto floorDiv = [](int64_t x, int64_t y) { return x >= 0 ? x / y : -((-x + y - 1) / y); };
    int64_t r = 0;
    switch (iv) {
        case Interval::Year:
            r = q.year - p.year;
            break;
        case Interval::Quarter:
            r = (q.year * 4 + (q.month - 1) / 3) - (p.year * 4 + (p.month - 1) / 3);
            break;
        case Interval::Month:
            r = (q.year * 12 + q.month) - (p.year * 12 + p.month);
            break;
        case Interval::DayOfYear:
        case Interval::Day:
            r = d2 - d1;
            break;
        case Interval::Weekday:
            r = (d2 - d1) / 7;
            break;
        case Interval::Week: {
            // Week boundaries crossed, a week starting on the given day.
            const int64_t shift = (first + 6) % 7;  // 30/12/1899 was a Saturday (weekday 7)
            r = floorDiv(d2 + 6 - shift, 7) - floorDiv(d1 + 6 - shift, 7);
            break;
        }
        default: {
            const int64_t unit = iv == Interval::Hour ? 3600 : iv == Interval::Minute ? 60 : 1;
            const int64_t s1 = d1 * 86400 + static_cast<int64_t>(secondsOf(p));
            const int64_t s2 = d2 * 86400 + static_cast<int64_t>(secondsOf(q));
            r = floorDiv(s2, unit) - floorDiv(s1, unit);
        }
    }
    if (r < INT32_MIN || r > INT32_MAX) return Value::dbl(static_cast<double>(r));
    return longValue(r);
}

// The week of the year holding day `day` (a day number) of year `year`, weeks
// starting on `first` (1 = Sunday); rule 1: the week of 1 January is the first,
// 2: the first week with four days of the year, 3: the first full week.
int64_t weekOfYear(int64_t day, int year, int first, int rule) {
    auto weekOneStart = [&](int y) {
        const int64_t jan1 = daysFromCivil(y, 1, 1);
        const int64_t offset = (splitDate(static_cast<double>(jan1)).weekday - first + 7) % 7;
        int64_t start = jan1 - offset;
        if ((rule == 2 && offset > 3) || (rule == 3 && offset > 0)) start += 7;
        return start;
    };
    int64_t start = weekOneStart(year);
    if (day < start) start = weekOneStart(year - 1);
    return (day - start) / 7 + 1;
}

Value fnDatePart(Interpreter&, Args a, int n) {
    const Interval iv = intervalOf(a[0]);
    const int first = firstDayArg(a, n, 2);
    int rule = 1;
    if (given(a, n, 3)) {
        rule = longArg(a[3]);
        if (rule < 0 || rule > 3) raise(err::InvalidCall);
        if (rule == 0) rule = 1;
    }
    if (a[1].isNull()) return Value::null();
    const DateParts p = splitDate(dateOf(a[1]));
    const int64_t day = daysFromCivil(p.year, p.month, p.day);
    int64_t r = 0;
    switch (iv) {
        case Interval::Year:
            r = p.year;
            break;
        case Interval::Quarter:
            r = (p.month - 1) / 3 + 1;
            break;
        case Interval::Month:
            r = p.month;
            break;
        case Interval::DayOfYear:
            r = day - daysFromCivil(p.year, 1, 1) + 1;
            break;
        case Interval::Day:
            r = p.day;
            break;
        case Interval::Weekday:
            r = (p.weekday - first + 7) % 7 + 1;
            break;
        case Interval::Week:
            r = weekOfYear(day, p.year, first, rule);
            break;
        case Interval::Hour:
            r = p.hour;
            break;
        case Interval::Minute:
            r = p.minute;
            break;
        case Interval::Second:
            r = p.second;
            break;
    }
    return Value::integer(static_cast<int16_t>(r));
}

const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};
const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

Value fnMonthName(Interpreter&, Args a, int n) {
    const int32_t m = longArg(a[0]);
    if (m < 1 || m > 12) raise(err::InvalidCall);
    const bool abbreviate = given(a, n, 1) && toBool(notNull(a[1]));
    if (const Locale* l = activeLocale())
        return Value::str(abbreviate ? l->shortMonths[m - 1] : l->months[m - 1]);
    const std::string name = kMonths[m - 1];
    return Value::str(abbreviate ? name.substr(0, 3) : name);
}

Value fnWeekdayName(Interpreter&, Args a, int n) {
    const int32_t d = longArg(a[0]);
    if (d < 1 || d > 7) raise(err::InvalidCall);
    const bool abbreviate = given(a, n, 1) && toBool(notNull(a[1]));
    const int first = firstDayArg(a, n, 2);
    if (const Locale* l = activeLocale()) {
        const int k = (d - 1 + first - 1) % 7;
        return Value::str(abbreviate ? l->shortDays[k] : l->days[k]);
    }
    const std::string name = kDays[(d - 1 + first - 1) % 7];
    return Value::str(abbreviate ? name.substr(0, 3) : name);
}

// ---- the rest ----

Value fnEval(Interpreter& in, Args a, int) {
    return in.evalText(toText(notNull(a[0])));
}
Value fnExecute(Interpreter& in, Args a, int) {
    in.executeText(toText(notNull(a[0])), false);
    return Value();
}
Value fnExecuteGlobal(Interpreter& in, Args a, int) {
    in.executeText(toText(notNull(a[0])), true);
    return Value();
}

Value fnArray(Interpreter&, Args a, int n) {
    auto* arr = new ArrObj({n - 1}, false);
    Value result = Value::array(arr);
    for (int k = 0; k < n; ++k) arr->items[static_cast<size_t>(k)] = a[k];
    return result;
}

Value bound(Args a, int n, bool upper) {
    if (!a[0].isArray()) raise(err::TypeMismatch);
    const int32_t dim = given(a, n, 1) ? longArg(a[1]) : 1;
    const ArrObj* arr = a[0].arr();
    if (dim < 1 || static_cast<size_t>(dim) > arr->ubounds.size()) raise(err::SubscriptRange);
    return Value::lng(upper ? arr->ubounds[static_cast<size_t>(dim) - 1] : 0);
}
Value fnUBound(Interpreter&, Args a, int n) {
    return bound(a, n, true);
}
Value fnLBound(Interpreter&, Args a, int n) {
    return bound(a, n, false);
}

// Scripts reach no object but the ones the program adds.
Value fnCreateObject(Interpreter&, Args, int) {
    raise(err::CantCreate);
}

Value fnErr(Interpreter& in, Args, int) {
    return in.errObject();
}

// ---- formats ----

// A tristate argument: left out or -2 keeps the default, 0 is false, any other
// value true.
bool tristateArg(Args a, int n, int index, bool byDefault) {
    if (!given(a, n, index)) return byDefault;
    const int32_t t = longArg(a[index]);
    return t == -2 ? byDefault : t != 0;
}

// FormatNumber, FormatPercent and FormatCurrency share their arguments.
Value formatted(Args a, int n, double scale, std::string_view prefix, std::string_view suffix,
                bool parensByDefault) {
    NumberStyle style;
    if (given(a, n, 1)) {
        const int32_t d = longArg(a[1]);
        if (d < -1 || d > 255) raise(err::InvalidCall);
        if (d >= 0) style.decimals = d;
    }
    style.leadingZero = tristateArg(a, n, 2, true);
    style.parensForNegative = tristateArg(a, n, 3, parensByDefault);
    style.groupDigits = tristateArg(a, n, 4, true);
    const double v = toDouble(toArith(notNull(a[0]))) * scale;
    if (!std::isfinite(v)) raise(err::Overflow);
    return Value::str(formatNumberText(v, style, prefix, suffix));
}
Value fnFormatNumber(Interpreter&, Args a, int n) {
    return formatted(a, n, 1, "", "", false);
}
Value fnFormatPercent(Interpreter&, Args a, int n) {
    return formatted(a, n, 100, "", "%", false);
}
Value fnFormatCurrency(Interpreter&, Args a, int n) {
    const CurrencyStyle c = currencyStyle();
    return formatted(a, n, 1, c.prefix, c.suffix, c.parentheses);
}

Value fnFormatDateTime(Interpreter&, Args a, int n) {
    const int32_t named = given(a, n, 1) ? longArg(a[1]) : 0;
    if (named < 0 || named > 4) raise(err::InvalidCall);
    if (a[0].isNull()) raise(err::TypeMismatch);
    const double d = dateOf(a[0]);
    switch (named) {
        case 1:
            return Value::str(longDateText(d));
        case 2:
            return Value::str(shortDateText(d));
        case 3:
            return Value::str(longTimeText(d));
        case 4:
            return Value::str(shortTimeText(d));
        default:
            return Value::str(dateText(d));
    }
}

// ---- the engine and the rest of the library ----

Value fnScriptEngine(Interpreter&, Args, int) {
    return Value::str("VBScript");
}
Value fnScriptEngineMajorVersion(Interpreter&, Args, int) {
    return Value::lng(5);
}
Value fnScriptEngineMinorVersion(Interpreter&, Args, int) {
    return Value::lng(8);
}
Value fnScriptEngineBuildVersion(Interpreter&, Args, int) {
    return Value::lng(16384);
}

// The script's regional settings: 1033 until SetLocale chooses another by its
// number or short string ("en-gb", "ru"); 0 or nothing goes back to 1033.
Value fnGetLocale(Interpreter& in, Args, int) {
    return Value::lng(in.locale() ? in.locale()->id : kScriptLocale);
}
Value fnSetLocale(Interpreter& in, Args a, int n) {
    const Value previous = fnGetLocale(in, a, n);
    const Locale* chosen = &defaultLocale();
    if (given(a, n, 0)) {
        const Value& v = a[0];
        double d = 0;
        if (v.isString() && !v.s().empty() && !parseNumber(v.s(), d))
            chosen = localeByTag(v.s());
        else if (!v.isString() || !v.s().empty())
            chosen = localeById(longArg(v));
        if (!chosen) raise(err::InvalidCall);
    }
    in.setLocale(chosen);
    return previous;
}

Value fnFilter(Interpreter& in, Args a, int n) {
    if (a[0].isNull()) raise(err::InvalidNull);
    if (!a[0].isArray() || a[0].arr()->ubounds.size() != 1) raise(err::TypeMismatch);
    const std::string wanted = textArg(notNull(a[1]));
    const bool include = !given(a, n, 2) || toBool(notNull(a[2]));
    const bool text = textCompareArg(a, n, 3);
    const std::string key = text ? foldText(wanted) : wanted;
    const SearchPacer pace = pacerFor(in);
    std::vector<Value> kept;
    for (const Value& item : a[0].arr()->items) {
        const std::string s = textArg(notNull(item));
        const bool found = findText(text ? foldText(s) : s, key, 0, pace) != std::string::npos;
        if (found == include) kept.push_back(Value::str(s));
    }
    auto* arr = new ArrObj({static_cast<int32_t>(kept.size()) - 1}, false);
    Value result = Value::array(arr);
    for (size_t k = 0; k < kept.size(); ++k) arr->items[k] = std::move(kept[k]);
    return result;
}

Value fnRGB(Interpreter&, Args a, int) {
    int32_t c[3];
    for (int k = 0; k < 3; ++k) {
        c[k] = longArg(a[k]);
        if (c[k] < 0) raise(err::InvalidCall);
        if (c[k] > 255) c[k] = 255;
    }
    return Value::lng(c[0] + c[1] * 256 + c[2] * 65536);
}

Value fnEscape(Interpreter&, Args a, int) {
    if (a[0].isNull()) return a[0];
    return Value::str(escapeText(textArg(a[0])));
}
Value fnUnescape(Interpreter&, Args a, int) {
    if (a[0].isNull()) return a[0];
    return Value::str(unescapeText(textArg(a[0])));
}

// ---- strings as bytes ----
// The B functions see a string as its UTF-16 form, two bytes per character,
// low byte first.

Value fnLenB(Interpreter&, Args a, int) {
    if (a[0].isNull()) return Value::null();
    return longValue(static_cast<int64_t>(toUtf16Bytes(textArg(a[0])).size()));
}
Value fnLeftB(Interpreter&, Args a, int) {
    const size_t n = countArg(a[1]);
    if (a[0].isNull()) return Value::null();
    const std::string bytes = toUtf16Bytes(textArg(a[0]));
    return Value::str(fromUtf16Bytes(std::string_view(bytes).substr(0, n)));
}
Value fnRightB(Interpreter&, Args a, int) {
    const size_t n = countArg(a[1]);
    if (a[0].isNull()) return Value::null();
    const std::string bytes = toUtf16Bytes(textArg(a[0]));
    return Value::str(fromUtf16Bytes(n >= bytes.size() ? bytes : bytes.substr(bytes.size() - n)));
}
Value fnMidB(Interpreter&, Args a, int n) {
    const int32_t start = longArg(a[1]);
    if (start < 1) raise(err::InvalidCall);
    const size_t len = given(a, n, 2) ? countArg(a[2]) : std::string::npos;
    if (a[0].isNull()) return Value::null();
    const std::string bytes = toUtf16Bytes(textArg(a[0]));
    const size_t from = static_cast<size_t>(start) - 1;
    if (from >= bytes.size()) return Value::str("");
    return Value::str(fromUtf16Bytes(std::string_view(bytes).substr(from, len)));
}
Value fnInStrB(Interpreter& in, Args a, int n) {
    SearchArgs s;
    if (!readSearchArgs(a, n, s)) return Value::null();
    const int32_t start = s.start;
    const std::string hay = toUtf16Bytes(s.hay);
    const std::string needle = toUtf16Bytes(s.needle);
    const size_t from = static_cast<size_t>(start) - 1;
    if (from >= hay.size()) return Value::lng(0);
    if (needle.empty()) return Value::lng(start);
    // Bytes have no characters to keep whole: a match may start at any byte.
    const size_t p = findBytes(hay, needle, from, pacerFor(in));
    return longValue(p == std::string::npos ? 0 : static_cast<int64_t>(p) + 1);
}

// ---- the table ----

#define FN(name, lo, hi, f) \
    { name, lo, hi, false, f }
#define CONST(name, expr)                                                       \
    {                                                                           \
        name, 0, 0, true, [](Interpreter&, Args, int) -> Value { return expr; } \
    }

const Builtin kBuiltins[] = {
    FN("Abs", 1, 1, fnAbs),
    FN("Atn", 1, 1, fnAtn),
    FN("Cos", 1, 1, fnCos),
    FN("Exp", 1, 1, fnExp),
    FN("Fix", 1, 1, fnFix),
    FN("Int", 1, 1, fnInt),
    FN("Log", 1, 1, fnLog),
    FN("Rnd", 0, 1, fnRnd),
    FN("Randomize", 0, 1, fnRandomize),
    FN("Round", 1, 2, fnRound),
    FN("Sgn", 1, 1, fnSgn),
    FN("Sin", 1, 1, fnSin),
    FN("Sqr", 1, 1, fnSqr),
    FN("Tan", 1, 1, fnTan),
    FN("CBool", 1, 1, fnCBool),
    FN("CByte", 1, 1, fnCByte),
    FN("CCur", 1, 1, fnCCur),
    FN("CDate", 1, 1, fnCDate),
    FN("CDbl", 1, 1, fnCDbl),
    FN("CInt", 1, 1, fnCInt),
    FN("CLng", 1, 1, fnCLng),
    FN("CSng", 1, 1, fnCSng),
    FN("CStr", 1, 1, fnCStr),
    FN("Hex", 1, 1, fnHex),
    FN("Oct", 1, 1, fnOct),
    FN("IsNumeric", 1, 1, fnIsNumeric),
    FN("IsEmpty", 1, 1, fnIsEmpty),
    FN("IsNull", 1, 1, fnIsNull),
    FN("IsDate", 1, 1, fnIsDate),
    FN("IsArray", 1, 1, fnIsArray),
    FN("IsObject", 1, 1, fnIsObject),
    FN("TypeName", 1, 1, fnTypeName),
    FN("VarType", 1, 1, fnVarType),
    FN("Len", 1, 1, fnLen),
    FN("Left", 2, 2, fnLeft),
    FN("Right", 2, 2, fnRight),
    FN("Mid", 2, 3, fnMid),
    FN("InStr", 2, 4, fnInStr),
    FN("InStrRev", 2, 4, fnInStrRev),
    FN("LCase", 1, 1, fnLCase),
    FN("UCase", 1, 1, fnUCase),
    FN("LTrim", 1, 1, fnLTrim),
    FN("RTrim", 1, 1, fnRTrim),
    FN("Trim", 1, 1, fnTrim),
    FN("Replace", 3, 6, fnReplace),
    FN("Space", 1, 1, fnSpace),
    FN("String", 2, 2, fnString),
    FN("StrReverse", 1, 1, fnStrReverse),
    FN("StrComp", 2, 3, fnStrComp),
    FN("Asc", 1, 1, fnAsc),
    FN("AscB", 1, 1, fnAscB),
    FN("AscW", 1, 1, fnAscW),
    FN("Chr", 1, 1, fnChr),
    FN("ChrB", 1, 1, fnChrB),
    FN("ChrW", 1, 1, fnChrW),
    FN("Join", 1, 2, fnJoin),
    FN("Split", 1, 4, fnSplit),
    FN("Now", 0, 0, fnNow),
    FN("Date", 0, 0, fnDate),
    FN("Time", 0, 0, fnTime),
    FN("Timer", 0, 0, fnTimer),
    FN("Year", 1, 1, fnYear),
    FN("Month", 1, 1, fnMonth),
    FN("Day", 1, 1, fnDay),
    FN("Hour", 1, 1, fnHour),
    FN("Minute", 1, 1, fnMinute),
    FN("Second", 1, 1, fnSecond),
    FN("Weekday", 1, 2, fnWeekday),
    FN("DateSerial", 3, 3, fnDateSerial),
    FN("TimeSerial", 3, 3, fnTimeSerial),
    FN("DateValue", 1, 1, fnDateValue),
    FN("TimeValue", 1, 1, fnTimeValue),
    FN("DateAdd", 3, 3, fnDateAdd),
    FN("DateDiff", 3, 5, fnDateDiff),
    FN("MonthName", 1, 2, fnMonthName),
    FN("WeekdayName", 1, 3, fnWeekdayName),
    FN("FormatNumber", 1, 5, fnFormatNumber),
    FN("FormatPercent", 1, 5, fnFormatPercent),
    FN("FormatCurrency", 1, 5, fnFormatCurrency),
    FN("FormatDateTime", 1, 2, fnFormatDateTime),
    FN("ScriptEngine", 0, 0, fnScriptEngine),
    FN("ScriptEngineMajorVersion", 0, 0, fnScriptEngineMajorVersion),
    FN("ScriptEngineMinorVersion", 0, 0, fnScriptEngineMinorVersion),
    FN("ScriptEngineBuildVersion", 0, 0, fnScriptEngineBuildVersion),
    FN("Filter", 2, 4, fnFilter),
    FN("RGB", 3, 3, fnRGB),
    FN("DatePart", 2, 4, fnDatePart),
    FN("Escape", 1, 1, fnEscape),
    FN("Unescape", 1, 1, fnUnescape),
    FN("GetLocale", 0, 0, fnGetLocale),
    FN("SetLocale", 0, 1, fnSetLocale),
    FN("LenB", 1, 1, fnLenB),
    FN("LeftB", 2, 2, fnLeftB),
    FN("RightB", 2, 2, fnRightB),
    FN("MidB", 2, 3, fnMidB),
    FN("InStrB", 2, 4, fnInStrB),
    FN("Eval", 1, 1, fnEval),
    FN("Execute", 1, 1, fnExecute),
    FN("ExecuteGlobal", 1, 1, fnExecuteGlobal),
    FN("Array", 0, 127, fnArray),
    FN("UBound", 1, 2, fnUBound),
    FN("LBound", 1, 2, fnLBound),
    FN("CreateObject", 1, 2, fnCreateObject),
    FN("GetObject", 0, 2, fnCreateObject),
    FN("GetRef", 1, 1, fnCreateObject),
    FN("Err", 0, 0, fnErr),
    CONST("vbCrLf", Value::str("\r\n")),
    CONST("vbNewLine", Value::str("\r\n")),
    CONST("vbCr", Value::str("\r")),
    CONST("vbLf", Value::str("\n")),
    CONST("vbTab", Value::str("\t")),
    CONST("vbNullString", Value::str("")),
    CONST("vbNullChar", Value::str(std::string(1, '\0'))),
    CONST("vbFormFeed", Value::str("\f")),
    CONST("vbVerticalTab", Value::str("\v")),
    CONST("vbTrue", Value::integer(-1)),
    CONST("vbFalse", Value::integer(0)),
    CONST("vbUseDefault", Value::integer(-2)),
    CONST("vbEmpty", Value::integer(0)),
    CONST("vbNull", Value::integer(1)),
    CONST("vbInteger", Value::integer(2)),
    CONST("vbLong", Value::integer(3)),
    CONST("vbSingle", Value::integer(4)),
    CONST("vbDouble", Value::integer(5)),
    CONST("vbCurrency", Value::integer(6)),
    CONST("vbDate", Value::integer(7)),
    CONST("vbString", Value::integer(8)),
    CONST("vbObject", Value::integer(9)),
    CONST("vbError", Value::integer(10)),
    CONST("vbBoolean", Value::integer(11)),
    CONST("vbVariant", Value::integer(12)),
    CONST("vbDataObject", Value::integer(13)),
    CONST("vbDecimal", Value::integer(14)),
    CONST("vbByte", Value::integer(17)),
    CONST("vbArray", Value::integer(8192)),
    CONST("vbBinaryCompare", Value::integer(0)),
    CONST("vbTextCompare", Value::integer(1)),
    CONST("vbUseSystemDayOfWeek", Value::integer(0)),
    CONST("vbSunday", Value::integer(1)),
    CONST("vbMonday", Value::integer(2)),
    CONST("vbTuesday", Value::integer(3)),
    CONST("vbWednesday", Value::integer(4)),
    CONST("vbThursday", Value::integer(5)),
    CONST("vbFriday", Value::integer(6)),
    CONST("vbSaturday", Value::integer(7)),
    CONST("vbUseSystem", Value::integer(0)),
    CONST("vbFirstJan1", Value::integer(1)),
    CONST("vbFirstFourDays", Value::integer(2)),
    CONST("vbFirstFullWeek", Value::integer(3)),
    CONST("vbGeneralDate", Value::integer(0)),
    CONST("vbLongDate", Value::integer(1)),
    CONST("vbShortDate", Value::integer(2)),
    CONST("vbLongTime", Value::integer(3)),
    CONST("vbShortTime", Value::integer(4)),
    CONST("vbObjectError", Value::lng(INT32_MIN + 0x40000)),
    CONST("vbBlack", Value::lng(0)),
    CONST("vbRed", Value::lng(0xFF)),
    CONST("vbGreen", Value::lng(0xFF00)),
    CONST("vbYellow", Value::lng(0xFFFF)),
    CONST("vbBlue", Value::lng(0xFF0000)),
    CONST("vbMagenta", Value::lng(0xFF00FF)),
    CONST("vbCyan", Value::lng(0xFFFF00)),
    CONST("vbWhite", Value::lng(0xFFFFFF)),
};

#undef FN
#undef CONST

const NameTable<512>& table() {
    static const NameTable<512> t(kBuiltins, [](const Builtin& b) { return b.name; });
    return t;
}

}  // namespace

const Builtin& builtinAt(int index) {
    return kBuiltins[index];
}

bool numberFunction(int index) {
    static constexpr std::string_view names[] = {"abs",   "atn",  "cos",  "exp",  "fix", "int",   "log",
                                                 "round", "sgn",  "sin",  "sqr",  "tan", "cbool", "cbyte",
                                                 "ccur",  "cdbl", "cint", "clng", "csng"};
    const char* const name = builtinAt(index).name;
    for (std::string_view n : names)
        if (sameName(n, name)) return true;
    return false;
}

int builtinIndex(std::string_view name, uint32_t hash) {
    return table().find(name, hash);
}

}  // namespace mcplot::vbs
