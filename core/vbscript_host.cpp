#include "core/vbscript_host.h"

#include <new>

#include "vbscript/host_object.h"
#include "vbscript/interpreter.h"
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

VBScriptHost::VBScriptHost() : impl_(std::make_unique<Impl>()) {}
VBScriptHost::~VBScriptHost() = default;

void VBScriptHost::Reset() {
    impl_->interp.reset();
}

ScriptStatus VBScriptHost::AddObject(std::string_view name, std::shared_ptr<PubResults> object) {
    if (!object) return statusOf(ScriptError(err::ObjectRequired));
    Impl& m = *impl_;
    return m.guarded([&] {
        // The program adds the same object before every evaluation.
        if (!m.results || m.results->results() != object.get()) {
            m.results = std::make_shared<ResultsObject>(std::move(object));
            m.resultsAsHost = m.results;
        }
        m.interp.addObject(name, m.resultsAsHost);
    });
}

ScriptStatus VBScriptHost::ExecuteStatement(std::string_view code) {
    return impl_->guarded([&] { impl_->interp.execute(code); });
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
