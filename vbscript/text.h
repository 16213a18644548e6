// Characters of the script's strings. Strings are kept as UTF-8; the language
// counts characters, so the string functions walk code points through these
// helpers. A code point of the Basic Multilingual Plane is one character, as
// in UTF-16; a code point beyond it also counts as one character here.
//
// Decoding never fails: a lead byte followed by the right number of
// continuation bytes is one character (surrogates that ChrW makes included),
// and any other byte is one character of its own, so slicing keeps the bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

namespace mcplot::vbs {

inline constexpr uint32_t kReplacementChar = 0xFFFD;

// True when every byte is below 0x80: then one byte is one character.
inline bool isAscii(std::string_view s) {
    const char* p = s.data();
    size_t n = s.size();
    for (; n >= 8; p += 8, n -= 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        if (w & 0x8080808080808080ull) return false;
    }
    for (; n > 0; ++p, --n)
        if (static_cast<unsigned char>(*p) & 0x80) return false;
    return true;
}

// Bytes of the character that starts at byte pos (pos < s.size()).
size_t charBytes(std::string_view s, size_t pos);
// The code point of the character at byte pos and its length in bytes; a lone
// byte decodes as U+FFFD.
uint32_t decodeChar(std::string_view s, size_t pos, size_t& bytes);
void appendChar(std::string& out, uint32_t cp);
// Bytes needed to encode the code point.
size_t encodedBytes(uint32_t cp);

size_t charCount(std::string_view s);
// The byte offset of character number n (0-based), or s.size() past the end.
size_t byteOffset(std::string_view s, size_t n);
// Characters in the first `bytes` bytes (a character boundary).
size_t charsBefore(std::string_view s, size_t bytes);
// Whether a match may begin or end at byte pos without cutting a character.
bool isCharBoundary(std::string_view s, size_t pos);
// Called between slices of a long search (about a megabyte each) so that the
// caller may look at its clock and stop the search by throwing.
using SearchPacer = std::function<void()>;

// The first occurrence of needle at or after byte `from`, at any byte; npos
// when none. Linear in the text scanned, whatever the two texts are.
size_t findBytes(std::string_view hay, std::string_view needle, size_t from, const SearchPacer& pace = {});
// The first occurrence of needle at or after byte `from` that neither begins
// nor ends inside a character; npos when none. Linear in the text scanned,
// whatever the two texts are.
size_t findText(std::string_view hay, std::string_view needle, size_t from, const SearchPacer& pace = {});
// The last such occurrence that begins at or before byte `last`; linear too.
size_t rfindText(std::string_view hay, std::string_view needle, size_t last, const SearchPacer& pace = {});

// Case mapping over ASCII, Latin-1, Greek and Cyrillic (with Ё/ё); other
// characters map to themselves. Every pair has the same UTF-8 length, so
// mapped text keeps its byte offsets.
uint32_t upperChar(uint32_t cp);
uint32_t lowerChar(uint32_t cp);
std::string upperText(std::string_view s);
std::string lowerText(std::string_view s);
// Lower case with the forms that compare alike folded together (final sigma).
std::string foldText(std::string_view s);

// -1, 0, 1. Binary comparison orders by UTF-16 code units; text comparison
// compares the folded characters.
int compareText(std::string_view a, std::string_view b, bool ignoreCase);

// The Windows-1251 code page of a Russian system, the "ANSI" of Asc and Chr.
uint32_t fromCp1251(uint8_t code);
// The cp1251 code of a character, or '?' when the code page lacks it.
uint8_t toCp1251(uint32_t cp);

}  // namespace mcplot::vbs
