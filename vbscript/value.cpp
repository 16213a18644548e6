#include "vbscript/value.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "numbers/number.h"
#include "vbscript/dates.h"
#include "vbscript/host_object.h"
#include "vbscript/locale.h"

namespace mcplot::vbs {

namespace {
struct ErrorText {
    int number;
    const char* text;
};
// The language's errors in the student's words.
constexpr ErrorText kErrorTexts[] = {
    {3, "Return без GoSub"},
    {5, "недопустимый вызов процедуры или недопустимый аргумент"},
    {err::Overflow, "переполнение"},
    {err::OutOfMemory, "недостаточно памяти"},
    {err::SubscriptRange, "индекс за пределами диапазона"},
    {err::FixedArray, "массив фиксирован или временно заблокирован"},
    {err::DivisionByZero, "деление на ноль"},
    {err::TypeMismatch, "несовпадение типов"},
    {14, "недостаточно памяти для строки"},
    {17, "невозможно выполнить запрошенную операцию"},
    {err::OutOfStack, "недостаточно места в стеке (слишком глубокая вложенность или рекурсия)"},
    {err::NotDefined, "процедура Sub или Function не определена"},
    {48, "ошибка при загрузке библиотеки"},
    {err::Internal, "внутренняя ошибка"},
    {52, "неверное имя или номер файла"},
    {53, "файл не найден"},
    {54, "неверный режим файла"},
    {55, "файл уже открыт"},
    {57, "ошибка ввода-вывода устройства"},
    {58, "файл уже существует"},
    {61, "диск заполнен"},
    {62, "попытка чтения за концом файла"},
    {67, "слишком много файлов"},
    {68, "устройство недоступно"},
    {70, "отказано в доступе"},
    {71, "диск не готов"},
    {74, "невозможно переименовать с другим диском"},
    {75, "ошибка доступа к пути или файлу"},
    {76, "путь не найден"},
    {err::ObjectNotSet, "переменная объекта не задана"},
    {92, "цикл For не инициализирован"},
    {err::InvalidNull, "недопустимое использование Null"},
    {322, "невозможно создать временный файл"},
    {err::ObjectRequired, "требуется объект"},
    {err::CantCreate, "невозможно создать объект"},
    {430, "класс не поддерживает автоматизацию"},
    {432, "имя файла или класса не найдено"},
    {err::NoMember, "объект не поддерживает это свойство или метод"},
    {440, "ошибка автоматизации"},
    {445, "объект не поддерживает это действие"},
    {446, "объект не поддерживает именованные аргументы"},
    {447, "объект не поддерживает текущие национальные настройки"},
    {448, "именованный аргумент не найден"},
    {449, "аргумент не является необязательным"},
    {err::WrongArgs, "неверное число аргументов или недопустимое присвоение свойства"},
    {err::NotCollection, "объект не является коллекцией"},
    {453, "указанная функция библиотеки не найдена"},
    {455, "блокировка ресурса кода"},
    {457, "этот ключ уже связан с элементом коллекции"},
    {458, "переменная использует тип автоматизации, не поддерживаемый в VBScript"},
    {462, "удалённый сервер не существует или недоступен"},
    {481, "недопустимый рисунок"},
    {err::Undefined, "переменная не определена"},
    {err::IllegalAssign, "недопустимое присвоение"},
    {502, "объект небезопасен для сценариев"},
    {503, "объект небезопасен для инициализации"},
    {504, "объект небезопасен для создания"},
    {505, "недопустимая или неполная ссылка"},
    {506, "класс не определён"},
    {507, "возникло исключение"},
    {1001, "недостаточно памяти"},
    {err::Syntax, "синтаксическая ошибка"},
    {1003, "ожидается «:»"},
    {err::ExpectLParen, "ожидается «(»"},
    {err::ExpectRParen, "ожидается «)»"},
    {1007, "ожидается «]»"},
    {err::ExpectIdent, "ожидается имя"},
    {err::ExpectEq, "ожидается «=»"},
    {err::ExpectIf, "ожидается «If»"},
    {err::ExpectTo, "ожидается «To»"},
    {err::ExpectEnd, "ожидается «End»"},
    {err::ExpectFunction, "ожидается «Function»"},
    {err::ExpectSub, "ожидается «Sub»"},
    {err::ExpectThen, "ожидается «Then»"},
    {err::ExpectWend, "ожидается «Wend»"},
    {err::ExpectLoop, "ожидается «Loop»"},
    {err::ExpectNext, "ожидается «Next»"},
    {err::ExpectCase, "ожидается «Case»"},
    {err::ExpectSelect, "ожидается «Select»"},
    {err::ExpectExpr, "ожидается выражение"},
    {err::ExpectStatement, "ожидается инструкция"},
    {err::ExpectEndOfStatement, "ожидается конец инструкции"},
    {1026, "ожидается целая константа"},
    {1027, "ожидается «While» или «Until»"},
    {err::ExpectWhileUntil, "ожидается «While», «Until» или конец инструкции"},
    {1029, "ожидается «With»"},
    {1030, "имя слишком длинное"},
    {1031, "недопустимое число"},
    {err::InvalidChar, "недопустимый знак"},
    {err::Unterminated, "незавершённая строковая константа"},
    {1034, "незавершённый комментарий"},
    {1037, "недопустимое использование ключевого слова «Me»"},
    {1038, "«Loop» без «Do»"},
    {1039, "недопустимая инструкция «Exit»"},
    {1040, "недопустимая переменная цикла For"},
    {err::NameRedefined, "повторное определение имени"},
    {1042, "должна быть первой инструкцией в строке"},
    {1043, "нельзя присваивать значение аргументу, не являющемуся ByVal"},
    {err::ParensOnSub, "нельзя использовать скобки при вызове процедуры Sub"},
    {1045, "ожидается литеральная константа"},
    {err::ExpectIn, "ожидается «In»"},
    {1047, "ожидается «Class»"},
    {1048, "должно быть определено внутри класса"},
    {1049, "в объявлении свойства ожидается Let, Set или Get"},
    {1050, "ожидается «Property»"},
    {1051, "число аргументов должно быть одинаковым во всех описаниях свойства"},
    {1052, "в классе не может быть несколько свойств или методов по умолчанию"},
    {1053, "у Class_Initialize и Class_Terminate не бывает аргументов"},
    {1054, "у Property Let и Property Set должен быть хотя бы один аргумент"},
    {1055, "неожиданное «Next»"},
    {1056, "«Default» допустимо только у Property, Function или Sub"},
    {1057, "вместе с «Default» должно быть указано «Public»"},
    {1058, "«Default» допустимо только у Property Get"},
    {err::Timeout, "сценарий выполняется слишком долго и прерван"},
};
}  // namespace

const char* errorMessage(int number) {
    for (const ErrorText& e : kErrorTexts)
        if (e.number == number) return e.text;
    return "неизвестная ошибка выполнения";
}

void raise(int number) {
    throw ScriptError(number);
}

void ScriptError::locate(std::string_view text, size_t offset) {
    if (located()) return;
    if (offset > text.size()) offset = text.size();
    int lineNo = 1;
    size_t lineStart = 0;
    for (size_t k = 0; k < offset; ++k) {
        if (text[k] == '\n' || (text[k] == '\r' && (k + 1 >= text.size() || text[k + 1] != '\n'))) {
            ++lineNo;
            lineStart = k + 1;
        }
    }
    int col = 1;
    for (size_t k = lineStart; k < offset; ++k)
        if ((static_cast<unsigned char>(text[k]) & 0xC0) != 0x80) ++col;  // UTF-8 lead bytes
    line = lineNo;
    column = col;
}

namespace {
// The budget of the interpreter running on this thread, if any.
thread_local MemoryBudget* currentBudget = nullptr;

void reserveBytes(HeapObj& h, size_t n) {
    MemoryBudget* b = h.budget;
    if (!b) return;
    if (n > b->limit || b->live > b->limit - n) raise(err::OutOfMemory);
    b->live += n;
    b->work += n;
    h.counted += n;
}

void returnBytes(HeapObj& h, size_t n) {
    if (n > h.counted) n = h.counted;
    h.counted -= n;
    if (h.budget) h.budget->live -= n;
}
}  // namespace

BudgetScope::BudgetScope(MemoryBudget* budget) : previous_(currentBudget) {
    currentBudget = budget;
}
BudgetScope::~BudgetScope() {
    currentBudget = previous_;
}

HeapObj::HeapObj(Kind k) : kind(k), budget(currentBudget) {}

size_t takeWorkBytes() {
    if (!currentBudget) return 0;
    const size_t n = currentBudget->work;
    currentBudget->work = 0;
    return n;
}
void addWorkBytes(size_t n) {
    if (currentBudget) currentBudget->work += n;
}

void checkStringSize(size_t n) {
    if (n > kMaxStringBytes) raise(err::OutOfMemory);
    if (const MemoryBudget* b = currentBudget; b && (n > b->limit || b->live > b->limit - n))
        raise(err::OutOfMemory);
}

StrObj::StrObj(std::string text) : HeapObj(String) {
    if (text.size() > kMaxStringBytes) raise(err::OutOfMemory);
    reserveBytes(*this, text.size());
    s = std::move(text);
}
StrObj::~StrObj() {
    returnBytes(*this, counted);
}

ArrObj::ArrObj(std::vector<int32_t> ub, bool fixed) : HeapObj(Array), fixedSize(fixed) {
    reshape(ub, false);
}
ArrObj::~ArrObj() {
    returnBytes(*this, counted);
}

void ArrObj::reshape(const std::vector<int32_t>& ub, bool preserve) {
    // Counted in 64 bits: an upper bound of 2147483647 has 2^31 elements.
    uint64_t count = 1;
    for (int32_t u : ub) {
        if (u < -1) raise(err::SubscriptRange);
        const uint64_t n = static_cast<uint64_t>(static_cast<int64_t>(u) + 1);
        if (n != 0 && count > kMaxLiveBytes / sizeof(Value) / n) raise(err::OutOfMemory);
        count *= n;
    }
    if (ub.empty()) count = 0;
    const size_t oldBytes = items.size() * sizeof(Value);
    const size_t newBytes = static_cast<size_t>(count) * sizeof(Value);
    if (newBytes > oldBytes)
        reserveBytes(*this, newBytes - oldBytes);
    else
        returnBytes(*this, oldBytes - newBytes);
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

ObjObj::ObjObj(Which w, std::shared_ptr<HostObject> h) : HeapObj(Object), which(w), host(std::move(h)) {}
ObjObj::~ObjObj() {
    unlink();
}

void ObjObj::link(InstanceList* l) {
    list = l;
    nextLive = l->head;
    if (nextLive) nextLive->prevLive = this;
    l->head = this;
}

void ObjObj::unlink() {
    if (!list) return;
    if (prevLive)
        prevLive->nextLive = nextLive;
    else
        list->head = nextLive;
    if (nextLive) nextLive->prevLive = prevLive;
    list = nullptr;
    prevLive = nextLive = nullptr;
}

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
        case HeapObj::String:
            delete static_cast<StrObj*>(h);
            break;
        case HeapObj::Array:
            delete static_cast<ArrObj*>(h);
            break;
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

namespace {
bool parsePlainNumber(std::string_view s, double& out);
}  // namespace

bool parseNumber(std::string_view s, double& out) {
    // A script that chose its regional settings reads their separators.
    if (const Locale* l = activeLocale()) [[unlikely]] {
        std::string plain;
        return toPlainNumberText(s, *l, plain) && parsePlainNumber(plain, out);
    }
    return parsePlainNumber(s, out);
}

namespace {
bool parsePlainNumber(std::string_view s, double& out) {
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
            if (c >= '0' && c <= '9')
                dgt = c - '0';
            else if (base == 16 && c >= 'a' && c <= 'f')
                dgt = c - 'a' + 10;
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
}  // namespace

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
        case vtEmpty:
            return 0;
        case vtNull:
            raise(err::InvalidNull);
        case vtInteger:
        case vtLong:
        case vtByte:
        case vtBoolean:
            return static_cast<double>(v.i());
        case vtCurrency:
            return static_cast<double>(v.i()) / 10000.0;
        case vtSingle:
        case vtDouble:
        case vtDate:
            return v.d();
        case vtString: {
            double d = 0;
            if (!parseNumber(v.s(), d)) raise(err::TypeMismatch);
            return d;
        }
        case vtObject:
            return toDouble(objectDefault(v));
        default:
            raise(err::TypeMismatch);
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
        case vtCurrency:
            return v.i() != 0;
        default:
            return toDouble(v) != 0;
    }
}

int32_t toLong(const Value& v) {
    switch (v.type()) {
        case vtInteger:
        case vtLong:
        case vtByte:
        case vtBoolean:
            return static_cast<int32_t>(v.i());
        default:
            return static_cast<int32_t>(roundToRange(toDouble(v), INT32_MIN, INT32_MAX));
    }
}

int16_t toInteger(const Value& v) {
    return static_cast<int16_t>(roundToRange(toDouble(v), INT16_MIN, INT16_MAX));
}

Value toArith(const Value& v) {
    switch (v.type()) {
        case vtEmpty:
            return Value::integer(0);
        case vtBoolean:
            return Value::integer(static_cast<int16_t>(v.i()));
        case vtString:
            return Value::dbl(toDouble(v));
        case vtNull:
        case vtInteger:
        case vtLong:
        case vtByte:
        case vtSingle:
        case vtDouble:
        case vtCurrency:
        case vtDate:
            return v;
        case vtObject:
            return toArith(objectDefault(v));
        default:
            raise(err::TypeMismatch);
    }
}

// Seven significant digits, by the same rule as a Double's fifteen.
std::string singleText(float v) {
    return numberText(v, 7);
}

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
        case vtEmpty:
            return;
        case vtNull:
            raise(err::InvalidNull);
        case vtInteger:
        case vtLong:
        case vtByte: {
            const auto r = std::to_chars(buf, buf + sizeof buf, v.i());
            out.append(buf, r.ptr);
            return;
        }
        case vtBoolean:
            out += v.i() ? "True" : "False";
            return;
        case vtString:
            out += v.s();
            return;
        case vtSingle:
        case vtDouble:
        case vtCurrency: {
            std::string text = v.type() == vtSingle   ? singleText(static_cast<float>(v.d()))
                               : v.type() == vtDouble ? numberText15(v.d())
                                                      : currencyText(v.i());
            if (const Locale* l = activeLocale()) [[unlikely]]
                text = localNumberText(std::move(text), *l);
            out += text;
            return;
        }
        case vtDate:
            out += dateText(v.d());
            return;
        case vtObject:
            return appendText(out, objectDefault(v));
        default:
            raise(err::TypeMismatch);
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
        case vtEmpty:
            return "Empty";
        case vtNull:
            return "Null";
        case vtInteger:
            return "Integer";
        case vtLong:
            return "Long";
        case vtSingle:
            return "Single";
        case vtDouble:
            return "Double";
        case vtCurrency:
            return "Currency";
        case vtDate:
            return "Date";
        case vtString:
            return "String";
        case vtBoolean:
            return "Boolean";
        case vtByte:
            return "Byte";
        case vtArray:
            return "Variant()";
        case vtObject:
            if (!v.obj()) return "Nothing";
            if (v.obj()->which == ObjObj::ErrObject) return "ErrObject";
            if (v.obj()->which == ObjObj::Instance) return className(v.obj());
            return v.obj()->host ? v.obj()->host->typeName() : "Object";
        default:
            return "Unknown";
    }
}

int varType(const Value& v) {
    return v.type();
}

}  // namespace mcplot::vbs
