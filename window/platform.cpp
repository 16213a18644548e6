#include "window/platform.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QDir>
#include <QLayout>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace mcplot {

namespace {
QMessageBox::StandardButtons standardButtons(int buttons) {
    return buttons == msgbox::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok;
}

// Qt's Russian translation leaves "OK" in Latin letters; the buttons are
// named here so the box speaks Russian even without the translation file.
void nameButtons(QMessageBox& box) {
    const std::pair<QMessageBox::StandardButton, const char*> names[] = {
        {QMessageBox::Yes, "&Да"}, {QMessageBox::No, "&Нет"}, {QMessageBox::Ok, "ОК"}};
    for (const auto& [which, text] : names)
        if (QAbstractButton* button = box.button(which)) button->setText(QString::fromUtf8(text));
}
}  // namespace

int QtMessageBoxes::show(const std::string& text, int buttons, const std::string& title) {
    QString t = QString::fromStdString(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), t, standardButtons(buttons), parent_);
    box.setTextFormat(Qt::PlainText);
    nameButtons(box);
    const int result = box.exec();
    if (buttons != msgbox::YesNo) return msgbox::IDOK;
    return result == QMessageBox::Yes ? msgbox::IDYes : msgbox::IDNo;
}

QStringList messageBoxButtonTexts(int buttons) {
    QMessageBox box(QMessageBox::NoIcon, QString(), QString(), standardButtons(buttons));
    nameButtons(box);
    // Lay the box out as it would be shown, so the buttons stand where the
    // platform's button order puts them.
    box.ensurePolished();
    box.adjustSize();
    if (QLayout* layout = box.layout()) layout->activate();
    QList<QAbstractButton*> shown = box.buttons();
    std::stable_sort(shown.begin(), shown.end(), [&box](QAbstractButton* l, QAbstractButton* r) {
        return l->mapTo(&box, QPoint()).x() < r->mapTo(&box, QPoint()).x();
    });
    QStringList texts;
    for (QAbstractButton* button : shown) {
        QString t = button->text();
        // "&&" is a literal ampersand, a single one marks the access key.
        t.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
        t.remove(QLatin1Char('&'));
        t.replace(QStringLiteral("\x01"), QStringLiteral("&"));
        texts << t;
    }
    return texts;
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
