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
    laneStack_.assign((most + 1) * kLanes, 0.0);
    planDoubles();
    return true;
}

void NumberProgram::planDoubles() {
    using D = DoubleOp;
    // The steps of one operator: with its right operand popped, a constant
    // or x on the right, a constant or x on the left.
    struct OperatorSteps {
        BinOp op;
        DoubleOp popped, rightConstant, rightVariable, leftConstant, leftVariable;
    };
    static constexpr OperatorSteps operators[] = {
        {BinOp::Add, D::Add, D::AddConstant, D::AddVariable, D::AddConstant, D::AddVariable},
        {BinOp::Sub, D::Sub, D::SubConstant, D::SubVariable, D::SubFromConstant, D::SubFromVariable},
        {BinOp::Mul, D::Mul, D::MulConstant, D::MulVariable, D::MulConstant, D::MulVariable},
        {BinOp::Div, D::Div, D::DivConstant, D::DivVariable, D::DivIntoConstant, D::DivIntoVariable},
        {BinOp::Pow, D::Pow, D::PowConstant, D::PowVariable, D::PowOfConstant, D::PowOfVariable},
    };
    doubles_.clear();
    // What each pending operand is with x a Double: a Double, an Integer or
    // Long constant (read as a double by the operators below), or neither;
    // and where its steps start in the plan.
    enum class Type : uint8_t { Double, Whole, Other };
    struct Operand {
        Type type;
        size_t start;
    };
    std::vector<Operand> pending;
    std::vector<DoubleStep> plan;
    const auto plain = [](Type t) { return t != Type::Other; };
    const auto leafAt = [&plan](size_t k) { return plan[k].op == D::Constant || plan[k].op == D::Variable; };
    for (const Step& s : code_) {
        switch (s.kind) {
            case Kind::Constant: {
                const Value& v = constants_[static_cast<size_t>(s.index)];
                const bool whole = v.type() == vtInteger || v.type() == vtLong;
                if (v.type() != vtDouble && !whole) return;
                pending.push_back({whole ? Type::Whole : Type::Double, plan.size()});
                plan.push_back({D::Constant, whole ? static_cast<double>(v.i()) : v.d()});
                break;
            }
            case Kind::Variable:
                pending.push_back({Type::Double, plan.size()});
                plan.push_back({D::Variable});
                break;
            case Kind::Unary: {
                const auto op = static_cast<UnaryOp>(s.op);
                if (op == UnaryOp::Not || pending.back().type != Type::Double) return;
                if (op == UnaryOp::Neg) plan.push_back({D::Neg});
                break;
            }
            case Kind::Binary: {
                const Operand b = pending.back();
                pending.pop_back();
                Operand& a = pending.back();
                if (!plain(a.type) || !plain(b.type)) return;
                const auto op = static_cast<BinOp>(s.op);
                if ((op == BinOp::Add || op == BinOp::Sub || op == BinOp::Mul) && a.type != Type::Double &&
                    b.type != Type::Double)
                    return;  // whole numbers stay whole
                const auto* steps = std::find_if(std::begin(operators), std::end(operators),
                                                 [op](const OperatorSteps& o) { return o.op == op; });
                if (steps == std::end(operators)) return;
                if (plan.size() == b.start + 1 && leafAt(b.start)) {
                    const DoubleStep right = plan.back();
                    plan.pop_back();
                    if (op == BinOp::Pow && right.op == D::Constant && right.constant == 2)
                        plan.push_back({D::Square});  // as the operator: one product
                    else if (right.op == D::Constant)
                        plan.push_back({steps->rightConstant, right.constant});
                    else
                        plan.push_back({steps->rightVariable});
                } else if (b.start == a.start + 1 && leafAt(a.start)) {
                    // The right operand's steps start with a push, which now
                    // pushes what the left one's would have.
                    const DoubleStep left = plan[a.start];
                    plan.erase(plan.begin() + static_cast<std::ptrdiff_t>(a.start));
                    if (left.op == D::Constant)
                        plan.push_back({steps->leftConstant, left.constant});
                    else
                        plan.push_back({steps->leftVariable});
                } else {
                    plan.push_back({steps->popped});
                }
                a.type = Type::Double;
                break;
            }
            case Kind::Builtin: {
                if (s.count != 1 || pending.back().type != Type::Double) return;
                static constexpr std::pair<std::string_view, DoubleOp> functions[] = {
                    {"abs", D::Abs}, {"atn", D::Atn}, {"cos", D::Cos}, {"exp", D::Exp},
                    {"log", D::Log}, {"sin", D::Sin}, {"sqr", D::Sqr}, {"tan", D::Tan}};
                const char* const name = builtinAt(s.index).name;
                const auto* f = std::find_if(std::begin(functions), std::end(functions),
                                             [name](const auto& f) { return sameName(f.first, name); });
                if (f == std::end(functions)) return;
                plan.push_back({f->second});
                break;
            }
        }
    }
    if (pending.size() == 1 && pending.back().type == Type::Double) doubles_ = std::move(plan);
}

