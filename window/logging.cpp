#include "window/logging.h"

namespace mcplot {
Q_LOGGING_CATEGORY(lcCore, "mcplot.core")
Q_LOGGING_CATEGORY(lcWindow, "mcplot.window")
}  // namespace mcplot
