// Values of the script language: the Variant with its subtypes, the heap
// objects behind strings, arrays and objects, the error numbers, and the
// conversions between subtypes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace mcplot::vbs {

// The language's error numbers we raise.
namespace err {
inline constexpr int InvalidCall = 5;
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int SubscriptRange = 9;
inline constexpr int FixedArray = 10;
inline constexpr int DivisionByZero = 11;
inline constexpr int TypeMismatch = 13;
inline constexpr int OutOfStack = 28;
inline constexpr int NotDefined = 35;
inline constexpr int InvalidNull = 94;
inline constexpr int ObjectRequired = 424;
inline constexpr int CantCreate = 429;
inline constexpr int NoMember = 438;
inline constexpr int WrongArgs = 450;
inline constexpr int NotCollection = 451;
inline constexpr int Undefined = 500;
inline constexpr int IllegalAssign = 501;
inline constexpr int ClassNotDefined = 506;
inline constexpr int Syntax = 1002;
inline constexpr int ExpectLParen = 1005;
inline constexpr int ExpectRParen = 1006;
inline constexpr int ExpectRBracket = 1007;
inline constexpr int ExpectIdent = 1010;
inline constexpr int ExpectEq = 1011;
inline constexpr int ExpectIf = 1012;
inline constexpr int ExpectTo = 1013;
inline constexpr int ExpectEnd = 1014;
inline constexpr int ExpectFunction = 1015;
inline constexpr int ExpectSub = 1016;
inline constexpr int ExpectThen = 1017;
inline constexpr int ExpectWend = 1018;
inline constexpr int ExpectLoop = 1019;
inline constexpr int ExpectNext = 1020;
inline constexpr int ExpectCase = 1021;
inline constexpr int ExpectSelect = 1022;
inline constexpr int ExpectExpr = 1023;
inline constexpr int ExpectStatement = 1024;
inline constexpr int ExpectEndOfStatement = 1025;
inline constexpr int ExpectWhileUntil = 1028;
inline constexpr int InvalidChar = 1032;
inline constexpr int Unterminated = 1033;
inline constexpr int InvalidExit = 1039;
inline constexpr int NameRedefined = 1041;
inline constexpr int ParensOnSub = 1044;
inline constexpr int ExpectIn = 1046;
inline constexpr int ExpectClass = 1047;
inline constexpr int ExpectLetSetGet = 1049;
inline constexpr int ExpectProperty = 1050;
inline constexpr int TwoDefaults = 1052;
inline constexpr int NoArgsOnInitialize = 1053;
inline constexpr int LetSetNeedsArgument = 1054;
inline constexpr int ExpectWith = 1029;
inline constexpr int DefaultOnlyOnProcedure = 1056;
inline constexpr int DefaultNeedsPublic = 1057;
inline constexpr int DefaultOnlyOnGet = 1058;
inline constexpr int Internal = 51;
inline constexpr int ObjectNotSet = 91;
// The script ran longer than its host allows: the aborted operation (E_ABORT).
inline constexpr int Timeout = static_cast<int>(0x80004004u);
}  // namespace err

// The message of an error number, in Russian: the student reads it.
const char* errorMessage(int number);

// A compile or run-time error of a script: the language's number, its message
// and where it arose (1-based line and column in characters of the source
// text; 0 while not yet known).
class ScriptError : public std::exception {
public:
    explicit ScriptError(int number) : number(number) {}
    ScriptError(int number, std::string message) : number(number), message_(std::move(message)) {}
    const char* what() const noexcept override {
        return message_.empty() ? errorMessage(number) : message_.c_str();
    }
    bool located() const { return line > 0; }
    // Who raised it, as Err.Source shows; empty for the language's own errors.
    std::string source;
    // Sets line and column from a byte offset into the text, unless set already.
    void locate(std::string_view text, size_t offset);

    int number;
    int line = 0;
    int column = 0;

private:
    std::string message_;
};
[[noreturn]] void raise(int number);

// Limits that keep a student's script from exhausting the program's memory.
// Both count UTF-8 bytes, the size a string really takes.
inline constexpr size_t kMaxStringBytes = 16u << 20;  // one string
inline constexpr size_t kMaxLiveBytes = 64u << 20;    // all strings and arrays alive

// The bytes of strings and arrays one interpreter holds, and its limit.
struct MemoryBudget {
    size_t live = 0;
    size_t limit = kMaxLiveBytes;
    size_t work = 0;  // made since the evaluator last looked at the clock
};

