// The two informational options of the program, answered before any window
// or display connection exists, so they work on a machine without a screen.
#pragma once

#include <optional>
#include <ostream>

namespace mcplot {

// For `--help` or `--version` as the first argument, writes the short Russian
// text to out and returns the exit status; for anything else returns nothing
// and the program starts its window as usual (other arguments are ignored).
std::optional<int> answerInfoOption(int argc, const char* const* argv, std::ostream& out);

}  // namespace mcplot
