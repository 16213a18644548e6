#include "vbscript/value.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "numbers/number.h"
#include "vbscript/dates.h"

namespace mcplot::vbs {

const char* errorMessage(int number) {
    switch (number) {
        case err::InvalidCall: return "Invalid procedure call or argument";
        case err::Overflow: return "Overflow";
        case err::OutOfMemory: return "Out of memory";
        case err::SubscriptRange: return "Subscript out of range";
        case err::FixedArray: return "This array is fixed or temporarily locked";
        case err::DivisionByZero: return "Division by zero";
        case err::TypeMismatch: return "Type mismatch";
        case err::OutOfStack: return "Out of stack space";
        case err::NotDefined: return "Sub or Function not defined";
        case err::InvalidNull: return "Invalid use of Null";
        case err::ObjectRequired: return "Object required";
        case err::CantCreate: return "ActiveX component can't create object";
        case err::NoMember: return "Object doesn't support this property or method";
        case err::WrongArgs: return "Wrong number of arguments or invalid property assignment";
        case err::NotCollection: return "Object not a collection";
        case err::Undefined: return "Variable is undefined";
        case err::IllegalAssign: return "Illegal assignment";
        case err::ObjectNotSet: return "Object variable not set";
        case err::ClassNotDefined: return "Class not defined";
        case err::Syntax: return "Syntax error";
        case err::ExpectLParen: return "Expected '('";
        case err::ExpectRParen: return "Expected ')'";
        case err::ExpectIdent: return "Expected identifier";
        case err::ExpectEq: return "Expected '='";
        case err::ExpectIf: return "Expected 'If'";
        case err::ExpectTo: return "Expected 'To'";
        case err::ExpectEnd: return "Expected 'End'";
        case err::ExpectFunction: return "Expected 'Function'";
        case err::ExpectSub: return "Expected 'Sub'";
        case err::ExpectThen: return "Expected 'Then'";
        case err::ExpectWend: return "Expected 'Wend'";
        case err::ExpectLoop: return "Expected 'Loop'";
        case err::ExpectNext: return "Expected 'Next'";
        case err::ExpectCase: return "Expected 'Case'";
        case err::ExpectSelect: return "Expected 'Select'";
        case err::ExpectExpr: return "Expected expression";
        case err::ExpectStatement: return "Expected statement";
        case err::ExpectEndOfStatement: return "Expected end of statement";
        case err::ExpectWhileUntil: return "Expected 'While', 'Until' or end of statement";
        case err::InvalidChar: return "Invalid character";
        case err::Unterminated: return "Unterminated string constant";
        case err::NameRedefined: return "Name redefined";
        case err::ParensOnSub: return "Cannot use parentheses when calling a Sub";
        case err::ExpectIn: return "Expected 'In'";
        case err::Timeout: return "Script timed out";
        default: return "Unknown runtime error";
    }
}

void raise(int number) { throw ScriptError{number}; }

namespace {
// Bytes held by strings and arrays alive on this thread.
thread_local size_t liveBytes = 0;

thread_local size_t workBytes = 0;

void reserveBytes(size_t n) {
    if (n > kMaxLiveBytes || liveBytes > kMaxLiveBytes - n) raise(err::OutOfMemory);
    liveBytes += n;
    workBytes += n;
}
}  // namespace

size_t takeWorkBytes() {
    const size_t n = workBytes;
    workBytes = 0;
    return n;
}
void addWorkBytes(size_t n) { workBytes += n; }

void checkStringSize(size_t n) {
    if (n > kMaxStringBytes || liveBytes + n > kMaxLiveBytes) raise(err::OutOfMemory);
}

StrObj::StrObj(std::string text) : HeapObj(String) {
    if (text.size() > kMaxStringBytes) raise(err::OutOfMemory);
    reserveBytes(text.size());
    s = std::move(text);
}
StrObj::~StrObj() { liveBytes -= s.size(); }

ArrObj::ArrObj(std::vector<int32_t> ub, bool fixed) : HeapObj(Array), fixedSize(fixed) {
    reshape(ub, false);
}
ArrObj::~ArrObj() { liveBytes -= items.size() * sizeof(Value); }

void ArrObj::reshape(const std::vector<int32_t>& ub, bool preserve) {
    size_t count = 1;
    for (int32_t u : ub) {
        if (u < -1) raise(err::SubscriptRange);
        const size_t n = static_cast<size_t>(u + 1);
        if (n != 0 && count > kMaxLiveBytes / sizeof(Value) / n) raise(err::OutOfMemory);
        count *= n;
    }
    if (ub.empty()) count = 0;
    const size_t oldBytes = items.size() * sizeof(Value);
    const size_t newBytes = count * sizeof(Value);
    if (newBytes > oldBytes) reserveBytes(newBytes - oldBytes);
    else liveBytes -= oldBytes - newBytes;
    if (preserve && !ubounds.empty()) {
        // Only the last dimension may change when preserving; elements are
        // stored with the last index slowest, so a resize keeps them in place.
        items.resize(count);
    } else {
        std::vector<Value> fresh(count);
        items.swap(fresh);
    }
    ubounds = ub;
}

size_t ArrObj::flatIndex(const Value* idx, int n) const {
    // An array declared with "()" and never sized has no elements at all.
    if (n != static_cast<int>(ubounds.size()) || items.empty()) raise(err::SubscriptRange);
    size_t flat = 0, stride = 1;
    for (int k = 0; k < n; ++k) {
        const int32_t i = toLong(idx[k]);
        if (i < 0 || i > ubounds[static_cast<size_t>(k)]) raise(err::SubscriptRange);
        flat += static_cast<size_t>(i) * stride;
        stride *= static_cast<size_t>(ubounds[static_cast<size_t>(k)]) + 1;
    }
    return flat;
}

ObjObj::ObjObj(Which w, std::shared_ptr<PubResults> r) : HeapObj(Object), which(w), res(std::move(r)) {}
ObjObj::~ObjObj() = default;

Value Value::str(std::string s) {
    Value v;
    v.u_.h = new StrObj(std::move(s));
    v.type_ = vtString;
    return v;
}

ArrObj* Value::mutableArr() {
    ArrObj* a = arr();
    if (a->refs > 1) {
        auto* copy = new ArrObj(a->ubounds, a->fixedSize);
        copy->items = a->items;
        --a->refs;
        u_.h = copy;
        a = copy;
    }
    return a;
}

namespace {

// Containers whose last reference went while an outer release was freeing
// another one. The outer release frees them one by one, so a long chain of
// nested arrays or instances never recurses through the native stack.
thread_local std::vector<HeapObj*>* pendingFrees = nullptr;

void destroy(HeapObj* h) noexcept {
    switch (h->kind) {
        case HeapObj::String: delete static_cast<StrObj*>(h); break;
        case HeapObj::Array: delete static_cast<ArrObj*>(h); break;
        case HeapObj::Object: {
            auto* o = static_cast<ObjObj*>(h);
            if (o->terminate) {
                // Class_Terminate sees the instance alive; if it keeps a
                // reference to it somewhere, the instance stays.
                auto* terminate = std::exchange(o->terminate, nullptr);
                o->refs = 1;
                terminate(o);
                if (--o->refs != 0) return;
            }
            delete o;
            break;
        }
    }
}

}  // namespace

void Value::release() noexcept {
    HeapObj* h = u_.h;
    if (--h->refs != 0) return;
    if (h->kind == HeapObj::String) {  // holds nothing else
        delete static_cast<StrObj*>(h);
        return;
    }
    if (pendingFrees) {
        try {
            pendingFrees->push_back(h);
            return;
        } catch (...) {
            destroy(h);  // no memory for the list: free it here
            return;
        }
    }
    std::vector<HeapObj*> queue;
    pendingFrees = &queue;
    destroy(h);
    while (!queue.empty()) {
        HeapObj* next = queue.back();
        queue.pop_back();
        destroy(next);
    }
    pendingFrees = nullptr;
}

bool tinyNumber(std::string_view digits) {
    const size_t e = digits.find_first_of("eE");
    return e != std::string_view::npos && e + 1 < digits.size() && digits[e + 1] == '-';
}

bool parseNumber(std::string_view s, double& out) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    if (b == e) return false;
    if (s[b] == '&' && e - b >= 3) {
        const char kind = static_cast<char>(s[b + 1] | 0x20);
        const int base = kind == 'h' ? 16 : kind == 'o' ? 8 : 0;
        if (base == 0) return false;
        uint64_t v = 0;
        for (size_t k = b + 2; k < e; ++k) {
            const char c = static_cast<char>(s[k] | 0x20);
            int dgt = -1;
            if (c >= '0' && c <= '9') dgt = c - '0';
            else if (base == 16 && c >= 'a' && c <= 'f') dgt = c - 'a' + 10;
            if (dgt < 0 || dgt >= base) return false;
            v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(dgt);
            if (v > 0xFFFFFFFFull) return false;
        }
        out = v <= 0xFFFF ? static_cast<int16_t>(static_cast<uint16_t>(v))
                          : static_cast<int32_t>(static_cast<uint32_t>(v));
        return true;
    }
    bool negative = false;
    if (s[b] == '+' || s[b] == '-') {
        negative = s[b] == '-';
        ++b;
        while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    }
    if (b == e || !((s[b] >= '0' && s[b] <= '9') || s[b] == '.')) return false;
    double v = 0;
    const auto r = std::from_chars(s.data() + b, s.data() + e, v, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        if (!tinyNumber(s.substr(b, e - b))) raise(err::Overflow);
        v = 0;
    } else if (r.ec != std::errc() || r.ptr != s.data() + e) {
        return false;
    }
    out = negative ? -v : v;
    return true;
}

