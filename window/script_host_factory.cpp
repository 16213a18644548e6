#include "window/script_host_factory.h"

#include "core/budgeted_script_host.h"
#include "core/vbscript_host.h"

namespace mcplot {

namespace {
std::unique_ptr<VBScriptHost> makeVBScriptHost() {
    auto host = std::make_unique<VBScriptHost>();
    // A pasted text of megabytes fails at once instead of being parsed.
    host->setMaxScriptBytes(kMaxScriptBytes);
    return host;
}
}  // namespace

std::unique_ptr<ScriptHost> makeScriptHost() {
    return makeVBScriptHost();
}

std::unique_ptr<ScriptHost> makeScriptHost(TimeBudget& budget) {
    auto host = makeVBScriptHost();
    VBScriptHost* vbs = host.get();
    return std::make_unique<BudgetedScriptHost>(
        std::move(host), budget, [vbs](std::chrono::milliseconds limit) { vbs->setTimeLimit(limit); });
}

}  // namespace mcplot
