#include "core/expression_hints.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>

#include "core/failure_text.h"
#include "numbers/number.h"
#include "vbscript/builtins.h"
#include "vbscript/operators.h"
#include "vbscript/syntax_walk.h"

namespace mcplot {
namespace {

using vbs::NK;
using vbs::Node;

// The program's first line and the start of its second: the user's text is
// parsed in the same place as it runs, so multi-statement texts read alike.
constexpr std::string_view kLeadIn = "x=0\r\nRes.p=";

// One finding: its weight (lower is more important), what it is about (so
// that a hint repeating the failure's advice can be left out) and its words.
struct Finding {
    int rank;
    std::string topic;
    std::string text;
};

enum Rank { kZeroByZero, kNegatedPower, kUnknownFunction, kDecimalComma, kUnsetName };

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x80)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The code point at s[k] and its length in bytes (a stray byte counts as itself).
char32_t codePointAt(std::string_view s, size_t k, size_t* length = nullptr) {
    const auto b = [&](size_t j) { return j < s.size() ? static_cast<unsigned char>(s[j]) : 0u; };
    const unsigned c = b(k);
    size_t len = 1;
    char32_t cp = c;
    if (c >= 0xF0 && c < 0xF8) {
        len = 4, cp = c & 0x07;
    } else if (c >= 0xE0) {
        len = 3, cp = c & 0x0F;
    } else if (c >= 0xC0) {
        len = 2, cp = c & 0x1F;
    }
    for (size_t j = 1; j < len; ++j) cp = (cp << 6) | (b(k + j) & 0x3F);
    if (length) *length = std::min(len, s.size() - k);
    return cp;
}

std::string utf8(char32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

// A hint's words as a sentence of a message: a capital and a full stop.
std::string sentence(std::string text) {
    if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xD0) {
        const auto second = static_cast<unsigned char>(text[1]);
        if (second >= 0xB0 && second <= 0xBF) text[1] = static_cast<char>(second - 0x20);  // а..п
    } else if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xD1) {
        const auto second = static_cast<unsigned char>(text[1]);
        if (second >= 0x80 && second <= 0x8F) {  // р..я
            text[0] = static_cast<char>(0xD0);
            text[1] = static_cast<char>(second + 0x20);
        }
    }
    return text + ".";
}