// While alive, strings and arrays made on this thread count against the
// given budget (an interpreter opens one for every call into it). Each
// string or array remembers its budget and gives its bytes back when freed.
class BudgetScope {
public:
    explicit BudgetScope(MemoryBudget* budget);
    ~BudgetScope();
    BudgetScope(const BudgetScope&) = delete;
    BudgetScope& operator=(const BudgetScope&) = delete;

private:
    MemoryBudget* previous_;
};

// Raises Out of memory when a string of n bytes may not be made.
void checkStringSize(size_t n);
// Bytes of strings and arrays made under the current budget since the last
// call; lets the evaluator look at the clock sooner when single steps do
// much work.
size_t takeWorkBytes();
void addWorkBytes(size_t n);

enum VarType : uint16_t {
    vtEmpty = 0,
    vtNull = 1,
    vtInteger = 2,
    vtLong = 3,
    vtSingle = 4,
    vtDouble = 5,
    vtCurrency = 6,
    vtDate = 7,
    vtString = 8,
    vtObject = 9,
    vtError = 10,  // only as the marker of an argument left out of a call
    vtBoolean = 11,
    vtVariant = 12,
    vtByte = 17,
    vtArray = 8192 + vtVariant,  // arrays are always arrays of Variants
};

class Value;

struct HeapObj {
    enum Kind : uint8_t { String, Array, Object };
    explicit HeapObj(Kind k);
    uint32_t refs = 1;
    Kind kind;
    MemoryBudget* budget;  // where the bytes were counted, if anywhere
    size_t counted = 0;
};

struct StrObj : HeapObj {
    explicit StrObj(std::string text);
    ~StrObj();
    StrObj(const StrObj&) = delete;
    StrObj& operator=(const StrObj&) = delete;
    std::string s;
};

struct ArrObj : HeapObj {
    // Upper bounds per dimension; lower bounds are always 0.
    ArrObj(std::vector<int32_t> ubounds, bool fixedSize);
    ~ArrObj();
    ArrObj(const ArrObj&) = delete;
    ArrObj& operator=(const ArrObj&) = delete;
    // Changes the shape; keeps the elements whose indexes survive when asked.
    void reshape(const std::vector<int32_t>& ubounds, bool preserve);
    size_t flatIndex(const Value* idx, int n) const;
    std::vector<Value> items;
    std::vector<int32_t> ubounds;
    bool fixedSize;
};

class HostObject;
struct ClassInfo;
struct ObjObj;
class Interpreter;

// The instances of one class that are alive, so that the interpreter can
// break reference cycles among them when a script ends.
struct InstanceList {
    ObjObj* head = nullptr;
};

struct ObjObj : HeapObj {
    enum Which : uint8_t { Host, ErrObject, Instance };
    ObjObj(Which w, std::shared_ptr<HostObject> h);
    ~ObjObj();
    ObjObj(const ObjObj&) = delete;
    ObjObj& operator=(const ObjObj&) = delete;
    Which which;
    std::shared_ptr<HostObject> host;
    // An instance of a script's class: the class and the fields' values. The
    // fields never move, so a running method may alias them.
    const ClassInfo* cls = nullptr;
    Interpreter* engine = nullptr;  // the interpreter whose errors the Err object shows
    std::vector<Value> fields;
    // Runs the class's Class_Terminate when the last reference goes.
    void (*terminate)(ObjObj* self) = nullptr;
    InstanceList* list = nullptr;  // where the instance is linked while alive
    ObjObj* prevLive = nullptr;
    ObjObj* nextLive = nullptr;
    void link(InstanceList* l);
    void unlink();
};

class Value {
public:
    Value() noexcept : type_(vtEmpty) { u_.i = 0; }
    ~Value() {
        if (heap()) release();
    }
    Value(const Value& o) noexcept : type_(o.type_), u_(o.u_) {
        if (heap()) ++u_.h->refs;
    }
    Value(Value&& o) noexcept : type_(o.type_), u_(o.u_) {
        o.type_ = vtEmpty;
        o.u_.i = 0;
    }
    Value& operator=(const Value& o) noexcept {
        Value t(o);
        swap(t);
        return *this;
    }
    Value& operator=(Value&& o) noexcept {
        Value t(std::move(o));
        swap(t);
        return *this;
    }
    void swap(Value& o) noexcept {
        std::swap(type_, o.type_);
        std::swap(u_, o.u_);
    }

