#include "studywindow/study_window.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QLocale>
#include <QPen>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

#include "study/number_text.h"
#include "studywindow/count_spin_box.h"
#include "studywindow/file_saving.h"
#include "studywindow/log_axes.h"
#include "studywindow/page_data.h"
#include "studywindow/methods_page.h"

namespace mcplot {

namespace {

constexpr double pi = 3.14159265358979323846;

QLineSeries* lineSeries(const QString& name, const QColor& color, Qt::PenStyle style = Qt::SolidLine,
                        qreal width = 2) {
    auto* s = new QLineSeries;
    s->setName(name);
    QPen pen(color);
    pen.setWidthF(width);
    pen.setStyle(style);
    s->setPen(pen);
    return s;
}

// A round tick step (1, 2 or 5 times a power of ten) giving at most `most` ticks over the span.
double roundStep(double span, int most) {
    if (!(span > 0)) return 1;
    const double raw = span / most;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= raw) return m * power;
    return 10 * power;
}

// A legend whose markers were shown or hidden while its page was out of
// sight keeps their old places, the labels drawn over one another.
void relayoutLegend(QChart* chart) {
    if (QGraphicsLayout* layout = chart->legend()->layout()) layout->invalidate();
}

void clearCategories(QCategoryAxis* axis) {
    for (const QString& label : axis->categoriesLabels()) axis->remove(label);
}

// The summary's rows: id, name, tooltip. The names of a few change with the case.
struct RowText {
    const char* id;
    const char* name;
    const char* tip;
};
const RowText rowTexts[] = {
    {"reference", "Точное значение I*",
     "Интеграл, вычисленный очень точно другим способом (квадратурой Гаусса–Кронрода). С ним сравниваются "
     "результаты метода."},
    {"referenceError", "Погрешность I*", "Насколько может ошибаться само точное значение I*."},
    {"clippedIntegral", "Интеграл f, обрезанной прямоугольником",
     "Прямоугольник бросков не вмещает весь график: броски видят только его часть, и метод сходится к этому "
     "числу, а не к I*."},
    {"clippedBias", "Смещение метода", "На сколько число, к которому сходится метод, отличается от I*."},
    {"monteCarlo", "Монте-Карло (главное окно)",
     "Результат последнего нажатия «Монте-Карло» в главном окне."},
    {"monteCarloError", "его ошибка |I − I*|",
     "На сколько результат главного окна отличается от точного значения."},
    {"sigmaMultiple", "ошибка в долях σ",
     "Ошибка, делённая на σ. Ошибки больше 2σ бывают примерно в одном расчёте из двадцати."},
    {"interval", "95 % интервал расчёта: I ± 1,96·σ̂",
     "Интервал, построенный по броскам самого расчёта. В 95 случаях из 100 такой интервал накрывает "
     "(содержит) "
     "точное значение."},
    {"share", "Доля синих бросков: в расчёте / теория p",
     "Какая часть бросков попала между графиком и осью (синие точки). Теоретическая доля p — отношение "
     "площади "
     "под графиком к площади прямоугольника."},
    {"meanShare", "q = I/S",
     "I — интеграл f, обрезанной прямоугольником, S — его площадь. Для функции, не меняющей знак, q = p."},
    {"area", "Площадь прямоугольника S", "Площадь прямоугольника, в который бросаются точки."},
    {"throws", "Число бросков N", "Сколько точек бросает главное окно за один расчёт."},
    {"sigma", "σ", "σ (сигма) — типичный размер ошибки одного расчёта с N бросками, по теории."},
    {"runSigma", "σ̂ по броскам расчёта",
     "Та же формула, но p и q взяты из бросков самого расчёта: так σ оценивают, когда точное значение "
     "неизвестно."},
    {"trapezoid", "Трапеции главного окна, 100 интервалов",
     "Значение главного окна: оно считает в одинарной точности (около 7 значащих цифр)."},
    {"trapezoidOwn", "Трапеции, 100 интервалов, двойная точность",
     "То же правило трапеций, посчитанное здесь с 16 значащими цифрами."},
    {"trapezoidError", "их ошибка |I − I*|", "Ошибка правила трапеций со 100 интервалами."},
    {"runsDone", "Опытов проведено", "Сколько раз повторён расчёт с N бросками (для гистограммы справа)."},
    {"meanEstimate", "Среднее их результатов",
     "Среднее результатов всех опытов: оно близко к числу, к которому сходится метод."},
    {"coverage", "Интервалов, накрывших I*",
     "В скольких опытах 95 % интервал (результат ± 1,96·σ̂ по своим броскам) содержал точное значение. Должно "
     "быть около 95 %."},
};

}  // namespace

QString StudyTarget::key() const {
    QString k = entry + '\n' + formula;
    for (double v : {box.a, box.b, box.ymin, box.ymax, double(throws)})
        k += '\n' + QString::number(v, 'g', 17);
    if (mainRun) {
        k += QStringLiteral("\nrun");
        for (double v : {double(mainRun->blueAbove), double(mainRun->blueBelow), double(mainRun->red),
                         mainRun->monteCarlo.value_or(study::nan), mainRun->trapezoid.value_or(study::nan)})
            k += '\n' + QString::number(v, 'g', 17);
    }
    return k;
}

