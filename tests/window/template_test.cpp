// The main window's template and start-up through its public API.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>

#include "tests/support/recording_desktop.h"
#include "window/form1.h"

namespace mcplot {
namespace {

// A window over recording dialogs, in a folder with the first picture.
class Template : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = QDir::currentPath();
        QFile::copy(MCPLOT_ASSETS_DIR "/linein.gif", dir_.filePath("linein.gif"));
        QDir::setCurrent(dir_.path());
        form_ = std::make_unique<Form1>(&desktop_);
        form_->setDecimalSeparator(".");
    }
    void TearDown() override {
        form_.reset();
        QDir::setCurrent(old_);
    }
    QTemporaryDir dir_;
    QString old_;
    testing::RecordingDesktop desktop_;
    std::unique_ptr<Form1> form_;
};

TEST_F(Template, FontsColoursTooltipsAndTexts) {
    Form1& f = *form_;
    for (QWidget* w : std::initializer_list<QWidget*>{f.Text2, f.Command1, f.Text1, f.List1, f.CmdOK,
                                                      f.Label1, f.Label3, f.Label4, f.Label5}) {
        EXPECT_EQ(w->font().family(), "Times New Roman") << w->objectName().toStdString();
        EXPECT_EQ(w->font().pointSizeF(), 12) << w->objectName().toStdString();
        EXPECT_FALSE(w->font().bold());
    }
    for (Label* l : {f.Label6, f.Label2}) {
        EXPECT_EQ(l->font().pointSizeF(), 11.25);
        EXPECT_TRUE(l->font().bold());
        EXPECT_EQ(l->palette().color(QPalette::Window), QColor(128, 255, 255));
    }
    for (Label* l : {f.Label3, f.Label4, f.Label5})
        EXPECT_EQ(l->palette().color(QPalette::Window), QColor(255, 255, 192));
    EXPECT_EQ(f.Text2->palette().color(QPalette::Base), QColor(255, 255, 192));
    EXPECT_EQ(f.Label1->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(f.clientArea()->palette().color(QPalette::Window), QColor(0xE0, 0xE0, 0xE0));

    EXPECT_EQ(f.Text2->text(), "0.90");
    EXPECT_EQ(f.Text1->text(), "Text1");
    EXPECT_EQ(f.Command1->text(), "OK");
    EXPECT_EQ(f.CmdOK->text(), "&Монте-Карло");
    EXPECT_EQ(f.Label1->text(), "Label1");
    EXPECT_EQ(f.Label3->text(), "0");
    EXPECT_EQ(f.Label4->text(), "3.00");
    EXPECT_EQ(f.Label5->text(), "200");
    EXPECT_EQ(f.Text1->toolTip(), "Введите вашу функцию инажмите ОК");
    EXPECT_EQ(f.Text2->toolTip(), "Температура(приведенная)");
    EXPECT_EQ(f.List1->toolTip(), "список функций");
    EXPECT_EQ(f.Label1->toolTip(), "Масштабирование области графика");
    EXPECT_EQ(f.Image1->toolTip(), "Для вывода формул");
    EXPECT_EQ(f.Label6->toolTip(), "интеграл по методу Монте-Карло");
    EXPECT_EQ(f.Label2->toolTip(), "интеграл методом трапеций");
    EXPECT_EQ(f.Label5->toolTip(), "число бросков");
    EXPECT_EQ(f.Label4->toolTip(), "верхний предел");
    EXPECT_EQ(f.Label3->toolTip(), "нижний предел");
    EXPECT_FALSE(f.windowIcon().isNull());
}

TEST_F(Template, BarsRunBetweenTheirEndValuesFromTheirInitialPositions) {
    Form1& f = *form_;
    struct Bar {
        VScrollBar* bar;
        int top, bottom, initial;
    } bars[] = {{f.VScroll1, 32000, -32000, 0},
                {f.VScroll2, 32767, -32767, 300},
                {f.VScroll3, 32000, 0, 200},
                {f.VScroll4, 1, 5, 2}};
    for (const Bar& b : bars) {
        EXPECT_EQ(b.bar->Value(), b.initial);
        b.bar->setValue(b.bar->minimum());  // the upper end
        EXPECT_EQ(b.bar->Value(), b.top);
        b.bar->setValue(b.bar->maximum());
        EXPECT_EQ(b.bar->Value(), b.bottom);
    }
}

TEST_F(Template, MenusInOrderWithTheirNames) {
    const QList<QAction*> menus = form_->menuBar()->actions();
    // "Исследование" stands between the two menus of the template.
    ASSERT_EQ(menus.size(), 3);
    EXPECT_EQ(menus[0]->text(), "&Файл");
    EXPECT_EQ(menus[0]->menu()->objectName(), "mnuFile");
    EXPECT_EQ(menus[2]->text(), "&Помощь");
    EXPECT_EQ(menus[2]->menu()->objectName(), "mnuHelp");
    EXPECT_EQ(menus[1]->text(), "&Исследование");
    EXPECT_EQ(menus[1]->menu()->objectName(), "mnuStudy");
    auto names = [](QMenu* m) {
        QStringList out;
        for (QAction* a : m->actions()) out << a->objectName() + "=" + (a->isSeparator() ? "-" : a->text());
        return out;
    };
    EXPECT_EQ(names(menus[0]->menu()),
              QStringList({"mnuFilespravka=Метод Монте-Карло", "mnuFilespravka2=Функции",
                           "mnuFileHistory=История", "mnuFileSavePicture=Сохранить рисунок…",
                           "mnuFileSaveSheet=Сохранить рисунок с подписью…", "mnuFilePrint=Печать…",
                           "mnuFileSaveData=Сохранить данные…", "mnuHelpSep2=-", "mnuFileExit=Выход"}));
    EXPECT_EQ(form_->menuItem("mnuFilePrint")->shortcut(), QKeySequence(QKeySequence::Print));
    EXPECT_EQ(names(menus[1]->menu()),
              QStringList({"mnuStudyAccuracy=Точность метода…", "mnuStudyMethods=Как уменьшить погрешность…",
                           "mnuStudySteps=Бросать по шагам…"}));
    EXPECT_EQ(menus[1]->menu()->actions()[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_T));
    EXPECT_EQ(menus[1]->menu()->actions()[2]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_B));
    EXPECT_EQ(names(menus[2]->menu()),
              QStringList({"mnuHelpInstruction=Инструкция", "mnuFileUprav=Управление", "mnuHelpSep1=-",
                           "mnuHelpAvtors=Авторы", "mnuHelpAbout=О программе"}));
}

