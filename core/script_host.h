// The script host the user's expression is evaluated by: reset, add a named
// object, execute statements. Every failure comes back as a status carrying the
// language's error number and message; nothing is thrown across this boundary.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace mcplot {

// The result holder handed to scripts as "Res". Its fields keep their values
// from one evaluation to the next.
struct PubResults {
    int16_t pInt = 0;
    int32_t pLong = 0;
    double p = 0.0;
};

// The error number of a script stopped because it ran too long: the aborted
// operation (E_ABORT) a script control reports in that case.
inline constexpr int kScriptTimedOut = static_cast<int>(0x80004004u);

struct ScriptStatus {
    bool ok = true;
    int number = 0;           // the language's error number, 0 on success
    std::string description;  // the language's message
    int line = 0;             // where the error arose in the script text, from 1;
    int column = 0;           // 0 when unknown (column in characters)

    static ScriptStatus success() { return {}; }
    static ScriptStatus failure(int number, std::string description) {
        return ScriptStatus{false, number, std::move(description)};
    }
};

// The user's expression parsed once for many points: run(x) has the outcome of
// Reset, AddObject("Res", res) and ExecuteStatement of the point's script text
// (see writePointScript), errors placed in that text, at a fraction of the
// cost. It uses its host: destroy it before the host.
class PreparedPointScript {
public:
    virtual ~PreparedPointScript() = default;
    virtual ScriptStatus run(double x) = 0;
    // The value a successful run(x) leaves in Res.p, found without the
    // engine where the expression is plain arithmetic of x; false where
    // run(x) must tell (a failure, or an expression that is more).
    virtual bool quickValue(double /*x*/, double& /*value*/) { return false; }
    // quickValue at xs[0..n) in order, up to the first point it cannot
    // give: returns how many it gave. Computing many points at once is
    // several times cheaper than one at a time.
    virtual size_t quickValues(const double* xs, double* values, size_t n) {
        size_t done = 0;
        while (done < n && quickValue(xs[done], values[done])) ++done;
        return done;
    }
};

class ScriptHost {
public:
    virtual ~ScriptHost() = default;

    // Discards all code, script variables and added objects.
    virtual void Reset() = 0;

    // Makes the object reachable from scripts under the name (case-insensitive);
    // its members are reachable only through the name ("Res.p").
    virtual ScriptStatus AddObject(std::string_view name, std::shared_ptr<PubResults> object) = 0;

    // Runs the text as statements separated by CR LF or ':'.
    virtual ScriptStatus ExecuteStatement(std::string_view code) = 0;

    // A flag another thread may set to stop a running ExecuteStatement soon
    // (it fails with kScriptTimedOut); nullptr for none. A host that cannot
    // stop a run early may ignore it.
    virtual void setStopFlag(const std::atomic<bool>* flag) { (void)flag; }

    // The expression prepared for many points with res as "Res", or nullptr
    // when this host cannot prepare it: then run each point's text.
    virtual std::unique_ptr<PreparedPointScript> preparePointScript(std::string_view expression,
                                                                    std::shared_ptr<PubResults> res) {
        (void)expression;
        (void)res;
        return nullptr;
    }
};

}  // namespace mcplot
