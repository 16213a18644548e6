// Texts the format functions make, in the script's regional settings, and the
// byte view of strings the B functions work on.
//
// The script's regional settings are those of English (United States), locale
// 1033, unless the script chooses others with SetLocale (locale.h): "." before
// the decimals, "," between groups of three digits, two decimals, "$" before
// an amount, a negative amount in parentheses, dates as m/d/yyyy and times as
// h:mm:ss AM. CStr and the date texts follow the same settings, so the script
// text of x and every number a script writes agree whatever the user's own
// settings are.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mcplot::vbs {

inline constexpr int kScriptLocale = 1033;

// How FormatNumber, FormatPercent and FormatCurrency write a number.
struct NumberStyle {
    int decimals = 2;
    bool leadingZero = true;         // "0.5" rather than ".5"
    bool parensForNegative = false;  // "(5.00)" rather than "-5.00"
    bool groupDigits = true;         // "1,000" rather than "1000"
};

// The number rounded to style.decimals places, halves away from zero, on its
// fifteen-digit decimal form (as CStr writes it, so 2.675 gives 2.68), between
// prefix and suffix ("$", "%"). A value that rounds to zero has no sign.
std::string formatNumberText(double v, const NumberStyle& style, std::string_view prefix,
                             std::string_view suffix);

// FormatCurrency's symbol before or after the amount, and whether a negative
// amount is in parentheses by default.
struct CurrencyStyle {
    std::string prefix, suffix;
    bool parentheses = true;
};
CurrencyStyle currencyStyle();

// FormatDateTime's named formats 1 to 4 (0 is the general form, dateText).
std::string longDateText(double serial);   // "Friday, May 31, 2019"
std::string shortDateText(double serial);  // "5/31/2019"
std::string longTimeText(double serial);   // "1:45:00 PM"
std::string shortTimeText(double serial);  // "13:45"
// The general form, date and time, in the regional settings SetLocale chose.
std::string localDateText(double serial);

// Escape: letters, digits and @*_+-./ stay, other characters up to 255 become
// %XX and the rest %uXXXX (one per UTF-16 code unit). Unescape reverses it and
// keeps any % that does not start a valid sequence.
std::string escapeText(std::string_view s);
std::string unescapeText(std::string_view s);

// A string as the bytes of its UTF-16 form, low byte first, and back. A string
// of an odd number of bytes (ChrB, LeftB(s, 3)) keeps its last byte b as the
// private code point kLoneByte + b, which the byte view reads as one byte.
std::string toUtf16Bytes(std::string_view s);
std::string fromUtf16Bytes(std::string_view bytes);
inline constexpr uint32_t kLoneByte = 0xF0000;
// Whether the string ends in such a byte (its UTF-8 form is F3 B0 80..83 xx).
inline bool endsWithLoneByte(std::string_view s) {
    const size_t n = s.size();
    return n >= 4 && static_cast<unsigned char>(s[n - 4]) == 0xF3 &&
           static_cast<unsigned char>(s[n - 3]) == 0xB0 &&
           (static_cast<unsigned char>(s[n - 2]) & 0xFC) == 0x80;
}
// a & b when a ends in a lone byte: the bytes of b follow it, so every
// character of b is read anew across the byte boundary.
std::string joinBytes(std::string_view a, std::string_view b);

}  // namespace mcplot::vbs