    static Value null() { return Value(vtNull, int64_t{0}); }
    // An argument slot left empty in a call, f(1, , 3): the language passes an
    // Error value with the code "parameter not found".
    static Value missing() { return Value(vtError, int64_t{kParamNotFound}); }
    bool isMissing() const { return type_ == vtError && u_.i == kParamNotFound; }
    static constexpr int64_t kParamNotFound = static_cast<int32_t>(0x80020004u);
    static Value integer(int16_t v) { return Value(vtInteger, int64_t{v}); }
    static Value lng(int32_t v) { return Value(vtLong, int64_t{v}); }
    static Value byte(uint8_t v) { return Value(vtByte, int64_t{v}); }
    static Value boolean(bool v) { return Value(vtBoolean, int64_t{v ? -1 : 0}); }
    static Value currency(int64_t scaled) { return Value(vtCurrency, scaled); }
    static Value single(float v) { return Value(vtSingle, static_cast<double>(v)); }
    static Value dbl(double v) { return Value(vtDouble, v); }
    static Value date(double v) { return Value(vtDate, v); }
    static Value str(std::string s);
    static Value str(std::string_view s) { return str(std::string(s)); }
    static Value str(const char* s) { return str(std::string(s)); }
    static Value array(ArrObj* a) {
        Value v;
        v.type_ = vtArray;
        v.u_.h = a;
        return v;
    }
    static Value object(ObjObj* o) {  // nullptr is Nothing
        Value v;
        v.type_ = vtObject;
        v.u_.h = o;
        return v;
    }

    uint16_t type() const { return type_; }
    bool isEmpty() const { return type_ == vtEmpty; }
    bool isNull() const { return type_ == vtNull; }
    bool isString() const { return type_ == vtString; }
    bool isArray() const { return type_ == vtArray; }
    bool isObject() const { return type_ == vtObject; }
    // Byte, Integer, Long, Single, Double, Currency, Date and Boolean.
    bool isNumberLike() const {
        return (type_ >= vtInteger && type_ <= vtDate) || type_ == vtBoolean || type_ == vtByte;
    }

    int64_t i() const { return u_.i; }  // Byte, Integer, Long, Boolean, Currency (x10000)
    double d() const { return u_.d; }   // Single, Double, Date
    const std::string& s() const { return static_cast<StrObj*>(u_.h)->s; }
    ArrObj* arr() const { return static_cast<ArrObj*>(u_.h); }
    ObjObj* obj() const { return static_cast<ObjObj*>(u_.h); }
    // The array, copied first when it is shared, ready to be changed.
    ArrObj* mutableArr();

private:
    Value(uint16_t t, int64_t i) : type_(t) { u_.i = i; }
    Value(uint16_t t, double d) : type_(t) { u_.d = d; }
    bool heap() const { return type_ >= vtString && type_ <= vtObject ? u_.h != nullptr : type_ == vtArray; }
    void release() noexcept;

    uint16_t type_;
    union U {
        int64_t i;
        double d;
        HeapObj* h;
    } u_;
};

// The value of an object's default member where a plain value is wanted: the
// Default Property Get or Function of a script's class, Err's Number. Raises
// 424 for Nothing and 438 for an object without one; never gives an object.
Value objectDefault(const Value& v);

// Conversions. They raise the language's errors (13, 6, 94, 438); an object
// stands for its default member.
double toDouble(const Value& v);
bool toBool(const Value& v);
int32_t toLong(const Value& v);      // halves to even; Overflow beyond the Long range
int16_t toInteger(const Value& v);   // halves to even; Overflow beyond the Integer range
std::string toText(const Value& v);  // CStr: Null raises 94, Empty gives ""
// Appends the text of v without an intermediate string where possible.
void appendText(std::string& out, const Value& v);

// Reads a whole string as a number the way the language coerces strings:
// blanks around, a sign, decimal digits with "." and an exponent, or &H/&O.
bool parseNumber(std::string_view s, double& out);
// True when a decimal text out of the Double range is too small rather than too large.
bool tinyNumber(std::string_view digits);
// A numeric value ready for arithmetic: strings become Double, Empty and
// Boolean Integer; Null stays Null. Arrays and objects raise 13 / 438.
Value toArith(const Value& v);

// Double results out of range raise Overflow.
Value checkedDouble(double d);
Value checkedSingle(double d);
// Halves-to-even rounding of a double into [lo, hi] or Overflow.
int64_t roundToRange(double d, int64_t lo, int64_t hi);

// Text forms.
std::string singleText(float v);
std::string currencyText(int64_t scaled);
const char* typeName(const Value& v);
// The name of the class of a script's instance (TypeName of it).
const char* className(const ObjObj* o);
int varType(const Value& v);

