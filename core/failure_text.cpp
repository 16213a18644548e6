#include "core/failure_text.h"

#include <cstdio>

#include "core/evaluation_result.h"
#include "core/expression_hints.h"

#include "numbers/number.h"

namespace mcplot {

namespace {

bool leadByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

// The byte offset of a 1-based line and column (in characters) of the text;
// the same line breaks as the interpreter counts: CR LF, a lone CR, LF.
// npos when the text has no such place.
size_t offsetOf(std::string_view text, int line, int column) {
    size_t k = 0;
    for (int l = 1; l < line; ++l) {
        while (k < text.size() && text[k] != '\r' && text[k] != '\n') ++k;
        if (k == text.size()) return std::string_view::npos;
        if (text[k] == '\r' && k + 1 < text.size() && text[k + 1] == '\n') ++k;
        ++k;
    }
    for (int c = 1; c < column; ++c) {
        if (k >= text.size()) return std::string_view::npos;
        ++k;
        while (k < text.size() && !leadByte(text[k])) ++k;
    }
    return k;
}

}  // namespace

int positionInUserText(std::string_view kod, std::string_view userText, int line, int column) {
    if (line <= 0 || column <= 0 || userText.size() > kod.size()) return 0;
    const size_t start = kod.size() - userText.size();
    const size_t at = offsetOf(kod, line, column);
    if (at == std::string_view::npos || at < start) return 0;
    int chars = 1;
    for (size_t k = start; k < at && k < kod.size(); ++k)
        if (leadByte(kod[k])) ++chars;
    return chars;
}

std::string failureText(const ScriptStatus& status, std::string_view kod, std::string_view userText,
                        double x) {
    return failureText(status, positionInUserText(kod, userText, status.line, status.column), x);
}

std::string failureText(const ScriptStatus& status, int position, double x) {
    char number[24];
    if (status.number < 0)  // the host's own codes read best in hexadecimal
        std::snprintf(number, sizeof number, "%08X", static_cast<unsigned>(status.number));
    else
        std::snprintf(number, sizeof number, "%d", status.number);
    std::string text = "Ошибка ";
    text += number;
    text += ": ";
    text += status.description;
    std::string place;
    if (position > 0) place = "позиция " + std::to_string(position);
    // A text that does not parse fails whatever x is.
    if (!isSyntaxError(status.number)) place += (place.empty() ? "x = " : ", x = ") + numberText15(x);
    if (!place.empty()) text += " (" + place + ")";
    return text;
}

std::string EvaluationFailure::explanation() const {
    return failureText(status, position, x);
}

}  // namespace mcplot
