// The menu "Исследование": the study window for the main window's current
// function, with the limits and the box of the last plot run.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "core/presets.h"
#include "numbers/number.h"
#include "study/program_integrands.h"
#include "window/form1.h"
#include "window/script_host_factory.h"

namespace mcplot {

namespace {

const char* formulaText(int nfun) {
    const Preset* preset = builtInPreset(nfun);
    return preset ? preset->formulaText : "";
}

}  // namespace

void Form1::buildStudyMenu() {
    mnuStudy = new QMenu(QStringLiteral("&Исследование"), this);
    mnuStudy->setObjectName(QStringLiteral("mnuStudy"));
    menuBar()->insertMenu(mnuHelp->menuAction(), mnuStudy);
    QAction* accuracy = mnuStudy->addAction(QStringLiteral("Точность метода…"));
    accuracy->setObjectName(QStringLiteral("mnuStudyAccuracy"));
    accuracy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    connect(accuracy, &QAction::triggered, this, [this] { guarded([this] { mnuStudyAccuracy_Click(); }); });
    QAction* methods = mnuStudy->addAction(QStringLiteral("Как уменьшить погрешность…"));
    methods->setObjectName(QStringLiteral("mnuStudyMethods"));
    connect(methods, &QAction::triggered, this, [this] { guarded([this] { mnuStudyMethods_Click(); }); });
}

StudyTarget Form1::studyTarget() const {
    StudyTarget t;
    const int nfun = state_.nfun;
    t.entry = QString::fromStdString(List1->Text());
    t.box = study::Box{state_.a.value(), double(state_.b), state_.ymin.value(), double(state_.ymax)};
    t.throws = state_.nbros;
    t.inputs = engine_->currentInputs();
    t.mainRun = engine_->lastRun();
    t.decimalSeparator = decimalSeparator_;
    if (nfun == 0) {
        const std::string expression = Text1->Text();
        t.formula = QStringLiteral("f(x) = ") + QString::fromStdString(expression);
        t.integrand = study::expressionIntegrand(expression, [] { return makeScriptHost(); });
        t.expression = true;
    } else {
        const double temperature = readLeadingNumber(Text2->Text());
        t.formula = QString::fromUtf8(formulaText(nfun));
        if (nfun == 9) t.formula += QStringLiteral(", T = ") + QString::fromStdString(Text2->Text());
        t.integrand = study::builtInIntegrand(nfun, temperature);
    }
    return t;
}

void Form1::mnuStudyAccuracy_Click() {
    if (!study_)
        study_ = new StudyWindow([this] { return studyTarget(); });
    else
        study_->refreshTarget();
    study_->show();
    study_->raise();
    study_->activateWindow();
}

void Form1::mnuStudyMethods_Click() {
    mnuStudyAccuracy_Click();
    study_->showMethodsPage();
}

}  // namespace mcplot
