#include "core/vbscript_host.h"

#include "core/time_budget.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>

#include "core/evaluation.h"
#include "numbers/number.h"
#include "vbscript/host_object.h"
#include "vbscript/interpreter.h"
#include "vbscript/number_program.h"
#include "vbscript/operators.h"
#include "vbscript/value.h"

namespace mcplot {

using namespace vbs;

static_assert(err::Timeout == kScriptTimedOut, "the engine recognises a time-out by this number");

namespace {

// The result holder seen by scripts: Res.pInt, Res.pLong and Res.p.
class ResultsObject : public HostObject {
public:
    explicit ResultsObject(std::shared_ptr<PubResults> res) : res_(std::move(res)) {}
    const PubResults* results() const { return res_.get(); }

    const char* typeName() const override { return "PubResults"; }

    bool get(std::string_view name, Value& out) const override {
        if (sameName(name, "p"))
            out = Value::dbl(res_->p);
        else if (sameName(name, "pint"))
            out = Value::integer(res_->pInt);
        else if (sameName(name, "plong"))
            out = Value::lng(res_->pLong);
        else
            return false;
        return true;
    }

    bool set(std::string_view name, const Value& v) override {
        if (sameName(name, "p"))
            res_->p = toDouble(v);
        else if (sameName(name, "pint"))
            res_->pInt = toInteger(v);
        else if (sameName(name, "plong"))
            res_->pLong = toLong(v);
        else
            return false;
        return true;
    }

private:
    std::shared_ptr<PubResults> res_;
};

ScriptStatus statusOf(const ScriptError& e) {
    ScriptStatus s = ScriptStatus::failure(e.number, e.what());
    s.line = e.line;
    s.column = e.column;
    return s;
}

}  // namespace

struct VBScriptHost::Impl {
    Interpreter interp;
    std::shared_ptr<ResultsObject> results;     // the wrapper of the last object added
    std::shared_ptr<HostObject> resultsAsHost;  // the same, as the interpreter takes it

    void addResults(std::string_view name, std::shared_ptr<PubResults> object) {
        // The program adds the same object before every evaluation.
        if (!results || results->results() != object.get()) {
            results = std::make_shared<ResultsObject>(std::move(object));
            resultsAsHost = results;
        }
        interp.addObject(name, resultsAsHost);
    }

    template <class F>
    ScriptStatus guarded(F&& body) {
        try {
            body();
            return ScriptStatus::success();
        } catch (const ScriptError& e) {
            return statusOf(e);
        } catch (const std::bad_alloc&) {
            return statusOf(ScriptError(err::OutOfMemory));
        } catch (...) {
            return statusOf(ScriptError(err::Internal));
        }
    }
};

VBScriptHost::VBScriptHost() : impl_(std::make_unique<Impl>()) {
    impl_->interp.setTimeLimit(budgets::kScriptRun);
}
VBScriptHost::~VBScriptHost() = default;

void VBScriptHost::Reset() {
    impl_->interp.reset();
}

ScriptStatus VBScriptHost::AddObject(std::string_view name, std::shared_ptr<PubResults> object) {
    if (!object) return statusOf(ScriptError(err::ObjectRequired));
    Impl& m = *impl_;
    return m.guarded([&] { m.addResults(name, std::move(object)); });
}

ScriptStatus VBScriptHost::ExecuteStatement(std::string_view code) {
    return impl_->guarded([&] { impl_->interp.execute(code); });
}

// The point script with x's literal taken out of the text: the chunk of
// "x=0" CR LF "Res.p=<expression>" whose constant 0 is replaced before each
// run. The second line, where the student's errors lie, is the same text as
// in the point script, so errors have the same line and column.
class VBScriptHost::PreparedPoint : public PreparedPointScript {
public:
    PreparedPoint(VBScriptHost& host, std::string_view expression, std::shared_ptr<PubResults> res,
                  std::unique_ptr<Chunk> chunk, size_t xConstant, bool sameNames)
        : host_(host),
          m_(*host.impl_),
          expression_(expression),
          res_(std::move(res)),
          chunk_(std::move(chunk)),
          xConstant_(xConstant),
          sameNames_(sameNames) {}

