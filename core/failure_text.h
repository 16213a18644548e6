// The student's words for a failure of the user's expression.
#pragma once

#include <string>
#include <string_view>

#include "core/script_host.h"

namespace mcplot {

// "Ошибка 11: деление на ноль (позиция 3, x = 0)": the error number, its
// message, the position in the user's text (in characters, from 1) and the
// argument at which it failed (not for a syntax error, which fails whatever
// x is). kod is the script text that ran, which ends
// with the user's text; a failure outside the user's text (in the lines the
// program puts before it) has no position, and neither has one the host
// could not place.
std::string failureText(const ScriptStatus& status, std::string_view kod, std::string_view userText,
                        double x);
// The same with the position in the user's text already found (0 for none).
std::string failureText(const ScriptStatus& status, int position, double x);

// The position (from 1, in characters) in the user's text of a line and
// column of kod, or 0 when it lies outside the user's text.
int positionInUserText(std::string_view kod, std::string_view userText, int line, int column);

}  // namespace mcplot
