// Message boxes and the launching of documents and programs, behind small
// interfaces: the program uses Qt's dialogs and the desktop, the test driver
// answers and records them without blocking.
#pragma once

#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <string>
#include <vector>

namespace mcplot {

namespace msgbox {
inline constexpr int OKOnly = 0;
inline constexpr int YesNo = 4;
inline constexpr int IDOK = 1;
inline constexpr int IDYes = 6;
inline constexpr int IDNo = 7;
}  // namespace msgbox

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Modal, without icon; buttons 0 is OK alone, 4 is Yes and No. Returns 6 for
    // Yes, 7 for No, 1 for OK.
    virtual int show(const std::string& text, int buttons, const std::string& title) = 0;
};

class Launcher {
public:
    virtual ~Launcher() = default;
    // Asks the desktop to open a document (verb "open"); the result is dropped.
    virtual void ShellExecuteA(intptr_t owner, const std::string& verb, const std::string& file,
                               const std::string& parameters, const std::string& directory,
                               int showCommand) = 0;
    // Starts a program from a command line; style 4 is a normal window that does
    // not take the focus.
    virtual void startProgram(const std::string& commandLine, int style) = 0;
};

// QMessageBox without icon, over the given parent.
class QtMessageBoxes : public MessageBoxes {
public:
    explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    int show(const std::string& text, int buttons, const std::string& title) override;

private:
    QWidget* parent_;
};

// The texts of the buttons of the box QtMessageBoxes shows for `buttons`, in
// the order the user sees them, without the access-key marks.
QStringList messageBoxButtonTexts(int buttons);

// Documents open in the desktop's registered viewer. There is no Notepad here:
// "notepad.exe FILE" starts the desktop's default handler for FILE (xdg-open),
// detached, so the program never waits for it; a missing handler or file only
// fails quietly on our side and the handler reports it itself.
class DesktopLauncher : public Launcher {
public:
    void ShellExecuteA(intptr_t owner, const std::string& verb, const std::string& file,
                       const std::string& parameters, const std::string& directory,
                       int showCommand) override;
    void startProgram(const std::string& commandLine, int style) override;
};

// Records every box and answers Yes/No from a preset answer (Yes unless told);
// the answer set for the next Yes/No box is used once.
class ScriptedMessageBoxes : public MessageBoxes {
public:
    struct Shown {
        std::string title, text;
        int buttons;
    };
    int show(const std::string& text, int buttons, const std::string& title) override;
    void answerNext(bool yes) { nextYes_ = yes; }
    std::vector<Shown> shown;

private:
    bool nextYes_ = true;
};

// Records every request instead of starting anything.
class RecordingLauncher : public Launcher {
public:
    struct Request {
        std::string kind;  // "open" or "program"
        intptr_t owner = 0;
        std::string verb, file, parameters, directory, commandLine;
        int showCommand = 0, style = 0;
    };
    void ShellExecuteA(intptr_t owner, const std::string& verb, const std::string& file,
                       const std::string& parameters, const std::string& directory,
                       int showCommand) override;
    void startProgram(const std::string& commandLine, int style) override;
    std::vector<Request> requests;
};

}  // namespace mcplot
