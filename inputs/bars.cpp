#include "inputs/bars.h"

namespace mcplot {

Number lowerLimitFromBar(int position) {
    return Number::dbl(position * kLimitBarUnit);
}

float upperLimitFromBar(int position) {
    return static_cast<float>(position * kLimitBarUnit);
}

int16_t throwsFromBar(int position) {
    return static_cast<int16_t>(position);
}

float scaleFromBar(int position) {
    return static_cast<float>(position);
}

std::string limitCaption(double limit, std::string_view decimalSeparator) {
    return formatPattern(limit, "0.00", decimalSeparator);
}

std::string throwsCaption(int16_t throws, std::string_view decimalSeparator) {
    return formatPattern(throws, "0", decimalSeparator);
}

std::optional<int16_t> barPositionForLimit(double limit) {
    int16_t v = 0;
    if (!toInteger16(limit * kLimitBarPositionsPerUnit, v)) return std::nullopt;
    return v;
}

float scaleLabelTop(float barTop, float barHeight, float scale) {
    return barHeight * scale / kScaleBarSteps + barTop;
}

const Preset* findPreset(std::string_view text) {
    for (const Preset& p : presets)
        if (text == p.text) return &p;
    return nullptr;
}

}  // namespace mcplot
