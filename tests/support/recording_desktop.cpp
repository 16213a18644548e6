#include "tests/support/recording_desktop.h"

namespace mcplot::testing {

OpenResult RecordingDesktop::openDocument(const std::string& file) {
    launched.push_back({false, file});
    return OpenResult::Opened;
}

OpenResult RecordingDesktop::openInTextEditor(const std::string& file) {
    launched.push_back({true, file});
    return OpenResult::Opened;
}

void RecordingDesktop::tell(const std::string& text, const std::string& title) {
    shown.push_back({title, text, false});
}

Answer RecordingDesktop::askYesNo(const std::string& question, const std::string& title) {
    shown.push_back({title, question, true});
    const Answer answer = next_;
    next_ = Answer::Yes;
    return answer;
}

}  // namespace mcplot::testing
