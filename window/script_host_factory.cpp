#include "window/script_host_factory.h"

#include "core/budgeted_script_host.h"

#ifdef MCPLOT_HAVE_VBSCRIPT
#include "core/vbscript_host.h"
#endif

namespace mcplot {

namespace {
class UnavailableHost : public ScriptHost {
public:
    void Reset() override {}
    ScriptStatus AddObject(std::string_view, std::shared_ptr<PubResults>) override {
        return ScriptStatus::success();
    }
    ScriptStatus ExecuteStatement(std::string_view) override {
        return ScriptStatus::failure(429, "VBScript is not available in this build");
    }
};
}  // namespace

#ifdef MCPLOT_HAVE_VBSCRIPT
namespace {
std::unique_ptr<VBScriptHost> makeVBScriptHost() {
    auto host = std::make_unique<VBScriptHost>();
    // A pasted text of megabytes fails at once instead of being parsed.
    host->setMaxScriptBytes(kMaxScriptBytes);
    return host;
}
}  // namespace
#endif

std::unique_ptr<ScriptHost> makeScriptHost() {
#ifdef MCPLOT_HAVE_VBSCRIPT
    return makeVBScriptHost();
#else
    return std::make_unique<UnavailableHost>();
#endif
}

std::unique_ptr<ScriptHost> makeScriptHost(ActionBudget& budget) {
#ifdef MCPLOT_HAVE_VBSCRIPT
    auto host = makeVBScriptHost();
    VBScriptHost* vbs = host.get();
    return std::make_unique<BudgetedScriptHost>(
        std::move(host), budget, [vbs](std::chrono::milliseconds limit) { vbs->setTimeLimit(limit); });
#else
    return std::make_unique<BudgetedScriptHost>(makeScriptHost(), budget);
#endif
}

}  // namespace mcplot
