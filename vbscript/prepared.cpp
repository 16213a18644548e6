// Texts parsed once and run many times, and the folding of their constant
// parts: the study evaluates one expression at a million points.
#include <string_view>

#include "vbscript/builtins.h"
#include "vbscript/interpreter.h"
#include "vbscript/locale.h"
#include "vbscript/operators.h"

namespace mcplot::vbs {

namespace {

// Built-ins whose value depends on their arguments alone. Conversions of
// strings are left out with every string (they may read the locale).
bool pureBuiltin(int index) {
    return builtinAt(index).constant || numberFunction(index);
}

bool runsText(int index) {
    const char* const name = builtinAt(index).name;
    return sameName(name, "eval") || sameName(name, "execute") || sameName(name, "executeglobal") ||
           sameName(name, "getref");
}

}  // namespace

std::unique_ptr<Chunk> Interpreter::prepare(std::string_view code) {
    BudgetScope scope(&budget_);
    startCall();
    if (code.size() > maxSourceBytes_) throw ScriptError(err::OutOfMemory, "слишком длинный текст сценария");
    auto chunk = std::make_unique<Chunk>();
    chunk->copyText(code);
    parseProgram(*chunk, parseLimits());
    return chunk;
}

void Interpreter::runPrepared(const Chunk& chunk, bool sameNames) {
    BudgetScope scope(&budget_);
    // SetLocale in the text changes this run's locale only, as in execute.
    LocaleScope regional(locale_);
    startCall();
    // Otherwise a name found as a global in an earlier run may be another
    // variable now, or none.
    if (!sameNames)
        for (const Node& nd : chunk.nodes) nd.global = -1;
    run(chunk);
}

bool Interpreter::foldConstants(Chunk& chunk, int32_t n) {
    // A name is a built-in at run time only while nothing defines it: no
    // procedure or class of the text, no text run by the text itself.
    if (!chunk.procs.empty() || !chunk.classes.empty()) return false;
    for (const Node& nd : chunk.nodes)
        if (nd.k >= 0 && (nd.kind == NK::Name || nd.kind == NK::Call) && runsText(nd.k)) return false;
    BudgetScope scope(&budget_);
    startCall();
    try {
        fold(chunk, n);
    } catch (const ScriptError&) {
        // Too deep to walk: what is folded so far stays, each part on its own.
    }
    return true;
}

// True when node n is now a literal holding a number (no string, no object:
// nothing that holds memory or depends on the locale).
bool Interpreter::fold(Chunk& chunk, int32_t n) {
    checkStack(stackLimit_);
    const auto literal = [&chunk](int32_t k) -> const Value* {
        const Node& nd = chunk.nodes[static_cast<size_t>(k)];
        if (nd.kind != NK::Literal) return nullptr;
        const Value& v = chunk.consts[static_cast<size_t>(nd.k)];
        return v.isNumberLike() ? &v : nullptr;
    };
    Node* nd = &chunk.nodes[static_cast<size_t>(n)];
    Value value;
    try {
        switch (nd->kind) {
            case NK::Literal:
                return literal(n) != nullptr;
            case NK::Unary: {
                if (!fold(chunk, nd->a)) return false;
                nd = &chunk.nodes[static_cast<size_t>(n)];
                const Value& v = *literal(nd->a);
                const auto op = static_cast<UnaryOp>(nd->op);
                value = op == UnaryOp::Neg ? negate(v) : op == UnaryOp::Not ? logicalNot(v) : v;
                break;
            }
            case NK::Binary: {
                const bool left = fold(chunk, nd->a);
                const bool right = fold(chunk, nd->b);
                if (!left || !right) return false;
                nd = &chunk.nodes[static_cast<size_t>(n)];
                value = binary(static_cast<BinOp>(nd->op), *literal(nd->a), *literal(nd->b));
                break;
            }
            case NK::Name:
            case NK::Call: {
                if (nd->k < 0 || sameName(nd->nameView(), "x")) return false;
                bool all = pureBuiltin(nd->k);
                Value args[kMaxBuiltinArgs];
                int count = 0;
                for (int32_t a = nd->kind == NK::Call ? nd->a : -1; a >= 0;
                     a = chunk.nodes[static_cast<size_t>(a)].next) {
                    all = fold(chunk, a) && all;
                    if (all && count < kMaxBuiltinArgs) args[count] = *literal(a);
                    ++count;
                }
                nd = &chunk.nodes[static_cast<size_t>(n)];
                const Builtin& b = builtinAt(nd->k);
                if (!all || count < b.minArgs || count > b.maxArgs || count > kMaxBuiltinArgs) return false;
                value = b.fn(*this, args, count);
                break;
            }
            default:
                return false;
        }
    } catch (const ScriptError&) {
        return false;  // it fails at run time, in its place
    }
    if (!value.isNumberLike()) return false;
    nd->kind = NK::Literal;
    nd->k = static_cast<int32_t>(chunk.consts.size());
    nd->a = nd->b = -1;
    chunk.consts.push_back(std::move(value));
    return true;
}

}  // namespace mcplot::vbs
