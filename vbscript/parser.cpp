#include "vbscript/parser.h"

#include <charconv>
#include <cmath>
#include <utility>

#include "vbscript/dates.h"
#include "vbscript/operators.h"

namespace mcplot::vbs {

namespace {

enum class Tok : uint8_t {
    End,
    Newline,
    Colon,
    Literal,
    Ident,
    LParen,
    RParen,
    Comma,
    Dot,
    Plus,
    Minus,
    Star,
    Slash,
    Backslash,
    Caret,
    Amp,
    Eq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
};

// Reserved words. Words that matter only in one place (Step, Each, In,
// Preserve, Explicit, Error, Resume, ByVal, ByRef) stay ordinary names.
enum class Kw : uint8_t {
    None,
    And,
    Call,
    Case,
    Class,
    Const,
    Dim,
    Do,
    Else,
    ElseIf,
    Empty,
    End,
    Eqv,
    Erase,
    Exit,
    False,
    For,
    Function,
    GoTo,
    If,
    Imp,
    Is,
    Let,
    Loop,
    Mod,
    New,
    Next,
    Not,
    Nothing,
    Null,
    On,
    Option,
    Or,
    Private,
    Public,
    ReDim,
    Rem,
    Select,
    Set,
    Sub,
    Then,
    To,
    True,
    Until,
    Wend,
    While,
    With,
    Xor,
};

struct KwEntry {
    const char* text;
    Kw kw;
};
constexpr KwEntry kKeywords[] = {
    {"and", Kw::And},
    {"call", Kw::Call},
    {"case", Kw::Case},
    {"class", Kw::Class},
    {"const", Kw::Const},
    {"dim", Kw::Dim},
    {"do", Kw::Do},
    {"else", Kw::Else},
    {"elseif", Kw::ElseIf},
    {"empty", Kw::Empty},
    {"end", Kw::End},
    {"eqv", Kw::Eqv},
    {"erase", Kw::Erase},
    {"exit", Kw::Exit},
    {"false", Kw::False},
    {"for", Kw::For},
    {"function", Kw::Function},
    {"goto", Kw::GoTo},
    {"if", Kw::If},
    {"imp", Kw::Imp},
    {"is", Kw::Is},
    {"let", Kw::Let},
    {"loop", Kw::Loop},
    {"mod", Kw::Mod},
    {"new", Kw::New},
    {"next", Kw::Next},
    {"not", Kw::Not},
    {"nothing", Kw::Nothing},
    {"null", Kw::Null},
    {"on", Kw::On},
    {"option", Kw::Option},
    {"or", Kw::Or},
    {"private", Kw::Private},
    {"public", Kw::Public},
    {"redim", Kw::ReDim},
    {"rem", Kw::Rem},
    {"select", Kw::Select},
    {"set", Kw::Set},
    {"sub", Kw::Sub},
    {"then", Kw::Then},
    {"to", Kw::To},
    {"true", Kw::True},
    {"until", Kw::Until},
    {"wend", Kw::Wend},
    {"while", Kw::While},
    {"with", Kw::With},
    {"xor", Kw::Xor},
};

const NameTable<256>& keywords() {
    static const NameTable<256> table(kKeywords, [](const KwEntry& e) { return e.text; });
    return table;
}

Kw findKeyword(std::string_view name, uint32_t hash) {
    const int index = keywords().find(name, hash);
    return index < 0 ? Kw::None : kKeywords[index].kw;
}

bool identStart(unsigned char c) {
    return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}
bool identChar(unsigned char c) {
    return identStart(c) || (c >= '0' && c <= '9') || c == '_' || c >= 0x80;
}

// Reads the decimal literal at pos (digits, a point, an exponent) into out and
// moves pos past it; returns 0, or the error number of a malformed or too
// large number. The digits are read once, keeping their value while it is
// exact: a whole number, or a decimal without exponent such as the argument in
// the program's script text, is then one division of two exact doubles, which
// rounds right. Longer numbers and exponents go through from_chars.
int scanNumber(std::string_view src, size_t& pos, Value& out) {
    const size_t start = pos;
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    static constexpr uint64_t kExact = uint64_t{1} << 53;
    const size_t size = src.size();
    uint64_t digits = 0;
    bool exact = true;
    int decimals = 0;
    bool real = false;
    for (; pos < size && src[pos] >= '0' && src[pos] <= '9'; ++pos) {
        digits = digits * 10 + static_cast<uint64_t>(src[pos] - '0');
        exact = exact && digits < kExact;
    }
    if (pos < size && src[pos] == '.') {
        real = true;
        for (++pos; pos < size && src[pos] >= '0' && src[pos] <= '9'; ++pos) {
            digits = digits * 10 + static_cast<uint64_t>(src[pos] - '0');
            exact = exact && digits < kExact;
            ++decimals;
        }
    }
    if (pos < size && (src[pos] | 0x20) == 'e') {
        size_t k = pos + 1;
        if (k < size && (src[k] == '+' || src[k] == '-')) ++k;
        if (k >= size || src[k] < '0' || src[k] > '9') return err::Syntax;
        while (k < size && src[k] >= '0' && src[k] <= '9') ++k;
        pos = k;
        real = true;
        exact = false;  // the exponent needs from_chars
    }
    double v = 0;
    if (exact && decimals <= 22) {
        v = static_cast<double>(digits) / kPowers[decimals];
    } else {
        const std::string_view t = src.substr(start, pos - start);
        const auto r = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
        if (r.ec == std::errc::result_out_of_range) {
            if (!tinyNumber(t)) return err::Overflow;
            v = 0;
        } else if (r.ec != std::errc()) {
            return err::Syntax;
        }
    }
    // Whole numbers take the narrowest subtype that holds them.
    if (!real && v <= 32767) {
        out = Value::integer(static_cast<int16_t>(v));
        return 0;
    }
    if (!real && v <= 2147483647.0) {
        out = Value::lng(static_cast<int32_t>(v));
        return 0;
    }
    out = Value::dbl(v);
    return 0;
}

class Parser {
public:
    Parser(Chunk& chunk, const ParseLimits& limits)
        : c_(chunk), src_(chunk.text), limit_(limits.stackLimit), limits_(limits) {}

