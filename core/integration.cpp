// Monte Carlo integration over the box [a, b] x [ymin, ymax], every throw drawn,
// then the trapezoid rule with 100 intervals for comparison.
#include <cmath>

#include "core/engine.h"

namespace mcplot {

std::string Engine::resultCaption(double value) const {
    return "I=" + formatPattern(value, "0.000", decimalSeparator_);
}

void Engine::karlo() {
    random_.reseedFromClock();
    const Number b = Number::single(s_.b);
    const Number ymax = Number::single(s_.ymax);
    canvas_.Box(s_.a.value(), s_.ymin.value(), s_.b, s_.ymax, colors::black);

    s_.nplus = Number::integer(0);
    s_.nminus = Number::integer(0);
    const Number one = Number::integer(1);
    for (int k = 1; k <= s_.nbros; ++k) {
        s_.i = Number::integer(static_cast<int16_t>(k));
        const float r1 = random_.next();
        s_.x = s_.a + (b - s_.a) * Number::single(r1);
        const float r2 = random_.next();
        s_.yr = toSingleSaturated((s_.ymin + (ymax - s_.ymin) * Number::single(r2)).value());
        fff();
        const double yr = s_.yr, y = s_.y.value();
        uint32_t color = colors::red;
        if (yr <= y && yr >= 0) {
            s_.nplus = s_.nplus + one;
            color = colors::blue;
        } else if (yr >= y && yr < 0) {
            s_.nminus = s_.nminus + one;
            color = colors::blue;
        }
        (color == colors::blue ? blueThrows_ : redThrows_)++;
        canvas_.PSet(s_.x.value(), yr, color);
    }
    if (s_.nbros > 0) s_.i = Number::integer(static_cast<int16_t>(s_.nbros + 1));

    if (s_.nbros > 0) {
        const Number area = (ymax - s_.ymin) * (b - s_.a) * (s_.nplus - s_.nminus) / Number::integer(s_.nbros);
        s_.ikarlo = toSingleSaturated(area.value());
        controls_.setLabel6Caption(resultCaption(s_.ikarlo));
    } else {
        // Without throws there is no estimate to show.
        s_.ikarlo = 0;
        controls_.setLabel6Caption(std::string("I=") + texts::noThrows);
    }

    s_.itrap = Number::integer(0);
    s_.htrap = (b - s_.a) / Number::integer(100);
    const Number two = Number::integer(2);
    for (int k = 0; k <= 99; ++k) {
        s_.i = Number::integer(static_cast<int16_t>(k));
        s_.x = s_.a + s_.i * s_.htrap;
        fff();
        s_.yleft = s_.y;
        s_.x = s_.x + s_.htrap;
        fff();
        s_.yright = toSingleSaturated(s_.y.value());
        s_.itrap = s_.itrap + (s_.yleft + Number::single(s_.yright)) / two;
    }
    s_.i = Number::integer(100);
    s_.itrap = s_.itrap * s_.htrap;
    if (!std::isfinite(s_.itrap.value())) s_.itrap = Number::dbl(toSingleSaturated(s_.itrap.value()));
    controls_.setLabel2Caption(resultCaption(s_.itrap.value()));
}

}  // namespace mcplot
