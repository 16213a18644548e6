// An expression of numbers, one variable, arithmetic and comparison operators
// and built-ins whose value depends on their arguments alone, flattened into
// a sequence run on a small stack of values. It computes with the
// interpreter's own operators and built-ins, so the values and subtypes are
// the interpreter's; it only skips the walk of the tree, the name look-ups
// and the statements around the expression. The study runs one such
// expression at a million points.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "vbscript/parser.h"
#include "vbscript/value.h"

namespace mcplot::vbs {

class Interpreter;

class NumberProgram {
public:
    // Flattens the expression at node n of the chunk, whose only name may be
    // `variable`; false, and nothing to run, when it has any other part
    // (strings, objects, other names, procedures, Rnd, Eval...).
    bool compile(const Chunk& chunk, int32_t n, std::string_view variable);
    bool empty() const { return code_.empty(); }

    // The expression's value with the variable set to x, step by step on
    // values. Raises the error the interpreter would raise, without its
    // place: run the text then.
    Value run(Interpreter& in, const Value& x);
    // The value as Res.p = value stores it, in doubles where the steps allow;
    // false where the run raises.
    bool number(Interpreter& in, const Value& x, double& value);

    // The points one call of doubleValues takes at most.
    static constexpr size_t kLanes = 64;
    // With x a Double at each of xs[0..n), the values computed in doubles,
    // each step for all the points at once; returns how many points from the
    // first have one (0 without such a plan). The others must run on values.
    size_t doubleValues(const double* xs, double* values, size_t n);

private:
    enum class Kind : uint8_t { Constant, Variable, Unary, Binary, Builtin };
    struct Step {
        Kind kind;
        uint8_t op = 0;
        uint8_t count = 0;  // the arguments of a built-in
        int32_t index = 0;  // the constant, or the built-in
    };
    bool add(const Chunk& chunk, int32_t n, std::string_view variable, int depth);

    // The same steps on doubles, for a Double x: where every step is an
    // operation whose result is a Double (a Double operand of + - *, /, ^,
    // Sin...), computing in doubles as the operators do gives their value.
    // runDoubles is false where a step's result is not finite or an operation
    // would fail: then the steps run on values, and the operators raise.
    // The value on top of the stack is kept apart from the rest, and an
    // operand that is a constant or x is part of its operator's step, so a
    // formula runs in about one step per operator.
    enum class DoubleOp : uint8_t {
        Constant,  // push, then the constant
        Variable,  // push, then x
        Neg,
        Square,
        Abs,
        Atn,
        Cos,
        Exp,
        Log,
        Sin,
        Sqr,
        Tan,
        // Each operator with its right operand: popped, the constant, x; and
        // reversed (the top is the right operand) with a constant or x on the
        // left. + and * take a left operand as a right one: they commute exactly.
        Add,
        AddConstant,
        AddVariable,
        Sub,
        SubConstant,
        SubVariable,
        SubFromConstant,
        SubFromVariable,
        Mul,
        MulConstant,
        MulVariable,
        Div,
        DivConstant,
        DivVariable,
        DivIntoConstant,
        DivIntoVariable,
        Pow,
        PowConstant,
        PowVariable,
        PowOfConstant,
        PowOfVariable,
    };
    struct DoubleStep {
        DoubleOp op;
        double constant = 0;
    };
    void planDoubles();
    bool runDoubles(double x, double& result);
    // The steps on xs[0..n), n at most Lanes, each value pending below the
    // top kept at `below` (Lanes values each): how many from the first are
    // finite at every step, their values in `values`.
    template <size_t Lanes>
    size_t runLanes(const double* xs, double* values, size_t n, double* below);

    std::vector<Step> code_;
    std::vector<Value> constants_;  // numbers only: nothing that holds memory
    std::vector<Value> stack_;
    std::vector<DoubleStep> doubles_;  // empty when some step is not a Double operation
    std::vector<double> doubleStack_;
    std::vector<double> laneStack_;  // kLanes values per pending operand
};

}  // namespace mcplot::vbs
