#include "vbscript/vbscript_host.h"

#include <pthread.h>

#include <new>
#include <vector>

#include "vbscript/interpreter.h"
#include "vbscript/parser.h"
#include "vbscript/value.h"

namespace mcplot {

using namespace vbs;

namespace {

// The lowest usable address of this thread's stack, found once per thread.
const char* threadStackLow() {
    thread_local const char* low = [] {
        pthread_attr_t attr;
        void* addr = nullptr;
        size_t size = 0;
        if (pthread_getattr_np(pthread_self(), &attr) == 0) {
            pthread_attr_getstack(&attr, &addr, &size);
            pthread_attr_destroy(&attr);
        }
        return static_cast<const char*>(addr);
    }();
    return low;
}

constexpr size_t kStackMargin = 256 * 1024;

ScriptStatus statusOf(int number) { return ScriptStatus::failure(number, errorMessage(number)); }

}  // namespace

struct VBScriptHost::Impl {
    Interpreter interp;
    std::unique_ptr<Chunk> work = std::make_unique<Chunk>();
    std::vector<std::unique_ptr<Chunk>> kept;  // texts whose procedures and classes are still in use
    size_t stackBudget = 4u << 20;

    void setStackLimit() {
        const char* here = static_cast<const char*>(__builtin_frame_address(0));
        const char* limit = here - stackBudget;
        if (limit > here) limit = nullptr;  // wrapped around
        const char* low = threadStackLow();
        if (low && limit < low + kStackMargin) limit = low + kStackMargin;
        interp.setStackLimit(limit);
    }

    template <class F>
    ScriptStatus guarded(F&& body) {
        try {
            setStackLimit();
            body();
            return ScriptStatus::success();
        } catch (const ScriptError& e) {
            return statusOf(e.number);
        } catch (const std::bad_alloc&) {
            return statusOf(err::OutOfMemory);
        } catch (...) {
            return ScriptStatus::failure(51, "Internal error");
        }
    }
};

VBScriptHost::VBScriptHost() : impl_(std::make_unique<Impl>()) {}
VBScriptHost::~VBScriptHost() = default;

void VBScriptHost::Reset() {
    impl_->interp.reset();
    impl_->kept.clear();
}

ScriptStatus VBScriptHost::AddObject(std::string_view name, std::shared_ptr<PubResults> object) {
    if (!object) return statusOf(err::ObjectRequired);
    return impl_->guarded([&] { impl_->interp.addObject(name, std::move(object)); });
}

ScriptStatus VBScriptHost::ExecuteStatement(std::string_view code) {
    Impl& m = *impl_;
    return m.guarded([&] {
        m.work->code.assign(code.data(), code.size());
        parseProgram(*m.work, m.interp.stackLimit());
        Chunk* chunk = m.work.get();
        if (!chunk->procs.empty() || !chunk->classes.empty()) {
            m.kept.push_back(std::move(m.work));
            m.work = std::make_unique<Chunk>();
        }
        m.interp.run(*chunk);
    });
}

VBScriptHost::Evaluation VBScriptHost::Evaluate(std::string_view expression) {
    Evaluation out;
    Impl& m = *impl_;
    out.status = m.guarded([&] {
        Chunk chunk;
        chunk.code.assign(expression.data(), expression.size());
        const int32_t root = parseExpression(chunk, m.interp.stackLimit());
        const Value v = m.interp.evalChunkExpression(chunk, root);
        out.typeName = typeName(v);
        if (!v.isNull() && !v.isArray() && !v.isObject()) out.text = toText(v);
    });
    return out;
}

void VBScriptHost::setTimeLimit(std::chrono::milliseconds limit) { impl_->interp.setTimeLimit(limit); }
void VBScriptHost::setStackBudget(size_t bytes) { impl_->stackBudget = bytes; }

}  // namespace mcplot
