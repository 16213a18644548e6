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

class ClockRandom final : public RandomSource {
public:
    // From now on every reseed uses this seed instead of the clock.
    void fixSeed(uint64_t seed) { fixedSeed_ = seed; }
    void releaseSeed() { fixedSeed_.reset(); }

    void reseedFromClock() override;
    // Inline: called twice per throw.
    float next() override {
        // splitmix64: cheap, well mixed, and fine for drawing throws.
        uint64_t z = (state_ += kGolden);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        return static_cast<float>(z >> kDroppedBits) * kUnit;
    }

private:
    static constexpr uint64_t kGolden = 0x9E3779B97F4A7C15ull;
    // The top 24 bits make a float in [0, 1) exactly.
    static constexpr int kDroppedBits = 64 - 24;
    static constexpr float kUnit = 1.0f / 16777216.0f;

    std::optional<uint64_t> fixedSeed_;
    uint64_t state_ = kGolden;
};

}  // namespace mcplot
