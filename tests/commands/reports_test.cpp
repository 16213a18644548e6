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
    BasicEngineRig<FailingTextCanvas, ListRandom> rig(ListRandom({0.5f}));
    std::vector<std::string> reports;
    rig.engine.setReportSink([&](const std::string& m) { reports.push_back(m); });
    setUpState(rig.state, 1, 0, 1, 2, 10);

    rig.engine.CmdOK_Click();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("no font"), std::string::npos);
    EXPECT_EQ(rig.canvas.count("LineTo"), 0) << "the plot stopped in the axes";
    EXPECT_EQ(rig.controls.label2, "I=0.500") << "the Monte Carlo step still ran";
    EXPECT_EQ(rig.canvas.count("PSet"), 1 + 10) << "the first tick, then the throws";
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
