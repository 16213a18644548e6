// The main window's additions for a lesson: the panel that throws step by
// step (menu "Исследование"), the worksheet saved or printed and the run's
// data as CSV (menu "Файл", between "Сохранить рисунок…" and the separator).
#include <QAction>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>

#include "window/data_export.h"
#include "window/form1.h"
#include "window/plot_export.h"
#include "window/steps_panel.h"
#include "window/worksheet.h"

namespace mcplot {

void Form1::buildStepsAndSheetMenus() {
    QAction* steps = mnuStudy->addAction(QStringLiteral("Бросать по шагам…"));
    steps->setObjectName(QStringLiteral("mnuStudySteps"));
    steps->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    connect(steps, &QAction::triggered, this, [this] { guarded([this] { mnuStudySteps_Click(); }); });

    // New file items go after "Сохранить рисунок…", before the separator.
    QAction* separator = menuItem(QStringLiteral("mnuHelpSep2"));
    struct Item {
        const char* name;
        const char* caption;
        void (Form1::*handler)();
        QKeySequence shortcut;
    };
    const Item items[] = {
        {"mnuFileSaveSheet", texts::saveSheetCaption, &Form1::mnuFileSaveSheet_Click, {}},
        {"mnuFilePrint", texts::printCaption, &Form1::mnuFilePrint_Click, QKeySequence::Print},
        {"mnuFileSaveData", texts::saveDataCaption, &Form1::mnuFileSaveData_Click, {}},
    };
    for (const Item& it : items) {
        auto* action = new QAction(QString::fromUtf8(it.caption), mnuFile);
        action->setObjectName(QString::fromLatin1(it.name));
        action->setShortcut(it.shortcut);
        auto handler = it.handler;
        connect(action, &QAction::triggered, this, [this, handler] { guarded([&] { (this->*handler)(); }); });
        mnuFile->insertAction(separator, action);
    }
}

StepsPanel* Form1::stepsPanel() const {
    return steps_.data();
}

void Form1::mnuStudySteps_Click() {
    if (!steps_) {
        steps_ = new StepsPanel(*this);
        // Beside the main window: on its right where the screen has room,
        // else on its left, else at the screen's right edge.
        steps_->adjustSize();
        const QRect main = frameGeometry();
        const QRect free = screen() ? screen()->availableGeometry() : main;
        const int width = steps_->frameGeometry().width();
        int left = main.right() + 8;
        if (left + width > free.right()) left = main.left() - 8 - width;
        if (left < free.left()) left = std::max(free.left(), free.right() - width);
        steps_->move(left, std::max(free.top(), main.top()));
    } else if (steps_->stale()) {
        steps_->restart();
    }
    steps_->show();
    steps_->raise();
    steps_->activateWindow();
}

// ---- Worksheet ----

namespace {

WorksheetContent worksheetOf(Form1& form, const StudyTarget& target, const PlotCommands& engine) {
    WorksheetContent c;
    c.plot = form.canvas().image().copy();
    c.plot.setDevicePixelRatio(form.canvas().image().devicePixelRatio());
    auto caption = [](const Label* l) { return QString::fromStdString(l->Caption()); };
    c.lines << QStringLiteral("Функция: %1").arg(target.formula);
    c.lines << QStringLiteral("Пределы интегрирования: a = %1, b = %2")
                   .arg(caption(form.Label3), caption(form.Label4));
    // The answers only from a run of what the picture shows: the same
    // function, limits and N, and its throws still on the plot.
    const std::optional<RunRecord>& run = target.mainRun;
    const bool current = target.mainCurrent() && engine.blueThrows() + engine.redThrows() ==
                                                     run->blueAbove + run->blueBelow + run->red;
    if (current) {
        c.lines << QStringLiteral("Число бросков N = %1; синих над осью N₊ = %2, синих под осью N₋ = %3")
                       .arg(caption(form.Label5))
                       .arg(run->blueAbove)
                       .arg(run->blueBelow);
        c.lines << QStringLiteral("Метод Монте-Карло: %1").arg(caption(form.Label6));
        c.lines << QStringLiteral("Метод трапеций (100 отрезков): %1").arg(caption(form.Label2));
    } else {
        c.lines << QStringLiteral("Число бросков N = %1").arg(caption(form.Label5));
        c.lines << QStringLiteral(
            "Ответов нет: рисунок не получен расчётом «Монте-Карло» с этими функцией, "
            "пределами и числом бросков.");
    }
    c.lines << QStringLiteral("Дата: %1").arg(QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    return c;
}

}  // namespace

void Form1::mnuFileSaveSheet_Click() {
    const QString path =
        askSavePath_
            ? askSavePath_(this)
            : askSavePath(this, QStringLiteral("Сохранить рисунок с подписью"),
                          {QStringLiteral("Рисунок PNG (*.png)"), QStringLiteral("Документ PDF (*.pdf)")},
                          QStringLiteral("лист.png"));
    if (!path.isEmpty()) saveSheet(path);
}

void Form1::saveSheet(const QString& path) {
    const QString failure = saveWorksheet(worksheetOf(*this, studyTarget(), *engine_), path);
    if (!failure.isEmpty()) desktop_->tell(failure.toStdString(), texts::sheetFailedTitle);
}

void Form1::mnuFilePrint_Click() {
    QPrinter printer(QPrinter::HighResolution);
    if (askPrinter_) {
        if (!askPrinter_(printer)) return;
    } else {
        QPrintDialog dialog(&printer, this);
        dialog.setWindowTitle(QStringLiteral("Печать"));
        if (dialog.exec() != QDialog::Accepted) return;
    }
    printSheet(printer);
}

void Form1::printSheet(QPrinter& printer) {
    printWorksheet(worksheetOf(*this, studyTarget(), *engine_), printer);
}

// ---- Data ----

void Form1::mnuFileSaveData_Click() {
    CsvStyle style;
    const QString path =
        askSavePath_ ? askSavePath_(this) : askCsvPath(this, QStringLiteral("броски.csv"), &style);
    if (!path.isEmpty()) saveData(path, style.field == CsvStyle::russian().field);
}

void Form1::saveData(const QString& path, bool russianSpreadsheet) {
    const std::optional<RunRecord>& run = engine_->lastRun();
    if (!run) {
        desktop_->tell(texts::noRunForData, texts::dataFailedTitle);
        return;
    }
    // The formula only when the run was of the function shown now.
    const StudyTarget target = studyTarget();
    const std::string formula = target.mainCurrent() ? target.formula.toStdString() : std::string();
    const std::string csv =
        runCsv(*run, formula, engine_->lastThrows(), russianSpreadsheet ? CsvStyle::russian() : CsvStyle{});
    const QString failure = saveCsv(path, csv);
    if (!failure.isEmpty()) {
        desktop_->tell(failure.toStdString(), texts::dataFailedTitle);
        return;
    }
    desktop_->tell(dataSavedText(path).toStdString(), texts::dataSavedTitle);
}

}  // namespace mcplot
