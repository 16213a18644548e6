// What the program asks of the desktop, by intent: show a document, open the
// instruction in a text editor, tell the user something, ask yes or no. The
// program uses QtDesktop; tests and the window driver record the requests.
#pragma once

#include <string>

namespace mcplot {

enum class Answer { Yes, No };
enum class OpenResult { Opened, Failed };

class Desktop {
public:
    virtual ~Desktop() = default;
    // Shows a document (by bare name, from the current folder) in the viewer
    // the desktop registers for its type.
    virtual OpenResult openDocument(const std::string& file) = 0;
    // Opens a text file in the desktop's text editor, without waiting for it.
    virtual OpenResult openInTextEditor(const std::string& file) = 0;
    // A modal message without icon and with an OK button. CR LF breaks lines.
    virtual void tell(const std::string& text, const std::string& title) = 0;
    // A modal question without icon, with Yes and No buttons.
    virtual Answer askYesNo(const std::string& question, const std::string& title) = 0;
};

}  // namespace mcplot
