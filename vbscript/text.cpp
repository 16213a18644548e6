#include "vbscript/text.h"

#include <algorithm>
#include <cstring>

namespace mcplot::vbs {

namespace {

inline unsigned char byteAt(std::string_view s, size_t pos) {
    return static_cast<unsigned char>(s[pos]);
}
inline bool continuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// The order of binary comparison: UTF-16 puts U+E000..U+FFFF after the
// surrogates that stand for the code points beyond U+FFFF.
inline uint32_t utf16Order(uint32_t cp) {
    return cp >= 0xE000 && cp <= 0xFFFF ? cp + 0x110000 : cp;
}

inline uint32_t foldChar(uint32_t cp) {
    return lowerChar(upperChar(cp));
}

// Maps the 2-byte characters in place: every mapped pair lies in U+0080..U+07FF.
std::string mapText(std::string_view s, uint32_t (*f)(uint32_t)) {
    std::string out(s);
    for (size_t pos = 0; pos < out.size();) {
        const unsigned char b = byteAt(out, pos);
        if (b < 0x80) {
            out[pos] = static_cast<char>(f(b));
            ++pos;
            continue;
        }
        size_t n = 0;
        const uint32_t cp = decodeChar(out, pos, n);
        if (n == 2) {
            const uint32_t m = f(cp);
            if (m != cp && encodedBytes(m) == 2) {
                out[pos] = static_cast<char>(0xC0 | (m >> 6));
                out[pos + 1] = static_cast<char>(0x80 | (m & 0x3F));
            }
        }
        pos += n;
    }
    return out;
}

// Windows-1251 codes 0x80..0xBF; 0xC0..0xFF are А..я in order. 0x98 is unused
// in the code page; it stands for U+0098 so that every code has a character.
constexpr uint16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

}  // namespace

size_t charBytes(std::string_view s, size_t pos) {
    const unsigned char b = byteAt(s, pos);
    if (b < 0xC0) return 1;
    const size_t more = b >= 0xF8 ? 0 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : 1;
    if (more == 0 || s.size() - pos <= more) return 1;
    for (size_t k = 1; k <= more; ++k)
        if (!continuation(byteAt(s, pos + k))) return 1;
    return more + 1;
}

uint32_t decodeChar(std::string_view s, size_t pos, size_t& bytes) {
    bytes = charBytes(s, pos);
    const unsigned char b = byteAt(s, pos);
    if (bytes == 1) return b < 0x80 ? b : kReplacementChar;
    uint32_t cp = b & (0x7Fu >> bytes);
    for (size_t k = 1; k < bytes; ++k) cp = (cp << 6) | (byteAt(s, pos + k) & 0x3Fu);
    return cp;
}

size_t encodedBytes(uint32_t cp) {
    return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

void appendChar(std::string& out, uint32_t cp) {
    if (cp > 0x10FFFF) cp = kReplacementChar;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

size_t charCount(std::string_view s) {
    if (isAscii(s)) return s.size();
    size_t n = 0;
    for (size_t pos = 0; pos < s.size(); ++n) pos += byteAt(s, pos) < 0x80 ? 1 : charBytes(s, pos);
    return n;
}

size_t byteOffset(std::string_view s, size_t n) {
    size_t pos = 0;
    for (; n > 0 && pos < s.size(); --n) pos += byteAt(s, pos) < 0x80 ? 1 : charBytes(s, pos);
    return pos;
}

size_t charsBefore(std::string_view s, size_t bytes) {
    return charCount(s.substr(0, bytes));
}

bool isCharBoundary(std::string_view s, size_t pos) {
    if (pos == 0 || pos >= s.size() || !continuation(byteAt(s, pos))) return true;
    // A continuation byte is inside a character when a lead byte up to three
    // bytes back claims it; every other byte starts a character.
    for (size_t back = 1; back <= 3 && back <= pos; ++back)
        if (!continuation(byteAt(s, pos - back))) return charBytes(s, pos - back) <= back;
    return true;
}

namespace {

// The bytes of a slice of the text searched between two calls of the pacer:
// at most this many, and at first this few.
constexpr size_t kSearchSlice = size_t{1} << 20;
constexpr size_t kFirstSearchSlice = size_t{1} << 8;

}  // namespace

// glibc's memmem runs the two-way algorithm on long needles and a skip table
// bounded by the needle's length on short ones, so the scan stays linear;
// slices no shorter than the needle keep it linear across the pacer's calls.
// The slices start small and double: a match close ahead (Replace finds one
// after another) costs no more than the distance to it, even where a call
// costs its whole range (the sanitizers check the range memmem is given).
size_t findBytes(std::string_view hay, std::string_view needle, size_t from, const SearchPacer& pace) {
    const size_t m = needle.size();
    if (m == 0) return from <= hay.size() ? from : std::string_view::npos;
    const size_t largest = std::max(kSearchSlice, m);
    size_t slice = std::max(kFirstSearchSlice, m);
    for (size_t pos = from; pos <= hay.size() && hay.size() - pos >= m;) {
        const size_t end = std::min(hay.size(), pos + slice + m - 1);
        const void* hit = ::memmem(hay.data() + pos, end - pos, needle.data(), m);
        if (hit != nullptr) return static_cast<size_t>(static_cast<const char*>(hit) - hay.data());
        if (end == hay.size()) break;
        pos = end - m + 1;
        slice = std::min(largest, slice * 2);
        if (pace) pace();
    }
    return std::string_view::npos;
}

size_t findText(std::string_view hay, std::string_view needle, size_t from, const SearchPacer& pace) {
    if (needle.empty()) return from <= hay.size() ? from : std::string_view::npos;
    for (size_t p = findBytes(hay, needle, from, pace); p != std::string_view::npos;
         p = findBytes(hay, needle, p + 1, pace))
        if (isCharBoundary(hay, p) && isCharBoundary(hay, p + needle.size())) return p;
    return std::string_view::npos;
}

size_t rfindText(std::string_view hay, std::string_view needle, size_t last, const SearchPacer& pace) {
    if (needle.size() > hay.size()) return std::string_view::npos;
    last = std::min(last, hay.size() - needle.size());
    if (needle.empty()) return last;
    // The last occurrence is the first one of the reversed needle in the
    // reversed text, which the forward search finds in linear time.
    const std::string_view within = hay.substr(0, last + needle.size());
    const std::string backHay(within.rbegin(), within.rend());
    const std::string backNeedle(needle.rbegin(), needle.rend());
    for (size_t r = findBytes(backHay, backNeedle, 0, pace); r != std::string_view::npos;
         r = findBytes(backHay, backNeedle, r + 1, pace)) {
        const size_t p = within.size() - r - needle.size();
        if (isCharBoundary(hay, p) && isCharBoundary(hay, p + needle.size())) return p;
    }
    return std::string_view::npos;
}

uint32_t upperChar(uint32_t cp) {
    if (cp < 0x80) return cp >= 'a' && cp <= 'z' ? cp - 32 : cp;
    if (cp < 0x100) {
        if (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7) return cp - 0x20;
        return cp == 0xFF ? 0x178 : cp;  // ÿ -> Ÿ
    }
    if (cp >= 0x3AC && cp <= 0x3CE) {   // Greek
        if (cp == 0x3C2) return 0x3A3;  // final sigma
        if (cp >= 0x3B1 && cp <= 0x3CB) return cp - 0x20;
        if (cp == 0x3AC) return 0x386;
        if (cp <= 0x3AF) return cp - 0x25;
        if (cp == 0x3CC) return 0x38C;
        if (cp >= 0x3CD) return cp - 0x3F;
        return cp;
    }
    if (cp >= 0x430 && cp <= 0x44F) return cp - 0x20;  // а..я
    if (cp >= 0x450 && cp <= 0x45F) return cp - 0x50;  // ѐ..џ, ё among them
    return cp == 0x491 ? 0x490 : cp;                   // ґ
}

uint32_t lowerChar(uint32_t cp) {
    if (cp < 0x80) return cp >= 'A' && cp <= 'Z' ? cp + 32 : cp;
    if (cp < 0x100) return cp >= 0xC0 && cp <= 0xDE && cp != 0xD7 ? cp + 0x20 : cp;
    if (cp == 0x178) return 0xFF;
    if (cp >= 0x386 && cp <= 0x3AB) {  // Greek
        if (cp >= 0x391) return cp == 0x3A2 ? cp : cp + 0x20;
        if (cp == 0x386) return 0x3AC;
        if (cp >= 0x388 && cp <= 0x38A) return cp + 0x25;
        if (cp == 0x38C) return 0x3CC;
        if (cp == 0x38E || cp == 0x38F) return cp + 0x3F;
        return cp;
    }
    if (cp >= 0x410 && cp <= 0x42F) return cp + 0x20;  // А..Я
    if (cp >= 0x400 && cp <= 0x40F) return cp + 0x50;  // Ѐ..Џ, Ё among them
    return cp == 0x490 ? 0x491 : cp;                   // Ґ
}

std::string upperText(std::string_view s) {
    return mapText(s, upperChar);
}
std::string lowerText(std::string_view s) {
    return mapText(s, lowerChar);
}
std::string foldText(std::string_view s) {
    return mapText(s, foldChar);
}

int compareText(std::string_view a, std::string_view b, bool ignoreCase) {
    if (!ignoreCase) {
        const size_t n = a.size() < b.size() ? a.size() : b.size();
        size_t k = 0;
        while (k < n && a[k] == b[k]) ++k;
        if (k < n) {
            const unsigned char x = byteAt(a, k), y = byteAt(b, k);
            // Below U+E000 the byte order is already the order of UTF-16.
            if (x < 0xEE && y < 0xEE) return x < y ? -1 : 1;
            size_t j = k, na = 0, nb = 0;
            while (j > 0 && !isCharBoundary(a, j)) --j;
            const uint32_t ka = utf16Order(decodeChar(a, j, na)), kb = utf16Order(decodeChar(b, j, nb));
            if (ka != kb) return ka < kb ? -1 : 1;
            return x < y ? -1 : 1;
        }
        return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
    }
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        uint32_t x = byteAt(a, i), y = byteAt(b, j);
        size_t nx = 1, ny = 1;
        if (x >= 0x80) x = decodeChar(a, i, nx);
        if (y >= 0x80) y = decodeChar(b, j, ny);
        if (x != y) {
            x = utf16Order(foldChar(x));
            y = utf16Order(foldChar(y));
            if (x != y) return x < y ? -1 : 1;
        }
        i += nx;
        j += ny;
    }
    const bool endA = i == a.size(), endB = j == b.size();
    return endA && endB ? 0 : endA ? -1 : 1;
}

uint32_t fromCp1251(uint8_t code) {
    if (code < 0x80) return code;
    if (code >= 0xC0) return 0x410u + (code - 0xC0u);
    return kCp1251High[code - 0x80];
}

uint8_t toCp1251(uint32_t cp) {
    if (cp < 0x80) return static_cast<uint8_t>(cp);
    if (cp >= 0x410 && cp <= 0x44F) return static_cast<uint8_t>(cp - 0x410 + 0xC0);
    for (size_t k = 0; k < 64; ++k)
        if (kCp1251High[k] == cp) return static_cast<uint8_t>(0x80 + k);
    return '?';
}

}  // namespace mcplot::vbs
