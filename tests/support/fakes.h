// Test doubles for the run commands' collaborators: a canvas that records every
// operation, controls that remember what was written, a scripted script host.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "canvas/canvas.h"
#include "commands/plot_commands.h"
#include "core/random.h"
#include "core/script_host.h"
#include "tests/support/list_random.h"

namespace mcplot::testing {

struct CanvasOp {
    std::string name;  // "Cls", "Scale", "Line", "LineTo", "Box", "PSet", "Print", "DrawWidth"
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    uint32_t color = 0;
    bool hasColor = false;
    std::string text;
    int width = 0;
};

class RecordingCanvas : public Canvas {
public:
    void Cls() override;
    void Scale(double x1, double y1, double x2, double y2) override;
    void Line(double x1, double y1, double x2, double y2, uint32_t color) override;
    void LineTo(double x, double y, uint32_t color) override;
    void Box(double x1, double y1, double x2, double y2, uint32_t color) override;
    void PSet(double x, double y, uint32_t color) override;
    void PSet(double x, double y) override;
    void setCurrentX(double x) override { cx = x; }
    void setCurrentY(double y) override { cy = y; }
    void Print(const std::string& text) override;
    void setDrawWidth(int width) override;
    int drawWidth() const override { return width; }

    std::vector<CanvasOp> ops;
    double cx = 0, cy = 0;
    int width = 1;

    int count(const std::string& name) const;
    std::vector<CanvasOp> named(const std::string& name) const;
    std::vector<std::string> printed() const;
    // True when every coordinate and text of every operation is finite / has no NaN.
    bool allFinite() const;
};

class FakeControls : public PlotControls {
public:
    std::string text1() const override { return expression; }
    std::string text2() const override { return parameter; }
    void setCommand1BackColor(uint32_t color) override { command1Color = color; }
    void setCommand1Caption(const std::string& caption) override { command1Caption = caption; }
    void setLabel6Caption(const std::string& caption) override { label6 = caption; }
    void setLabel2Caption(const std::string& caption) override { label2 = caption; }

    std::string expression;
    std::string parameter = "0.90";
    uint32_t command1Color = buttonFaceColor;
    std::string command1Caption = "OK";
    std::string label6, label2;
};

// A host whose behaviour a test scripts: it records every call and answers
// ExecuteStatement with the given function.
class ScriptedHost : public ScriptHost {
public:
    void Reset() override;
    ScriptStatus AddObject(std::string_view name, std::shared_ptr<PubResults> object) override;
    ScriptStatus ExecuteStatement(std::string_view code) override;

    // Answers every point with f of the point's x, as if it ran f's text.
    void computes(std::function<double(double)> f);

    std::function<ScriptStatus(std::string_view code, PubResults* res)> onExecute;
    std::vector<std::string> calls;  // "Reset", "AddObject:Res", "Execute:<code>"
    std::shared_ptr<PubResults> added;
};

// The calculation state after the initial setup with the given bar positions.
void setUpState(CalcState& state, int16_t nfun, double a, float b, float mashtab, int16_t nbros);

// Everything the run commands need, wired together; the canvas, the random
// source and the script host are what a test or a benchmark chooses to look at,
// to fix or to measure.
template <class CanvasType = RecordingCanvas, class RandomType = ClockRandom, class HostType = ScriptedHost>
struct BasicEngineRig {
    CalcState state;
    CanvasType canvas;
    HostType host;
    FakeControls controls;
    RandomType random;
    PlotCommands engine{state, canvas, host, controls, random};

    BasicEngineRig() = default;
    explicit BasicEngineRig(RandomType r) : random(std::move(r)) {}

    // The state after the initial setup with the window's first bar positions;
    // a recording canvas starts empty.
    void setUp(int16_t nfun, double a, float b, float mashtab = 2, int16_t nbros = 200) {
        setUpState(state, nfun, a, b, mashtab, nbros);
        canvas.setDrawWidth(1);
        if constexpr (requires { canvas.ops.clear(); }) canvas.ops.clear();
    }
};
using EngineRig = BasicEngineRig<>;

}  // namespace mcplot::testing
