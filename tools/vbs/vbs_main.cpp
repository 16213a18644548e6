// vbs -e 'EXPR'  prints "TypeName value" of EXPR with x = 0.5 (a Double).
// vbs FILE       runs the file's statements with the object Res and prints Res.p.
// On a script error both print "Error N message" and exit with 1.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "numbers/number.h"
#include "vbscript/vbscript_host.h"

namespace {

int usage() {
    std::fprintf(stderr, "usage: vbs -e EXPRESSION | vbs FILE\n");
    return 2;
}

int failed(const mcplot::ScriptStatus& s) {
    std::printf("Error %d %s\n", s.number, s.description.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "-e") {
        mcplot::VBScriptHost host;
        host.Reset();
        if (auto s = host.ExecuteStatement("x = 0.5"); !s.ok) return failed(s);
        const auto r = host.Evaluate(argv[2]);
        if (!r.status.ok) return failed(r.status);
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
    if (auto s = host.AddObject("Res", res); !s.ok) return failed(s);
    if (auto s = host.ExecuteStatement(text.str()); !s.ok) return failed(s);
    std::printf("%s\n", mcplot::numberText15(res->p).c_str());
    return 0;
}