    void program() {
        next();
        c_.root = block(true);
        if (tok_ != Tok::End) fail(err::ExpectStatement);
    }

    int32_t expressionOnly() {
        next();
        const int32_t e = expr();
        if (tok_ != Tok::End) fail(err::ExpectEndOfStatement);
        return e;
    }

private:
    [[noreturn]] [[gnu::noinline]] void fail(int number) {
        ScriptError e(number);
        e.locate(src_, start_);
        throw e;
    }

    // ---- scanner ----
    // Kept out of line: inlined into every precedence level it would swell
    // their frames (much more so under AddressSanitizer).
    [[gnu::noinline]] void next() {
        // A huge text must not hold the program longer than a script may run.
        if ((++tokens_ & 0x3FF) == 0 && limits_.deadline) limits_.deadline->check();
        const bool afterOperand = tok_ == Tok::Ident || tok_ == Tok::RParen;
        const size_t prevEnd = pos_;
        skipBlanks();
        const bool spaced = pos_ != prevEnd;
        kw_ = Kw::None;
        start_ = tokStart_ = pos_;
        nameEnd_ = 0;
        if (pos_ >= src_.size()) {
            tok_ = Tok::End;
            return;
        }
        const unsigned char ch = static_cast<unsigned char>(src_[pos_]);
        if (identStart(ch)) {
            // Locals, not members: a store to pos_ would make the compiler
            // reload the text's bounds for every character.
            const char* const chars = src_.data();
            const size_t size = src_.size();
            size_t p = pos_;
            uint32_t hash = kNameHashStart;
            for (; p < size && identChar(static_cast<unsigned char>(chars[p])); ++p)
                hash = nameHashStep(hash, chars[p]);
            pos_ = p;
            tok_ = Tok::Ident;
            hash_ = hash;
            kw_ = findKeyword(text(), hash_);
            if (kw_ == Kw::Rem) {  // a comment up to the end of the line
                while (pos_ < src_.size() && src_[pos_] != '\n' && src_[pos_] != '\r') ++pos_;
                next();
            }
            return;
        }
        if (ch == '[') return bracketedName();
        if (ch >= '0' && ch <= '9') return number();
        if (ch == '.' && pos_ + 1 < src_.size() && src_[pos_ + 1] >= '0' && src_[pos_ + 1] <= '9' &&
            !(afterOperand && !spaced))
            return number();
        ++pos_;
        switch (ch) {
            case '\r':
                if (pos_ < src_.size() && src_[pos_] == '\n') ++pos_;
                tok_ = Tok::Newline;
                return;
            case '\n':
                tok_ = Tok::Newline;
                return;
            case ':':
                tok_ = Tok::Colon;
                return;
            case '\'':
                while (pos_ < src_.size() && src_[pos_] != '\n' && src_[pos_] != '\r') ++pos_;
                return next();
            case '"':
                return stringLiteral();
            case '#':
                return dateLiteral();
            case '&':
                if (pos_ < src_.size() && ((src_[pos_] | 0x20) == 'h' || (src_[pos_] | 0x20) == 'o'))
                    return radixLiteral();
                tok_ = Tok::Amp;
                return;
            case '(':
                tok_ = Tok::LParen;
                return;
            case ')':
                tok_ = Tok::RParen;
                return;
            case ',':
                tok_ = Tok::Comma;
                return;
            case '.':
                tok_ = Tok::Dot;
                return;
            case '+':
                tok_ = Tok::Plus;
                return;
            case '-':
                tok_ = Tok::Minus;
                return;
            case '*':
                tok_ = Tok::Star;
                return;
            case '/':
                tok_ = Tok::Slash;
                return;
            case '\\':
                tok_ = Tok::Backslash;
                return;
            case '^':
                tok_ = Tok::Caret;
                return;
            case '=':
                tok_ = Tok::Eq;
                return;
            case '<':
                if (pos_ < src_.size() && src_[pos_] == '>')
                    ++pos_, tok_ = Tok::Ne;
                else if (pos_ < src_.size() && src_[pos_] == '=')
                    ++pos_, tok_ = Tok::Le;
                else
                    tok_ = Tok::Lt;
                return;
            case '>':
                if (pos_ < src_.size() && src_[pos_] == '=')
                    ++pos_, tok_ = Tok::Ge;
                else
                    tok_ = Tok::Gt;
                return;
            default:
                fail(err::InvalidChar);
        }
    }

    void skipBlanks() {
        const char* const chars = src_.data();
        const size_t size = src_.size();
        for (;;) {
            size_t p = pos_;
            while (p < size && (chars[p] == ' ' || chars[p] == '\t')) ++p;
            pos_ = p;
            // " _" at the end of a line joins it to the next one.
            if (p >= size || chars[p] != '_' || !continuation()) return;
        }
    }

    bool continuation() {
        size_t k = pos_ + 1;
        while (k < src_.size() && (src_[k] == ' ' || src_[k] == '\t')) ++k;
        if (k < src_.size() && (src_[k] == '\r' || src_[k] == '\n')) {
            if (src_[k] == '\r' && k + 1 < src_.size() && src_[k + 1] == '\n') ++k;
            pos_ = k + 1;
            return true;
        }
        return false;
    }

    std::string_view text() const { return src_.substr(start_, (nameEnd_ ? nameEnd_ : pos_) - start_); }

    // [any text but brackets and line ends] is a name, keywords included.
    [[gnu::noinline]] void bracketedName() {
        ++pos_;
        start_ = pos_;
        while (pos_ < src_.size() && src_[pos_] != ']' && src_[pos_] != '\n' && src_[pos_] != '\r') ++pos_;
        if (pos_ >= src_.size() || src_[pos_] != ']') fail(err::ExpectRBracket);
        nameEnd_ = pos_++;
        tok_ = Tok::Ident;
        hash_ = nameHash(text());
    }

