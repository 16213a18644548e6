// Colours as the program writes them: 24-bit values in blue-green-red byte
// order (0x0000FF is red); a value with the top bit set names a system colour.
#pragma once

#include <cstdint>

namespace mcplot {

namespace colors {
inline constexpr uint32_t black = 0x000000;
inline constexpr uint32_t lightGreen = 0x80FF80;
inline constexpr uint32_t blue = 0xFF0000;
inline constexpr uint32_t red = 0x0000FF;
inline constexpr uint32_t white = 0xFFFFFF;

// The top bit marks a system colour; the low bits are its index.
inline constexpr uint32_t systemColorFlag = 0x80000000u;
// The system colour of button faces (index 15).
inline constexpr uint32_t buttonFace = systemColorFlag | 15u;
}  // namespace colors

inline constexpr bool isSystemColor(uint32_t bgr) {
    return (bgr & colors::systemColorFlag) != 0;
}

// Blue-green-red to 0xAARRGGBB with full opacity (Qt's QRgb layout).
inline constexpr uint32_t argbFromBgr(uint32_t bgr) {
    return 0xFF000000u | ((bgr & 0xFFu) << 16) | (bgr & 0xFF00u) | ((bgr >> 16) & 0xFFu);
}

// 0xAARRGGBB back to blue-green-red (the alpha is dropped).
inline constexpr uint32_t bgrFromArgb(uint32_t argb) {
    return ((argb >> 16) & 0xFFu) | (argb & 0xFF00u) | ((argb & 0xFFu) << 16);
}

}  // namespace mcplot
