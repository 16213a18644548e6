// Typed bar values, the plot as a picture, Qt's texts in Russian and the
// Authors window's credits, through the window's public API.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "tests/support/recording_desktop.h"
#include "window/form1.h"
#include "window/limit_editor.h"
#include "window/plot_export.h"
#include "window/steps_panel.h"
#include "window/translations.h"

namespace mcplot {
namespace {

using Kind = TypedPosition::Kind;

TEST(TypedPosition, ReadsDecimalsWithCommaOrPointScaledAndRoundedHalfToEven) {
    struct Case {
        const char* text;
        int scale;
        Kind kind;
        int position;
    };
    const Case cases[] = {
        {"5", 100, Kind::Ok, 500},
        {"3,25", 100, Kind::Ok, 325},
        {"3.25", 100, Kind::Ok, 325},
        {"  -1.5 ", 100, Kind::Ok, -150},
        {"+2", 100, Kind::Ok, 200},
        {"\xE2\x88\x92"
         "2",
         100, Kind::Ok, -200},
        {".5", 100, Kind::Ok, 50},
        {"7.", 100, Kind::Ok, 700},
        {"2.675", 100, Kind::Ok, 268},
        {"2.665", 100, Kind::Ok, 266},
        {"2.6650001", 100, Kind::Ok, 267},
        {"0.005", 100, Kind::Ok, 0},
        {"0.015", 100, Kind::Ok, 2},
        {"-0.015", 100, Kind::Ok, -2},
        {"1e2", 100, Kind::Ok, 10000},
        {"25E-1", 1, Kind::Ok, 2},
        {"3.5", 1, Kind::Ok, 4},
        {"1e-9", 100, Kind::Ok, 0},
        {"000320.00", 100, Kind::Ok, 32000},
        {"-320", 100, Kind::Ok, -32000},
        {"320.004", 100, Kind::Ok, 32000},
        {"320.005", 100, Kind::Ok, 32000},
        {"320.0051", 100, Kind::OutOfRange, 0},
        {"1e9", 100, Kind::OutOfRange, 0},
        {"1e99999999999", 1, Kind::OutOfRange, 0},
        {"123456789012345678901234567890", 1, Kind::OutOfRange, 0},
        {"-0.5", 1, Kind::Ok, 0},
        {"-0.6", 1, Kind::OutOfRange, 0},
        {"", 100, Kind::Empty, 0},
        {"   ", 100, Kind::Empty, 0},
        {"abc", 100, Kind::NotANumber, 0},
        {"1,5,1", 100, Kind::NotANumber, 0},
        {"1.5.", 100, Kind::NotANumber, 0},
        {"-", 100, Kind::NotANumber, 0},
        {"e5", 100, Kind::NotANumber, 0},
        {"1e", 100, Kind::NotANumber, 0},
        {"1e+", 100, Kind::NotANumber, 0},
        {"5x", 100, Kind::NotANumber, 0},
        {"1 000", 100, Kind::NotANumber, 0},
        {"&H10", 1, Kind::NotANumber, 0},
    };
    for (const Case& c : cases) {
        const int low = c.scale == 100 ? -32000 : 0;
        const int high = 32000;
        const TypedPosition p = typedPosition(c.text, c.scale, low, high);
        EXPECT_EQ(int(p.kind), int(c.kind)) << c.text;
        if (c.kind == Kind::Ok) {
            EXPECT_EQ(p.position, c.position) << c.text;
        }
    }
}

// A window over recording dialogs, in a scratch folder.
class EasyHands : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = QDir::currentPath();
        QFile::copy(MCPLOT_ASSETS_DIR "/linein.gif", dir_.filePath("linein.gif"));
        QDir::setCurrent(dir_.path());
        form_ = std::make_unique<Form1>(&desktop_);
        form_->setDecimalSeparator(".");
        form_->startUp();
    }
    void TearDown() override {
        form_.reset();
        QDir::setCurrent(old_);
    }
    static void press(QWidget* w, int key) {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &down);
    }
    static void doubleClick(QWidget* w) {
        const QPointF at(w->width() / 2.0, w->height() / 2.0);
        QMouseEvent e(QEvent::MouseButtonDblClick, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    }
    QTemporaryDir dir_;
    QString old_;
    testing::RecordingDesktop desktop_;
    std::unique_ptr<Form1> form_;
};

