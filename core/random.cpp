#include "core/random.h"

#include <chrono>

namespace mcplot {

void ClockRandom::reseedFromClock() {
    const uint64_t seed =
        fixedSeed_ ? *fixedSeed_
                   : static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    bits_.setState(seed ^ SplitMix64::golden);
}

}  // namespace mcplot