int charCount(std::string_view s) {
    return static_cast<int>(std::count_if(
        s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The Latin letter a Cyrillic one is taken for, or 0.
char latinTwin(char32_t cp) {
    static constexpr std::pair<char32_t, char> twins[] = {
        {U'а', 'a'}, {U'е', 'e'}, {U'о', 'o'}, {U'р', 'p'}, {U'с', 'c'}, {U'у', 'y'}, {U'х', 'x'},
        {U'к', 'k'}, {U'А', 'A'}, {U'В', 'B'}, {U'Е', 'E'}, {U'К', 'K'}, {U'М', 'M'}, {U'Н', 'H'},
        {U'О', 'O'}, {U'Р', 'P'}, {U'С', 'C'}, {U'Т', 'T'}, {U'Х', 'X'}, {U'у', 'y'}};
    for (const auto& [cyr, lat] : twins)
        if (cyr == cp) return lat;
    return 0;
}

bool isCyrillic(char32_t cp) {
    return cp >= 0x400 && cp <= 0x4FF;
}

// The ordinary digit of a superscript one, or -1.
int superscriptDigit(char32_t cp) {
    if (cp == U'²') return 2;
    if (cp == U'³') return 3;
    if (cp == U'¹') return 1;
    if (cp == U'⁰') return 0;
    if (cp >= U'⁴' && cp <= U'⁹') return static_cast<int>(cp - U'⁴') + 4;
    return -1;
}

// "х" is Cyrillic in "eхp": the first such letter of a name, if any.
std::string cyrillicHint(std::string_view name) {
    for (size_t k = 0; k < name.size();) {
        size_t len;
        const char32_t cp = codePointAt(name, k, &len);
        if (isCyrillic(cp)) {
            std::string text = "в «" + std::string(name) + "» буква «" + utf8(cp) + "» русская; ";
            if (const char lat = latinTwin(cp))
                text += std::string("наберите латинскую ") + lat;
            else
                text += "в формуле нужны латинские буквы";
            return text;
        }
        k += len;
    }
    return {};
}

// "x²" as a name: the base and the power it was meant to have.
std::string superscriptHint(std::string_view name) {
    std::string base, power;
    for (size_t k = 0; k < name.size();) {
        size_t len;
        const char32_t cp = codePointAt(name, k, &len);
        if (const int d = superscriptDigit(cp); d >= 0)
            power += static_cast<char>('0' + d);
        else if (power.empty())
            base.append(name.substr(k, len));
        else
            return {};
        k += len;
    }
    if (power.empty() || base.empty()) return {};
    return "«" + std::string(name) + "» здесь — неизвестное имя, равное 0; степень пишется так: " + base +
           "^" + power;
}

// Functions students know from elsewhere and what VBScript has instead.
struct Replacement {
    const char* name;
    const char* instead;
};
constexpr Replacement kStudentFunctions[] = {
    {"sqrt", "корень — Sqr(x)"},
    {"ln", "натуральный логарифм — Log(x)"},
    {"lg", "десятичный логарифм — Log(x)/Log(10)"},
    {"log10", "десятичный логарифм — Log(x)/Log(10)"},
    {"log2", "двоичный логарифм — Log(x)/Log(2)"},
    {"tg", "тангенс — Tan(x)"},
    {"ctg", "котангенс — 1/Tan(x)"},
    {"cot", "котангенс — 1/Tan(x)"},
    {"cotan", "котангенс — 1/Tan(x)"},
    {"arcsin", "арксинус — Atn(x/Sqr(1-x^2))"},
    {"asin", "арксинус — Atn(x/Sqr(1-x^2))"},
    {"arccos", "арккосинус — 2*Atn(1)-Atn(x/Sqr(1-x^2))"},
    {"acos", "арккосинус — 2*Atn(1)-Atn(x/Sqr(1-x^2))"},
    {"arctg", "арктангенс — Atn(x)"},
    {"arctan", "арктангенс — Atn(x)"},
    {"atan", "арктангенс — Atn(x)"},
    {"arcctg", "арккотангенс — 2*Atn(1)-Atn(x)"},
    {"pow", "степень — a^b"},
    {"sh", "гиперболический синус — (Exp(x)-Exp(-x))/2"},
    {"sinh", "гиперболический синус — (Exp(x)-Exp(-x))/2"},
    {"ch", "гиперболический косинус — (Exp(x)+Exp(-x))/2"},
    {"cosh", "гиперболический косинус — (Exp(x)+Exp(-x))/2"},
    {"th", "гиперболический тангенс — (Exp(x)-Exp(-x))/(Exp(x)+Exp(-x))"},
    {"tanh", "гиперболический тангенс — (Exp(x)-Exp(-x))/(Exp(x)+Exp(-x))"},
    {"fabs", "модуль — Abs(x)"},
    {"sign", "знак — Sgn(x)"},
    {"floor", "целая часть вниз — Int(x)"},
    {"ceil", "целая часть вверх — -Int(-x)"},
    {"trunc", "отбрасывание дробной части — Fix(x)"},
    {"cbrt", "кубический корень — x^(1/3) (для x ≥ 0)"},
};

std::string unknownFunctionText(std::string_view name) {
    if (std::string cyr = cyrillicHint(name); !cyr.empty()) return cyr;
    const std::string key = lower(name);
    for (const Replacement& r : kStudentFunctions)
        if (key == r.name) return "функции " + std::string(name) + " в VBScript нет; " + r.instead;
    return "функции " + std::string(name) + " в VBScript нет";
}

std::string unsetNameText(std::string_view name) {
    const std::string key = lower(name);
    if (key == "pi") return std::string(name) + " здесь не задано и равно 0; число π — 4*Atn(1)";
    if (key == "e") return std::string(name) + " здесь не задано и равно 0; число e — Exp(1), а e^x — Exp(x)";
    if (std::string sup = superscriptHint(name); !sup.empty()) return sup;
    if (std::string cyr = cyrillicHint(name); !cyr.empty()) return cyr;
    return "«" + std::string(name) + "» здесь не задано и равно 0";
}

// What the parser and a walk over its tree tell about a text.
class Reading {
public:
    explicit Reading(std::string_view userText)
        : user_(userText), outline_(vbs::outlineSyntax(std::string(kLeadIn) + std::string(userText))) {
        if (outline_.parsed) collectNames();
    }

    bool parsed() const { return outline_.parsed; }
    int errorNumber() const { return outline_.errorNumber; }
    // The parse error's place in the user's text (bytes), or npos before it.
    size_t errorOffset() const {
        return outline_.errorOffset >= kLeadIn.size() ? outline_.errorOffset - kLeadIn.size()
                                                      : std::string_view::npos;
    }
    const vbs::Chunk& chunk() const { return outline_.chunk; }
    const Node& node(int32_t n) const { return outline_.chunk.nodes[static_cast<size_t>(n)]; }
    // Bytes of the user's text before a node, or npos for the lead-in's nodes.
    size_t userOffset(const Node& nd) const {
        return nd.pos >= kLeadIn.size() ? nd.pos - kLeadIn.size() : std::string_view::npos;
    }
    bool assigned(std::string_view name) const { return assigned_.count(lower(name)) != 0; }
    bool procedure(std::string_view name) const { return procedures_.count(lower(name)) != 0; }

    // The node of a call or operator that starts at a byte of the user's text.
    const Node* operationAt(size_t offset) const {
        for (const Node& nd : outline_.chunk.nodes)
            if ((nd.kind == NK::Call || nd.kind == NK::Binary || nd.kind == NK::Index) &&
                userOffset(nd) == offset)
                return &nd;
        return nullptr;
    }

    // A name the user's text reads without the program or the text giving it
    // a value, and no built-in of that name.
    bool unsetRead(const Node& nd, int32_t parent) const {
        if (nd.kind != NK::Name || nd.k >= 0 || userOffset(nd) == std::string_view::npos) return false;
        if (parent >= 0) {
            const Node& p = node(parent);
            if ((p.kind == NK::Assign || p.kind == NK::SetAssign) && &node(p.a) == &nd) return false;
        }
        return !assigned(nd.nameView()) && !procedure(nd.nameView());
    }

private:
    void collectNames() {
        assigned_ = {"x", "res", "me"};
        vbs::walkSyntax(outline_.chunk, [this](int32_t n, int32_t) {
            const Node& nd = node(n);
            switch (nd.kind) {
                case NK::Assign:
                case NK::SetAssign: {
                    const Node& t = node(nd.a);
                    if (t.kind == NK::Name || t.kind == NK::Call) assigned_.insert(lower(t.nameView()));
                    break;
                }
                case NK::For:
                case NK::ForEach:
                case NK::DimItem:
                case NK::ConstItem:
                case NK::Param:
                    if (nd.name) assigned_.insert(lower(nd.nameView()));
                    break;
                case NK::ProcDef:
                case NK::ClassDef:
                    if (nd.name) procedures_.insert(lower(nd.nameView()));
                    break;
                default:
                    break;
            }
        });
    }

    std::string_view user_;
    vbs::SyntaxOutline outline_;
    std::set<std::string> assigned_, procedures_;
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// "0,5" around a comma at `comma` between digits, and its reading with a point.
bool decimalCommaAt(std::string_view text, size_t comma, std::string& typed, std::string& meant) {
    if (comma >= text.size() || text[comma] != ',' || comma == 0 || comma + 1 >= text.size()) return false;
    if (!isDigit(text[comma - 1]) || !isDigit(text[comma + 1])) return false;
    size_t from = comma, to = comma + 1;
    while (from > 0 && (isDigit(text[from - 1]) || text[from - 1] == '.')) --from;
    while (to < text.size() && isDigit(text[to])) ++to;
    typed = std::string(text.substr(from, to - from));
    meant = typed;
    meant[comma - from] = '.';
    return true;
}

std::string decimalCommaText(const std::string& typed, const std::string& meant) {
    return "дробь пишется с точкой: " + meant + ", а не " + typed;
}

// The token of the text at a byte: a name or number, or one character.
std::string_view tokenAt(std::string_view text, size_t k) {
    if (k >= text.size()) return {};
    auto wordChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' ||
               static_cast<unsigned char>(c) >= 0x80;
    };
    size_t end = k;
    // A name or number starts with a Latin letter, a digit or a point.
    if (static_cast<unsigned char>(text[k]) < 0x80 && wordChar(text[k])) {
        while (end < text.size() && wordChar(text[end])) ++end;
    } else {
        codePointAt(text, k, &end);
        end += k;
    }
    return text.substr(k, end - k);
}

// The token ending just before a byte, blanks skipped.
std::string_view tokenBefore(std::string_view text, size_t k) {
    k = std::min(k, text.size());
    while (k > 0 && (text[k - 1] == ' ' || text[k - 1] == '\t')) --k;
    if (k == 0) return {};
    size_t from = k - 1;
    auto wordChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' ||
               static_cast<unsigned char>(c) >= 0x80;
    };
    if (wordChar(text[from])) {
        while (from > 0 && wordChar(text[from - 1])) --from;
    } else {
        while (from > 0 && (static_cast<unsigned char>(text[from]) & 0xC0) == 0x80) --from;
    }
    return text.substr(from, k - from);
}

// The byte offset in the user's text of the failure's place, or npos.
size_t failureOffset(const FailureRecord& f) {
    const int pos = positionInUserText(f.kod, f.userText, f.status.line, f.status.column);
    if (pos <= 0) return std::string_view::npos;
    size_t k = 0;
    for (int c = 1; c < pos && k < f.userText.size(); ++c) {
        ++k;
        while (k < f.userText.size() && (static_cast<unsigned char>(f.userText[k]) & 0xC0) == 0x80) ++k;
    }
    return k;
}

// A failure's advice and what it is about.
struct Advice {
    std::string topic;
    std::string text;
};

Advice syntaxAdvice(const FailureRecord& f, size_t at) {
    const std::string_view text = f.userText;
    if (text.find_first_not_of(" \t") == std::string_view::npos)
        return {"empty", "Формула пуста: введите выражение от x, например x^2."};
    if (at == std::string_view::npos) return {};
    const std::string_view token = tokenAt(text, at);
    const std::string_view before = tokenBefore(text, at);
    if (token == ",") {
        std::string typed, meant;
        if (decimalCommaAt(text, at, typed, meant))
            return {"comma", "Запятая здесь не входит в число; " + decimalCommaText(typed, meant) + "."};
        return {"comma-other", "Запятая разделяет только аргументы функции в скобках; уберите её."};
    }
    switch (f.status.number) {
        case vbs::err::ExpectRParen:
            return {"rparen", "Не хватает закрывающей скобки «)»: допишите её."};
        case vbs::err::ExpectExpr:
            if (token.empty())
                return {"operand", "Формула обрывается после «" + std::string(before) +
                                       "»: допишите число, x или выражение в скобках."};
            return {"operand", "Перед «" + std::string(token) +
                                   "» не хватает числа или выражения: допишите его "
                                   "или уберите лишний знак."};
        case vbs::err::InvalidChar: {
            const char32_t cp = codePointAt(text, at);
            if (isCyrillic(cp)) {
                std::string s = "«" + utf8(cp) + "» — русская буква; ";
                if (const char lat = latinTwin(cp))
                    return {"cyrillic", s + "наберите латинскую " + lat + "."};
                return {"cyrillic", s + "в формуле нужны латинские буквы."};
            }
            if (cp == U'π') return {"name:pi", "π так не пишется: число π — 4*Atn(1)."};
            if (superscriptDigit(cp) >= 0)
                return {"superscript", "Степень пишется знаком ^: " + std::string(before) + "^" +
                                           std::to_string(superscriptDigit(cp)) + "."};
            if (cp == U'·' || cp == U'×') return {"times", "Умножение пишется звёздочкой: *."};
            if (cp == U'÷') return {"divide", "Деление пишется косой чертой: /."};
            if (cp == U'−' || cp == U'–' || cp == U'—') return {"minus", "Минус пишется обычным дефисом: -."};
            if (cp == U'√') return {"root", "Корень пишется Sqr(…)."};
            return {"char", "Знак «" + utf8(cp) + "» в формулах VBScript не используется; уберите его."};
        }
        case vbs::err::ExpectEndOfStatement:
            if (token == ")")
                return {"extra-rparen", "Лишняя скобка «)»: уберите её или добавьте «(» перед ней."};
            if (!before.empty())
                return {"operator", "Между «" + std::string(before) + "» и «" + std::string(token) +
                                        "» не хватает знака операции; умножение пишется *, например 2*x."};
            break;
        default:
            break;
    }
    return {"syntax", "Проверьте запись формулы в отмеченном месте."};
}

Advice runTimeAdvice(const FailureRecord& f, size_t at) {
    const std::string x = numberText15(f.x);
    const Reading reading(f.userText);
    const Node* op = at == std::string_view::npos || !reading.parsed() ? nullptr : reading.operationAt(at);
    const bool isCall = op && op->kind == NK::Call;
    const bool isDivision = op && op->kind == NK::Binary && op->op == static_cast<uint8_t>(vbs::BinOp::Div);
    const bool isPower = op && op->kind == NK::Binary && op->op == static_cast<uint8_t>(vbs::BinOp::Pow);
    const std::string name = isCall ? lower(op->nameView()) : std::string();
    switch (f.status.number) {
        case vbs::err::TypeMismatch:
            if (isCall && name == "x") return {"call-x", "x(…) — не умножение: пишите x*(…)."};
            if (isCall && op->k < 0 && !reading.procedure(name))
                return {"fn:" + name, sentence(unknownFunctionText(op->nameView()))};
            break;
        case vbs::err::InvalidCall:
            if (name == "sqr")
                return {"sqr", "Под корнем отрицательное число при x = " + x +
                                   ": сдвиньте пределы так, чтобы выражение под Sqr было не меньше 0."};
            if (name == "log")
                return {"log", "Логарифм числа, не большего 0, при x = " + x +
                                   ": выражение под Log должно быть больше 0; сдвиньте пределы."};
            if (isPower)
                return {"power", "Отрицательное число в дробной степени (или 0 в отрицательной) при x = " +
                                     x + ": возьмите Abs(…) или сдвиньте пределы."};
            return {"argument", "Функция получила недопустимый аргумент при x = " + x + "."};
        case vbs::err::WrongArgs:
            if (isCall)
                return {
                    "args",
                    "У " + std::string(op->nameView()) +
                        " не то число аргументов: аргументы разделяет запятая, а дробь пишется с точкой."};
            break;
        case vbs::err::DivisionByZero:
            return {"div0", "Деление на ноль при x = " + x +
                                ": знаменатель здесь равен 0; сдвиньте предел или обойдите эту точку."};
        case vbs::err::Overflow:
            if (isDivision)
                return {"0/0-message", "Здесь 0/0: числитель и знаменатель при x = " + x + " равны 0."};
            return {"overflow", "Число вышло за пределы (больше 1.8E308) при x = " + x +
                                    ": уменьшите промежуток или проверьте степени и Exp."};
        case kScriptTimedOut:
            return {"time", "Вычисление идёт слишком долго: упростите формулу."};
        default:
            break;
    }
    return {};
}

Advice adviceFor(const FailureRecord& f) {
    const size_t at = failureOffset(f);
    return isSyntaxError(f.status.number) ? syntaxAdvice(f, at) : runTimeAdvice(f, at);
}

// Where an expression's text starts: a binary operation, an index or a
// member is placed at its operator, its left operand comes first.
uint32_t startOf(const Reading& r, const Node& nd) {
    const bool leftFirst =
        nd.kind == NK::Binary || nd.kind == NK::Index || nd.kind == NK::Member || nd.kind == NK::MemberCall;
    return leftFirst && nd.a >= 0 ? startOf(r, r.node(nd.a)) : nd.pos;
}

int argumentCount(const Reading& r, const Node& call) {
    int n = 0;
    for (int32_t a = call.a; a >= 0; a = r.node(a).next) ++n;
    return n;
}

// The hints a parsed text gives, unordered.
void treeFindings(const Reading& r, std::string_view userText, std::vector<Finding>& out) {
    const vbs::Chunk& chunk = r.chunk();
    vbs::walkSyntax(chunk, [&](int32_t n, int32_t parent) {
        const Node& nd = r.node(n);
        const size_t at = r.userOffset(nd);
        if (at == std::string_view::npos) return;
        if (nd.kind == NK::Binary && nd.op == static_cast<uint8_t>(vbs::BinOp::Pow)) {
            const Node& base = r.node(nd.a);
            const Node& power = r.node(nd.b);
            // (-x)^3 is -(x^3): an odd whole power gives the same either way.
            bool oddWhole = false;
            if (power.kind == NK::Literal) {
                const vbs::Value& v = chunk.consts[static_cast<size_t>(power.k)];
                if (v.type() == vbs::vtInteger || v.type() == vbs::vtLong)
                    oddWhole = std::fmod(std::fabs(vbs::toDouble(v)), 2.0) == 1.0;
            }
            if (base.kind == NK::Unary && base.op == static_cast<uint8_t>(vbs::UnaryOp::Neg) &&
                (base.flags & vbs::nf::Parenthesised) == 0 && !oddWhole)
                out.push_back(
                    {kNegatedPower, "negated-power", "−x^2 здесь — это (−x)²; для −x² пишите -(x^2)"});
        }
        if (nd.kind == NK::Call && nd.k < 0) {
            const std::string name = lower(nd.nameView());
            if (name == "x")
                out.push_back({kUnknownFunction, "call-x", "x(…) — не умножение: пишите x*(…)"});
            else if (!r.assigned(name) && !r.procedure(name))
                out.push_back({kUnknownFunction, "fn:" + name, unknownFunctionText(nd.nameView())});
        }
        if (nd.kind == NK::Call && nd.k >= 0 && argumentCount(r, nd) > vbs::builtinAt(nd.k).maxArgs) {
            // Sin(0,5*x): a decimal comma split the argument in two.
            for (int32_t a = nd.a; a >= 0; a = r.node(a).next) {
                Node start = r.node(a);
                start.pos = startOf(r, start);
                const size_t argAt = r.userOffset(start);
                std::string typed, meant;
                if (argAt != std::string_view::npos && argAt > 0 &&
                    decimalCommaAt(userText, argAt - 1, typed, meant))
                    out.push_back({kDecimalComma, "comma", decimalCommaText(typed, meant)});
            }
        }
        if (r.unsetRead(nd, parent))
            out.push_back({kUnsetName, "name:" + lower(nd.nameView()), unsetNameText(nd.nameView())});
    });
}

// The hints a text that does not parse gives: its error's token.
void syntaxFindings(const Reading& r, std::string_view userText, std::vector<Finding>& out) {
    const size_t at = r.errorOffset();
    if (at == std::string_view::npos) return;
    std::string typed, meant;
    if (decimalCommaAt(userText, at, typed, meant))
        out.push_back({kDecimalComma, "comma", decimalCommaText(typed, meant)});
    if (at < userText.size()) {
        const char32_t cp = codePointAt(userText, at);
        if (isCyrillic(cp)) {
            std::string s = "«" + utf8(cp) + "» — русская буква; ";
            const char lat = latinTwin(cp);
            out.push_back({kUnsetName, "cyrillic",
                           lat ? s + "наберите латинскую " + lat : s + "в формуле нужны латинские буквы"});
        }
        if (cp == U'π') out.push_back({kUnsetName, "name:pi", "число π пишется 4*Atn(1)"});
    }
}

}  // namespace

bool isSyntaxError(int number) {
    return number >= 1000 && number < 1100;
}

std::string failureAdvice(const FailureRecord& failure) {
    return adviceFor(failure).text;
}

TextSpan failureSpan(const FailureRecord& f) {
    const std::string_view text = f.userText;
    const size_t at = failureOffset(f);
    if (at == std::string_view::npos) return {charCount(text), 0};
    size_t end = at + tokenAt(text, at).size();
    // A call is marked with its arguments: Sqr(x-1).
    if (!isSyntaxError(f.status.number) && end > at && std::isalpha(static_cast<unsigned char>(text[at]))) {
        size_t k = end;
        while (k < text.size() && text[k] == ' ') ++k;
        if (k < text.size() && text[k] == '(') {
            int depth = 0;
            bool quoted = false;
            for (; k < text.size(); ++k) {
                if (text[k] == '"') quoted = !quoted;
                if (quoted) continue;
                if (text[k] == '(') ++depth;
                if (text[k] == ')' && --depth == 0) {
                    end = k + 1;
                    break;
                }
            }
        }
    }
    return {charCount(text.substr(0, at)), charCount(text.substr(at, end - at))};
}

std::string markedExpression(const FailureRecord& f) {
    const TextSpan span = failureSpan(f);
    const std::string_view text = f.userText;
    // Character positions back to bytes.
    auto byteOf = [&](int chars) {
        size_t k = 0;
        for (int c = 0; c < chars && k < text.size(); ++c) {
            ++k;
            while (k < text.size() && (static_cast<unsigned char>(text[k]) & 0xC0) == 0x80) ++k;
        }
        return k;
    };
    const size_t from = byteOf(span.start), to = byteOf(span.start + span.length);
    return std::string(text.substr(0, from)) + "▸" + std::string(text.substr(from, to - from)) + "◂" +
           std::string(text.substr(to));
}

std::vector<std::string> expressionHints(std::string_view userText, const FailureRecord* failure) {
    const Reading reading(userText);
    std::vector<Finding> found;
    if (reading.parsed())
        treeFindings(reading, userText, found);
    else
        syntaxFindings(reading, userText, found);
    if (failure && failure->status.number == vbs::err::Overflow && !isSyntaxError(failure->status.number)) {
        const Advice advice = adviceFor(*failure);
        if (advice.topic == "0/0-message")
            found.push_back({kZeroByZero, "0/0",
                             "0/0 при x = " + numberText15(failure->x) +
                                 " (например, sin(x)/x): в этой точке f не вычисляется, и график и трапеции "
                                 "берут там прежнее значение; сам интеграл от этого не зависит"});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Finding& a, const Finding& b) { return a.rank < b.rank; });
    const std::string covered = failure ? adviceFor(*failure).topic : std::string();
    std::vector<std::string> hints;
    std::set<std::string> topics;
    for (const Finding& f : found) {
        if (hints.size() == kMaxHints) break;
        if (f.topic == covered || !topics.insert(f.topic).second) continue;
        hints.push_back(texts::hintPrefix + f.text);
    }
    return hints;
}

std::vector<std::string> temperatureHints(std::string_view text) {
    const LeadingNumber read = scanLeadingNumber(text);
    if (read.rest == 0 && text.find_first_not_of(" \t\n") != std::string_view::npos) return {};
    std::string hint = std::string(texts::hintPrefix) + "T прочитано как " + numberText15(read.value);
    std::string meant(text);
    std::replace(meant.begin(), meant.end(), ',', '.');
    if (meant != text && scanLeadingNumber(meant).rest == 0) {
        meant.erase(0, meant.find_first_not_of(" \t\n"));
        meant.erase(meant.find_last_not_of(" \t\n") + 1);
        hint += "; дробь пишется с точкой: " + meant;
    } else if (text.find_first_not_of(" \t\n") == std::string_view::npos) {
        hint += ": поле пусто";
    } else if (read.rest == static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
                   return c != ' ' && c != '\t' && c != '\n';
               }))) {
        hint += ": в поле нет числа";
    } else {
        hint += ": после числа текст не учитывается";
    }
    return {hint};
}

}  // namespace mcplot