StudyWindow::StudyWindow(std::function<StudyTarget()> source, QWidget* parent)
    : QWidget(parent, Qt::Window), source_(std::move(source)) {
    setObjectName(QStringLiteral("StudyWindow"));
    setWindowTitle(QString::fromUtf8(texts::studyCaption));
    // First: the texts below take the main window's decimal separator from it.
    target_ = source_();

    header_ = new QLabel;
    header_->setObjectName(QStringLiteral("header"));
    header_->setWordWrap(true);

    seedEdit_ = new QLineEdit;
    seedEdit_->setObjectName(QStringLiteral("seed"));
    seedEdit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{1,19}")), seedEdit_));
    seedEdit_->setToolTip(QStringLiteral("Одно и то же зерно даёт одни и те же броски и графики."));
    seedEdit_->setText(QString::number(QRandomGenerator::global()->bounded(1, 1'000'000'000)));
    seedEdit_->setMaximumWidth(110);
    maxThrowsBox_ = new CountSpinBox;
    maxThrowsBox_->setObjectName(QStringLiteral("nmax"));
    maxThrowsBox_->setRange(1000, 10'000'000);
    maxThrowsBox_->setSingleStep(1000);
    maxThrowsBox_->setValue(100'000);
    maxThrowsBox_->setToolTip(
        QStringLiteral("Сколько бросков в каждом из 16 длинных опытов для графика сходимости (от 1 000 до "
                       "10 000 000)."));
    runsBox_ = new QSpinBox;
    runsBox_->setObjectName(QStringLiteral("runs"));
    runsBox_->setRange(10, 10000);
    runsBox_->setValue(200);
    runsBox_->setToolTip(QStringLiteral("Сколько раз повторить расчёт с N бросками для гистограммы."));
    runButton_ = new QPushButton(QStringLiteral("Запустить"));
    runButton_->setObjectName(QStringLiteral("run"));
    cancelButton_ = new QPushButton(QStringLiteral("Отмена"));
    cancelButton_->setObjectName(QStringLiteral("cancel"));
    cancelButton_->setEnabled(false);
    progress_ = new QProgressBar;
    progress_->setRange(0, 1000);
    progress_->setValue(0);
    progress_->setTextVisible(false);

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel(QStringLiteral("Зерно:")));
    controls->addWidget(seedEdit_);
    controls->addWidget(new QLabel(QStringLiteral("Бросков N<sub>max</sub>:")));
    controls->addWidget(maxThrowsBox_);
    controls->addWidget(new QLabel(QStringLiteral("Опытов M:")));
    controls->addWidget(runsBox_);
    controls->addWidget(runButton_);
    controls->addWidget(cancelButton_);
    controls->addWidget(progress_, 1);

    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("status"));
    status_->setWordWrap(true);

    // The summary: a verdict on I*, then one row per figure, each with its tooltip.
    auto* summary = new QWidget;
    summary->setObjectName(QStringLiteral("summary"));
    summary->setMinimumWidth(300);
    summary->setMaximumWidth(390);
    auto* summaryBox = new QVBoxLayout(summary);
    summaryBox->setContentsMargins(0, 0, 0, 0);
    verdict_ = new QLabel;
    verdict_->setObjectName(QStringLiteral("verdict"));
    verdict_->setWordWrap(true);
    verdict_->setToolTip(QStringLiteral("Можно ли доверять точному значению I* и почему."));
    summaryBox->addWidget(verdict_);
    rowsLayout_ = new QGridLayout;
    rowsLayout_->setVerticalSpacing(2);
    rowsLayout_->setColumnStretch(0, 1);
    int line = 0;
    for (const RowText& t : rowTexts) {
        Row row;
        row.name = new QLabel(withSeparator(QString::fromUtf8(t.name)));
        row.name->setWordWrap(true);
        row.value = new QLabel;
        row.value->setObjectName(QStringLiteral("row_") + QString::fromUtf8(t.id));
        row.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        row.value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        for (QLabel* l : {row.name, row.value}) {
            l->setToolTip(withSeparator(QString::fromUtf8(t.tip)));
            l->hide();
        }
        rowsLayout_->addWidget(row.name, line, 0);
        rowsLayout_->addWidget(row.value, line, 1);
        ++line;
        rows_.emplace_back(t.id, row);
    }
    summaryBox->addLayout(rowsLayout_);
    conclusion_ = new QLabel;
    conclusion_->setObjectName(QStringLiteral("conclusion"));
    conclusion_->setWordWrap(true);
    summaryBox->addWidget(conclusion_);
    summaryBox->addStretch(1);

    auto makeChart = [this](QChart*& chart, QChartView*& view, QLabel*& note, const QString& which,
                            const QString& title, const QString& tip) {
        chart = new QChart;
        chart->setTitle(title);
        chart->legend()->setAlignment(Qt::AlignRight);
        chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
        chart->setMargins(QMargins(4, 4, 4, 4));
        view = new QChartView(chart);
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumSize(480, 230);
        view->setToolTip(tip);
        auto* save = new QPushButton(QStringLiteral("Сохранить…"));
        save->setObjectName(which + QStringLiteral("Save"));
        save->setToolTip(QStringLiteral("Сохранить график в файл PNG."));
        connect(save, &QPushButton::clicked, this, [this, which] { askSaveChart(which); });
        auto* saveData = new QPushButton(QString::fromUtf8(texts::saveDataCaption));
        saveData->setObjectName(which + QStringLiteral("SaveData"));
        saveData->setToolTip(
            QStringLiteral("Сохранить числа страницы в файл CSV для электронной таблицы: итоги, точки обоих "
                           "графиков и столбцы гистограммы."));
        connect(saveData, &QPushButton::clicked, this, [this] { askSaveData(); });
        note = new QLabel;
        note->setObjectName(which + QStringLiteral("Note"));
        note->setWordWrap(true);
        auto* box = new QVBoxLayout;
        box->addWidget(view, 1);
        auto* row = new QHBoxLayout;
        row->addWidget(note, 1);
        row->addWidget(save);
        row->addWidget(saveData);
        box->addLayout(row);
        return box;
    };
    auto* charts = new QVBoxLayout;
    charts->addLayout(
        makeChart(convergenceChart_, convergenceView_, convergenceNote_, QStringLiteral("convergence"),
                  QStringLiteral("Сходимость: ошибка от числа бросков N"),
                  QStringLiteral("Как ошибка убывает с ростом N. Ошибка метода Монте-Карло убывает как 1/√N: "
                                 "чтобы уменьшить её в 10 раз, нужно в 100 раз больше бросков.")),
        3);
    charts->addLayout(
        makeChart(histogramChart_, histogramView_, coverage_, QStringLiteral("histogram"),
                  QStringLiteral("Повторные опыты: распределение результатов"),
                  QStringLiteral("Сколько опытов дали каждый результат. Результаты разбросаны "
                                 "вокруг точного значения по нормальному закону (красная кривая).")),
        2);

    // The convergence chart's series and axes live as long as the window;
    // every update replaces their points.
    rmsHit_ = lineSeries(QStringLiteral("попадания"), QColor(0, 70, 220));
    rmsMean_ = lineSeries(QStringLiteral("среднее f"), QColor(0, 150, 60));
    hitSigma_ = lineSeries(QStringLiteral("σ попаданий"), QColor(0, 70, 220), Qt::DashLine);
    meanSigma_ = lineSeries(QStringLiteral("σ среднего"), QColor(0, 150, 60), Qt::DashLine);
    oneRun_ = lineSeries(QStringLiteral("один опыт"), QColor(120, 140, 200), Qt::SolidLine, 0.8);
    trapN_ = lineSeries(QStringLiteral("трапеции"), QColor(200, 60, 0), Qt::DashDotLine);
    trap100_ = lineSeries(QStringLiteral("трапеции, n = 100"), QColor(200, 60, 0), Qt::DotLine);
    convergenceX_ = new QCategoryAxis;
    convergenceX_->setTitleText(QStringLiteral("N бросков (для трапеций — n интервалов)"));
    convergenceX_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    convergenceY_ = new QCategoryAxis;
    convergenceY_->setTitleText(QStringLiteral("ошибка"));
    convergenceY_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    convergenceChart_->addAxis(convergenceX_, Qt::AlignBottom);
    convergenceChart_->addAxis(convergenceY_, Qt::AlignLeft);
    for (QLineSeries* s : {oneRun_, rmsHit_, rmsMean_, hitSigma_, meanSigma_, trapN_, trap100_}) {
        convergenceChart_->addSeries(s);
        s->attachAxis(convergenceX_);
        s->attachAxis(convergenceY_);
    }

    barsUpper_ = new QLineSeries(this);
    barsLower_ = new QLineSeries(this);
    bars_ = new QAreaSeries(barsUpper_, barsLower_);
    bars_->setName(QStringLiteral("опыты"));
    bars_->setColor(QColor(120, 160, 255));
    bars_->setBorderColor(QColor(0, 60, 200));
    density_ = lineSeries(QStringLiteral("теория"), QColor(200, 0, 0));
    exactLine_ = lineSeries(QStringLiteral("I*"), Qt::black, Qt::DashLine);
    centerLine_ = lineSeries(QStringLiteral("предел метода"), QColor(200, 0, 0), Qt::DotLine);
    histogramX_ = new QCategoryAxis;
    histogramX_->setTitleText(QStringLiteral("результат опыта I"));
    histogramX_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    histogramY_ = new QCategoryAxis;
    histogramY_->setTitleText(QStringLiteral("число опытов"));
    histogramY_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    histogramChart_->addAxis(histogramX_, Qt::AlignBottom);
    histogramChart_->addAxis(histogramY_, Qt::AlignLeft);
    for (QAbstractSeries* s :
         std::initializer_list<QAbstractSeries*>{bars_, density_, exactLine_, centerLine_}) {
        histogramChart_->addSeries(s);
        s->attachAxis(histogramX_);
        s->attachAxis(histogramY_);
    }

    auto* body = new QHBoxLayout;
    body->addWidget(summary);
    body->addLayout(charts, 1);

    content_ = new QWidget;
    auto* layout = new QVBoxLayout(content_);
    layout->addWidget(header_);
    layout->addLayout(controls);
    layout->addWidget(status_);
    layout->addLayout(body, 1);
    // On a small screen the content scrolls instead of pushing the window off it.
    scroll_ = new QScrollArea;
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidget(content_);
    // The accuracy page first; the methods page, made when first shown,
    // studies the same function.
    tabs_ = new QTabWidget;
    tabs_->setObjectName(QStringLiteral("studyPages"));
    tabs_->addTab(scroll_, QStringLiteral("Точность"));
    methodsTab_ = new QWidget;
    new QVBoxLayout(methodsTab_);
    methodsTab_->layout()->setContentsMargins(0, 0, 0, 0);
    tabs_->addTab(methodsTab_, QStringLiteral("Методы"));
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        if (tabs_->widget(index) == methodsTab_) makeMethodsPage();
    });
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(tabs_);
    QSize size(1100, 760);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() - QSize(16, 48));
    resize(size);

    timer_ = new QTimer(this);
    timer_->setInterval(50);
    connect(timer_, &QTimer::timeout, this, [this] { poll(); });
    // The main window's changes show within a moment even when nothing runs.
    auto* watch = new QTimer(this);
    watch->setInterval(300);
    connect(watch, &QTimer::timeout, this, [this] {
        if (!running()) outOfDate();
    });
    watch->start();

    connect(runButton_, &QPushButton::clicked, this, [this] { run(); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { cancel(); });

    target_ = source_();
    refreshHeader();
    showResults();
    status_->setText(
        QStringLiteral("Нажмите «Запустить», чтобы исследовать точность метода для этой функции."));
}

