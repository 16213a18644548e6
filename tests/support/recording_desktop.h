// A desktop that starts nothing and never blocks: it records every message,
// question and launch, and answers questions Yes unless told otherwise. Used
// by the window tests and the window driver.
#pragma once

#include <string>
#include <vector>

#include "window/desktop.h"

namespace mcplot::testing {

class RecordingDesktop : public Desktop {
public:
    struct Shown {
        std::string title, text;
        bool question = false;  // Yes/No rather than OK alone
    };
    struct Launch {
        bool editor = false;  // the text editor rather than the document viewer
        std::string file;
    };

    OpenResult openDocument(const std::string& file) override;
    OpenResult openInTextEditor(const std::string& file) override;
    void tell(const std::string& text, const std::string& title) override;
    Answer askYesNo(const std::string& question, const std::string& title) override;

    // The answer to the next question only; later ones get Yes again.
    void answerNext(Answer answer) { next_ = answer; }

    std::vector<Shown> shown;
    std::vector<Launch> launched;

private:
    Answer next_ = Answer::Yes;
};

}  // namespace mcplot::testing
