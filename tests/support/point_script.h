// The x of a point script of the user's expression: writePointScript
// (core/evaluation.h) puts it on the first line, "x=<number>\r\n…". For the
// test doubles that compute the expression in C++ instead of running it.
#pragma once

#include <string_view>

#include "numbers/number.h"

namespace mcplot::testing {

inline double pointArgument(std::string_view kod) {
    return readLeadingNumber(kod.substr(2, kod.find('\r') - 2));
}

}  // namespace mcplot::testing