// Each operation as the operators and built-ins compute it for Doubles, lane
// by lane. A lane fails where its value is not finite after a step: that is
// also where an operation would raise (a logarithm or root of a negative
// number is NaN, a negative power of zero and a division by zero infinite, a
// fractional power of a negative NaN).
template <size_t Lanes>
size_t NumberProgram::runLanes(const double* xs, double* values, size_t n, double* below) {
    using D = DoubleOp;
    // Every step runs on all lanes, so that each loop has a fixed length;
    // the lanes past n repeat a point.
    std::array<double, Lanes> x, top{};
    for (size_t i = 0; i < Lanes; ++i) x[i] = xs[i < n ? i : 0];
    // t − t is 0 for a finite t and NaN for any other, and a NaN stays: a
    // lane's sum is 0 as long as every value it took was finite.
    std::array<double, Lanes> notFinite{};
    const auto each = [&top](auto&& f) {
        for (size_t i = 0; i < Lanes; ++i) top[i] = f(top[i], i);
    };
    for (const DoubleStep& s : doubles_) {
        const double c = s.constant;
        switch (s.op) {
            case D::Constant:
            case D::Variable:
                std::copy(top.begin(), top.end(), below);
                below += Lanes;
                if (s.op == D::Constant)
                    top.fill(c);
                else
                    top = x;
                continue;
            case D::Neg:
                each([](double t, size_t) { return -t; });
                continue;
            case D::Square:
                each([](double t, size_t) { return t * t; });
                break;
            case D::Abs:
                each([](double t, size_t) { return std::fabs(t); });
                continue;
            case D::Atn:
                each([](double t, size_t) { return std::atan(t); });
                break;
            case D::Cos:
                each([](double t, size_t) { return std::cos(t); });
                break;
            case D::Exp:
                each([](double t, size_t) { return std::exp(t); });
                break;
            case D::Log:
                each([](double t, size_t) { return std::log(t); });
                break;
            case D::Sin:
                each([](double t, size_t) { return std::sin(t); });
                break;
            case D::Sqr:
                each([](double t, size_t) { return std::sqrt(t); });
                break;
            case D::Tan:
                each([](double t, size_t) { return std::tan(t); });
                break;
            case D::Add:
            case D::Sub:
            case D::Mul:
            case D::Div:
            case D::Pow: {
                below -= Lanes;
                const double* a = below;
                if (s.op == D::Add) each([a](double t, size_t i) { return a[i] + t; });
                if (s.op == D::Sub) each([a](double t, size_t i) { return a[i] - t; });
                if (s.op == D::Mul) each([a](double t, size_t i) { return a[i] * t; });
                if (s.op == D::Div) each([a](double t, size_t i) { return a[i] / t; });
                if (s.op == D::Pow)
                    each([a](double t, size_t i) { return t == 2 ? a[i] * a[i] : std::pow(a[i], t); });
                break;
            }
            case D::AddConstant:
                each([c](double t, size_t) { return t + c; });
                break;
            case D::AddVariable:
                each([&x](double t, size_t i) { return t + x[i]; });
                break;
            case D::SubConstant:
                each([c](double t, size_t) { return t - c; });
                break;
            case D::SubVariable:
                each([&x](double t, size_t i) { return t - x[i]; });
                break;
            case D::SubFromConstant:
                each([c](double t, size_t) { return c - t; });
                break;
            case D::SubFromVariable:
                each([&x](double t, size_t i) { return x[i] - t; });
                break;
            case D::MulConstant:
                each([c](double t, size_t) { return t * c; });
                break;
            case D::MulVariable:
                each([&x](double t, size_t i) { return t * x[i]; });
                break;
            case D::DivConstant:
                each([c](double t, size_t) { return t / c; });
                break;
            case D::DivVariable:
                each([&x](double t, size_t i) { return t / x[i]; });
                break;
            case D::DivIntoConstant:
                each([c](double t, size_t) { return c / t; });
                break;
            case D::DivIntoVariable:
                each([&x](double t, size_t i) { return x[i] / t; });
                break;
            case D::PowConstant:
                each([c](double t, size_t) { return c == 2 ? t * t : std::pow(t, c); });
                break;
            case D::PowVariable:
                each([&x](double t, size_t i) { return x[i] == 2 ? t * t : std::pow(t, x[i]); });
                break;
            case D::PowOfConstant:
                each([c](double t, size_t) { return t == 2 ? c * c : std::pow(c, t); });
                break;
            case D::PowOfVariable:
                each([&x](double t, size_t i) { return t == 2 ? x[i] * x[i] : std::pow(x[i], t); });
                break;
        }
        for (size_t i = 0; i < Lanes; ++i) notFinite[i] += top[i] - top[i];
    }
    size_t done = 0;
    while (done < n && notFinite[done] == 0) ++done;
    std::copy_n(top.begin(), done, values);
    return done;
}

size_t NumberProgram::doubleValues(const double* xs, double* values, size_t n) {
    if (doubles_.empty() || n == 0) return 0;
    return runLanes<kLanes>(xs, values, std::min(n, kLanes), laneStack_.data());
}

bool NumberProgram::runDoubles(double x, double& result) {
    return runLanes<1>(&x, &result, 1, doubleStack_.data()) == 1;
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
            if (nd.k < 0 || sameName(nd.nameView(), variable) || !numberFunction(nd.k)) return false;
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

bool NumberProgram::number(Interpreter& in, const Value& x, double& value) {
    if (x.type() == vtDouble && !doubles_.empty() && runDoubles(x.d(), value)) return true;
    try {
        value = toDouble(run(in, x));
        return true;
    } catch (const ScriptError&) {
        return false;
    }
}

Value NumberProgram::run(Interpreter& in, const Value& x) {
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
