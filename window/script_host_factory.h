// The script host behind scrCalc: the project's VBScript interpreter when it is
// built, otherwise a host that rejects every statement (the plot button then
// shows the error marking for any expression).
#pragma once

#include <memory>

#include "core/time_budget.h"
#include "core/script_host.h"

namespace mcplot {
std::unique_ptr<ScriptHost> makeScriptHost();
// The same host running on the time budget of the current user action.
std::unique_ptr<ScriptHost> makeScriptHost(TimeBudget& budget);
}  // namespace mcplot
