// The language's operators on Variants, with its promotion rules: results
// widen Byte -> Integer -> Long -> Double when they overflow, Null propagates,
// Empty counts as 0 or "" and Boolean as an Integer in arithmetic.
#pragma once

#include "vbscript/value.h"

namespace mcplot::vbs {

enum class BinOp : uint8_t {
    Add,
    Sub,
    Mul,
    Div,
    IntDiv,
    Mod,
    Pow,
    Concat,
    Eq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    Is,
    And,
    Or,
    Xor,
    Eqv,
    Imp,
};

Value binary(BinOp op, const Value& a, const Value& b);
Value negate(const Value& a);
Value logicalNot(const Value& a);

// -1, 0, 1 by the language's comparison rules (numbers before strings,
// strings by UTF-16 code units, or ignoring case with textCompare); false when
// either side is Null.
bool compareValues(const Value& a, const Value& b, int& result, bool textCompare = false);

}  // namespace mcplot::vbs