StudyWindow::~StudyWindow() {
    if (study_) study_->cancel();
}

QSize StudyWindow::contentMinimumSize() const {
    return content_->minimumSizeHint().expandedTo(content_->minimumSize());
}

QString StudyWindow::withSeparator(QString text) const {
    return text.replace(
        QStringLiteral("1,96"),
        QStringLiteral("1") + QString::fromStdString(target_.decimalSeparator) + QStringLiteral("96"));
}

QString StudyWindow::num(double v, int digits) const {
    return QString::fromStdString(study::plainNumber(v, digits, target_.decimalSeparator));
}

void StudyWindow::setSeed(uint64_t seed) {
    seedEdit_->setText(QString::number(seed));
}
uint64_t StudyWindow::seed() const {
    return seedEdit_->text().toULongLong();
}
void StudyWindow::setMaxThrows(int64_t n) {
    maxThrowsBox_->setValue(static_cast<int>(n));
}
int64_t StudyWindow::maxThrows() const {
    return maxThrowsBox_->value();
}
void StudyWindow::setRuns(int m) {
    runsBox_->setValue(m);
}
int StudyWindow::runs() const {
    return runsBox_->value();
}

bool StudyWindow::running() const {
    return study_ && study_->running();
}

namespace {

// The formula as the header shows it: its start only when it is long. The
// expression box holds 128 K characters, and a wrapped label of that length
// takes seconds to lay out.
QString shownFormula(const QString& formula) {
    constexpr qsizetype kShown = 200;
    QString shown = formula;
    if (formula.size() > kShown) {
        qsizetype cut = kShown;
        if (formula.at(cut - 1).isHighSurrogate()) --cut;  // keep a character whole
        shown = formula.left(cut) + QStringLiteral("…");
    }
    // A formula has few spaces: let the line break after an operator, or
    // inside a long run of anything else, so the header never widens the window.
    QString out;
    int run = 0;
    for (qsizetype k = 0; k < shown.size(); ++k) {
        const QChar c = shown.at(k);
        out += c;
        run = c.isSpace() ? 0 : run + 1;
        const bool breakable = QStringLiteral("+-*/^),").contains(c) || run >= 30;
        if (breakable && !c.isHighSurrogate() && k + 1 < shown.size()) {
            out += QChar(0x200B);
            run = 0;
        }
    }
    return out;
}

}  // namespace

