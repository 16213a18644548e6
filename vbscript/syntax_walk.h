// A read-only look at the syntax tree of a text, for tools that inspect what
// a student wrote without running it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "vbscript/parser.h"

namespace mcplot::vbs {

struct SyntaxOutline {
    Chunk chunk;  // the tree, when the text parsed; it owns a copy of the text
    bool parsed = false;
    int errorNumber = 0;     // else the compile error
    size_t errorOffset = 0;  // and the byte offset in the text where it arose
};

// Parses the text as statements, as execute would, without running anything.
SyntaxOutline outlineSyntax(std::string_view text);

// Visits every node reachable from the root, each after its parent; `parent`
// is -1 for the statements of the top level.
void walkSyntax(const Chunk& chunk, const std::function<void(int32_t node, int32_t parent)>& visit);

}  // namespace mcplot::vbs