Value checkedDouble(double d) {
    if (!std::isfinite(d)) raise(err::Overflow);
    return Value::dbl(d);
}

Value checkedSingle(double d) {
    const float f = static_cast<float>(d);
    if (!std::isfinite(f)) raise(err::Overflow);
    return Value::single(f);
}

int64_t roundToRange(double d, int64_t lo, int64_t hi) {
    if (!std::isfinite(d)) raise(err::Overflow);
    const double r = std::nearbyint(d);
    if (r < static_cast<double>(lo) || r > static_cast<double>(hi)) raise(err::Overflow);
    return static_cast<int64_t>(r);
}

double toDouble(const Value& v) {
    switch (v.type()) {
        case vtEmpty: return 0;
        case vtNull: raise(err::InvalidNull);
        case vtInteger:
        case vtLong:
        case vtByte:
        case vtBoolean: return static_cast<double>(v.i());
        case vtCurrency: return static_cast<double>(v.i()) / 10000.0;
        case vtSingle:
        case vtDouble:
        case vtDate: return v.d();
        case vtString: {
            double d = 0;
            if (!parseNumber(v.s(), d)) raise(err::TypeMismatch);
            return d;
        }
        case vtObject: raise(v.obj() ? err::NoMember : err::ObjectRequired);
        default: raise(err::TypeMismatch);
    }
}

