#include "core/random.h"

#include <chrono>

namespace mcplot {

void ClockRandom::reseedFromClock() {
    const uint64_t seed = fixedSeed_ ? *fixedSeed_
                                     : static_cast<uint64_t>(
                                           std::chrono::steady_clock::now().time_since_epoch().count());
    state_ = seed ^ 0x9E3779B97F4A7C15ull;
}

float ClockRandom::next() {
    // splitmix64: cheap, well mixed, and fine for drawing throws.
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<float>(z >> 40) * (1.0f / 16777216.0f);
}

}  // namespace mcplot
