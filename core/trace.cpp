// The graph trace: a blue polyline through n + 1 samples, starting where the
// axes left the current point.
#include "core/engine.h"

namespace mcplot {

void Engine::raschet() {
    const int last = static_cast<int>(s_.n.value());
    for (int k = 0; k <= last; ++k) {
        s_.i = Number::integer(static_cast<int16_t>(k));
        s_.x = s_.a + Number::single(s_.h) * s_.i;
        fff();
        canvas_.LineTo(toSingleSaturated(s_.x.value()), toSingleSaturated(s_.y.value()), colors::blue);
    }
    s_.i = Number::integer(static_cast<int16_t>(last + 1));
}

}  // namespace mcplot
