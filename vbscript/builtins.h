// The language's built-in functions and constants, in one table built once.
#pragma once

#include <cstdint>

#include "vbscript/value.h"

namespace mcplot::vbs {

class Interpreter;

inline constexpr int kMaxBuiltinArgs = 8;

struct Builtin {
    const char* name;
    int8_t minArgs;
    int8_t maxArgs;
    bool constant;  // a named constant: no arguments, no parentheses needed
    Value (*fn)(Interpreter& in, Value* args, int count);
};

const Builtin& builtinAt(int index);
// A function of numbers whose value depends on its arguments alone (Sin,
// Round, CInt...): the same arguments give the same value at any time.
bool numberFunction(int index);

}  // namespace mcplot::vbs