    [[gnu::noinline]] void literal(Value v) {
        tok_ = Tok::Literal;
        lit_ = static_cast<int32_t>(c_.consts.size());
        c_.consts.push_back(std::move(v));
    }

    [[gnu::noinline]] void number() {
        Value v;
        const int error = scanNumber(src_, pos_, v);
        if (error) fail(error);
        literal(std::move(v));
    }

    [[gnu::noinline]] void radixLiteral() {
        const int base = (src_[pos_] | 0x20) == 'h' ? 16 : 8;
        ++pos_;
        uint64_t v = 0;
        size_t digits = 0;
        while (pos_ < src_.size()) {
            const char ch = static_cast<char>(src_[pos_] | 0x20);
            int dgt = -1;
            if (ch >= '0' && ch <= '9')
                dgt = ch - '0';
            else if (base == 16 && ch >= 'a' && ch <= 'f')
                dgt = ch - 'a' + 10;
            if (dgt < 0 || dgt >= base) break;
            v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(dgt);
            if (v > 0xFFFFFFFFull) fail(err::Overflow);
            ++pos_, ++digits;
        }
        if (digits == 0) fail(err::Syntax);
        const bool forceLong = pos_ < src_.size() && src_[pos_] == '&';
        if (forceLong) ++pos_;
        // Up to 16 bits it is an Integer (&HFFFF is -1), else a Long.
        if (v <= 0xFFFF && !forceLong)
            return literal(Value::integer(static_cast<int16_t>(static_cast<uint16_t>(v))));
        literal(Value::lng(static_cast<int32_t>(static_cast<uint32_t>(v))));
    }

    [[gnu::noinline]] void stringLiteral() {
        std::string s;
        for (;;) {
            if (pos_ >= src_.size() || src_[pos_] == '\n' || src_[pos_] == '\r') fail(err::Unterminated);
            const char ch = src_[pos_++];
            if (ch == '"') {
                if (pos_ < src_.size() && src_[pos_] == '"') {
                    s += '"';
                    ++pos_;
                    continue;
                }
                break;
            }
            s += ch;
        }
        literal(Value::str(std::move(s)));
    }

    [[gnu::noinline]] void dateLiteral() {
        const size_t from = pos_;
        while (pos_ < src_.size() && src_[pos_] != '#' && src_[pos_] != '\n' && src_[pos_] != '\r') ++pos_;
        if (pos_ >= src_.size() || src_[pos_] != '#') fail(err::Syntax);
        double d = 0;
        if (!parseDateLiteral(src_.substr(from, pos_ - from), d)) fail(err::Syntax);
        ++pos_;
        literal(Value::date(d));
    }

    // ---- helpers ----
    [[gnu::noinline]] int32_t node(NK kind) {
        const size_t n = c_.nodes.size();
        if (n >= limits_.maxNodes) fail(err::OutOfMemory);
        static const Node blank{};
        Node& nd = c_.nodes.emplace_back(blank);  // one copy, not a store per field
        nd.kind = kind;
        nd.pos = static_cast<uint32_t>(start_);
        return static_cast<int32_t>(n);
    }
    Node& at(int32_t n) { return c_.nodes[static_cast<size_t>(n)]; }

    // A node named by the current token; a name read in an expression also
    // learns which built-in it names, if any.
    [[gnu::noinline]] int32_t nameNode(NK kind, bool inExpression = false) {
        const int32_t n = node(kind);
        Node& nd = at(n);
        const std::string_view t = text();
        nd.name = t.data();
        nd.nameLen = static_cast<uint32_t>(t.size());
        nd.hash = hash_;
        if (inExpression) nd.k = builtinIndex(t, hash_);
        return n;
    }

    bool isName() const { return tok_ == Tok::Ident && kw_ == Kw::None; }
    bool isWord(const char* w) const { return tok_ == Tok::Ident && nameEnd_ == 0 && sameName(text(), w); }
    bool atStatementEnd() const { return tok_ == Tok::Newline || tok_ == Tok::Colon || tok_ == Tok::End; }

    [[gnu::noinline]] void expect(Tok t, int error) {
        if (tok_ != t) fail(error);
        next();
    }
    [[gnu::noinline]] void expectKw(Kw k, int error) {
        if (tok_ != Tok::Ident || kw_ != k) fail(error);
        next();
    }
    int32_t takeName() {
        if (!isName()) fail(err::ExpectIdent);
        const int32_t n = nameNode(NK::Name);
        next();
        return n;
    }

    struct List {
        int32_t head = -1, tail = -1;
    };
    void append(List& l, int32_t n) {
        if (l.head < 0)
            l.head = n;
        else
            at(l.tail).next = n;
        l.tail = n;
    }

    // ---- expressions ----
    // Binary operators climb one table of priorities, loosest first. An
    // operator is taken while its left priority is above the limit; its
    // right operand is read with its right priority as the new limit, so
    // equal left and right priorities make every level left-associative.
    struct Priority {
        uint8_t left, right;
    };
    static constexpr uint8_t kNotOperand = 5;    // Not a And b is (Not a) And b
    static constexpr uint8_t kSignOperand = 14;  // -3^2 is (-3)^2 in this language

