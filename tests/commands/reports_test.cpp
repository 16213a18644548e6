// What the run commands do with a failure they catch: report it and go on.
#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/support/fakes.h"

using namespace mcplot;
using namespace mcplot::testing;

namespace {

// A canvas whose text drawing fails.
class FailingTextCanvas : public RecordingCanvas {
public:
    void Print(const std::string&) override { throw std::runtime_error("no font"); }
};

}  // namespace

TEST(Reports, AFailingStepIsReportedAndTheCommandGoesOn) {
    CalcState state;
    FailingTextCanvas canvas;
    ScriptedHost host;
    FakeControls controls;
    ListRandom random({0.5f});
    PlotCommands commands(state, canvas, host, controls, random);
    std::vector<std::string> reports;
    commands.setReportSink([&](const std::string& m) { reports.push_back(m); });
    state.nfun = 1;
    state.a = Number::dbl(0);
    state.b = 1;
    state.mashtab = 2;
    state.nbros = 10;
    state.n = Number::integer(100);

    commands.CmdOK_Click();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("no font"), std::string::npos);
    EXPECT_EQ(canvas.count("LineTo"), 0) << "the plot stopped in the axes";
    EXPECT_EQ(controls.label2, "I=0.500") << "the Monte Carlo step still ran";
    EXPECT_EQ(canvas.count("PSet"), 1 + 10) << "the first tick, then the throws";
}

TEST(Reports, AThrowingHostIsReportedOnceItFails) {
    EngineRig rig;
    std::vector<std::string> reports;
    rig.engine.setReportSink([&](const std::string& m) { reports.push_back(m); });
    rig.host.onExecute = [](std::string_view, PubResults*) -> ScriptStatus {
        throw std::runtime_error("boom");
    };
    rig.state.nfun = 0;
    rig.engine.fff();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("boom"), std::string::npos);
    EXPECT_EQ(rig.controls.command1Caption, "ERRORS!!!");
}
