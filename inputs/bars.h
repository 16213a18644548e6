// The rules of the four parameter bars and the function list, as plain
// functions: what a bar position means for the calculation, which text its
// label shows, and where a preset puts the limit bars. The window's handlers
// apply them to the controls.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "inputs/catalogue.h"
#include "numbers/number.h"

namespace mcplot {

// The limit bars keep hundredths of a unit: a position is the limit times
// 100, a limit the position times 0.01.
inline constexpr double kLimitBarUnit = 0.01;
inline constexpr double kLimitBarPositionsPerUnit = 100;
// Label1 follows the scale bar's thumb: a seventh of the bar per step.
inline constexpr float kScaleBarSteps = 7.0f;

// The lower limit a (a double) for the position of VScroll1.
Number lowerLimitFromBar(int position);
// The upper limit b (a single) for the position of VScroll2.
float upperLimitFromBar(int position);
// The throw count for the position of VScroll3.
int16_t throwsFromBar(int position);
// The scale factor for the position of VScroll4.
float scaleFromBar(int position);

// The caption of a limit label: two decimals, the regional separator.
std::string limitCaption(double limit, std::string_view decimalSeparator);
// The caption of the throw count label: a whole number.
std::string throwsCaption(int16_t throws, std::string_view decimalSeparator);

// The bar position that shows a limit (hundredths, halves to even), or nothing
// when the limit has no 16-bit position.
std::optional<int16_t> barPositionForLimit(double limit);

// Label1's top for the scale bar at the given place and scale.
float scaleLabelTop(float barTop, float barHeight, float scale);

// The list entry with this text, or null.
const Preset* findPreset(std::string_view text);

}  // namespace mcplot
