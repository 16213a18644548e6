// The syntax tree of a script and the recursive-descent parser that builds it.
// Nodes live in one vector per compiled text and refer to each other by index,
// so a host can clear and refill the same storage for every evaluation.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vbscript/value.h"

namespace mcplot::vbs {

enum class NK : uint8_t {
    // Expressions.
    Literal,     // k: constant index
    Name,        // a bare name
    Call,        // name(args): a = first argument
    Index,       // a(..)(..): a = base, b = first argument
    Member,      // a.name: a = object
    MemberCall,  // a.name(args): a = object, b = first argument
    WithObject,  // the object of the innermost With block (".name" inside it)
    New,         // New name: an instance of the class named
    Unary,       // op: UnaryOp, a
    Binary,      // op: BinOp, a, b
    // Statements.
    Assign,     // a = target, b = value
    SetAssign,  // a = target, b = value
    CallStmt,   // a = call expression
    Dim,        // a = first DimItem
    ReDim,      // a = first DimItem; flags: Preserve
    Const,      // a = first ConstItem
    If,         // a = condition, b = then block, c = else block (an If for ElseIf)
    Select,     // a = subject, b = first CaseClause
    For,        // name = counter, a = from, b = to, c = step, d = body
    ForEach,    // name = element, a = group, d = body
    Do,         // a = condition, d = body; flags: loop kind
    While,      // a = condition, d = body
    Exit,       // op: ExitKind
    OnError,    // op: 1 resume next, 0 go to 0
    Erase,      // name
    ProcDef,    // name, a = first Param, d = body; flags: IsFunction; op: ProcKind
    With,       // a = object, d = body
    ClassDef,   // name, a = first member: Dim items (fields) and ProcDefs (methods)
    // Parts.
    DimItem,     // name, a = first bound; flags: HasParens
    ConstItem,   // name, a = value
    CaseClause,  // a = first CaseTest, d = body; flags: CaseElse
    CaseTest,    // op: 0 value, 1 range (a To b), 2 Is (c = BinOp)
    Param,       // name; flags: ByRef
};

enum class UnaryOp : uint8_t { Neg, Plus, Not };
enum class ExitKind : uint8_t { Do, For, Function, Sub };
// What a procedure of a class is; plain Sub and Function are Method.
enum class ProcKind : uint8_t { Method, PropertyGet, PropertyLet, PropertySet };

namespace nf {
inline constexpr uint16_t Parens = 1;         // argument list given in parentheses
inline constexpr uint16_t Parenthesised = 2;  // expression written inside ( )
inline constexpr uint16_t Preserve = 4;
inline constexpr uint16_t IsFunction = 8;
inline constexpr uint16_t ByRef = 16;
inline constexpr uint16_t HasParens = 32;
inline constexpr uint16_t CaseElse = 64;
inline constexpr uint16_t TestAtEnd = 128;  // Do ... Loop While
inline constexpr uint16_t Until = 256;
inline constexpr uint16_t Private = 512;
inline constexpr uint16_t ElseIfPart = 1024;
inline constexpr uint16_t Default = 2048;  // the default member of a class
}  // namespace nf

struct Node {
    NK kind;
    uint8_t op = 0;
    uint16_t flags = 0;
    int32_t a = -1, b = -1, c = -1, d = -1;
    int32_t next = -1;  // the next statement, argument or item of a list
    int32_t k = -1;     // constant index, or the built-in named
    uint32_t hash = 0;
    uint32_t nameLen = 0;
    uint32_t pos = 0;             // byte offset in the text, for error locations
    mutable int32_t global = -1;  // the global variable a name was found as, once found
    const char* name = nullptr;   // points into the chunk's text
    std::string_view nameView() const { return {name, nameLen}; }
};

// One compiled text. The host keeps it alive while procedures defined in it
// may still be called.
struct Chunk {
    // The text parsed. A chunk run once reads its caller's text in place;
    // one that must outlive the call (it defines procedures or classes)
    // keeps a copy in `code`.
    std::string_view text;
    std::string code;
    std::vector<Node> nodes;
    std::vector<Value> consts;
    std::vector<int32_t> procs;    // ProcDef nodes
    std::vector<int32_t> classes;  // ClassDef nodes
    int32_t root = -1;
    bool optionExplicit = false;
    // Parses from a copy of t.
    void copyText(std::string_view t) {
        code.assign(t.data(), t.size());
        text = code;
    }
    // Copies a borrowed text, so that the chunk no longer needs the caller's.
    void ownText() {
        if (text.data() == code.data()) return;
        const char* const borrowed = text.data();
        code.assign(text.data(), text.size());
        for (Node& nd : nodes)
            if (nd.name) nd.name = code.data() + (nd.name - borrowed);
        text = code;
    }
    void clear() {
        nodes.clear();
        consts.clear();
        procs.clear();
        classes.clear();
        root = -1;
        optionExplicit = false;
    }
};

// Enough nodes for any text a student types and for 100 000 small procedures,
// few enough (about 70 MB) that a hostile text cannot eat the memory.
inline constexpr size_t kMaxParseNodes = 1300000;

// The time budget of one call into the interpreter. Reading the clock costs
// as much as a short evaluation, so the budget starts at the first look
// (after about a thousand steps or a megabyte of work) and a short script
// never reads the clock at all.
class Deadline {
public:
    void restart(std::chrono::milliseconds limit) {
        limit_ = limit;
        started_ = false;
    }
    // Raises the time-out error once the budget is spent.
    void check() {
        const auto now = std::chrono::steady_clock::now();
        if (!started_) {
            at_ = now + limit_;
            started_ = true;
        } else if (now > at_) {
            raise(err::Timeout);
        }
    }

private:
    std::chrono::milliseconds limit_{0};
    std::chrono::steady_clock::time_point at_{};
    bool started_ = false;
};

struct ParseLimits {
    // The lowest native stack address the parser may reach before it reports
    // Out of stack space.
    const char* stackLimit = nullptr;
    // Parsing a huge text stops with the time-out error when this runs out.
    Deadline* deadline = nullptr;
    size_t maxNodes = kMaxParseNodes;
};

// Parses chunk.text into chunk's nodes; raises ScriptError with the language's
// compile error numbers, located in chunk.text.
void parseProgram(Chunk& chunk, const ParseLimits& limits);
// Parses chunk.text as one expression (for Eval); returns its node.
int32_t parseExpression(Chunk& chunk, const ParseLimits& limits);

// The value of a decimal literal without sign ("5", ".25", "1.5E+20") with the
// subtype the parser gives it in a script; raises the parser's error for a
// malformed or too large number.
Value numberLiteral(std::string_view text);

// Built-in functions and constants are looked up once, at parse time.
int builtinIndex(std::string_view name, uint32_t hash);

inline void checkStack(const char* limit) {
    if (static_cast<const char*>(__builtin_frame_address(0)) < limit) raise(err::OutOfStack);
}

}  // namespace mcplot::vbs