    bool quickValue(double x, double& value) override {
        Value xValue;
        if (quick_.empty() || !literalOf(x, xValue) || !quick_.number(m_.interp, xValue, value)) return false;
        res_->p = value;
        return true;
    }

    size_t quickValues(const double* xs, double* values, size_t n) override {
        // The points whose x reads back as a Double, as far as the first
        // that does not (then the point's own way decides).
        std::array<double, NumberProgram::kLanes> rounded;
        n = std::min(n, rounded.size());
        size_t points = 0;
        for (; points < n; ++points) {
            const double x = xs[points];
            double magnitude = 0;
            if (!quickRounded15(std::fabs(x), magnitude) || isWhole(magnitude)) break;
            rounded[points] = x < 0 ? -magnitude : magnitude;
        }
        const size_t done = quick_.doubleValues(rounded.data(), values, points);
        if (done > 0) res_->p = values[done - 1];
        return done;
    }

    ScriptStatus run(double x) override {
        Value xValue;
        if (!literalOf(x, xValue)) return runText(x);
        Chunk& chunk = *chunk_;
        chunk.consts[xConstant_] = xValue;
        return m_.guarded([&] {
            m_.interp.reset();
            m_.addResults("Res", res_);
            m_.interp.runPrepared(chunk, sameNames_);
        });
    }

    // Flattens an expression of numbers and x alone: its runs need neither
    // the engine's reset nor its statements (the next full run resets).
    void flatten(int32_t expression) { quick_.compile(*chunk_, expression, "x"); }

private:
    // The value "x=<short number of x>" gives x: the literal's own subtype,
    // negated for a minus sign as the parser reads "-5" (Neg of 5, so
    // -32768 is a Long). False where the text is no plain literal.
    bool literalOf(double x, Value& out) {
        if (!std::isfinite(x)) return false;
        if (!quickLiteral(std::fabs(x), out)) {
            number_.clear();
            appendShortNumber(number_, x);  // " 5", "-5", " .5", "-1.5E+20"
            try {
                out = numberLiteral(std::string_view(number_).substr(1));
            } catch (const ScriptError&) {
                return false;
            }
        }
        if (x < 0) out = negate(out);
        return true;
    }

    // The literal of a magnitude written without exponent, as the parser
    // reads it, straight from its digits: the digits D and the places after
    // the point give D / 10^places, both exact, or the whole number D·10^k
    // with the narrowest subtype; the text is written only where the quick
    // rounding cannot tell or the text would take an exponent.
    static bool quickLiteral(double magnitude, Value& out) {
        static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        if (double rounded = 0; quickRounded15(magnitude, rounded)) {
            // At most 15 digits before the point and 15 after: no exponent.
            out = isWhole(rounded) ? wholeLiteral(rounded) : Value::dbl(rounded);
            return true;
        }
        uint64_t digits = 0;
        int count = 0, exponent = 0;
        if (!quickDigits15(magnitude, digits, count, exponent)) return false;
        const int before = exponent + 1, after = count - 1 - exponent;
        if (before > 15 || after > 15) return false;  // "1.5E+20", "1E-20"
        if (after > 0) {
            out = Value::dbl(static_cast<double>(digits) / kPowers[after]);
            return true;
        }
        out = wholeLiteral(static_cast<double>(digits) * kPowers[-after]);
        return true;
    }

    // For a magnitude below 10^15.
    static bool isWhole(double magnitude) {
        return static_cast<double>(static_cast<int64_t>(magnitude)) == magnitude;
    }

    // A whole number's literal has the narrowest subtype that holds it.
    static Value wholeLiteral(double whole) {
        if (whole <= 32767) return Value::integer(static_cast<int16_t>(whole));
        if (whole <= 2147483647.0) return Value::lng(static_cast<int32_t>(whole));
        return Value::dbl(whole);
    }