    // The binary operator of the current token and its priorities; false if none.
    bool binaryOperator(BinOp& op, Priority& pr) const {
        switch (tok_) {
            case Tok::Caret:
                op = BinOp::Pow, pr = {14, 14};
                return true;
            case Tok::Star:
                op = BinOp::Mul, pr = {12, 12};
                return true;
            case Tok::Slash:
                op = BinOp::Div, pr = {12, 12};
                return true;
            case Tok::Backslash:
                op = BinOp::IntDiv, pr = {11, 11};
                return true;
            case Tok::Plus:
                op = BinOp::Add, pr = {9, 9};
                return true;
            case Tok::Minus:
                op = BinOp::Sub, pr = {9, 9};
                return true;
            case Tok::Amp:
                op = BinOp::Concat, pr = {8, 8};
                return true;
            case Tok::Eq:
                op = BinOp::Eq, pr = {7, 7};
                return true;
            case Tok::Ne:
                op = BinOp::Ne, pr = {7, 7};
                return true;
            case Tok::Lt:
                op = BinOp::Lt, pr = {7, 7};
                return true;
            case Tok::Gt:
                op = BinOp::Gt, pr = {7, 7};
                return true;
            case Tok::Le:
                op = BinOp::Le, pr = {7, 7};
                return true;
            case Tok::Ge:
                op = BinOp::Ge, pr = {7, 7};
                return true;
            case Tok::Ident:
                break;
            default:
                return false;
        }
        switch (kw_) {
            case Kw::Mod:
                op = BinOp::Mod, pr = {10, 10};
                return true;
            case Kw::Is:
                op = BinOp::Is, pr = {7, 7};
                return true;
            case Kw::And:
                op = BinOp::And, pr = {5, 5};
                return true;
            case Kw::Or:
                op = BinOp::Or, pr = {4, 4};
                return true;
            case Kw::Xor:
                op = BinOp::Xor, pr = {3, 3};
                return true;
            case Kw::Eqv:
                op = BinOp::Eqv, pr = {2, 2};
                return true;
            case Kw::Imp:
                op = BinOp::Imp, pr = {1, 1};
                return true;
            default:
                return false;
        }
    }

    int32_t unaryNode(UnaryOp op, int32_t operand, size_t pos) {
        const int32_t n = node(NK::Unary);
        at(n).pos = static_cast<uint32_t>(pos);
        at(n).op = static_cast<uint8_t>(op);
        at(n).a = operand;
        return n;
    }

    // expr := subexpr(0)
    int32_t expr() { return subexpr(0); }

    // subexpr(limit) := ( 'Not' subexpr(5)      -- only where limit <= 5
    //                   | ('-' | '+') subexpr(14)
    //                   | postfix )
    //                   { binop subexpr(right(binop)) }  -- while left(binop) > limit
    int32_t subexpr(uint8_t limit) {
        checkStack(limit_);
        int32_t l;
        const size_t opPos = start_;
        if (tok_ == Tok::Ident && kw_ == Kw::Not && limit <= kNotOperand) {
            next();
            l = unaryNode(UnaryOp::Not, subexpr(kNotOperand), opPos);
        } else if (tok_ == Tok::Minus || tok_ == Tok::Plus) {
            const UnaryOp op = tok_ == Tok::Minus ? UnaryOp::Neg : UnaryOp::Plus;
            next();
            l = unaryNode(op, subexpr(kSignOperand), opPos);
        } else {
            l = postfixExpr();
        }
        BinOp op;
        Priority pr;
        while (binaryOperator(op, pr) && pr.left > limit) {
            const auto at_ = static_cast<uint32_t>(start_);
            next();
            const int32_t r = subexpr(pr.right);
            const int32_t n = node(NK::Binary);
            at(n).pos = at_;
            at(n).op = static_cast<uint8_t>(op);
            at(n).a = l;
            at(n).b = r;
            l = n;
        }
        return l;
    }

    int32_t args() {  // after '(' up to and including ')'
        List l;
        if (tok_ == Tok::RParen) {
            next();
            return -1;
        }
        for (;;) {
            append(l, tok_ == Tok::Comma || tok_ == Tok::RParen ? missingArgument() : expr());
            if (tok_ == Tok::Comma) {
                next();
                continue;
            }
            expect(Tok::RParen, err::ExpectRParen);
            return l.head;
        }
    }

    // An argument slot left empty, f(1, , 3): the callee sees it as left out.
    int32_t missingArgument() {
        const int32_t n = node(NK::Literal);
        at(n).k = static_cast<int32_t>(c_.consts.size());
        c_.consts.push_back(Value::missing());
        return n;
    }

    int32_t primary() {
        switch (tok_) {
            case Tok::Literal: {
                const int32_t n = node(NK::Literal);
                at(n).k = lit_;
                next();
                return n;
            }
            case Tok::LParen: {
                checkStack(limit_);
                next();
                const int32_t e = expr();
                expect(Tok::RParen, err::ExpectRParen);
                at(e).flags |= nf::Parenthesised;
                return e;
            }
            case Tok::Ident: {
                Value v;
                switch (kw_) {
                    case Kw::None: {
                        const int32_t n = nameNode(NK::Name, true);
                        next();
                        return n;
                    }
                    case Kw::True:
                        v = Value::boolean(true);
                        break;
                    case Kw::False:
                        v = Value::boolean(false);
                        break;
                    case Kw::Empty:
                        break;
                    case Kw::Null:
                        v = Value::null();
                        break;
                    case Kw::Nothing:
                        v = Value::object(nullptr);
                        break;
                    case Kw::New: {
                        next();
                        if (!isName()) fail(err::ExpectIdent);
                        const int32_t n = nameNode(NK::New);
                        next();
                        return n;
                    }
                    default:
                        fail(err::ExpectExpr);
                }
                const int32_t n = node(NK::Literal);
                at(n).k = static_cast<int32_t>(c_.consts.size());
                c_.consts.push_back(std::move(v));
                next();
                return n;
            }
            case Tok::Dot:
                // ".name" inside a With block: a member of its object.
                if (withDepth_ == 0) fail(err::ExpectExpr);
                return node(NK::WithObject);
            default:
                fail(err::ExpectExpr);
        }
    }

