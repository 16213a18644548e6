// Random numbers from a fixed list, cycling: a run whose every throw a test
// chooses. Counts the numbers drawn and the reseeds.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "core/random.h"

namespace mcplot::testing {

class ListRandom : public RandomSource {
public:
    explicit ListRandom(std::vector<float> values) : values_(std::move(values)) {}
    void reseedFromClock() override { ++reseeds; }
    float next() override {
        if (values_.empty()) return 0;
        return values_[drawn++ % values_.size()];
    }
    int reseeds = 0;
    size_t drawn = 0;

private:
    std::vector<float> values_;
};

}  // namespace mcplot::testing
