// Feeds arbitrary text to the interpreter the way the program does: Reset,
// AddObject("Res"), ExecuteStatement. Each input runs twice: as a whole script
// and as the user's expression after "x= .5" CR LF "Res.p=".
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/vbscript_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto res = std::make_shared<mcplot::PubResults>();
    static mcplot::VBScriptHost h;
    static bool configured = false;
    if (!configured) {
        // Endless loops are expected inputs; keep them from slowing the search.
        h.setTimeLimit(std::chrono::milliseconds(50));
        configured = true;
    }
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    h.Reset();
    h.AddObject("Res", res);
    h.ExecuteStatement(text);

    std::string kod = "x= .5\r\nRes.p=";
    kod.append(text);
    h.Reset();
    h.AddObject("Res", res);
    h.ExecuteStatement(kod);
    return 0;
}
