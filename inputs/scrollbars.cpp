// The parameter bars: each turns its position into a state variable and a
// label; the limits and the scale redraw the plot, the throw count waits for
// the next Monte Carlo run.
#include <string>

#include "numbers/number.h"
#include "window/form1.h"

namespace mcplot {

void Form1::VScroll1_Change() {
    const int v = VScroll1->Value();
    state_.a = Number::dbl(v * 0.01);
    Label3->setCaption(formatPattern(state_.a.value(), "0.00", decimalSeparator_));
    engine_->Command1_Click();
}

void Form1::VScroll2_Change() {
    const int v = VScroll2->Value();
    state_.b = float(v * 0.01);
    Label4->setCaption(formatPattern(state_.b, "0.00", decimalSeparator_));
    engine_->Command1_Click();
}

void Form1::VScroll3_Change() {
    state_.nbros = int16_t(VScroll3->Value());
    Label5->setCaption(formatPattern(state_.nbros, "0", decimalSeparator_));
}

void Form1::VScroll4_Change() {
    state_.mashtab = float(VScroll4->Value());
    Label1->setCaption(std::to_string(VScroll4->Value()));
    // Label1 follows the thumb: a seventh of the bar per step of the scale.
    Label1->setTop(VScroll4->Height() * state_.mashtab / 7.0f + VScroll4->Top());
    engine_->Command1_Click();
}

}  // namespace mcplot
