// The main window Form1: its template, layout, start-up and shutdown, the
// handlers of the inputs (initial setup, function list, parameter bars) and the
// help menu. It owns the calculation state, the canvas, the script host and the
// run commands for the whole run. Handlers keep the names of the events they
// answer.
#pragma once

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>

#include "canvas/raster_canvas.h"
#include "commands/calc_state.h"
#include "commands/plot_commands.h"
#include "core/time_budget.h"
#include "core/random.h"
#include "window/controls.h"
#include "window/desktop.h"
#include "window/form2.h"
#include "window/limit_editor.h"
#include "studywindow/study_window.h"

class QAction;
class QMenu;
class QPrinter;

namespace mcplot {

class StepsPanel;

namespace texts {
inline constexpr const char* form1Caption =
    "Графики функций и расчёт определённого интеграла методом Монте-Карло";
inline constexpr const char* warningTitle = "ПРЕДУПРЕЖДЕНИЕ";
inline constexpr const char* exitQuestion = "Вы абсолютно уверены?";
inline constexpr const char* exitTitle = "На Выход";
inline constexpr const char* sampleExpression = "5+tan(30*3.14/180)*x -9.8*x^2/2/10^2/(cos(30*3.14/180))^2";
inline constexpr const char* aboutTitle = "О ПРОГРАММЕ";
inline constexpr const char* authorsCaption = "Авторы";
}  // namespace texts

// The missing-picture warning has four lines.
inline constexpr int kPictureWarningLines = 4;

class Form1 : public QMainWindow, private PlotControls {
    Q_OBJECT
public:
    // Without a desktop the window uses Qt's dialogs and the real desktop.
    explicit Form1(Desktop* desktop = nullptr);
    ~Form1() override;

    // What the program does at start: Form_Load, then show the window.
    void startUp();

    // Start-up and shutdown.
    void Form_Load();
    void Form_Resize();
    // Sets *cancel to 1 to keep the window open.
    void Form_Unload(int16_t* cancel);
    void mnuFileExit_Click();

    // Layout of every control from the client area.
    void proc2();

    // Inputs.
    void predvar();
    void List1_Click();
    void VScroll1_Change();
    void VScroll2_Change();
    void VScroll3_Change();
    void VScroll4_Change();

    // Help menu.
    void mnuFilespravka_Click();
    void mnuFilespravka2_Click();
    void mnuFileHistory_Click();
    void mnuFileUprav_Click();
    void mnuHelpInstruction_Click();
    void mnuHelpAbout_Click();
    void mnuHelpAvtors_Click();

    // The plot as a picture: "Сохранить рисунок…" asks for a file and saves
    // the plot box there; a failure is told in a message box and nothing else
    // changes. Copying puts the same picture on the clipboard.
    void mnuFileSavePicture_Click();
    void savePlot(const QString& path);
    void copyPlot();
    // How the save item asks for the file ("" cancels); Qt's dialog unless set.
    void setSavePathAsker(std::function<QString(QWidget*)> asker) { askSavePath_ = std::move(asker); }

    // "Бросать по шагам…": opens the panel beside the window (or brings it up).
    void mnuStudySteps_Click();
    // The panel while it exists, else null.
    StepsPanel* stepsPanel() const;
    // The worksheet: the plot with the function, limits, counts, answers and
    // the date under it, saved as PNG or PDF (by the name's ending) or
    // printed. Data: the run's parameters and throws as CSV, with `;` and the
    // decimal comma for spreadsheets set to Russian. Failures and where the
    // data went are told in a message box.
    void mnuFileSaveSheet_Click();
    void mnuFilePrint_Click();
    void mnuFileSaveData_Click();
    void saveSheet(const QString& path);
    void printSheet(QPrinter& printer);
    void saveData(const QString& path, bool russianSpreadsheet);
    // How "Печать…" sets up the printer (false cancels); Qt's print dialog unless set.
    void setPrinterAsker(std::function<bool(QPrinter&)> asker) { askPrinter_ = std::move(asker); }