TEST_F(EasyHands, EnterOnAFocusedLabelOpensTheEditorAndEscapeCancels) {
    Form1& f = *form_;
    LimitEditor& editor = f.limitEditor();
    const int runs = f.engine().plotRuns();
    press(f.Label3, Qt::Key_Return);
    ASSERT_TRUE(editor.isOpen());
    EXPECT_EQ(editor.openLabel(), f.Label3);
    EXPECT_TRUE(editor.box()->isVisibleTo(&f));
    EXPECT_EQ(editor.box()->text(), "");
    EXPECT_EQ(editor.box()->placeholderText(), "0.00") << "the shown value as a hint";
    // The box covers the label it edits.
    EXPECT_TRUE(editor.box()->geometry().contains(f.Label3->geometry().center()));
    f.VScroll1->setValueFromCode(25);  // moved while the box is open
    EXPECT_EQ(editor.box()->placeholderText(), "0.25");
    const int runsAfterMove = f.engine().plotRuns();
    editor.box()->insert("7");
    press(editor.box(), Qt::Key_Escape);
    EXPECT_FALSE(editor.isOpen());
    EXPECT_FALSE(editor.box()->isVisibleTo(&f));
    EXPECT_EQ(f.VScroll1->Value(), 25);
    EXPECT_EQ(f.engine().plotRuns(), runsAfterMove);
    EXPECT_EQ(runsAfterMove, runs + 1);
}

TEST_F(EasyHands, DoubleClickOpensAndEnterAppliesThroughTheBarsChangeHandler) {
    Form1& f = *form_;
    LimitEditor& editor = f.limitEditor();
    int changes = 0;
    QObject::connect(f.VScroll4, &QScrollBar::valueChanged, [&changes] { ++changes; });
    doubleClick(f.Label1);
    ASSERT_TRUE(editor.isOpen());
    editor.box()->insert("5");
    press(editor.box(), Qt::Key_Return);
    EXPECT_FALSE(editor.isOpen());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(f.VScroll4->Value(), 5);
    EXPECT_EQ(f.Label1->Caption(), "5");
    EXPECT_FLOAT_EQ(f.state().mashtab, 5.0f);
    // The value already there: the bar does not move, nothing runs again.
    doubleClick(f.Label1);
    editor.box()->insert("5");
    EXPECT_TRUE(editor.apply());
    EXPECT_EQ(changes, 1);
}

TEST_F(EasyHands, TheExplanationStandsInsideTheWindowBesideTheBox) {
    Form1& f = *form_;
    LimitEditor& editor = f.limitEditor();
    doubleClick(f.Label5);
    editor.box()->insert("сто");
    EXPECT_FALSE(editor.apply());
    EXPECT_TRUE(editor.isOpen());
    const QString why = editor.explanation();
    EXPECT_TRUE(why.contains("от 0 до 32000")) << why.toStdString();
    auto* note = f.clientArea()->findChild<QLabel*>("limitEditorNote");
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->isVisibleTo(&f));
    EXPECT_TRUE(f.clientArea()->rect().contains(note->geometry())) << "inside the client area";
    EXPECT_FALSE(note->geometry().intersects(editor.box()->geometry()));
    // A right value then closes the box and its explanation.
    editor.box()->clear();
    editor.box()->insert("300");
    EXPECT_TRUE(editor.apply());
    EXPECT_EQ(editor.explanation(), "");
    EXPECT_FALSE(note->isVisibleTo(&f));
    EXPECT_EQ(f.state().nbros, 300);
}

TEST_F(EasyHands, CopyPutsThePlotBoxOnTheClipboardFromItsOwnMenu) {
    Form1& f = *form_;
    QClipboard* clipboard = QGuiApplication::clipboard();
    ASSERT_NE(clipboard, nullptr);
    clipboard->clear();
    QAction* copy = nullptr;
    for (QAction* a : f.Picture1->actions())
        if (a->text() == "Копировать рисунок") copy = a;
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(f.Picture1->contextMenuPolicy(), Qt::ActionsContextMenu);
    EXPECT_EQ(copy->shortcut(), QKeySequence(QKeySequence::Copy));
    EXPECT_EQ(copy->shortcutContext(), Qt::WidgetShortcut)
        << "Ctrl+C copies the plot only while it has the focus";
    copy->trigger();
    const QImage copied = clipboard->image();
    ASSERT_FALSE(copied.isNull());
    EXPECT_EQ(copied.size(), f.Picture1->size() * f.Picture1->devicePixelRatioF());
}

