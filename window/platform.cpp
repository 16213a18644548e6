#include "window/platform.h"

#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

namespace mcplot {

int QtMessageBoxes::show(const std::string& text, int buttons, const std::string& title) {
    QString t = QString::fromStdString(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), t,
                    buttons == msgbox::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent_);
    box.setTextFormat(Qt::PlainText);
    const int result = box.exec();
    if (buttons != msgbox::YesNo) return msgbox::IDOK;
    return result == QMessageBox::Yes ? msgbox::IDYes : msgbox::IDNo;
}

void DesktopLauncher::ShellExecuteA(intptr_t, const std::string& verb, const std::string& file,
                                    const std::string&, const std::string& directory, int) {
    if (verb != "open" || file.empty()) return;
    const QDir dir = directory.empty() ? QDir::current() : QDir(QString::fromStdString(directory));
    QDesktopServices::openUrl(QUrl::fromLocalFile(dir.absoluteFilePath(QString::fromStdString(file))));
}

void DesktopLauncher::startProgram(const std::string& commandLine, int) {
    QStringList words = QProcess::splitCommand(QString::fromStdString(commandLine));
    if (words.isEmpty()) return;
    QString program = words.takeFirst();
    // Notepad stands for the desktop's own text editor.
    if (program.compare(QStringLiteral("notepad.exe"), Qt::CaseInsensitive) == 0 ||
        program.compare(QStringLiteral("notepad"), Qt::CaseInsensitive) == 0) {
        program = QStringLiteral("xdg-open");
        for (QString& w : words) w = QDir::current().absoluteFilePath(w);
    }
    QProcess::startDetached(program, words, QDir::currentPath());
}

int ScriptedMessageBoxes::show(const std::string& text, int buttons, const std::string& title) {
    shown.push_back({title, text, buttons});
    if (buttons != msgbox::YesNo) return msgbox::IDOK;
    const bool yes = nextYes_;
    nextYes_ = true;
    return yes ? msgbox::IDYes : msgbox::IDNo;
}

void RecordingLauncher::ShellExecuteA(intptr_t owner, const std::string& verb, const std::string& file,
                                      const std::string& parameters, const std::string& directory,
                                      int showCommand) {
    Request r;
    r.kind = "open";
    r.owner = owner;
    r.verb = verb;
    r.file = file;
    r.parameters = parameters;
    r.directory = directory;
    r.showCommand = showCommand;
    requests.push_back(r);
}

void RecordingLauncher::startProgram(const std::string& commandLine, int style) {
    Request r;
    r.kind = "program";
    r.commandLine = commandLine;
    r.style = style;
    requests.push_back(r);
}

}  // namespace mcplot
