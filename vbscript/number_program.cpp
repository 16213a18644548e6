#include "vbscript/number_program.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>
#include <cmath>

#include "vbscript/builtins.h"
#include "vbscript/operators.h"

namespace mcplot::vbs {

namespace {

// Built-ins of numbers whose value depends on their arguments alone.
bool numberBuiltin(int index) {
    static constexpr std::array<std::string_view, 19> names = {
        "abs", "atn", "cos",   "exp",   "fix",  "int",  "log",  "round", "sgn", "sin",
        "sqr", "tan", "cbool", "cbyte", "ccur", "cdbl", "cint", "clng",  "csng"};
    const char* const name = builtinAt(index).name;
    for (std::string_view n : names)
        if (sameName(n, name)) return true;
    return false;
}

// Operators whose result is a number for numbers: no text, no objects.
bool numberOperator(BinOp op) {
    return op != BinOp::Concat && op != BinOp::Is;
}

bool plainNumber(const Value& v) {
    return v.type() == vtDouble || v.type() == vtInteger || v.type() == vtLong;
}
double plainValue(const Value& v) {
    return v.type() == vtDouble ? v.d() : static_cast<double>(v.i());
}

// The commonest operations of a formula where the operators give a finite
// Double computed in doubles: + - * with a Double operand, / and the square
// (one product) of any Integer, Long or Double. False for the rest, and for
// a result that is not finite: then the operator itself raises its error.
inline bool quickArithmetic(BinOp op, const Value& a, const Value& b, double& r) {
    if (op > BinOp::Pow || op == BinOp::IntDiv || op == BinOp::Mod || !plainNumber(a) || !plainNumber(b))
        return false;
    const double x = plainValue(a), y = plainValue(b);
    switch (op) {
        case BinOp::Add:
        case BinOp::Sub:
        case BinOp::Mul:
            if (a.type() != vtDouble && b.type() != vtDouble) return false;  // Integer and Long stay whole
            r = op == BinOp::Add ? x + y : op == BinOp::Sub ? x - y : x * y;
            break;
        case BinOp::Div:
            r = x / y;
            break;
        default:
            if (y != 2) return false;
            r = x * x;
    }
    return std::isfinite(r);
}

// Deeper expressions are rare; they run as text.
constexpr int kMaxDepth = 200;

}  // namespace

bool NumberProgram::compile(const Chunk& chunk, int32_t n, std::string_view variable) {
    code_.clear();
    constants_.clear();
    if (!add(chunk, n, variable, 0)) {
        code_.clear();
        constants_.clear();
        return false;
    }
    // The deepest the stack goes: one value per pending operand.
    size_t depth = 0, most = 0;
    for (const Step& s : code_) {
        if (s.kind == Kind::Constant || s.kind == Kind::Variable) ++depth;
        if (s.kind == Kind::Binary) --depth;
        if (s.kind == Kind::Builtin) depth = depth - s.count + 1;
        most = std::max(most, depth);
    }
    stack_.assign(most + 1, Value());
    doubleStack_.assign(most + 1, 0.0);
    planDoubles();
    return true;
}

void NumberProgram::planDoubles() {
    doubles_.clear();
    // What each pending operand is with x a Double: a Double, an Integer or
    // Long constant (read as a double by the operators below), or neither.
    enum class Type : uint8_t { Double, Whole, Other };
    std::vector<Type> types;
    std::vector<DoubleStep> plan;
    const auto plain = [](Type t) { return t != Type::Other; };
    for (const Step& s : code_) {
        switch (s.kind) {
            case Kind::Constant: {
                const Value& v = constants_[static_cast<size_t>(s.index)];
                const bool whole = v.type() == vtInteger || v.type() == vtLong;
                if (v.type() != vtDouble && !whole) return;
                types.push_back(whole ? Type::Whole : Type::Double);
                plan.push_back({DoubleOp::Constant, whole ? static_cast<double>(v.i()) : v.d()});
                break;
            }
            case Kind::Variable:
                types.push_back(Type::Double);
                plan.push_back({DoubleOp::Variable});
                break;
            case Kind::Unary: {
                const auto op = static_cast<UnaryOp>(s.op);
                if (op == UnaryOp::Not || types.back() != Type::Double) return;
                if (op == UnaryOp::Neg) plan.push_back({DoubleOp::Neg});
                break;
            }
            case Kind::Binary: {
                const Type b = types.back();
                types.pop_back();
                const Type a = types.back();
                if (!plain(a) || !plain(b)) return;
                const auto op = static_cast<BinOp>(s.op);
                if ((op == BinOp::Add || op == BinOp::Sub || op == BinOp::Mul) && a != Type::Double &&
                    b != Type::Double)
                    return;  // whole numbers stay whole
                DoubleOp d;
                switch (op) {
                    case BinOp::Add:
                        d = DoubleOp::Add;
                        break;
                    case BinOp::Sub:
                        d = DoubleOp::Sub;
                        break;
                    case BinOp::Mul:
                        d = DoubleOp::Mul;
                        break;
                    case BinOp::Div:
                        d = DoubleOp::Div;
                        break;
                    case BinOp::Pow:
                        d = DoubleOp::Pow;
                        break;
                    default:
                        return;
                }
                types.back() = Type::Double;
                plan.push_back({d});
                break;
            }
            case Kind::Builtin: {
                if (s.count != 1 || types.back() != Type::Double) return;
                static constexpr std::pair<std::string_view, DoubleOp> functions[] = {
                    {"abs", DoubleOp::Abs}, {"atn", DoubleOp::Atn}, {"cos", DoubleOp::Cos},
                    {"exp", DoubleOp::Exp}, {"log", DoubleOp::Log}, {"sin", DoubleOp::Sin},
                    {"sqr", DoubleOp::Sqr}, {"tan", DoubleOp::Tan}};
                const char* const name = builtinAt(s.index).name;
                const auto* f = std::find_if(std::begin(functions), std::end(functions),
                                             [name](const auto& f) { return sameName(f.first, name); });
                if (f == std::end(functions)) return;
                plan.push_back({f->second});
                break;
            }
        }
    }
    if (types.size() == 1 && types.back() == Type::Double) doubles_ = std::move(plan);
}

// Each operation as the operators and built-ins compute it for Doubles; false
// where they raise an error or the value is not finite.
bool NumberProgram::runDoubles(double x, double& result) {
    double* const base = doubleStack_.data();
    double* top = base;
    for (const DoubleStep& s : doubles_) {
        double r;
        switch (s.op) {
            case DoubleOp::Constant:
                *top++ = s.constant;
                continue;
            case DoubleOp::Variable:
                *top++ = x;
                continue;
            case DoubleOp::Neg:
                top[-1] = -top[-1];
                continue;
            case DoubleOp::Add:
            case DoubleOp::Sub:
            case DoubleOp::Mul:
            case DoubleOp::Div:
            case DoubleOp::Pow: {
                --top;
                const double a = top[-1], b = top[0];
                if (s.op == DoubleOp::Add)
                    r = a + b;
                else if (s.op == DoubleOp::Sub)
                    r = a - b;
                else if (s.op == DoubleOp::Mul)
                    r = a * b;
                else if (s.op == DoubleOp::Div)
                    r = a / b;
                else if ((a < 0 && b != std::trunc(b)) || (a == 0 && b < 0))
                    return false;
                else
                    r = b == 2 ? a * a : std::pow(a, b);  // the square is one product
                break;
            }
            default: {
                const double a = top[-1];
                switch (s.op) {
                    case DoubleOp::Abs:
                        r = std::fabs(a);
                        break;
                    case DoubleOp::Atn:
                        r = std::atan(a);
                        break;
                    case DoubleOp::Cos:
                        r = std::cos(a);
                        break;
                    case DoubleOp::Exp:
                        r = std::exp(a);
                        break;
                    case DoubleOp::Log:
                        if (!(a > 0)) return false;
                        r = std::log(a);
                        break;
                    case DoubleOp::Sin:
                        r = std::sin(a);
                        break;
                    case DoubleOp::Sqr:
                        if (a < 0) return false;
                        r = std::sqrt(a);
                        break;
                    default:
                        r = std::tan(a);
                        break;
                }
            }
        }
        if (!std::isfinite(r)) return false;
        top[-1] = r;
    }
    result = base[0];
    return true;
}

bool NumberProgram::add(const Chunk& chunk, int32_t n, std::string_view variable, int depth) {
    if (n < 0 || depth > kMaxDepth) return false;
    const Node& nd = chunk.nodes[static_cast<size_t>(n)];
    switch (nd.kind) {
        case NK::Literal: {
            const Value& v = chunk.consts[static_cast<size_t>(nd.k)];
            if (!v.isNumberLike()) return false;
            code_.push_back({Kind::Constant, 0, 0, static_cast<int32_t>(constants_.size())});
            constants_.push_back(v);
            return true;
        }
        case NK::Name:
            if (!sameName(nd.nameView(), variable)) return false;
            code_.push_back({Kind::Variable});
            return true;
        case NK::Unary:
            if (!add(chunk, nd.a, variable, depth + 1)) return false;
            code_.push_back({Kind::Unary, nd.op});
            return true;
        case NK::Binary:
            if (!numberOperator(static_cast<BinOp>(nd.op))) return false;
            if (!add(chunk, nd.a, variable, depth + 1) || !add(chunk, nd.b, variable, depth + 1))
                return false;
            code_.push_back({Kind::Binary, nd.op});
            return true;
        case NK::Call: {
            if (nd.k < 0 || sameName(nd.nameView(), variable) || !numberBuiltin(nd.k)) return false;
            const Builtin& b = builtinAt(nd.k);
            int count = 0;
            for (int32_t a = nd.a; a >= 0; a = chunk.nodes[static_cast<size_t>(a)].next, ++count)
                if (!add(chunk, a, variable, depth + 1)) return false;
            if (count < b.minArgs || count > b.maxArgs) return false;
            code_.push_back({Kind::Builtin, 0, static_cast<uint8_t>(count), nd.k});
            return true;
        }
        default:
            return false;
    }
}

Value NumberProgram::run(Interpreter& in, const Value& x) {
    if (double r = 0; x.type() == vtDouble && !doubles_.empty() && runDoubles(x.d(), r)) return Value::dbl(r);
    Value* const base = stack_.data();
    Value* top = base;  // the next free place
    for (const Step& s : code_) {
        switch (s.kind) {
            case Kind::Constant:
                *top++ = constants_[static_cast<size_t>(s.index)];
                break;
            case Kind::Variable:
                *top++ = x;
                break;
            case Kind::Unary: {
                Value& v = top[-1];
                const auto op = static_cast<UnaryOp>(s.op);
                if (op == UnaryOp::Neg)
                    v = negate(v);
                else if (op == UnaryOp::Not)
                    v = logicalNot(v);
                break;
            }
            case Kind::Binary: {
                --top;
                const auto op = static_cast<BinOp>(s.op);
                Value& a = top[-1];
                const Value& b = top[0];
                double r = 0;
                if (quickArithmetic(op, a, b, r)) {
                    a = Value::dbl(r);
                    break;
                }
                a = binary(op, a, b);
                break;
            }
            case Kind::Builtin: {
                top -= s.count;
                *top = builtinAt(s.index).fn(in, top, s.count);
                ++top;
                break;
            }
        }
    }
    return base[0];
}

}  // namespace mcplot::vbs
