#include "window/qt_desktop.h"

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

QString plainLines(const std::string& text) {
    QString t = QString::fromStdString(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return t;
}

QString inCurrentFolder(const std::string& file) {
    return QDir::current().absoluteFilePath(QString::fromStdString(file));
}

// Qt's Russian translation leaves "OK" in Latin letters; the buttons are
// named here so the box speaks Russian even without the translation file.
void nameButtons(QMessageBox& box) {
    const std::pair<QMessageBox::StandardButton, const char*> names[] = {
        {QMessageBox::Yes, "&Да"}, {QMessageBox::No, "&Нет"}, {QMessageBox::Ok, "ОК"}};
    for (const auto& [which, text] : names)
        if (QAbstractButton* button = box.button(which)) button->setText(QString::fromUtf8(text));
}

QMessageBox::StandardButtons buttonsFor(bool question) {
    return question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok;
}

}  // namespace

QStringList messageBoxButtonTexts(bool question) {
    QMessageBox box(QMessageBox::NoIcon, QString(), QString(), buttonsFor(question));
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
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), plainLines(text), buttonsFor(false),
                    parent_.data());
    box.setTextFormat(Qt::PlainText);
    nameButtons(box);
    box.exec();
}

Answer QtDesktop::askYesNo(const std::string& question, const std::string& title) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), plainLines(question),
                    buttonsFor(true), parent_.data());
    box.setTextFormat(Qt::PlainText);
    nameButtons(box);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

}  // namespace mcplot
