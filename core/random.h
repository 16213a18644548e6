// Uniform random numbers in [0, 1) from splitmix64: the main window's throws,
// reseeded from the clock on every run unless a fixed seed makes the runs
// reproducible, and the study's independent streams addressed by
// (seed, stream, index).
#pragma once

#include <cstdint>
#include <optional>

namespace mcplot {

// The splitmix64 finaliser: a well-mixed 64-bit value from any 64-bit value.
inline uint64_t mix64(uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// splitmix64: cheap, well mixed, and fine for drawing throws.
class SplitMix64 {
public:
    static constexpr uint64_t golden = 0x9E3779B97F4A7C15ull;
    explicit SplitMix64(uint64_t state = golden) : state_(state) {}
    void setState(uint64_t state) { state_ = state; }
    uint64_t next() { return mix64(state_ += golden); }

private:
    uint64_t state_;
};

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
    // Inline: called twice per throw. The top 24 bits make a float in [0, 1) exactly.
    float next() override { return static_cast<float>(bits_.next() >> (64 - 24)) * (1.0f / 16777216.0f); }

private:
    std::optional<uint64_t> fixedSeed_;
    SplitMix64 bits_;
};

// A stream addressed by (seed, stream, index): a block of work always draws
// the same numbers whichever thread runs it, so a seed gives the same figures
// on any number of threads.
class RandomStream {
public:
    RandomStream(uint64_t seed, uint64_t stream, uint64_t index)
        : bits_(mix64(mix64(seed ^ 0x6A09E667F3BCC909ull) ^ mix64((stream << 48) ^ index))) {}

    // Uniform in [0, 1) with 53 random bits.
    double next() { return static_cast<double>(bits_.next() >> 11) * 0x1.0p-53; }

private:
    SplitMix64 bits_;
};

}  // namespace mcplot