    // The point's text itself, for what the chunk cannot stand for.
    ScriptStatus runText(double x) {
        writePointScript(kod_, x, expression_);
        host_.Reset();
        ScriptStatus status = host_.AddObject("Res", res_);
        if (status.ok) status = host_.ExecuteStatement(kod_);
        return status;
    }

    VBScriptHost& host_;
    Impl& m_;
    std::string expression_;
    std::shared_ptr<PubResults> res_;
    std::unique_ptr<Chunk> chunk_;
    size_t xConstant_;
    bool sameNames_;
    NumberProgram quick_;
    std::string number_, kod_;
};

namespace {

bool isName(const Node& nd, std::string_view name) {
    return nd.kind == NK::Name && sameName(nd.nameView(), name);
}

}  // namespace

std::unique_ptr<PreparedPointScript> VBScriptHost::preparePointScript(std::string_view expression,
                                                                      std::shared_ptr<PubResults> res) {
    if (!res) return nullptr;
    std::string text;
    writePointScript(text, 0, expression);
    std::unique_ptr<Chunk> chunk;
    try {
        chunk = impl_->interp.prepare(text);
    } catch (...) {
        // A compile error, a text too long: each point fails as its text does.
        return nullptr;
    }
    // Only the two assignments of the point script, as written: an expression
    // that is more (statements after a ':', procedures, classes) would run
    // on top of what a parse does at every point. Everything a run does
    // itself (Execute, Eval, Rnd) is done again on every run after a reset,
    // as on the per-point path, and Rnd's sequence lives in the engine, which
    // both paths share.
    const Chunk& c = *chunk;
    const auto at = [&c](int32_t k) -> const Node* {
        return k >= 0 && static_cast<size_t>(k) < c.nodes.size() ? &c.nodes[static_cast<size_t>(k)] : nullptr;
    };
    const Node* setX = at(c.root);
    const Node* setP = setX ? at(setX->next) : nullptr;
    if (!c.procs.empty() || !c.classes.empty() || c.optionExplicit || !setX || !setP) return nullptr;
    const Node* xName = at(setX->a);
    const Node* zero = at(setX->b);
    const Node* target = at(setP->a);
    const Node* res0 = target ? at(target->a) : nullptr;
    if (setX->kind != NK::Assign || !xName || !isName(*xName, "x") || !zero || zero->kind != NK::Literal ||
        zero->k < 0 || setP->kind != NK::Assign || setP->next >= 0 || !target || target->kind != NK::Member ||
        !sameName(target->nameView(), "p") || !res0 || !isName(*res0, "Res"))
        return nullptr;
    const bool sameNames = impl_->interp.foldConstants(*chunk, setP->b);
    auto prepared = std::make_unique<PreparedPoint>(*this, expression, std::move(res), std::move(chunk),
                                                    static_cast<size_t>(zero->k), sameNames);
    if (sameNames) prepared->flatten(setP->b);
    return prepared;
}

VBScriptHost::Evaluation VBScriptHost::Evaluate(std::string_view expression) {
    Evaluation out;
    Impl& m = *impl_;
    out.status = m.guarded([&] {
        const Value v = m.interp.evaluate(expression);
        out.typeName = typeName(v);
        if (!v.isNull() && !v.isArray() && !v.isObject()) out.text = toText(v);
    });
    return out;
}

void VBScriptHost::setTimeLimit(std::chrono::milliseconds limit) {
    impl_->interp.setTimeLimit(limit);
}
void VBScriptHost::setStackBudget(size_t bytes) {
    impl_->interp.setStackBudget(bytes);
}
void VBScriptHost::setMemoryLimit(size_t bytes) {
    impl_->interp.setMemoryLimit(bytes);
}
void VBScriptHost::setStopFlag(const std::atomic<bool>* flag) {
    impl_->interp.setStopFlag(flag);
}
void VBScriptHost::setMaxScriptBytes(size_t bytes) {
    impl_->interp.setMaxSourceBytes(bytes);
}

}  // namespace mcplot