    // Names, calls, indexes and members: f(x), a(1)(2), Res.p
    int32_t postfixExpr() {
        int32_t e = primary();
        for (;;) {
            // (New C)(args) calls the new instance's default member.
            const bool newInstance = at(e).kind == NK::New && (at(e).flags & nf::Parenthesised);
            if (tok_ == Tok::LParen && (newInstance || ((at(e).flags & nf::Parenthesised) == 0 &&
                                                        (at(e).kind == NK::Name || at(e).kind == NK::Member ||
                                                         at(e).kind == NK::Call || at(e).kind == NK::Index ||
                                                         at(e).kind == NK::MemberCall)))) {
                next();
                const int32_t a = args();
                Node& nd = at(e);
                if (nd.kind == NK::Name) {
                    nd.kind = NK::Call;
                    nd.a = a;
                    nd.flags |= nf::Parens;
                } else if (nd.kind == NK::Member) {
                    nd.kind = NK::MemberCall;
                    nd.b = a;
                    nd.flags |= nf::Parens;
                } else {
                    const int32_t n = node(NK::Index);
                    at(n).pos = at(e).pos;
                    at(n).a = e;
                    at(n).b = a;
                    e = n;
                }
                continue;
            }
            if (tok_ == Tok::Dot) {
                next();
                if (tok_ != Tok::Ident) fail(err::ExpectIdent);
                const int32_t n = nameNode(NK::Member);
                at(n).a = e;
                next();
                e = n;
                continue;
            }
            return e;
        }
    }

    // ---- statements ----
    bool blockEnds() const {
        if (tok_ == Tok::End) return true;
        if (tok_ != Tok::Ident) return false;
        switch (kw_) {
            case Kw::End:
            case Kw::Else:
            case Kw::ElseIf:
            case Kw::Loop:
            case Kw::Next:
            case Kw::Wend:
            case Kw::Case:
                return true;
            default:
                return false;
        }
    }

    int32_t block(bool topLevel = false) {
        checkStack(limit_);
        List l;
        const bool wasTop = topLevel_;
        topLevel_ = topLevel;
        for (;;) {
            while (tok_ == Tok::Newline || tok_ == Tok::Colon) next();
            if (blockEnds()) break;
            const int32_t s = statement();
            if (s >= 0) append(l, s);
            if (!atStatementEnd() && !(tok_ == Tok::Ident && kw_ == Kw::Else && inlineIf_ > 0))
                fail(err::ExpectEndOfStatement);
        }
        topLevel_ = wasTop;
        return l.head;
    }

    int32_t statement() {
        checkStack(limit_);
        if (tok_ == Tok::Dot && withDepth_ > 0) return assignOrCall();
        if (tok_ != Tok::Ident) fail(err::ExpectStatement);
        switch (kw_) {
            case Kw::None:
                return assignOrCall();
            case Kw::Let:
                next();
                return assignOrCall();
            case Kw::Set:
                return setStatement();
            case Kw::Call:
                return callStatement();
            case Kw::Dim:
                next();
                return dimList(NK::Dim);
            case Kw::Private:
            case Kw::Public:
                return scoped();
            case Kw::ReDim:
                return redim();
            case Kw::Const:
                next();
                return constList();
            case Kw::If:
                return ifStatement();
            case Kw::Select:
                return selectStatement();
            case Kw::For:
                return forStatement();
            case Kw::Do:
                return doStatement();
            case Kw::While:
                return whileStatement();
            case Kw::With:
                return withStatement();
            case Kw::Class:
                return classStatement();
            case Kw::Exit:
                return exitStatement();
            case Kw::On:
                return onError();
            case Kw::Erase: {
                next();
                const int32_t n = takeName();
                at(n).kind = NK::Erase;
                return n;
            }
            case Kw::Option: {
                next();
                if (!isWord("explicit")) fail(err::Syntax);
                next();
                c_.optionExplicit = true;
                return -1;
            }
            case Kw::Function:
            case Kw::Sub:
                return procedure(0);
            default:
                fail(err::ExpectStatement);
        }
    }

    int32_t assignOrCall() {
        const size_t headPos = tokStart_;
        const int32_t target = postfixExpr();
        if (tok_ == Tok::Eq) {
            next();
            // Located at the value: a failing store blames what was stored.
            const int32_t n = node(NK::Assign);
            const int32_t value = expr();
            at(n).a = target;
            at(n).b = value;
            return n;
        }
        return callTail(target, headPos, false);
    }

    // A call used as a statement: "Foo", "Foo 1, 2", "Foo (1)", "Res.p".
    int32_t callTail(int32_t target, size_t headPos, bool withCall) {
        Node& t = at(target);
        if (atStatementEnd() || (tok_ == Tok::Ident && kw_ == Kw::Else && inlineIf_ > 0)) {
            if (!withCall && t.kind == NK::Call && t.a >= 0) {
                if (at(t.a).next >= 0) fail(err::ParensOnSub);
                // "Foo (a)" passes the value of the expression (a), not a itself.
                at(t.a).flags |= nf::Parenthesised;
            }
            if (t.kind == NK::Literal || t.kind == NK::Binary || t.kind == NK::Unary)
                fail(err::ExpectStatement);
            const int32_t n = node(NK::CallStmt);
            at(n).a = target;
            return n;
        }
        if (withCall) fail(err::ExpectEndOfStatement);
        // Arguments without parentheses: read the head again, then the list.
        if (t.kind != NK::Name && t.kind != NK::Call && t.kind != NK::Member) fail(err::ExpectEndOfStatement);
        int32_t head = target;
        if (t.kind == NK::Call) {
            pos_ = headPos;
            tok_ = Tok::Newline;
            next();
            head = nameNode(NK::Name, true);
            next();
        }
        List l;
        for (;;) {
            append(l, tok_ == Tok::Comma || atStatementEnd() ? missingArgument() : expr());
            if (tok_ != Tok::Comma) break;
            next();
        }
        Node& h = at(head);
        if (h.kind == NK::Name) {
            h.kind = NK::Call;
            h.a = l.head;
        } else {
            h.kind = NK::MemberCall;
            h.b = l.head;
        }
        const int32_t n = node(NK::CallStmt);
        at(n).a = head;
        return n;
    }

    int32_t callStatement() {
        next();
        const size_t headPos = tokStart_;
        if (!isName()) fail(err::ExpectIdent);
        const int32_t target = postfixExpr();
        return callTail(target, headPos, true);
    }

