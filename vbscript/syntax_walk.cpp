#include "vbscript/syntax_walk.h"

#include <utility>
#include <vector>

namespace mcplot::vbs {
namespace {

// The byte offset of a 1-based line and column (in characters), the inverse
// of ScriptError::locate.
size_t offsetOf(std::string_view text, int line, int column) {
    size_t k = 0;
    for (int l = 1; l < line && k < text.size(); ++k)
        if (text[k] == '\n' || (text[k] == '\r' && (k + 1 >= text.size() || text[k + 1] != '\n'))) ++l;
    for (int c = 1; c < column && k < text.size(); ++c) {
        ++k;
        while (k < text.size() && (static_cast<unsigned char>(text[k]) & 0xC0) == 0x80) ++k;
    }
    return k;
}

// Native stack the parser may use here; a text of thousands of nested
// brackets ends with Out of stack space instead of a crash.
constexpr size_t kParseStack = size_t(1) << 20;

}  // namespace

SyntaxOutline outlineSyntax(std::string_view text) {
    SyntaxOutline out;
    out.chunk.copyText(text);
    ParseLimits limits;
    limits.stackLimit = static_cast<const char*>(__builtin_frame_address(0)) - kParseStack;
    try {
        parseProgram(out.chunk, limits);
        out.parsed = true;
    } catch (const ScriptError& e) {
        out.chunk.clear();
        out.errorNumber = e.number;
        out.errorOffset = offsetOf(out.chunk.text, e.line, e.column);
    }
    return out;
}

void walkSyntax(const Chunk& chunk, const std::function<void(int32_t node, int32_t parent)>& visit) {
    const auto count = static_cast<int32_t>(chunk.nodes.size());
    std::vector<std::pair<int32_t, int32_t>> todo;
    if (chunk.root >= 0) todo.emplace_back(chunk.root, -1);
    while (!todo.empty()) {
        const auto [n, parent] = todo.back();
        todo.pop_back();
        if (n < 0 || n >= count) continue;
        const Node& nd = chunk.nodes[static_cast<size_t>(n)];
        visit(n, parent);
        todo.emplace_back(nd.next, parent);
        // A test of Case Is keeps its operator in c, not a node.
        const int32_t c = nd.kind == NK::CaseTest ? -1 : nd.c;
        for (const int32_t child : {nd.d, c, nd.b, nd.a}) todo.emplace_back(child, n);
    }
}

}  // namespace mcplot::vbs
