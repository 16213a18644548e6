// The run commands: plot, plot and integrate, and the two text boxes' changes.
#include <exception>

#include "core/engine.h"

namespace mcplot {

void Engine::replot() {
    plotSequence();
    showUndefinedNotice();
}

void Engine::plotSequence() {
    undefinedPoints_ = 0;
    failures_.clear();
    scriptTimedOut_ = false;
    scriptSpent_ = {};
    blueThrows_ = 0;
    redThrows_ = 0;
    // A command must always finish and leave the window usable; anything the
    // drawing or evaluation throws ends the drawing, not the program.
    try {
        canvas_.Cls();
        minmax();
        axes();
        raschet();
    } catch (const std::exception&) {
    }
}

void Engine::showUndefinedNotice() {
    std::string notice;
    if (undefinedPoints_ != 0) notice = texts::undefinedPoints + std::to_string(undefinedPoints_);
    if (failures_.any()) {
        // The user's expression: say what failed and where, on the plot and
        // on the button that turned red.
        notice = failures_.summary();
        controls_.showExpressionFailure(notice);
    }
    if (notice.empty()) return;
    const double x1 = s_.x1.value(), x2 = s_.x2.value(), y1 = s_.y1.value(), y2 = s_.y2;
    canvas_.setCurrentX(x1 + 0.02 * (x2 - x1));
    canvas_.setCurrentY(y1 - 0.1 * (y1 - y2));
    canvas_.Print(notice);
}

void Engine::Command1_Click() { replot(); }

void Engine::CmdOK_Click() {
    plotSequence();
    try {
        karlo();
    } catch (const std::exception&) {
    }
    showUndefinedNotice();
}

void Engine::Text1_Change() {
    controls_.setCommand1BackColor(buttonFaceColor);
    controls_.setCommand1Caption(texts::okCaption);
}

void Engine::Text2_Change() { Command1_Click(); }

}  // namespace mcplot