    int32_t setStatement() {
        next();
        const int32_t target = postfixExpr();
        expect(Tok::Eq, err::ExpectEq);
        const int32_t n = node(NK::SetAssign);
        const int32_t value = expr();
        at(n).a = target;
        at(n).b = value;
        return n;
    }

    int32_t scoped() {
        next();
        if (tok_ == Tok::Ident && (kw_ == Kw::Function || kw_ == Kw::Sub)) return procedure(nf::Private);
        if (tok_ == Tok::Ident && kw_ == Kw::Const) {
            next();
            return constList();
        }
        return dimList(NK::Dim);
    }

    int32_t dimItems(bool requireBounds) {
        List l;
        for (;;) {
            const int32_t item = takeName();
            at(item).kind = NK::DimItem;
            if (tok_ == Tok::LParen) {
                next();
                at(item).flags |= nf::HasParens;
                at(item).a = args();
            } else if (requireBounds) {
                fail(err::ExpectLParen);
            }
            append(l, item);
            if (tok_ != Tok::Comma) return l.head;
            next();
        }
    }

    int32_t dimList(NK kind) {
        const int32_t n = node(kind);
        const int32_t items = dimItems(false);
        at(n).a = items;
        return n;
    }

    int32_t redim() {
        next();
        const int32_t n = node(NK::ReDim);
        if (isWord("preserve")) {
            next();
            at(n).flags |= nf::Preserve;
        }
        const int32_t items = dimItems(true);
        at(n).a = items;
        return n;
    }

    int32_t constList() {
        const int32_t n = node(NK::Const);
        List l;
        for (;;) {
            const int32_t item = takeName();
            at(item).kind = NK::ConstItem;
            expect(Tok::Eq, err::ExpectEq);
            const int32_t v = expr();
            at(item).a = v;
            append(l, item);
            if (tok_ != Tok::Comma) break;
            next();
        }
        at(n).a = l.head;
        return n;
    }

    // The statements of a one-line If branch, up to Else or the line's end.
    int32_t inlineStatements() {
        List l;
        ++inlineIf_;
        for (;;) {
            const int32_t s = statement();
            if (s >= 0) append(l, s);
            if (tok_ == Tok::Colon) {
                next();
                if (tok_ == Tok::Newline || tok_ == Tok::End || (tok_ == Tok::Ident && kw_ == Kw::Else))
                    break;
                continue;
            }
            if (tok_ == Tok::Newline || tok_ == Tok::End || (tok_ == Tok::Ident && kw_ == Kw::Else)) break;
            fail(err::ExpectEndOfStatement);
        }
        --inlineIf_;
        return l.head;
    }

    int32_t ifStatement() {
        next();
        const int32_t n = node(NK::If);
        const int32_t cond = expr();
        at(n).a = cond;
        expectKw(Kw::Then, err::ExpectThen);
        if (tok_ != Tok::Newline && tok_ != Tok::End) {
            const int32_t then = inlineStatements();
            at(n).b = then;
            if (tok_ == Tok::Ident && kw_ == Kw::Else) {
                next();
                const int32_t otherwise = inlineStatements();
                at(n).c = otherwise;
            }
            return n;
        }
        const int32_t then = block();
        at(n).b = then;
        int32_t tail = n;
        while (tok_ == Tok::Ident && kw_ == Kw::ElseIf) {
            next();
            const int32_t elif = node(NK::If);
            at(elif).flags |= nf::ElseIfPart;
            const int32_t c = expr();
            at(elif).a = c;
            expectKw(Kw::Then, err::ExpectThen);
            const int32_t body = block();
            at(elif).b = body;
            at(tail).c = elif;
            tail = elif;
        }
        if (tok_ == Tok::Ident && kw_ == Kw::Else) {
            next();
            const int32_t otherwise = block();
            at(tail).c = otherwise;
        }
        expectKw(Kw::End, err::ExpectEnd);
        expectKw(Kw::If, err::ExpectIf);
        return n;
    }

    int32_t selectStatement() {
        next();
        expectKw(Kw::Case, err::ExpectCase);
        const int32_t n = node(NK::Select);
        const int32_t subject = expr();
        at(n).a = subject;
        List clauses;
        for (;;) {
            while (tok_ == Tok::Newline || tok_ == Tok::Colon) next();
            if (tok_ == Tok::Ident && kw_ == Kw::End) break;
            expectKw(Kw::Case, err::ExpectCase);
            const int32_t clause = node(NK::CaseClause);
            if (tok_ == Tok::Ident && kw_ == Kw::Else) {
                next();
                at(clause).flags |= nf::CaseElse;
            } else {
                List tests;
                for (;;) {
                    // The language has no Case Is and no Case a To b: Is cannot
                    // start an expression, and To ends none.
                    const int32_t t = node(NK::CaseTest);
                    const int32_t v = expr();
                    at(t).a = v;
                    append(tests, t);
                    if (tok_ != Tok::Comma) break;
                    next();
                }
                if (!atStatementEnd()) fail(err::ExpectEndOfStatement);
                at(clause).a = tests.head;
            }
            const int32_t body = block();
            at(clause).d = body;
            append(clauses, clause);
            if (at(clause).flags & nf::CaseElse) {
                while (tok_ == Tok::Newline || tok_ == Tok::Colon) next();
                break;
            }
        }
        at(n).b = clauses.head;
        expectKw(Kw::End, err::ExpectEnd);
        expectKw(Kw::Select, err::ExpectSelect);
        return n;
    }

    void closeNext(int32_t loop) {
        expectKw(Kw::Next, err::ExpectNext);
        if (isName()) {
            if (!sameName(text(), at(loop).nameView())) fail(err::Syntax);
            next();
        }
    }