bool toBool(const Value& v) {
    switch (v.type()) {
        case vtString: {
            const std::string& s = v.s();
            if (sameName(s, "true")) return true;
            if (sameName(s, "false")) return false;
            return toDouble(v) != 0;
        }
        case vtInteger:
        case vtLong:
        case vtByte:
        case vtBoolean:
        case vtCurrency: return v.i() != 0;
        default: return toDouble(v) != 0;
    }
}

int32_t toLong(const Value& v) {
    switch (v.type()) {
        case vtInteger:
        case vtLong:
        case vtByte:
        case vtBoolean: return static_cast<int32_t>(v.i());
        default: return static_cast<int32_t>(roundToRange(toDouble(v), INT32_MIN, INT32_MAX));
    }
}

int16_t toInteger(const Value& v) {
    return static_cast<int16_t>(roundToRange(toDouble(v), INT16_MIN, INT16_MAX));
}

Value toArith(const Value& v) {
    switch (v.type()) {
        case vtEmpty: return Value::integer(0);
        case vtBoolean: return Value::integer(static_cast<int16_t>(v.i()));
        case vtString: return Value::dbl(toDouble(v));
        case vtNull:
        case vtInteger:
        case vtLong:
        case vtByte:
        case vtSingle:
        case vtDouble:
        case vtCurrency:
        case vtDate: return v;
        case vtObject: raise(v.obj() ? err::NoMember : err::ObjectRequired);
        default: raise(err::TypeMismatch);
    }
}

// Seven significant digits, by the same rule as a Double's fifteen.
std::string singleText(float v) { return numberText(v, 7); }

std::string currencyText(int64_t scaled) {
    const bool negative = scaled < 0;
    const uint64_t mag = negative ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
    std::string s = std::to_string(mag / 10000);
    uint64_t frac = mag % 10000;
    if (frac != 0) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%04u", static_cast<unsigned>(frac));
        std::string f(buf);
        while (!f.empty() && f.back() == '0') f.pop_back();
        s += '.';
        s += f;
    }
    return negative ? "-" + s : s;
}

void appendText(std::string& out, const Value& v) {
    char buf[32];
    switch (v.type()) {
        case vtEmpty: return;
        case vtNull: raise(err::InvalidNull);
        case vtInteger:
        case vtLong:
        case vtByte: {
            const auto r = std::to_chars(buf, buf + sizeof buf, v.i());
            out.append(buf, r.ptr);
            return;
        }
        case vtBoolean: out += v.i() ? "True" : "False"; return;
        case vtString: out += v.s(); return;
        case vtSingle: out += singleText(static_cast<float>(v.d())); return;
        case vtDouble: out += numberText15(v.d()); return;
        case vtCurrency: out += currencyText(v.i()); return;
        case vtDate: out += dateText(v.d()); return;
        case vtObject: raise(v.obj() ? err::NoMember : err::ObjectRequired);
        default: raise(err::TypeMismatch);
    }
}

std::string toText(const Value& v) {
    if (v.isString()) return v.s();
    std::string s;
    appendText(s, v);
    return s;
}

const char* typeName(const Value& v) {
    switch (v.type()) {
        case vtEmpty: return "Empty";
        case vtNull: return "Null";
        case vtInteger: return "Integer";
        case vtLong: return "Long";
        case vtSingle: return "Single";
        case vtDouble: return "Double";
        case vtCurrency: return "Currency";
        case vtDate: return "Date";
        case vtString: return "String";
        case vtBoolean: return "Boolean";
        case vtByte: return "Byte";
        case vtArray: return "Variant()";
        case vtObject:
            if (!v.obj()) return "Nothing";
            if (v.obj()->which == ObjObj::Instance) return className(v.obj());
            return v.obj()->which == ObjObj::ErrObject ? "ErrObject" : "PubResults";
        default: return "Unknown";
    }
}

int varType(const Value& v) { return v.type(); }

}  // namespace mcplot::vbs