// Case-insensitive name hashing and comparison (ASCII letters only).
inline char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
inline constexpr uint32_t kNameHashStart = 2166136261u;
// One more character of a name's hash (the scanner hashes while it reads).
inline uint32_t nameHashStep(uint32_t h, char c) {
    return (h ^ static_cast<unsigned char>(lowerAscii(c))) * 16777619u;
}
inline uint32_t nameHash(std::string_view s) {
    uint32_t h = kNameHashStart;
    for (char c : s) h = nameHashStep(h, c);
    return h;
}
inline bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); ++k)
        if (lowerAscii(a[k]) != lowerAscii(b[k])) return false;
    return true;
}

// A fixed open-addressing table from case-insensitive names to their place in
// a static list, built once: keyword and function lookups run for every name
// of every evaluated text.
template <size_t Size>
class NameTable {
public:
    template <typename Entry, size_t N, typename NameOf>
    NameTable(const Entry (&entries)[N], NameOf nameOf) {
        static_assert(N <= Size / 2, "keep the table at most half full");
        for (size_t e = 0; e < N; ++e) {
            const char* name = nameOf(entries[e]);
            const uint32_t h = nameHash(name);
            size_t k = h % Size;
            while (slots_[k].index >= 0) k = (k + 1) % Size;
            slots_[k] = {h, static_cast<int16_t>(e), name};
            const size_t length = std::char_traits<char>::length(name);
            shortest_ = std::min(shortest_, length);
            longest_ = std::max(longest_, length);
        }
    }

    // The entry's place, or -1.
    int find(std::string_view name, uint32_t hash) const {
        // Most names of a formula (x, a one-letter variable) are no entry's
        // length: no need to probe.
        if (name.size() < shortest_ || name.size() > longest_) return -1;
        for (size_t k = hash % Size; slots_[k].index >= 0; k = (k + 1) % Size)
            if (slots_[k].hash == hash && sameName(name, slots_[k].name)) return slots_[k].index;
        return -1;
    }

private:
    struct Slot {
        uint32_t hash = 0;
        int16_t index = -1;
        const char* name = nullptr;
    };
    Slot slots_[Size];
    size_t shortest_ = SIZE_MAX;
    size_t longest_ = 0;
};

// A growing open-addressing index from case-insensitive names to small
// numbers (places in a list kept elsewhere). Cleared in constant time by a
// generation count, so a reset per evaluation costs nothing however large
// an earlier script made it.
class NameIndex {
public:
    // The number stored for the name, or -1; nameOf(number) gives its name.
    template <typename NameOf>
    int32_t find(std::string_view name, uint32_t hash, NameOf nameOf) const {
        if (size_ == 0) return -1;
        const size_t mask = slots_.size() - 1;
        for (size_t k = hash & mask;; k = (k + 1) & mask) {
            const Slot& s = slots_[k];
            if (s.generation != generation_) return -1;
            if (s.hash == hash && sameName(nameOf(s.value), name)) return s.value;
        }
    }
    // Adds a name not yet present.
    void insert(uint32_t hash, int32_t value) {
        if ((size_ + 1) * 2 > slots_.size()) grow();
        place(hash, value);
        ++size_;
    }
    // Changes the number of a name found before.
    template <typename NameOf>
    void replace(std::string_view name, uint32_t hash, int32_t value, NameOf nameOf) {
        const size_t mask = slots_.size() - 1;
        for (size_t k = hash & mask;; k = (k + 1) & mask) {
            Slot& s = slots_[k];
            if (s.hash == hash && sameName(nameOf(s.value), name)) {
                s.value = value;
                return;
            }
        }
    }
    void clear() {
        ++generation_;
        size_ = 0;
    }
    size_t size() const { return size_; }

private:
    struct Slot {
        uint32_t hash = 0;
        uint32_t generation = 0;
        int32_t value = -1;
    };
    void place(uint32_t hash, int32_t value) {
        const size_t mask = slots_.size() - 1;
        size_t k = hash & mask;
        while (slots_[k].generation == generation_) k = (k + 1) & mask;
        slots_[k] = Slot{hash, generation_, value};
    }
    void grow() {
        std::vector<Slot> old;
        old.swap(slots_);
        slots_.assign(old.empty() ? 16 : old.size() * 2, Slot{});
        const uint32_t live = generation_;
        generation_ = 1;
        for (const Slot& s : old)
            if (s.generation == live) place(s.hash, s.value);
    }
    std::vector<Slot> slots_;
    uint32_t generation_ = 1;
    size_t size_ = 0;
};

}  // namespace mcplot::vbs
