// The study's random streams are the core's.
#pragma once

#include "core/random.h"

namespace mcplot::study {
using mcplot::RandomStream;
}  // namespace mcplot::study
