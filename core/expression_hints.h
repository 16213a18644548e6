// What a student wrote, looked at once per run: hints on the usual traps of
// the language ("Подсказка: ..."), and for a failure a plain sentence on its
// cause and a fix, with the place in the text to mark.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/script_host.h"

namespace mcplot {

namespace texts {
inline constexpr const char* hintPrefix = "Подсказка: ";
}  // namespace texts

// Hints shown at most after one run.
inline constexpr size_t kMaxHints = 2;

// A failure of the user's expression as the run met it first.
struct FailureRecord {
    ScriptStatus status;
    std::string kod;       // the script text that ran
    std::string userText;  // the user's expression in it
    double x = 0;
};

// A stretch of the user's text in characters, from 0.
struct TextSpan {
    int start = 0;
    int length = 0;
};

// Compile errors have numbers from 1000: x plays no part in them.
bool isSyntaxError(int number);

// The sentence after the error message: what went wrong here and what to type
// instead ("" when there is nothing better to say than the message).
std::string failureAdvice(const FailureRecord& failure);

// The part of the user's text the failure points at (length 0 at the end of
// the text, or when the failure has no place in it).
TextSpan failureSpan(const FailureRecord& failure);

// The user's text with the failure's place marked: "1▸/◂x".
std::string markedExpression(const FailureRecord& failure);

// At most kMaxHints hints on the expression as written, most important
// first, each beginning with texts::hintPrefix. `failure` (or null) is the
// run's first failure: a hint saying what its advice says already is left out.
std::vector<std::string> expressionHints(std::string_view userText, const FailureRecord* failure);

// A hint on the Van der Waals temperature text when its leading number is
// not the whole text apart from blanks ("0,95" reads as 0); else none.
std::vector<std::string> temperatureHints(std::string_view text);

}  // namespace mcplot
