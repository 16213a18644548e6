#include "tests/support/fakes.h"

#include <cmath>

#include "tests/support/point_script.h"

namespace mcplot::testing {

void RecordingCanvas::Cls() {
    ops.push_back({.name = "Cls"});
    cx = cy = 0;
}
void RecordingCanvas::Scale(double x1, double y1, double x2, double y2) {
    ops.push_back({.name = "Scale", .x1 = x1, .y1 = y1, .x2 = x2, .y2 = y2});
}
void RecordingCanvas::Line(double x1, double y1, double x2, double y2, uint32_t color) {
    ops.push_back({.name = "Line", .x1 = x1, .y1 = y1, .x2 = x2, .y2 = y2, .color = color, .hasColor = true});
    cx = x2;
    cy = y2;
}
void RecordingCanvas::LineTo(double x, double y, uint32_t color) {
    ops.push_back({.name = "LineTo", .x1 = cx, .y1 = cy, .x2 = x, .y2 = y, .color = color, .hasColor = true});
    cx = x;
    cy = y;
}
void RecordingCanvas::Box(double x1, double y1, double x2, double y2, uint32_t color) {
    ops.push_back({.name = "Box", .x1 = x1, .y1 = y1, .x2 = x2, .y2 = y2, .color = color, .hasColor = true});
}
void RecordingCanvas::PSet(double x, double y, uint32_t color) {
    ops.push_back({.name = "PSet", .x1 = x, .y1 = y, .color = color, .hasColor = true, .width = width});
    cx = x;
    cy = y;
}
void RecordingCanvas::PSet(double x, double y) {
    ops.push_back({.name = "PSet", .x1 = x, .y1 = y, .width = width});
    cx = x;
    cy = y;
}
void RecordingCanvas::Print(const std::string& text) {
    ops.push_back({.name = "Print", .x1 = cx, .y1 = cy, .text = text});
}
void RecordingCanvas::setDrawWidth(int w) {
    width = w;
    ops.push_back({.name = "DrawWidth", .width = w});
}

int RecordingCanvas::count(const std::string& name) const {
    int c = 0;
    for (const auto& op : ops) c += op.name == name;
    return c;
}

std::vector<CanvasOp> RecordingCanvas::named(const std::string& name) const {
    std::vector<CanvasOp> out;
    for (const auto& op : ops)
        if (op.name == name) out.push_back(op);
    return out;
}

std::vector<std::string> RecordingCanvas::printed() const {
    std::vector<std::string> out;
    for (const auto& op : ops)
        if (op.name == "Print") out.push_back(op.text);
    return out;
}

bool RecordingCanvas::allFinite() const {
    for (const auto& op : ops) {
        for (double v : {op.x1, op.y1, op.x2, op.y2})
            if (!std::isfinite(v)) return false;
        for (const char* bad : {"nan", "NaN", "inf", "Inf"})
            if (op.text.find(bad) != std::string::npos) return false;
    }
    return true;
}

void ScriptedHost::Reset() {
    calls.push_back("Reset");
    added.reset();
}

ScriptStatus ScriptedHost::AddObject(std::string_view name, std::shared_ptr<PubResults> object) {
    calls.push_back("AddObject:" + std::string(name));
    added = std::move(object);
    return ScriptStatus::success();
}

ScriptStatus ScriptedHost::ExecuteStatement(std::string_view code) {
    calls.push_back("Execute:" + std::string(code));
    if (!onExecute) return ScriptStatus::failure(1002, "Syntax error");
    return onExecute(code, added.get());
}

void ScriptedHost::computes(std::function<double(double)> f) {
    onExecute = [f = std::move(f)](std::string_view code, PubResults* res) {
        res->p = f(pointArgument(code));
        return ScriptStatus::success();
    };
}

void setUpState(CalcState& state, int16_t nfun, double a, float b, float mashtab, int16_t nbros) {
    state.nfun = nfun;
    state.a = Number::dbl(a);
    state.b = b;
    state.mashtab = mashtab;
    state.nbros = nbros;
    state.n = Number::integer(100);
}

}  // namespace mcplot::testing
