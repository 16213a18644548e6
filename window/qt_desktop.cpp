#include "window/qt_desktop.h"

#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

namespace mcplot {
namespace {

QString plainLines(const std::string& text) {
    QString t = QString::fromStdString(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return t;
}

QString inCurrentFolder(const std::string& file) {
    return QDir::current().absoluteFilePath(QString::fromStdString(file));
}

}  // namespace

OpenResult QtDesktop::openDocument(const std::string& file) {
    if (file.empty()) return OpenResult::Failed;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(inCurrentFolder(file))) ? OpenResult::Opened
                                                                                  : OpenResult::Failed;
}

OpenResult QtDesktop::openInTextEditor(const std::string& file) {
    if (file.empty()) return OpenResult::Failed;
    return QProcess::startDetached(QStringLiteral("xdg-open"), {inCurrentFolder(file)}, QDir::currentPath())
               ? OpenResult::Opened
               : OpenResult::Failed;
}

void QtDesktop::tell(const std::string& text, const std::string& title) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), plainLines(text), QMessageBox::Ok,
                    parent_.data());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

Answer QtDesktop::askYesNo(const std::string& question, const std::string& title) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), plainLines(question),
                    QMessageBox::Yes | QMessageBox::No, parent_.data());
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

}  // namespace mcplot
