// Qt's own texts (standard buttons, the file dialog, the context menus of text
// boxes and scroll bars) in Russian, whatever language the system is set to:
// every text the user sees must be Russian, while numbers keep the regional
// settings.
#pragma once

class QCoreApplication;

namespace mcplot {

// Loads Qt's Russian translation into the application; false when the
// translation file is missing (the program then goes on with Qt's English).
bool installRussianTranslation(QCoreApplication& app);

}  // namespace mcplot
