#include "window/form2.h"

#include <QDirIterator>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QIcon>

#include <algorithm>
#include <vector>

// The resources live in a static library: name them once so they are linked in.
static void loadResources() {
    static const bool loaded = [] {
        Q_INIT_RESOURCE(mcplot);
        return true;
    }();
    (void)loaded;
}

namespace mcplot {

namespace {
// The toolkit's small default size, and the least a reader can still read.
constexpr double defaultCreditsPoints = 8;
constexpr double minimumCreditsPoints = 5;
}  // namespace

QImage resourceImage(const QString& part, const QString& suffix) {
    loadResources();
    QDirIterator it(QStringLiteral(":/"), QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = path.section(QLatin1Char('/'), -1).toLower();
        if (name.contains(part) && name.endsWith(suffix)) {
            QImage image(path);
            if (!image.isNull()) return image;
        }
    }
    return QImage();
}

QIcon programIcon() {
    loadResources();
    QIcon icon;
    for (const char* name : {":/icon.png", ":/icon64.png"})
        if (QFile::exists(QString::fromLatin1(name))) icon.addFile(QString::fromLatin1(name));
    return icon;
}

Form2::Form2() {
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Авторы"));
    setFixedSize(222, 297);
    setWindowIcon(programIcon());

    image_ = new ImageBox(this);
    image_->setObjectName(QStringLiteral("Image1"));
    image_->setLeft(32);
    image_->setTop(8);
    image_->setWidth(150);
    image_->setHeight(180);
    image_->setPicture(resourceImage(QStringLiteral("author"), QStringLiteral(".jpg")));
    Image1 = image_;

    Label1 = new Label(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    // The toolkit's small default font, so that six lines fit in 81 pixels.
    QFont font = Label1->font();
    font.setPointSizeF(defaultCreditsPoints);
    Label1->setFont(font);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setLeft(8);
    Label1->setTop(200);
    Label1->setWidth(209);
    Label1->setHeight(81);
    Label1->setCaption("Label1");
}

bool Form2::hasPicture() const {
    return image_->hasPicture();
}

namespace {
QStringList shownLines(const Label* label) {
    QStringList lines = label->text().split(QLatin1Char('\n'));
    // Padding blanks at the ends of the lines take no room that matters.
    for (QString& line : lines)
        while (line.endsWith(QLatin1Char(' '))) line.chop(1);
    return lines;
}

QSize textSize(const QStringList& lines, const QFont& font) {
    const QFontMetrics fm(font);
    int width = 0;
    for (const QString& line : lines) width = std::max(width, fm.horizontalAdvance(line));
    return QSize(width, int(lines.size()) * fm.lineSpacing());
}
}  // namespace

void Form2::fitCredits() {
    const QStringList lines = shownLines(Label1);
    const QSize room = Label1->contentsRect().size();
    QFont font = Label1->font();
    font.setPointSizeF(defaultCreditsPoints);
    while (font.pointSizeF() > minimumCreditsPoints) {
        const QSize need = textSize(lines, font);
        if (need.width() <= room.width() && need.height() <= room.height()) break;
        font.setPointSizeF(font.pointSizeF() - 0.25);
    }
    Label1->setFont(font);
}

QRect Form2::creditsTextRect() const {
    const QSize size = textSize(shownLines(Label1), Label1->font());
    const QRect inside = Label1->contentsRect();
    return QRect(Label1->mapTo(this, inside.topLeft()), size);
}

namespace {
std::string join(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t k = 0; k < lines.size(); ++k) {
        if (k) text += "\r\n";
        text += lines[k];
    }
    return text;
}

std::string padTo36(const std::string& utf8) {
    QString s = QString::fromStdString(utf8);
    while (s.size() < 36) s += QLatin1Char(' ');
    return s.toStdString();
}
}  // namespace

std::string authorsCredits() {
    return join({
        padTo36("Команда проекта mcplot, 2026"),
        padTo36("Разработка: команда mcplot"),
        padTo36("Учебная программа по математике"),
        padTo36("Qt 6, C++20, свой движок VBScript"),
        padTo36("Для студентов и преподавателей"),
        "Исходный код: репозиторий проекта",
    });
}

std::string aboutText() {
    return join({
        "Эта программа",
        "строит графики функций и иллюстрирует метод Монте-Карло.",
        " ",
        "История версий:",
        "Версия 1.0, Linux (Qt 6), декабрь 2026,",
        "Версия 1.0, движок VBScript собственной разработки,",
        "Версия 1.0, справка в PDF, собранная из исходных текстов,",
        "Программа не проходила государственную регистрацию:",
        "свидетельства о регистрации нет,",
        "номера и даты регистрации нет,",
        "публикаций в официальном бюллетене нет.",
    });
}

}  // namespace mcplot
