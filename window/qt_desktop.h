// The desktop through Qt: message boxes without icon over the main window, and
// documents and the text editor through the desktop's registered handlers.
// The only place where the program's requests meet the real desktop.
#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include "window/desktop.h"

namespace mcplot {

class QtDesktop : public Desktop {
public:
    explicit QtDesktop(QWidget* parent = nullptr) : parent_(parent) {}

    OpenResult openDocument(const std::string& file) override;
    // There is no Notepad here: the desktop's default handler for the file
    // (xdg-open) starts detached, so the program never waits for it; a
    // missing handler or file fails quietly on our side and the handler
    // reports it itself.
    OpenResult openInTextEditor(const std::string& file) override;
    void tell(const std::string& text, const std::string& title) override;
    Answer askYesNo(const std::string& question, const std::string& title) override;

private:
    QPointer<QWidget> parent_;
};

// The texts of the buttons of the box QtDesktop shows for a question (Yes and
// No) or a message (OK), in the order the user sees them, without the
// access-key marks.
QStringList messageBoxButtonTexts(bool question);

}  // namespace mcplot
