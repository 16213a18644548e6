// Logging categories of the program: what a catch-all caught goes here before
// the program goes on. QT_LOGGING_RULES="mcplot.*=true" shows them all.
#pragma once

#include <QLoggingCategory>

namespace mcplot {
// Reports of the calculation (the core and the run commands).
Q_DECLARE_LOGGING_CATEGORY(lcCore)
// Event handlers of the window and its controls.
Q_DECLARE_LOGGING_CATEGORY(lcWindow)
}  // namespace mcplot