TEST_F(Template, TabOrderStartsAtCmdOK) {
    Form1& f = *form_;
    const QWidget* expected[] = {f.CmdOK,    f.List1, f.VScroll1, f.VScroll2, f.VScroll3,
                                 f.Picture1, f.Text1, f.Command1, f.VScroll4, f.Text2};
    const QWidget* w = f.CmdOK;
    for (size_t k = 1; k < std::size(expected); ++k) {
        do w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus || !(w->focusPolicy() & Qt::TabFocus));
        EXPECT_EQ(w, expected[k]) << k;
    }
}

TEST_F(Template, LoadDrawsOnceAndResizeWaitsForTheEndOfStartUp) {
    Form1& f = *form_;
    f.Form_Resize();  // before start-up: nothing
    EXPECT_EQ(f.engine().plotRuns(), 0);
    f.Form_Load();
    EXPECT_EQ(f.engine().plotRuns(), 1);
    EXPECT_EQ(f.Label3->Caption(), "0.00");
    EXPECT_EQ(f.Label4->Caption(), "3.00");
    EXPECT_EQ(f.Label5->Caption(), "200");
    EXPECT_EQ(f.Label1->Caption(), "2");
    EXPECT_EQ(f.state().zagruzka.value(), 1);
    EXPECT_TRUE(desktop_.shown.empty());
    f.Form_Resize();
    EXPECT_EQ(f.engine().plotRuns(), 2);
}

TEST_F(Template, AuthorsWindowTemplate) {
    form_->mnuHelpAvtors_Click();
    Form2* a = form_->authorsWindow();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->windowTitle(), "Авторы");
    EXPECT_EQ(a->size(), QSize(222, 297));
    EXPECT_EQ(a->Image1->geometry(), QRect(32, 8, 150, 180));
    EXPECT_EQ(a->Label1->geometry(), QRect(8, 200, 209, 81));
    EXPECT_TRUE(a->hasPicture());
    EXPECT_EQ(a->parentWidget(), nullptr);
    EXPECT_TRUE(a->testAttribute(Qt::WA_DeleteOnClose));
    a->close();
}

}  // namespace
}  // namespace mcplot
