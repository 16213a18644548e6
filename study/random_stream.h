// Independent random streams addressed by (seed, stream, index): a block of
// work always draws the same numbers whichever thread runs it, so a seed gives
// the same figures on any number of threads.
#pragma once

#include <cstdint>

namespace mcplot::study {

inline uint64_t mix64(uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

class RandomStream {
public:
    RandomStream(uint64_t seed, uint64_t stream, uint64_t index)
        : state_(mix64(mix64(seed ^ 0x6A09E667F3BCC909ull) ^ mix64((stream << 48) ^ index))) {}

    // Uniform in [0, 1) with 53 random bits (splitmix64).
    double next() {
        const uint64_t z = mix64(state_ += 0x9E3779B97F4A7C15ull);
        return static_cast<double>(z >> 11) * 0x1.0p-53;
    }

private:
    uint64_t state_;
};

}  // namespace mcplot::study
