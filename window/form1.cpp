#include "window/form1.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeySequence>
#include <QLayout>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

#include <cmath>

#include "window/form2.h"
#include "window/logging.h"
#include "window/plot_export.h"
#include "window/qt_desktop.h"
#include "window/steps_panel.h"
#include "window/script_host_factory.h"

namespace mcplot {

namespace {

// Screen and outer window geometry is reckoned in twips: 15 to the pixel at
// 96 dots per inch.
constexpr double kTwipsPerPixel = 15.0;
// The window starts a tenth of the free width from the left and a fiftieth of
// the free height from the top of the screen.
constexpr float kFreeWidthLeft = 0.1f;
constexpr double kFreeHeightAbove = 0.02;
// The client area's light grey.
constexpr uint32_t kClientAreaColor = 0xE0E0E0;

// The client area: light grey, and its resize is the window's Resize event.
class ClientArea : public QWidget {
public:
    ClientArea(QWidget* parent, std::function<void()> onResize)
        : QWidget(parent), onResize_(std::move(onResize)) {
        setObjectName(QStringLiteral("client"));
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, colorFromBgr(kClientAreaColor));
        setPalette(p);
    }

protected:
    void resizeEvent(QResizeEvent*) override { guarded(onResize_); }

private:
    std::function<void()> onResize_;
};

QFont timesFont(double points, bool bold = false) {
    QFont f(QStringLiteral("Times New Roman"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

void setBackground(QWidget* w, QPalette::ColorRole role, uint32_t bgr) {
    QPalette p = w->palette();
    p.setColor(role, colorFromBgr(bgr));
    w->setPalette(p);
    if (role == QPalette::Window) w->setAutoFillBackground(true);
}

}  // namespace

Form1::Form1(Desktop* desktop) {
    if (!desktop) {
        ownDesktop_ = std::make_unique<QtDesktop>(this);
        desktop = ownDesktop_.get();
    }
    desktop_ = desktop;

    setObjectName(QStringLiteral("Form1"));
    host_ = makeScriptHost(actionBudget_);
    engine_ =
        std::make_unique<PlotCommands>(state_, canvas_, *host_, static_cast<PlotControls&>(*this), random_);
    engine_->setReportSink([](const std::string& message) { qCWarning(lcCore, "%s", message.c_str()); });
    setDecimalSeparator(QLocale::system().decimalPoint().toStdString());

    buildTemplate();
    buildMenus();
    buildStudyMenu();
    buildPictureActions();
    buildStepsAndSheetMenus();
    setClientSize(640, 480);
}

Form1::~Form1() {
    // The study window and the panel read this window's state; they go first.
    delete study_.data();
    delete steps_.data();
    // The widgets outlive the engine by a moment: nothing they signal while
    // being torn down may reach a handler.
    Command1->Click = nullptr;
    CmdOK->Click = nullptr;
    Text1->Change = nullptr;
    Text2->Change = nullptr;
    List1->Click = nullptr;
    for (VScrollBar* bar : {VScroll1, VScroll2, VScroll3, VScroll4}) bar->Change = nullptr;
    state_.zagruzka = Number::integer(0);
}

void Form1::setDecimalSeparator(const std::string& separator) {
    decimalSeparator_ = separator;
    engine_->setDecimalSeparator(separator);
    if (limitEditor_) limitEditor_->setDecimalSeparator(separator);
}

void Form1::buildTemplate() {
    setWindowTitle(QString::fromUtf8(texts::form1Caption));
    setWindowIcon(programIcon());

    client_ = new ClientArea(this, action([this] { Form_Resize(); }));
    setCentralWidget(client_);
    QWidget* c = client_;

    // Controls in template order; later ones lie above earlier ones, except
    // Image1, which stays under the expression box and its button.
    Text2 = new TextBox(c);
    Text2->setText(QStringLiteral("0.90"));
    Text2->setToolTip(QStringLiteral("Температура(приведенная)"));
    Text2->setFont(timesFont(12));
    setBackground(Text2, QPalette::Base, 0xC0FFFF);

    Command1 = new Button(c);
    Command1->setCaption("OK");
    Command1->setFont(timesFont(12));

    Text1 = new TextBox(c);
    Text1->setText(QStringLiteral("Text1"));
    Text1->setToolTip(QStringLiteral("Введите вашу функцию инажмите ОК"));
    Text1->setFont(timesFont(12));

    // The limit bars keep the value's hundredths: one arrow click is 0.01, a
    // click in the trough 1.00 (VScroll1) and 50 throws (VScroll3).
    VScroll3 = new VScrollBar(32000, 0, c);
    VScroll3->setSteps(1, 50);
    VScroll3->setValueFromCode(200);
    VScroll2 = new VScrollBar(32767, -32767, c);
    VScroll2->setSteps(1, 1);
    VScroll2->setValueFromCode(300);
    VScroll1 = new VScrollBar(32000, -32000, c);
    VScroll1->setSteps(1, 100);
    VScroll1->setValueFromCode(0);

    List1 = new ListBox(c);
    List1->setToolTip(QStringLiteral("список функций"));
    List1->setFont(timesFont(12));
    {
        QPalette p = List1->palette();
        p.setColor(QPalette::Base, p.color(QPalette::Button));
        List1->setPalette(p);
    }

    CmdOK = new Button(c);
    CmdOK->setCaption("&Монте-Карло");
    CmdOK->setFont(timesFont(12));

    Picture1 = new PictureBox(canvas_, c);
    Picture1->setFont(timesFont(12));
    // A click gives the plot the focus too, so Ctrl+C copies right after it.
    Picture1->setFocusPolicy(Qt::StrongFocus);

    VScroll4 = new VScrollBar(1, 5, c);
    VScroll4->setSteps(1, 1);
    VScroll4->setValueFromCode(2);

    auto makeLabel = [c](const char* caption, const char* tip, const QFont& font, uint32_t back,
                         Qt::Alignment align) {
        Label* l = new Label(c);
        l->setCaption(caption);
        l->setToolTip(QString::fromUtf8(tip));
        l->setFont(font);
        setBackground(l, QPalette::Window, back);
        l->setAlignment(align);
        return l;
    };
    const Qt::Alignment centred = Qt::AlignCenter;
    const Qt::Alignment result = Qt::AlignLeft | Qt::AlignVCenter;
    Label2 = makeLabel("", "интеграл методом трапеций", timesFont(11.25, true), 0xFFFF80, result);
    Label1 = makeLabel("Label1", "Масштабирование области графика", timesFont(12), 0xFFFFFF, centred);

    Image1 = new ImageBox(c);
    Image1->setToolTip(QStringLiteral("Для вывода формул"));
    Image1->lower();

    Label6 = makeLabel("", "интеграл по методу Монте-Карло", timesFont(11.25, true), 0xFFFF80, result);
    Label5 = makeLabel("200", "число бросков", timesFont(12), 0xC0FFFF, centred);
    Label4 = makeLabel("3.00", "верхний предел", timesFont(12), 0xC0FFFF, centred);
    Label3 = makeLabel("0", "нижний предел", timesFont(12), 0xC0FFFF, centred);
    Label2->setIndent(2);
    Label6->setIndent(2);

    const std::pair<QWidget*, const char*> names[] = {
        {Text2, "Text2"},       {Command1, "Command1"}, {Text1, "Text1"},   {VScroll3, "VScroll3"},
        {VScroll2, "VScroll2"}, {VScroll1, "VScroll1"}, {List1, "List1"},   {CmdOK, "CmdOK"},
        {Picture1, "Picture1"}, {VScroll4, "VScroll4"}, {Label2, "Label2"}, {Label1, "Label1"},
        {Image1, "Image1"},     {Label6, "Label6"},     {Label5, "Label5"}, {Label4, "Label4"},
        {Label3, "Label3"}};
    for (const auto& [w, name] : names) w->setObjectName(QString::fromLatin1(name));

    // Focus order of the template; labels and the image take no focus.
    QWidget* order[] = {CmdOK,    List1, VScroll1, VScroll2, VScroll3,
                        Picture1, Text1, Command1, VScroll4, Text2};
    for (size_t k = 1; k < std::size(order); ++k) QWidget::setTabOrder(order[k - 1], order[k]);

    // Events.
    Command1->Click = action([this] { engine_->Command1_Click(); });
    CmdOK->Click = action([this] { engine_->CmdOK_Click(); });
    Text1->Change = action([this] { engine_->Text1_Change(); });
    Text2->Change = action([this] { engine_->Text2_Change(); });
    List1->Click = action([this] { List1_Click(); });
    VScroll1->Change = action([this] { VScroll1_Change(); });
    VScroll2->Change = action([this] { VScroll2_Change(); });
    VScroll3->Change = action([this] { VScroll3_Change(); });
    VScroll4->Change = action([this] { VScroll4_Change(); });

    limitEditor_ = new LimitEditor(c);
    limitEditor_->setDecimalSeparator(decimalSeparator_);
    limitEditor_->attach(Label3, VScroll1, 100, 2);
    limitEditor_->attach(Label4, VScroll2, 100, 2);
    limitEditor_->attach(Label5, VScroll3, 1, 0);
    limitEditor_->attach(Label1, VScroll4, 1, 0);
}

std::function<void()> Form1::action(std::function<void()> handler) {
    // A handler raised from inside another (a bar moved by the list's handler)
    // joins the outer action and its budget.
    return [this, handler = std::move(handler)] {
        TimeBudget::Scope scope(actionBudget_);
        handler();
        // A handler that redrew the plot ends a demonstration throw by throw.
        if (steps_) steps_->checkPicture();
    };
}

void Form1::buildMenus() {
    struct Item {
        const char* name;
        const char* caption;
        void (Form1::*handler)();
    };
    auto fill = [this](QMenu* menu, std::initializer_list<Item> items) {
        for (const Item& it : items) {
            QAction* action;
            if (std::string_view(it.caption) == "-") {
                action = menu->addSeparator();
            } else {
                action = menu->addAction(QString::fromUtf8(it.caption));
                auto handler = it.handler;
                connect(action, &QAction::triggered, this,
                        [this, handler] { guarded([&] { (this->*handler)(); }); });
            }
            action->setObjectName(QString::fromLatin1(it.name));
        }
    };
    mnuFile = menuBar()->addMenu(QStringLiteral("&Файл"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    fill(mnuFile, {{"mnuFilespravka", "Метод Монте-Карло", &Form1::mnuFilespravka_Click},
                   {"mnuFilespravka2", "Функции", &Form1::mnuFilespravka2_Click},
                   {"mnuFileHistory", "История", &Form1::mnuFileHistory_Click},
                   {"mnuFileSavePicture", texts::savePictureCaption, &Form1::mnuFileSavePicture_Click},
                   {"mnuHelpSep2", "-", nullptr},
                   {"mnuFileExit", "Выход", &Form1::mnuFileExit_Click}});
    mnuHelp = menuBar()->addMenu(QStringLiteral("&Помощь"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    fill(mnuHelp, {{"mnuHelpInstruction", "Инструкция", &Form1::mnuHelpInstruction_Click},
                   {"mnuFileUprav", "Управление", &Form1::mnuFileUprav_Click},
                   {"mnuHelpSep1", "-", nullptr},
                   {"mnuHelpAvtors", "Авторы", &Form1::mnuHelpAvtors_Click},
                   {"mnuHelpAbout", "О программе", &Form1::mnuHelpAbout_Click}});
}

void Form1::buildPictureActions() {
    menuItem(QStringLiteral("mnuFileSavePicture"))->setShortcut(QKeySequence::Save);
    // The plot box's own menu and Ctrl+C while it has the focus.
    auto* copy = new QAction(QString::fromUtf8(texts::copyPictureCaption), Picture1);
    copy->setObjectName(QStringLiteral("copyPicture"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, [this] { guarded([this] { copyPlot(); }); });
    auto* save = new QAction(QString::fromUtf8(texts::savePictureCaption), Picture1);
    save->setObjectName(QStringLiteral("savePicture"));
    connect(save, &QAction::triggered, this, [this] { guarded([this] { mnuFileSavePicture_Click(); }); });
    Picture1->addAction(copy);
    Picture1->addAction(save);
    Picture1->setContextMenuPolicy(Qt::ActionsContextMenu);
}

QAction* Form1::menuItem(const QString& name) const {
    for (QMenu* menu : {mnuFile, mnuStudy, mnuHelp})
        if (menu)
            for (QAction* action : menu->actions())
                if (action->objectName() == name) return action;
    return nullptr;
}

// ---- Client area ----

int Form1::ScaleWidth() const {
    return client_->width();
}
int Form1::ScaleHeight() const {
    return client_->height();
}

void Form1::setClientSize(int w, int h) {
    // Qt keeps a window's client area at least one pixel each way.
    w = std::max(1, w);
    h = std::max(1, h);
    // The menu bar takes its height above the client area.
    const int bar = menuBar()->isVisibleTo(this) || !isVisible() ? menuBar()->sizeHint().height() : 0;
    resize(w, h + bar);
    relayout();
    // Correct for whatever the menu bar really took.
    const int dw = w - client_->width(), dh = h - client_->height();
    if (dw || dh) {
        resize(width() + dw, height() + dh);
        relayout();
    }
}

void Form1::relayout() {
    // A hidden window gets its resize event only when shown; lay the client
    // area out now so that the layout reads the size it will have.
    if (QLayout* l = layout()) {
        l->invalidate();
        l->activate();
    }
}

// ---- Start-up and shutdown ----

void Form1::startUp() {
    TimeBudget::Scope scope(actionBudget_);
    Form_Load();
    show();
}

void Form1::placeOnScreen() {
    // The native window first, so that the outer size includes whatever frame
    // the platform already knows of.
    winId();
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    // Screen and outer window sizes in twips.
    const QRect sg = screen->geometry();
    const QRect fg = frameGeometry();
    const double SWt = sg.width() * kTwipsPerPixel, SHt = sg.height() * kTwipsPerPixel;
    const double Wt = fg.width() * kTwipsPerPixel, Ht = fg.height() * kTwipsPerPixel;
    const float left = float(SWt - Wt) * kFreeWidthLeft;
    const double top = (SHt - Ht) * kFreeHeightAbove;
    move(sg.x() + int(std::lround(left / kTwipsPerPixel)), sg.y() + int(std::lround(top / kTwipsPerPixel)));
}

void Form1::Form_Load() {
    placeOnScreen();
    relayout();
    proc2();
    state_.zagruzka = Number::integer(0);
    predvar();
    state_.zagruzka = Number::integer(1);
    CmdOK->setFocus();
}

void Form1::Form_Resize() {
    if (state_.zagruzka.value() == 0) return;
    proc2();
    List1_Click();
}

void Form1::Form_Unload(int16_t* cancel) {
    if (desktop_->askYesNo(texts::exitQuestion, texts::exitTitle) != Answer::Yes) *cancel = 1;
}

void Form1::closeEvent(QCloseEvent* event) {
    int16_t cancel = 0;
    guarded([&] { Form_Unload(&cancel); });
    if (cancel) {
        event->ignore();
    } else {
        event->accept();
        // The study belongs to the main window's function and goes with it.
        if (study_) study_->close();
        if (steps_) steps_->close();
    }
}

void Form1::mnuFileExit_Click() {
    close();
}

// ---- Layout ----

void Form1::proc2() {
    const double M = 4, R = 22, U = 65;
    const double SW = ScaleWidth(), SH = ScaleHeight();

    List1->setWidth(float(2 * U));
    List1->setHeight(float(2 * R));
    List1->setLeft(float(M));
    List1->setTop(float(SH - List1->Height() - 2 * M));

    Image1->setLeft(float(M));
    Image1->setTop(float(M));
    Image1->setWidth(float(SW - 4 * M));
    Image1->setHeight(152);

    VScroll4->setWidth(float(U / 4));
    VScroll4->setHeight(float(double(List1->Top()) - Image1->Height() - 3 * M));
    VScroll4->setLeft(float(M));
    VScroll4->setTop(float(Image1->Height() + 2 * M));

    Label1->setWidth(VScroll4->Width());
    Label1->setHeight(float(R));
    Label1->setLeft(float(double(VScroll4->Left()) + VScroll4->Width()));
    Label1->setTop(float(double(VScroll4->Top()) + double(VScroll4->Height()) / 7));

    Picture1->setLeft(float(2 * M + U / 2));
    Picture1->setTop(VScroll4->Top());
    Picture1->setWidth(float(SW - Picture1->Left() - M));
    Picture1->setHeight(VScroll4->Height());

    Label3->setWidth(float(0.75 * U));
    Label3->setHeight(float(2 * R));
    Label3->setLeft(float(double(List1->Left()) + List1->Width() + 3 * M));
    Label3->setTop(List1->Top());

    VScroll1->setWidth(VScroll4->Width());
    VScroll1->setHeight(float(2 * R));
    VScroll1->setLeft(float(double(Label3->Left()) + Label3->Width()));
    VScroll1->setTop(List1->Top());

    Label4->setWidth(Label3->Width());
    Label4->setHeight(Label3->Height());
    Label4->setLeft(float(double(Label3->Left()) + Label3->Width() + VScroll1->Width() + 3 * M));
    Label4->setTop(List1->Top());

    VScroll2->setWidth(VScroll1->Width());
    VScroll2->setHeight(VScroll1->Height());
    VScroll2->setLeft(float(double(Label4->Left()) + Label4->Width()));
    VScroll2->setTop(List1->Top());

    Label5->setWidth(Label3->Width());
    Label5->setHeight(Label3->Height());
    Label5->setLeft(float(double(Label4->Left()) + Label4->Width() + VScroll2->Width() + 3 * M));
    Label5->setTop(List1->Top());

    VScroll3->setWidth(VScroll1->Width());
    VScroll3->setHeight(VScroll1->Height());
    VScroll3->setLeft(float(double(Label5->Left()) + Label5->Width()));
    VScroll3->setTop(List1->Top());

    Text2->setWidth(Label3->Width());
    Text2->setHeight(Label3->Height());
    Text2->setLeft(float(double(VScroll3->Left()) + VScroll3->Width() + 3 * M));
    Text2->setTop(List1->Top());

    CmdOK->setWidth(float(U));
    CmdOK->setHeight(Label3->Height());
    CmdOK->setLeft(float(double(Text2->Left()) + Text2->Width() + 2 * M));
    CmdOK->setTop(List1->Top());

    Label6->setWidth(float(2 * U));
    Label6->setHeight(float(R));
    Label6->setLeft(float(double(CmdOK->Left()) + CmdOK->Width() + 2 * M));
    Label6->setTop(List1->Top());

    Label2->setWidth(Label6->Width());
    Label2->setHeight(Label6->Height());
    Label2->setLeft(Label6->Left());
    Label2->setTop(float(double(Label6->Top()) + Label6->Height() + M));

    Text1->setWidth(Image1->Width());
    Text1->setHeight(float(R));
    Text1->setLeft(float(2 * M));
    Text1->setTop(float(double(Image1->Height()) / 2));

    Command1->setWidth(float(U));
    Command1->setHeight(float(R));
    Command1->setLeft(float(2 * M + double(Text1->Width()) / 2 - double(Command1->Width()) / 2));
    Command1->setTop(float(double(Text1->Top()) + Text1->Height() + 2 * M));
}

// ---- Help menu ----

void Form1::mnuFilespravka_Click() {
    desktop_->openDocument("spravka.pdf");
}
void Form1::mnuFilespravka2_Click() {
    desktop_->openDocument("spravka2.pdf");
}
void Form1::mnuFileHistory_Click() {
    desktop_->openDocument("history.pdf");
}
void Form1::mnuFileUprav_Click() {
    desktop_->openDocument("uprav.pdf");
}

void Form1::mnuHelpInstruction_Click() {
    desktop_->openInTextEditor("instruction.txt");
}

void Form1::mnuHelpAbout_Click() {
    desktop_->tell(aboutText(), texts::aboutTitle);
}

void Form1::mnuHelpAvtors_Click() {
    if (!form2_) form2_ = new Form2();
    Form2* f = form2_.data();
    f->winId();
    // Centred over the main window, from both outer frames in twips.
    const QRect outer1 = frameGeometry();
    const QRect outer2 = f->frameGeometry();
    constexpr double t = kTwipsPerPixel;
    const float left = float(outer1.x() * t) + float(outer1.width() * t - outer2.width() * t) / 2.0f;
    const float top = float(outer1.y() * t) + float(outer1.height() * t - outer2.height() * t) / 2.0f;
    f->move(int(std::lround(left / float(t))), int(std::lround(top / float(t))));
    f->show();
    f->raise();
    f->Label1->setCaption(authorsCredits());
    f->fitCredits();
}

// ---- The plot as a picture ----

void Form1::mnuFileSavePicture_Click() {
    const QString path = askSavePath_ ? askSavePath_(this) : askPicturePath(this);
    if (!path.isEmpty()) savePlot(path);
}

void Form1::savePlot(const QString& path) {
    const QString failure = savePicture(plotPicture(Picture1), path);
    if (!failure.isEmpty()) desktop_->tell(failure.toStdString(), texts::saveFailedTitle);
}

void Form1::copyPlot() {
    copyPicture(plotPicture(Picture1));
}

// ---- Controls the run commands use ----

std::string Form1::text1() const {
    return Text1->Text();
}
std::string Form1::text2() const {
    return Text2->Text();
}
void Form1::setCommand1BackColor(uint32_t color) {
    Command1->setBackColor(color);
}
void Form1::setCommand1Caption(const std::string& caption) {
    Command1->setCaption(caption);
    // The explanation belongs to the red button only; the template has no tooltip.
    if (caption != texts::errorsCaption) Command1->setToolTip(QString());
}

void Form1::showExplanation(const Explanation& e) {
    // The plot shows the whole line unless it had to shorten it.
    Picture1->setToolTip(e.shortened ? QString::fromStdString(e.text) : QString());
    if (!e.userFunction) return;
    if (e.failed) {
        // The place in the box itself; a selection is no edit, so the button stays red.
        Text1->setSelection(e.span.start, e.span.length);
        if (Command1->Caption() == texts::errorsCaption)
            Command1->setToolTip(QString::fromStdString(e.text + "\nВ формуле: " + e.marked));
    } else if (Command1->Caption() != texts::errorsCaption) {
        // The red button keeps the explanation of its failure until an edit.
        Command1->setToolTip(QString::fromStdString(e.text));
    }
}
void Form1::setLabel6Caption(const std::string& caption) {
    Label6->setCaption(caption);
}
void Form1::setLabel2Caption(const std::string& caption) {
    Label2->setCaption(caption);
}

}  // namespace mcplot
