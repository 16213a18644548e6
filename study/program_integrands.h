// The program's functions as study integrands: the nine built-in formulas and
// the user's expression, each evaluated the way the main window evaluates it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/script_host.h"
#include "study/integrand.h"

namespace mcplot::study {

// Built-in formula nfun (1..9) in double precision: the main window's formula
// without its final rounding to single, so the reference value is that of the
// formula itself. temperature is T of formula 9.
IntegrandFactory builtInIntegrand(int nfun, double temperature);

using ScriptHostMaker = std::function<std::unique_ptr<ScriptHost>()>;

// The user's expression through the same two-line script as the main window
// ("x=...", "Res.p=<expression>"), each integrand with a host of its own,
// parsed once per integrand where the host can prepare it. A
// failure is explained in the student's words: number, message, position in
// the expression and x.
IntegrandFactory expressionIntegrand(std::string expression, ScriptHostMaker makeHost);

}  // namespace mcplot::study
