// vbs -e 'EXPR'  prints "TypeName value" of EXPR with x = 0.5 (a Double).
// vbs FILE       runs the file's statements with the object Res and prints Res.p.
// On a script error both print what the student would read and exit with 1:
// "Ошибка 11: деление на ноль (позиция 2, x = 0.5)" for an expression,
// "Ошибка 11: деление на ноль (строка 3, позиция 9)" for a file.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

#include "core/failure_text.h"
#include "core/vbscript_host.h"
#include "numbers/number.h"

namespace {

int usage() {
    std::fprintf(stderr, "usage: vbs -e EXPRESSION | vbs FILE\n");
    return 2;
}

constexpr double kToolX = 0.5;

int failedExpression(const mcplot::ScriptStatus& s, std::string_view expression) {
    std::printf("%s\n", mcplot::failureText(s, expression, expression, kToolX).c_str());
    return 1;
}

int failedFile(const mcplot::ScriptStatus& s) {
    // The message without x; the place as line and column of the file.
    mcplot::ScriptStatus bare = s;
    bare.line = bare.column = 0;
    std::string text = mcplot::failureText(bare, "", "", 0);
    if (const size_t place = text.rfind(" ("); place != std::string::npos) text.erase(place);
    if (s.line > 0)
        text += " (строка " + std::to_string(s.line) + ", позиция " + std::to_string(s.column) + ")";
    std::printf("%s\n", text.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "-e") {
        mcplot::VBScriptHost host;
        host.Reset();
        if (auto s = host.ExecuteStatement("x = 0.5"); !s.ok) return failedExpression(s, "");
        const auto r = host.Evaluate(argv[2]);
        if (!r.status.ok) return failedExpression(r.status, argv[2]);
        if (r.typeName == "Empty" || r.typeName == "Null")
            std::printf("%s\n", r.typeName.c_str());
        else
            std::printf("%s %s\n", r.typeName.c_str(), r.text.c_str());
        return 0;
    }
    if (argc != 2 || argv[1][0] == '-') return usage();
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "vbs: cannot read %s\n", argv[1]);
        return 2;
    }
    std::ostringstream text;
    text << in.rdbuf();
    mcplot::VBScriptHost host;
    auto res = std::make_shared<mcplot::PubResults>();
    host.Reset();
    if (auto s = host.AddObject("Res", res); !s.ok) return failedFile(s);
    if (auto s = host.ExecuteStatement(text.str()); !s.ok) return failedFile(s);
    std::printf("%s\n", mcplot::numberText15(res->p).c_str());
    return 0;
}
