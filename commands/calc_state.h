// The state of a calculation under the names the program's procedures give it,
// owned by the main window for the whole run. The inputs write the limits and
// the choices; the run commands write what the core computed back into it, so
// that it always shows what the last command left. The core itself never sees
// it: it takes its inputs as arguments and returns its results.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "numbers/number.h"
#include "core/script_host.h"

namespace mcplot {

struct CalcState {
    // Limits, argument and value.
    Number a;                         // lower limit, holds a double
    float b = 0;                      // upper limit
    Number n;                         // steps of the range scan and the trace, holds an Integer
    float h = 0;                      // step of x, (b - a) / n
    Number i;                         // shared loop counter
    Number x;                         // current argument, holds a double
    Number y;                         // current value: Single after a built-in, Double after the user's
    int16_t nfun = 0;                 // 1..9 built-in formula, 0 the user's expression
    int16_t nbros = 0;                // Monte Carlo throws
    float mashtab = 0;                // scale factor of the plot area
    std::shared_ptr<PubResults> Res;  // created on the first user evaluation
    std::string kod;                  // script text of the last user evaluation
    Number zagruzka;                  // 0 during start-up, 1 afterwards

    // Range and plot window.
    Number ymin;
    float ymax = 0;
    Number hx, hy, xc, yc, x1, x2, y1;
    float y2 = 0;

    // Integration.
    float yr = 0;
    Number nplus, nminus;
    float ikarlo = 0;
    Number itrap, htrap, yleft;
    float yright = 0;
};

}  // namespace mcplot