void StudyWindow::refreshHeader() {
    const study::Box& b = target_.box;
    header_->setText(
        QStringLiteral("<b>%1</b>: %2 на отрезке [%3; %4]; бросков N = %5; прямоугольник бросков: "
                       "y от %6 до %7.")
            .arg(target_.entry.toHtmlEscaped(), shownFormula(target_.formula).toHtmlEscaped(), num(b.a, 8),
                 num(b.b, 8), QString::fromStdString(study::plainCount(target_.throws)), num(b.ymin, 6),
                 num(b.ymax, 6)));
}

void StudyWindow::run() {
    if (study_) {
        study_->cancel();
        study_->wait();
    }
    target_ = source_();
    refreshHeader();
    study::StudySettings s;
    s.box = target_.box;
    s.throws = target_.throws;
    s.mainRun = target_.mainRun;
    if (target_.mainRun) {
        s.mainChanges = changesBetween(target_.mainRun->inputs, target_.inputs);
        // The run's own box: a plot since then may have scanned another.
        if (!s.mainChanges.any()) s.box = target_.mainRun->box;
    }
    s.decimalSeparator = target_.decimalSeparator;
    s.seed = seed();
    s.maxThrows = maxThrows();
    // The trapezoid curve shares the N axis: past N_max it would be off the chart.
    s.maxTrapezoidIntervals = std::min<int64_t>(100'000, s.maxThrows);
    s.runs = runs();
    study_ = std::make_unique<study::Study>(s, target_.integrand);
    study_->start();
    hasResults_ = true;
    stale_ = false;
    results_ = study::StudyResults{};
    runButton_->setEnabled(false);
    cancelButton_->setEnabled(true);
    progress_->setValue(0);
    showResults();
    timer_->start();
}

void StudyWindow::runToEnd() {
    run();
    study_->wait();
    poll();
}

void StudyWindow::cancel() {
    if (!study_) return;
    study_->cancel();
    study_->wait();
    poll();
}

void StudyWindow::poll() {
    if (!study_) return;
    const bool done = !study_->running();
    results_ = study_->snapshot();
    progress_->setValue(static_cast<int>(std::lround(results_.progress * 1000)));
    showResults();
    if (done) {
        timer_->stop();
        runButton_->setEnabled(true);
        cancelButton_->setEnabled(false);
    }
}

void StudyWindow::makeMethodsPage() {
    if (methods_) return;
    methods_ = new MethodsPage(source_, [this](const StudyTarget& t) -> std::optional<study::Reference> {
        if (!study_ || !results_.hasReference || t.entry != target_.entry || t.formula != target_.formula)
            return std::nullopt;
        const study::Box& b = study_->settings().box;
        if (b.a != t.box.a || b.b != t.box.b || b.ymin != t.box.ymin || b.ymax != t.box.ymax)
            return std::nullopt;
        return results_.reference;
    });
    methodsTab_->layout()->addWidget(methods_);
}

void StudyWindow::showMethodsPage() {
    makeMethodsPage();
    tabs_->setCurrentWidget(methodsTab_);
}

void StudyWindow::refreshTarget() {
    if (methods_) methods_->refreshTarget();
    if (running()) return;
    if (!hasResults_) {
        target_ = source_();
        refreshHeader();
        return;
    }
    showStatus();
}

bool StudyWindow::outOfDate() {
    if (!hasResults_) return false;
    if (!stale_ && source_().key() != target_.key()) {
        stale_ = true;
        showStatus();
    }
    return stale_;
}

void StudyWindow::showResults() {
    showSummary();
    drawConvergence();
    drawHistogram();
    showStatus();
}

void StudyWindow::showStatus() {
    QString text;
    QString color = QStringLiteral("black");
    if (results_.failure) {
        text = QStringLiteral("Исследование остановлено: функция не вычисляется.\n") +
               QString::fromStdString(results_.failure->explanation());
        color = QStringLiteral("#b00000");
    } else if (running()) {
        text = QStringLiteral("Идёт расчёт… Результаты появляются по мере готовности.");
    } else if (results_.cancelled) {
        text = QStringLiteral("Расчёт отменён: показано то, что успели посчитать.");
        color = QStringLiteral("#a05000");
    } else if (results_.finished) {
        text = QStringLiteral("Расчёт закончен.");
    }
    if (hasResults_ && outOfDate()) {
        text = QStringLiteral(
            "Результаты устарели: в главном окне изменились функция, пределы или броски или сделан новый "
            "расчёт. "
            "Нажмите «Запустить» ещё раз.");
        color = QStringLiteral("#b00000");
    }
    status_->setStyleSheet(QStringLiteral("color: %1").arg(color));
    status_->setText(text);
}

void StudyWindow::setRow(const char* id, const QString& value, const QString& name) {
    for (auto& [key, row] : rows_)
        if (key == id) {
            if (!name.isEmpty()) row.name->setText(name);
            row.value->setText(value);
            row.name->show();
            row.value->show();
            shownRows_.push_back(key);
        }
}

void StudyWindow::showSummary() {
    const study::StudyResults& r = results_;
    shownRows_.clear();
    auto finish = [this] {
        for (auto& [key, row] : rows_)
            if (std::find(shownRows_.begin(), shownRows_.end(), key) == shownRows_.end()) {
                row.name->hide();
                row.value->hide();
            }
    };
    verdict_->setStyleSheet({});
    if (r.failure) {
        verdict_->setText(QStringLiteral("Числа не получены: выражение не вычисляется. %1")
                              .arg(QString::fromStdString(r.failure->explanation())));
        conclusion_->clear();
        return finish();
    }
    if (!r.hasReference) {
        verdict_->setText(
            QStringLiteral("Здесь появятся: точное значение интеграла I*, ошибки результатов главного окна и "
                           "разброс метода Монте-Карло."));
        conclusion_->clear();
        return finish();
    }
    const study::Summary& s = r.summary;
    const study::Reference& ref = r.reference;
    using study::ReferenceKind;
    const bool hasValue = std::isfinite(s.reference);
    const QString kindName = [&] {
        switch (ref.kind) {
            case ReferenceKind::Reliable:
                return QStringLiteral("Точное значение надёжно.");
            case ReferenceKind::Approximate:
                return QStringLiteral("Точное значение приближённое.");
            case ReferenceKind::Unreliable:
                return QStringLiteral("Точное значение ненадёжно.");
            case ReferenceKind::Divergent:
                return QStringLiteral("Интеграл расходится: точного значения нет.");
            case ReferenceKind::Random:
                return QStringLiteral("Функция случайна: точного значения нет.");
            case ReferenceKind::Failed:
                return QStringLiteral("Точное значение получить нельзя.");
        }
        return QString();
    }();
    verdict_->setText(ref.verdict.empty() ? QStringLiteral("<b>%1</b>").arg(kindName)
                                          : QString::fromStdString(study::withDecimalSeparator(
                                                                       ref.verdict, target_.decimalSeparator))
                                                .toHtmlEscaped());
    if (!ref.reliable())
        verdict_->setStyleSheet(QStringLiteral("color: %1").arg(hasValue ? "#a05000" : "#b00000"));

    setRow("reference", hasValue ? num(s.reference, 10) : QStringLiteral("нет"));
    if (hasValue) setRow("referenceError", num(ref.error, 2));
    if (s.clipped) {
        setRow("clippedIntegral", num(s.clippedIntegral, 8));
        setRow("clippedBias", num(s.clippedBias, 3));
    }
    if (s.mainCurrent && std::isfinite(s.monteCarlo)) {
        setRow("monteCarlo", num(s.monteCarlo, 7));
        if (hasValue) {
            setRow("monteCarloError", num(s.monteCarloError, 3));
            if (std::isfinite(s.sigma) && s.sigma > 0)
                setRow("sigmaMultiple", num(s.monteCarloError / s.sigma, 2));
        }
        if (std::isfinite(s.intervalLow))
            setRow("interval", QStringLiteral("[%1; %2]").arg(num(s.intervalLow, 5), num(s.intervalHigh, 5)));
    }
    if (s.mainCurrent)
        setRow("share", QStringLiteral("%1 / %2").arg(num(s.observedShare, 4), num(s.blueShare, 4)));
    else
        setRow("share", num(s.blueShare, 4), QStringLiteral("Доля синих бросков по теории p"));
    setRow("meanShare", num(s.meanShare, 4));
    setRow("area", num(s.area, 6));
    setRow("throws", QString::fromStdString(study::plainCount(s.throws)));
    setRow("sigma", num(s.sigma, 3), QString::fromStdString(s.sigmaFormula));
    if (s.mainCurrent && std::isfinite(s.runSigma)) setRow("runSigma", num(s.runSigma, 3));
    if (s.mainCurrent && std::isfinite(s.trapezoid)) setRow("trapezoid", num(s.trapezoid, 7));
    setRow("trapezoidOwn", num(s.trapezoidOwn, 12));
    if (hasValue) setRow("trapezoidError", num(s.trapezoidOwnError, 3));
    if (r.runsDone > 0) {
        setRow("runsDone", QString::fromStdString(study::plainCount(r.runsDone)));
        setRow("meanEstimate", num(r.meanEstimate, 7));
        if (hasValue)
            setRow("coverage", QLocale::c()
                                       .toString(r.coverage * 100, 'f', 1)
                                       .replace('.', QString::fromStdString(target_.decimalSeparator)) +
                                   QStringLiteral(" %"));
    }
    finish();

    QStringList notes;
    if (s.exact)
        notes << QStringLiteral(
            "Разброса нет: каждый бросок даёт один и тот же вклад, и метод здесь точен "
            "(σ = 0). Совпадение с I* до округления считается накрытием.");
    if (s.clipped)
        notes << QStringLiteral(
                     "Прямоугольник бросков обрезает график: метод сходится к %1, а не к I* "
                     "(смещение %2).")
                     .arg(num(s.clippedIntegral, 8), num(s.clippedBias, 3));
    if (!s.mainCurrent) {
        notes << QStringLiteral("<span style='color:#b00000'>%1</span>")
                     .arg(QString::fromStdString(s.mainStaleReason).toHtmlEscaped());
    } else if (hasValue && std::isfinite(s.monteCarlo) && std::isfinite(s.intervalLow)) {
        const bool inside =
            (s.intervalLow <= s.reference && s.reference <= s.intervalHigh) ||
            (s.exact && s.monteCarloError <= 1e-6 * std::max(std::fabs(s.area), std::fabs(s.reference)));
        notes << (inside
                      ? QStringLiteral("Точное значение лежит внутри 95 % интервала расчёта главного окна.")
                      : QStringLiteral("Точное значение вне 95 % интервала расчёта главного окна: так бывает "
                                       "примерно в одном расчёте из двадцати."));
    }
    if (s.mainCurrent && std::isfinite(s.trapezoid) && s.trapezoidRoundingOnly)
        notes << QStringLiteral(
            "Трапеции главного окна и двойной точности различаются только округлением до "
            "одинарной точности.");
    else if (s.mainCurrent && std::isfinite(s.trapezoid) && std::isfinite(s.trapezoidOwn))
        notes << QStringLiteral(
            "Трапеции главного окна отличаются от двойной точности больше, чем даёт "
            "округление.");
    if (s.keepsSign)
        notes << QStringLiteral("f не меняет знак в прямоугольнике: q = p, и σ = S·√(p(1 − p)/N).");
    conclusion_->setText(notes.join(QStringLiteral("<br>")));
}

void StudyWindow::drawConvergence() {
    const study::Convergence& c = results_.convergence;
    rmsHit_->replace(logPoints(c.n, c.rmsHitOrMiss));
    rmsMean_->replace(logPoints(c.n, c.rmsMeanValue));
    hitSigma_->replace(logPoints(c.n, c.hitOrMissSigma));
    meanSigma_->replace(logPoints(c.n, c.meanValueSigma));
    oneRun_->replace(logPoints(c.n, c.hitOrMiss));
    const bool trapezoidCurve = c.trapezoidNote.empty();
    trapN_->replace(trapezoidCurve ? logPoints(c.trapezoidN, c.trapezoidError) : QList<QPointF>{});
    const double xmax = std::log10(static_cast<double>(std::max<int64_t>(maxThrows(), 1000)));
    QList<QPointF> hundred;
    if (trapezoidCurve && c.trapezoid100Error > 0 && std::isfinite(c.trapezoid100Error))
        hundred = {QPointF(0, std::log10(c.trapezoid100Error)),
                   QPointF(xmax, std::log10(c.trapezoid100Error))};
    trap100_->replace(hundred);
    for (QLineSeries* s : {oneRun_, rmsHit_, rmsMean_, hitSigma_, meanSigma_, trapN_, trap100_})
        for (QLegendMarker* m : convergenceChart_->legend()->markers(s)) m->setVisible(s->count() > 0);
    relayoutLegend(convergenceChart_);
    trapN_->setName(std::isfinite(c.trapezoidSlope)
                        ? QStringLiteral("трапеции, наклон %1 по данным").arg(num(c.trapezoidSlope, 2))
                        : QStringLiteral("трапеции"));

    // N has a label at every decade: the axis never spans more than 10⁷.
    labelDecades(convergenceX_, 0, xmax, target_.decimalSeparator, 1);
    const auto [ymin, ymax] =
        decadeRange({oneRun_, rmsHit_, rmsMean_, hitSigma_, meanSigma_, trapN_, trap100_});
    labelDecades(convergenceY_, ymin, ymax, target_.decimalSeparator);

    QString note;
    if (results_.hasReference && !std::isfinite(results_.reference.value))
        note = QStringLiteral("Точного значения нет, поэтому ошибок нет.");
    else if (!c.n.empty())
        note = QStringLiteral(
                   "Сплошные линии — средняя квадратичная ошибка %1 независимых опытов; тонкая — "
                   "один опыт. Штрихи — теория σ.")
                   .arg(c.rmsRuns);
    if (!c.trapezoidNote.empty()) note += ' ' + QString::fromStdString(c.trapezoidNote);
    convergenceNote_->setText(note);
}

void StudyWindow::drawHistogram() {
    const study::StudyResults& r = results_;
    const study::Histogram& h = r.histogram;
    const QString separator = QString::fromStdString(target_.decimalSeparator);
    coverage_->setText(
        r.runsDone > 0 && std::isfinite(r.coverage)
            ? withSeparator(
                  QStringLiteral("Опытов: %1 по N = %2 бросков. 95 % интервал (результат ± 1,96·σ̂ по "
                                 "своим броскам) накрыл I* в %3 опытов."))
                  .arg(QString::fromStdString(study::plainCount(r.runsDone)),
                       QString::fromStdString(study::plainCount(r.summary.throws)),
                       QLocale::c().toString(r.coverage * 100, 'f', 1).replace('.', separator) +
                           QStringLiteral(" %"))
        : r.runsDone > 0 ? QStringLiteral("Опытов: %1 по N = %2 бросков.")
                               .arg(QString::fromStdString(study::plainCount(r.runsDone)),
                                    QString::fromStdString(study::plainCount(r.summary.throws)))
                         : QString());
    QList<QPointF> upper, lower, density, exact, center;
    double from = 0, to = 1, top = 0;
    if (!h.counts.empty()) {
        for (size_t k = 0; k < h.counts.size(); ++k) {
            upper << QPointF(h.edges[k], h.counts[k]) << QPointF(h.edges[k + 1], h.counts[k]);
            lower << QPointF(h.edges[k], 0) << QPointF(h.edges[k + 1], 0);
            top = std::max<double>(top, h.counts[k]);
        }
        from = h.edges.front();
        to = h.edges.back();
        const double width = h.edges[1] - h.edges[0];
        if (std::isfinite(h.sigma) && h.sigma > 0 && std::isfinite(h.center)) {
            from = std::min(from, h.center - 4 * h.sigma);
            to = std::max(to, h.center + 4 * h.sigma);
            const double scale = r.runsDone * width / (h.sigma * std::sqrt(2 * pi));
            for (int k = 0; k <= 200; ++k) {
                const double x = from + (to - from) * k / 200;
                const double z = (x - h.center) / h.sigma;
                density << QPointF(x, scale * std::exp(-z * z / 2));
            }
            top = std::max(top, scale);
        }
        if (std::isfinite(h.reference)) {
            from = std::min(from, h.reference - 0.05 * (to - from));
            to = std::max(to, h.reference + 0.05 * (to - from));
        }
    }
    const double ymax = top * 1.1 + 1;
    if (std::isfinite(h.reference) && !h.counts.empty())
        exact << QPointF(h.reference, 0) << QPointF(h.reference, ymax);
    if (r.summary.clipped && !h.counts.empty()) center << QPointF(h.center, 0) << QPointF(h.center, ymax);
    barsUpper_->replace(upper);
    barsLower_->replace(lower);
    density_->replace(density);
    exactLine_->replace(exact);
    centerLine_->replace(center);
    for (QAbstractSeries* s : std::initializer_list<QAbstractSeries*>{density_, exactLine_, centerLine_})
        for (QLegendMarker* m : histogramChart_->legend()->markers(s))
            m->setVisible(static_cast<QLineSeries*>(s)->count() > 0);
    relayoutLegend(histogramChart_);

    clearCategories(histogramX_);
    const double step = roundStep(to - from, 6);
    for (double v = std::ceil(from / step) * step; v <= to + step * 1e-9; v += step) {
        const double shown = std::fabs(v) < step * 1e-9 ? 0.0 : v;
        histogramX_->append(num(shown, 6), shown);
    }
    histogramX_->setRange(from, to);
    clearCategories(histogramY_);
    const double countStep = std::max(1.0, roundStep(ymax, 5));
    for (double v = 0; v <= ymax; v += countStep)
        histogramY_->append(QString::number(static_cast<int>(v)), v);
    histogramY_->setRange(0, ymax);
}

bool StudyWindow::saveChart(const QString& which, const QString& file) {
    QChartView* view = which == QStringLiteral("convergence") ? convergenceView_
                       : which == QStringLiteral("histogram") ? histogramView_
                                                              : nullptr;
    if (!view || file.isEmpty()) return false;
    const QImage picture = view->grab().toImage();
    const QString failure = writeFileSafely(file, QStringLiteral("Рисунок не сохранён в файл"),
                                            [&picture](QIODevice& out) { return picture.save(&out, "PNG"); });
    tellSaved(failure, QStringLiteral("Рисунок сохранён в файл «%1».")
                           .arg(QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath())));
    return failure.isEmpty();
}

