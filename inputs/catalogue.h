// The entries of the function list are the preset table of the core
// (core/presets.h): text, function number, formula picture and preset limits.
#pragma once

#include <cstdint>

#include "core/presets.h"

namespace mcplot {

// Steps of the range scan and the graph trace, set by the initial setup.
inline constexpr int16_t kScanSteps = 100;

}  // namespace mcplot