    int32_t forStatement() {
        next();
        if (isWord("each")) {
            next();
            const int32_t n = takeName();
            at(n).kind = NK::ForEach;
            if (!isWord("in")) fail(err::ExpectIn);
            next();
            const int32_t group = expr();
            at(n).a = group;
            const int32_t body = loopBody(forDepth_);
            at(n).d = body;
            closeNext(n);
            return n;
        }
        const int32_t n = takeName();
        at(n).kind = NK::For;
        expect(Tok::Eq, err::ExpectEq);
        const int32_t from = expr();
        at(n).a = from;
        expectKw(Kw::To, err::ExpectTo);
        const int32_t to = expr();
        at(n).b = to;
        if (isWord("step")) {
            next();
            const int32_t step = expr();
            at(n).c = step;
        }
        const int32_t body = loopBody(forDepth_);
        at(n).d = body;
        closeNext(n);
        return n;
    }

    int32_t doStatement() {
        next();
        const int32_t n = node(NK::Do);
        if (tok_ == Tok::Ident && (kw_ == Kw::While || kw_ == Kw::Until)) {
            if (kw_ == Kw::Until) at(n).flags |= nf::Until;
            next();
            const int32_t cond = expr();
            at(n).a = cond;
        }
        const int32_t body = loopBody(doDepth_);
        at(n).d = body;
        expectKw(Kw::Loop, err::ExpectLoop);
        if (tok_ == Tok::Ident && (kw_ == Kw::While || kw_ == Kw::Until)) {
            if (at(n).a >= 0) fail(err::ExpectEndOfStatement);
            at(n).flags |= nf::TestAtEnd;
            if (kw_ == Kw::Until) at(n).flags |= nf::Until;
            next();
            const int32_t cond = expr();
            at(n).a = cond;
        } else if (!atStatementEnd()) {
            fail(err::ExpectWhileUntil);
        }
        return n;
    }

    int32_t whileStatement() {
        next();
        const int32_t n = node(NK::While);
        const int32_t cond = expr();
        at(n).a = cond;
        const int32_t body = block();
        at(n).d = body;
        expectKw(Kw::Wend, err::ExpectWend);
        return n;
    }

    // The body of a loop; Exit Do and Exit For must be inside one of their kind.
    int32_t loopBody(int& depth) {
        ++depth;
        const int32_t body = block();
        --depth;
        return body;
    }

    // Exit leaves only a loop or procedure of its own kind that encloses it.
    int32_t exitStatement() {
        next();
        const int32_t n = node(NK::Exit);
        bool valid = false;
        if (tok_ == Tok::Ident && kw_ == Kw::Do) {
            at(n).op = static_cast<uint8_t>(ExitKind::Do);
            valid = doDepth_ > 0;
        } else if (tok_ == Tok::Ident && kw_ == Kw::For) {
            at(n).op = static_cast<uint8_t>(ExitKind::For);
            valid = forDepth_ > 0;
        } else if (tok_ == Tok::Ident && kw_ == Kw::Function) {
            at(n).op = static_cast<uint8_t>(ExitKind::Function);
            valid = procKind_ == ProcHere::Function;
        } else if (tok_ == Tok::Ident && kw_ == Kw::Sub) {
            at(n).op = static_cast<uint8_t>(ExitKind::Sub);
            valid = procKind_ == ProcHere::Sub;
        } else if (isWord("property")) {
            at(n).op = static_cast<uint8_t>(ExitKind::Sub);
            valid = procKind_ == ProcHere::Property;
        }
        if (!valid) fail(err::InvalidExit);
        next();
        return n;
    }

    int32_t onError() {
        next();
        if (!isWord("error")) fail(err::Syntax);
        next();
        const int32_t n = node(NK::OnError);
        if (isWord("resume")) {
            next();
            expectKw(Kw::Next, err::Syntax);
            at(n).op = 1;
        } else if (tok_ == Tok::Ident && kw_ == Kw::GoTo) {
            next();
            if (tok_ != Tok::Literal || !c_.consts[static_cast<size_t>(lit_)].isNumberLike() ||
                c_.consts[static_cast<size_t>(lit_)].i() != 0)
                fail(err::Syntax);
            next();
        } else {
            fail(err::Syntax);
        }
        return n;
    }

    int32_t procedure(uint16_t flags) {
        if (!topLevel_ || inlineIf_ > 0) fail(err::Syntax);
        const bool isFunction = kw_ == Kw::Function;
        next();
        const int32_t n = procedureRest(flags, ProcKind::Method, isFunction);
        const auto procName = [this](int32_t k) { return at(c_.procs[static_cast<size_t>(k)]).nameView(); };
        if (procIndex_.find(at(n).nameView(), at(n).hash, procName) >= 0) fail(err::NameRedefined);
        procIndex_.insert(at(n).hash, static_cast<int32_t>(c_.procs.size()));
        c_.procs.push_back(n);
        return -1;
    }

    // A procedure from its name to its End line.
    int32_t procedureRest(uint16_t flags, ProcKind kind, bool isFunction) {
        const int32_t n = takeName();
        at(n).kind = NK::ProcDef;
        at(n).op = static_cast<uint8_t>(kind);
        at(n).flags |= flags | (isFunction ? nf::IsFunction : 0);
        if (tok_ == Tok::LParen) {
            next();
            List params;
            while (tok_ != Tok::RParen) {
                uint16_t pf = nf::ByRef;  // the language passes by reference unless told
                if (isWord("byval"))
                    next(), pf = 0;
                else if (isWord("byref"))
                    next();
                const int32_t p = takeName();
                at(p).kind = NK::Param;
                at(p).flags = pf;
                if (tok_ == Tok::LParen) {
                    next();
                    expect(Tok::RParen, err::ExpectRParen);
                }
                append(params, p);
                if (tok_ != Tok::Comma) break;
                next();
            }
            expect(Tok::RParen, err::ExpectRParen);
            at(n).a = params.head;
        }
        // Let and Set take the assigned value as their last parameter.
        if ((kind == ProcKind::PropertyLet || kind == ProcKind::PropertySet) && at(n).a < 0)
            fail(err::LetSetNeedsArgument);
        // No "As Type" and nothing else after the parameters.
        if (!atStatementEnd()) fail(err::ExpectEndOfStatement);
        procKind_ = kind != ProcKind::Method ? ProcHere::Property
                    : isFunction             ? ProcHere::Function
                                             : ProcHere::Sub;
        const int32_t body = block();
        procKind_ = ProcHere::None;
        at(n).d = body;
        expectKw(Kw::End, err::ExpectEnd);
        if (kind != ProcKind::Method) {
            if (!isWord("property")) fail(err::ExpectProperty);
            next();
        } else {
            expectKw(isFunction ? Kw::Function : Kw::Sub, isFunction ? err::ExpectFunction : err::ExpectSub);
        }
        return n;
    }