TEST_F(EasyHands, ACtrlCRightAfterAClickOnThePlotCopiesIt) {
    Form1& f = *form_;
    QApplication::setActiveWindow(&f);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    EXPECT_NE(f.focusWidget(), f.Picture1);
    QTest::keyClick(f.Picture1, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(clipboard->image().isNull()) << "without the focus Ctrl+C is not the plot's";
    QTest::mouseClick(f.Picture1, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    EXPECT_EQ(f.focusWidget(), f.Picture1);
    QTest::keyClick(f.Picture1, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->image().size(), f.Picture1->size() * f.Picture1->devicePixelRatioF());
}

TEST_F(EasyHands, StepThrowsLieAboveThePlotsPictureAndEscapeClosesThePanel) {
    Form1& f = *form_;
    const QImage before = f.canvas().image().copy();
    f.menuItem("mnuStudySteps")->trigger();
    StepsPanel* panel = f.stepsPanel();
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(panel->isVisible());
    panel->add(500);
    EXPECT_EQ(panel->steps().throws(), 500);
    EXPECT_EQ(f.canvas().image(), before) << "the throws are not drawn into the plot's picture";
    auto* overlay = f.Picture1->findChild<QWidget*>("throwOverlay");
    ASSERT_NE(overlay, nullptr);
    EXPECT_TRUE(overlay->isVisible());
    EXPECT_NE(f.Picture1->grab().toImage(), QPixmap::fromImage(before).toImage()) << "but shown above it";
    QTest::keyClick(panel, Qt::Key_Escape);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(overlay->isVisible());
}

TEST_F(EasyHands, SaveItemHasCtrlSAndAsksForTheFile) {
    Form1& f = *form_;
    QAction* save = f.menuItem("mnuFileSavePicture");
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->text(), "Сохранить рисунок…");
    EXPECT_EQ(save->shortcut(), QKeySequence(QKeySequence::Save));
    int asked = 0;
    const QString file = dir_.filePath("plot.png");
    f.setSavePathAsker([&](QWidget* parent) {
        ++asked;
        EXPECT_EQ(parent, &f);
        return file;
    });
    save->trigger();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(QImage(file).size(), f.Picture1->size());
    EXPECT_TRUE(desktop_.shown.empty());
}

TEST(RussianTexts, TextBoxAndScrollBarMenusSpeakRussian) {
    ASSERT_TRUE(installRussianTranslation(*QCoreApplication::instance()));
    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    const QRegularExpression latin("[A-Za-z]");
    int texts = 0;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator()) continue;
        const QString shown = a->text().section('\t', 0, 0);
        EXPECT_FALSE(shown.contains(latin)) << shown.toStdString();
        ++texts;
    }
    EXPECT_GE(texts, 5);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes").remove('&'), "Да");
    EXPECT_EQ(QCoreApplication::translate("QScrollBar", "Scroll here"), "Прокрутить сюда");
}

TEST(RussianTexts, SaveDialogSpeaksRussian) {
    ASSERT_TRUE(installRussianTranslation(*QCoreApplication::instance()));
    const auto dialog = pictureDialog(nullptr);
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog->defaultSuffix(), "png");
    const QRegularExpression latin("[A-Za-z]");
    int texts = 0;
    for (const QLabel* label : dialog->findChildren<QLabel*>()) {
        if (label->text().isEmpty()) continue;
        EXPECT_FALSE(label->text().contains(latin)) << label->text().toStdString();
        ++texts;
    }
    for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
        if (button->text().isEmpty()) continue;
        EXPECT_FALSE(button->text().contains(latin)) << button->text().toStdString();
        ++texts;
    }
    EXPECT_GE(texts, 4) << "labels and the Save and Cancel buttons";
}

TEST(AuthorsWindow, EveryCreditLineFitsInsideTheWindow) {
    Form2 window;
    std::string credits = authorsCredits();
    window.Label1->setCaption(credits);
    window.fitCredits();
    const QRect text = window.creditsTextRect();
    EXPECT_TRUE(window.rect().contains(text))
        << text.x() << "," << text.y() << " " << text.width() << "x" << text.height();
    EXPECT_TRUE(window.Label1->geometry().contains(text));
    // Even a line much longer than the template's fits, in a smaller font.
    window.Label1->setCaption(credits + "\r\nИсходный код: репозиторий проекта mcplot");
    window.fitCredits();
    EXPECT_TRUE(window.Label1->geometry().contains(window.creditsTextRect()));
    EXPECT_GE(window.Label1->font().pointSizeF(), 5.0);
}

}  // namespace
}  // namespace mcplot