    // Typed values for the four parameter bars.
    LimitEditor& limitEditor() { return *limitEditor_; }
    // Study menu: the window "Точность метода Монте-Карло".
    void mnuStudyAccuracy_Click();
    void mnuStudyMethods_Click();  // the study window on its page "Методы"
    // The current function, limits, box and results, as the study sees them.
    StudyTarget studyTarget() const;
    // The study window while it exists, else null.
    StudyWindow* studyWindow() const { return study_.data(); }

    // Client area in pixels.
    int ScaleWidth() const;
    int ScaleHeight() const;
    // Resizes the window so that its client area is w × h pixels.
    void setClientSize(int w, int h);

    // Decimal separator of the value and result labels; the regional one unless
    // set otherwise.
    void setDecimalSeparator(const std::string& separator);
    const std::string& decimalSeparator() const { return decimalSeparator_; }

    CalcState& state() { return state_; }
    // The run commands (the calculation as the window drives it).
    PlotCommands& engine() { return *engine_; }
    RasterCanvas& canvas() { return canvas_; }
    ClockRandom& random() { return random_; }
    QWidget* clientArea() const { return client_; }
    // The Authors window while it is open, else null.
    Form2* authorsWindow() const { return form2_.data(); }
    // A menu item by its name (mnuFileExit, mnuHelpAbout, ...), or null.
    QAction* menuItem(const QString& name) const;

    // The controls, by their template names.
    TextBox* Text2 = nullptr;
    Button* Command1 = nullptr;
    TextBox* Text1 = nullptr;
    VScrollBar* VScroll3 = nullptr;
    VScrollBar* VScroll2 = nullptr;
    VScrollBar* VScroll1 = nullptr;
    ListBox* List1 = nullptr;
    Button* CmdOK = nullptr;
    PictureBox* Picture1 = nullptr;
    VScrollBar* VScroll4 = nullptr;
    Label* Label2 = nullptr;
    Label* Label1 = nullptr;
    ImageBox* Image1 = nullptr;
    Label* Label6 = nullptr;
    Label* Label5 = nullptr;
    Label* Label4 = nullptr;
    Label* Label3 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // PlotControls over the widgets.
    std::string text1() const override;
    std::string text2() const override;
    void setCommand1BackColor(uint32_t color) override;
    void setCommand1Caption(const std::string& caption) override;
    void setLabel6Caption(const std::string& caption) override;
    void setLabel2Caption(const std::string& caption) override;
    void showExplanation(const Explanation& explanation) override;

    void buildTemplate();
    void buildMenus();
    void buildPictureActions();
    void buildStudyMenu();
    void buildStepsAndSheetMenus();
    void placeOnScreen();
    void relayout();
    // The picture check after a load: warns when Image1 holds no picture.
    void warnIfNoPicture(const char* const (&lines)[kPictureWarningLines]);

    // Runs an event handler as one user action with its own time budget.
    std::function<void()> action(std::function<void()> handler);

    CalcState state_;
    TimeBudget actionBudget_;
    RasterCanvas canvas_;
    ClockRandom random_;
    std::unique_ptr<ScriptHost> host_;
    std::unique_ptr<PlotCommands> engine_;
    std::unique_ptr<Desktop> ownDesktop_;
    Desktop* desktop_;
    QWidget* client_ = nullptr;
    QMenu* mnuFile = nullptr;
    QMenu* mnuHelp = nullptr;
    QMenu* mnuStudy = nullptr;
    QPointer<Form2> form2_;
    QPointer<StudyWindow> study_;
    QPointer<StepsPanel> steps_;
    std::string decimalSeparator_ = ".";
    LimitEditor* limitEditor_ = nullptr;
    std::function<QString(QWidget*)> askSavePath_;
    std::function<bool(QPrinter&)> askPrinter_;
};

}  // namespace mcplot
