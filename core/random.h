// Uniform random numbers in [0, 1) for the Monte Carlo throws, reseeded from the
// clock on every run unless a fixed seed makes the runs reproducible.
#pragma once

#include <cstdint>
#include <optional>

namespace mcplot {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void reseedFromClock() = 0;
    virtual float next() = 0;  // uniform in [0, 1), 24 significant bits
};

class ClockRandom : public RandomSource {
public:
    // From now on every reseed uses this seed instead of the clock.
    void fixSeed(uint64_t seed) { fixedSeed_ = seed; }
    void releaseSeed() { fixedSeed_.reset(); }

    void reseedFromClock() override;
    float next() override;

private:
    std::optional<uint64_t> fixedSeed_;
    uint64_t state_ = 0x9E3779B97F4A7C15ull;
};

}  // namespace mcplot