    int32_t withStatement() {
        next();
        const int32_t n = node(NK::With);
        const int32_t object = expr();
        at(n).a = object;
        ++withDepth_;
        const int32_t body = block();
        --withDepth_;
        at(n).d = body;
        expectKw(Kw::End, err::ExpectEnd);
        expectKw(Kw::With, err::ExpectWith);
        return n;
    }

    // Class name ... End Class: fields (Dim, Public, Private) and procedures,
    // Property Get, Let and Set among them. Only at the top of a script.
    int32_t classStatement() {
        if (!topLevel_ || inlineIf_ > 0) fail(err::Syntax);
        next();
        const int32_t cls = takeName();
        at(cls).kind = NK::ClassDef;
        List members;
        const bool wasTop = topLevel_;
        topLevel_ = false;
        for (;;) {
            while (tok_ == Tok::Newline || tok_ == Tok::Colon) next();
            if (tok_ == Tok::Ident && kw_ == Kw::End) break;
            if (tok_ != Tok::Ident) fail(err::ExpectStatement);
            uint16_t flags = 0;
            bool scoped = false;
            if (kw_ == Kw::Public || kw_ == Kw::Private) {
                if (kw_ == Kw::Private) flags |= nf::Private;
                scoped = true;
                next();
                if (isWord("default")) {
                    if (flags & nf::Private) fail(err::DefaultNeedsPublic);
                    flags |= nf::Default;
                    next();
                }
            } else if (isWord("default")) {
                fail(err::DefaultNeedsPublic);
            }
            int32_t member = -1;
            if (tok_ == Tok::Ident && (kw_ == Kw::Function || kw_ == Kw::Sub)) {
                const bool isFunction = kw_ == Kw::Function;
                next();
                member = procedureRest(flags, ProcKind::Method, isFunction);
                const std::string_view name = at(member).nameView();
                if ((sameName(name, "class_initialize") || sameName(name, "class_terminate")) &&
                    at(member).a >= 0)
                    fail(err::NoArgsOnInitialize);
            } else if (isWord("property")) {
                next();
                ProcKind kind;
                if (isWord("get"))
                    kind = ProcKind::PropertyGet;
                else if (tok_ == Tok::Ident && kw_ == Kw::Let)
                    kind = ProcKind::PropertyLet;
                else if (tok_ == Tok::Ident && kw_ == Kw::Set)
                    kind = ProcKind::PropertySet;
                else
                    fail(err::ExpectLetSetGet);
                if ((flags & nf::Default) && kind != ProcKind::PropertyGet) fail(err::DefaultOnlyOnGet);
                next();
                member = procedureRest(flags, kind, kind == ProcKind::PropertyGet);
            } else if ((flags & nf::Default) == 0 &&
                       ((tok_ == Tok::Ident && kw_ == Kw::Dim) || (scoped && isName()))) {
                if (kw_ == Kw::Dim) next();
                member = dimList(NK::Dim);
                at(member).flags |= flags;
            } else {
                fail((flags & nf::Default) ? err::DefaultOnlyOnProcedure : err::ExpectStatement);
            }
            if (flags & nf::Default)
                for (int32_t m = members.head; m >= 0; m = at(m).next)
                    if (at(m).flags & nf::Default) fail(err::TwoDefaults);
            for (int32_t m = members.head; m >= 0; m = at(m).next)
                if (at(m).kind == NK::ProcDef && at(member).kind == NK::ProcDef &&
                    sameName(at(m).nameView(), at(member).nameView()) && at(m).op == at(member).op)
                    fail(err::NameRedefined);
            append(members, member);
            if (!atStatementEnd()) fail(err::ExpectEndOfStatement);
        }
        topLevel_ = wasTop;
        next();
        if (!(tok_ == Tok::Ident && kw_ == Kw::Class)) fail(err::ExpectClass);
        next();
        at(cls).a = members.head;
        for (int32_t c : c_.classes)
            if (sameName(at(c).nameView(), at(cls).nameView())) fail(err::NameRedefined);
        c_.classes.push_back(cls);
        return -1;
    }

    Chunk& c_;
    std::string_view src_;
    const char* limit_;
    size_t pos_ = 0, start_ = 0;
    size_t tokStart_ = 0;  // where the token begins, its bracket included
    size_t nameEnd_ = 0;   // the end of a bracketed name, else 0
    int withDepth_ = 0;
    Tok tok_ = Tok::Newline;
    Kw kw_ = Kw::None;
    uint32_t hash_ = 0;
    int32_t lit_ = -1;
    uint32_t tokens_ = 0;
    const ParseLimits& limits_;
    NameIndex procIndex_;
    int inlineIf_ = 0;
    bool topLevel_ = false;
    // Where an Exit may lead: the loops around the statement, the procedure.
    int doDepth_ = 0;
    int forDepth_ = 0;
    enum class ProcHere : uint8_t { None, Function, Sub, Property };
    ProcHere procKind_ = ProcHere::None;
};

}  // namespace

Value numberLiteral(std::string_view text) {
    size_t pos = 0;
    Value v;
    const int error = scanNumber(text, pos, v);
    if (error) raise(error);
    if (pos != text.size()) raise(err::Syntax);
    return v;
}

void parseProgram(Chunk& chunk, const ParseLimits& limits) {
    chunk.clear();
    Parser(chunk, limits).program();
}

int32_t parseExpression(Chunk& chunk, const ParseLimits& limits) {
    chunk.clear();
    return Parser(chunk, limits).expressionOnly();
}

}  // namespace mcplot::vbs