void StudyWindow::askSaveChart(const QString& which) {
    const QString suggested = which == QStringLiteral("convergence") ? QStringLiteral("сходимость.png")
                                                                     : QStringLiteral("повторные_опыты.png");
    const QString file = askSavePath(this, QStringLiteral("Сохранить график"),
                                     {QStringLiteral("Рисунки PNG (*.png)")}, suggested);
    if (file.isEmpty()) return;
    saveChart(which, file.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive) ? file : file + ".png");
}

void StudyWindow::tellSaved(const QString& failure, const QString& saved) {
    status_->setStyleSheet(failure.isEmpty() ? QStringLiteral("color: black")
                                             : QStringLiteral("color: #b00000"));
    status_->setText(failure.isEmpty() ? saved : failure);
}

QString StudyWindow::saveData(const QString& path, study::CsvStyle style) {
    const QString failure = !study_
                                ? QStringLiteral("Данных нет: сначала нажмите «Запустить».")
                                : saveCsv(path, accuracyCsv(target_, study_->settings(), results_, style));
    tellSaved(failure, dataSavedText(path));
    return failure;
}

void StudyWindow::askSaveData() {
    study::CsvStyle style;
    const QString path = askCsvPath(this, QStringLiteral("точность.csv"), &style);
    if (!path.isEmpty()) saveData(path, style);
}

void StudyWindow::closeEvent(QCloseEvent* event) {
    if (methods_ && methods_->running()) methods_->cancel();
    if (study_) {
        study_->cancel();
        study_->wait();
        timer_->stop();
        runButton_->setEnabled(true);
        cancelButton_->setEnabled(false);
    }
    event->accept();
}

}  // namespace mcplot
