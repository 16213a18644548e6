#include "studywindow/methods_page.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "study/number_text.h"
#include "studywindow/count_spin_box.h"
#include "studywindow/file_saving.h"
#include "studywindow/log_axes.h"
#include "studywindow/page_data.h"

namespace mcplot {

namespace {

using study::Method;
using study::methodCount;

// One colour per method, in the order of Method.
const QColor methodColors[methodCount] = {
    QColor(0, 70, 220),  QColor(0, 150, 60), QColor(200, 60, 0), QColor(150, 0, 170),
    QColor(0, 160, 170), QColor(120, 90, 0), QColor(220, 0, 90), QColor(90, 90, 90),
};

// The legend's short names, in the order of Method: the table beside it has the full titles.
const char* const legendNames[methodCount] = {
    "попал — не попал", "среднее значение", "страты", "антитетические",
    "по значимости",    "контрольная g",    "Соболь", "Вейль"};

enum Column { Name, Estimate, Error, Sigma, OwnError, Factor, Cost, Efficiency, Slope, Columns };

struct ColumnText {
    const char* title;
    const char* tip;
};
const ColumnText columnTexts[Columns] = {
    {"Метод", "Галочка — показывать ли метод на графике. Наведите мышь на название: что делает метод."},
    {"I, последний опыт", "Оценка интеграла в последнем из M опытов с N вычислениями f."},
    {"|I − I*|", "Ошибка этой оценки: насколько она отличается от точного значения I*."},
    {"σ по M опытам", "Стандартное отклонение оценок M независимых опытов: типичная ошибка одного опыта."},
    {"σ̂ опыта",
     "Оценка ошибки, которую можно получить в одном опыте: «по точкам» — по разбросу его собственных точек; "
     "«по M опытам» — где такого нет (одна точка на страту, одна сдвинутая квазислучайная "
     "последовательность), только по разбросу M опытов."},
    {"Выигрыш", "Во сколько раз дисперсия меньше, чем у метода среднего значения: σ²(среднее) / σ²(метод)."},
    {"Цена",
     "Время на одно вычисление f вместе с работой метода, в долях времени метода среднего значения "
     "(измерено в этом расчёте)."},
    {"Эффективность", "Выигрыш ÷ цена: во сколько раз быстрее метод достигает той же точности."},
    {"Наклон", "Наклон прямой ошибки на графике: ошибка убывает как N в этой степени."},
};

QString methodTip(const study::MethodInfo& info) {
    return QStringLiteral("<p><b>%1</b></p><p>%2</p><p><i>%3</i></p>")
        .arg(QString::fromUtf8(info.title).toHtmlEscaped(),
             QString::fromUtf8(info.description).toHtmlEscaped(),
             QString::fromUtf8(info.formula).toHtmlEscaped());
}

}  // namespace

MethodsPage::MethodsPage(std::function<StudyTarget()> source, KnownReference known, QWidget* parent)
    : QWidget(parent), source_(std::move(source)), known_(std::move(known)) {
    setObjectName(QStringLiteral("methodsPage"));
    shown_.fill(true);

    header_ = new QLabel;
    header_->setObjectName(QStringLiteral("methodsHeader"));
    header_->setWordWrap(true);

    auto spin = [](const char* name, int low, int high, int step, int value, const char* tip) {
        QSpinBox* box = new CountSpinBox;
        box->setObjectName(QString::fromUtf8(name));
        box->setRange(low, high);
        box->setSingleStep(step);
        box->setValue(value);
        box->setToolTip(QString::fromUtf8(tip));
        return box;
    };
    nBox_ = spin("methodsN", 10, 10'000'000, 100, 1000,
                 "Сколько вычислений f в одном опыте для таблицы (сначала — N главного окна).");
    maxNBox_ = spin("methodsNmax", 100, 10'000'000, 10'000, 100'000,
                    "До какого N строится график: N = 10, 22, 46, 100, … (три точки на порядок).");
    runsBox_ = spin("methodsRuns", 10, 10'000, 10, 200,
                    "Сколько независимых опытов на каждое N: по их разбросу считаются σ и ошибка графика.");
    perStratumBox_ = spin("methodsPerStratum", 1, 1000, 1, 1,
                          "Сколько случайных точек в каждой страте стратифицированной выборки; число страт "
                          "k = N/P растёт вместе с N.");
    seedEdit_ = new QLineEdit;
    seedEdit_->setObjectName(QStringLiteral("methodsSeed"));
    seedEdit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{1,19}")), seedEdit_));
    seedEdit_->setToolTip(QStringLiteral("Одно и то же зерно даёт одни и те же опыты и ту же таблицу."));
    seedEdit_->setText(QString::number(QRandomGenerator::global()->bounded(1, 1'000'000'000)));
    seedEdit_->setMaximumWidth(110);
    runButton_ = new QPushButton(QStringLiteral("Запустить"));
    runButton_->setObjectName(QStringLiteral("methodsRun"));
    cancelButton_ = new QPushButton(QStringLiteral("Отмена"));
    cancelButton_->setObjectName(QStringLiteral("methodsCancel"));
    cancelButton_->setEnabled(false);
    progress_ = new QProgressBar;
    progress_->setRange(0, 1000);
    progress_->setTextVisible(false);

    auto* controls = new QHBoxLayout;
    auto add = [controls](const QString& label, QWidget* w) {
        controls->addWidget(new QLabel(label));
        controls->addWidget(w);
    };
    add(QStringLiteral("N:"), nBox_);
    add(QStringLiteral("N<sub>max</sub>:"), maxNBox_);
    add(QStringLiteral("Опытов M:"), runsBox_);
    add(QStringLiteral("Точек в страте P:"), perStratumBox_);
    add(QStringLiteral("Зерно:"), seedEdit_);
    controls->addWidget(runButton_);
    controls->addWidget(cancelButton_);
    controls->addWidget(progress_, 1);

    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("methodsStatus"));
    status_->setWordWrap(true);

    table_ = new QTableWidget(methodCount, Columns);
    table_->setObjectName(QStringLiteral("methodsTable"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->verticalHeader()->hide();
    for (int c = 0; c < Columns; ++c) {
        auto* item = new QTableWidgetItem(QString::fromUtf8(columnTexts[c].title));
        item->setToolTip(QString::fromUtf8(columnTexts[c].tip));
        table_->setHorizontalHeaderItem(c, item);
    }
    for (int m = 0; m < methodCount; ++m) {
        const study::MethodInfo& info = study::methodInfos()[static_cast<size_t>(m)];
        for (int c = 0; c < Columns; ++c) {
            auto* item = new QTableWidgetItem;
            item->setToolTip(methodTip(info));
            if (c == Name) {
                item->setText(QString::fromUtf8(info.title));
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
                item->setCheckState(Qt::Checked);
                item->setForeground(methodColors[m]);
            } else {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            table_->setItem(m, c, item);
        }
    }
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setStretchLastSection(true);
    // All eight rows in sight: the page scrolls as a whole instead.
    table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table_->setFixedHeight(table_->horizontalHeader()->sizeHint().height() +
                           methodCount * table_->verticalHeader()->defaultSectionSize() +
                           table_->horizontalScrollBar()->sizeHint().height() + 2 * table_->frameWidth());
    connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() == Name)
            setShown(static_cast<Method>(item->row()), item->checkState() == Qt::Checked);
    });

    notes_ = new QLabel;
    notes_->setObjectName(QStringLiteral("methodsNotes"));
    notes_->setWordWrap(true);
    notes_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    notes_->setMinimumWidth(260);
    notes_->setMaximumWidth(360);

    chart_ = new QChart;
    chart_->setTitle(QStringLiteral("Средняя квадратичная ошибка от N (в легенде — наклон)"));
    chart_->legend()->setAlignment(Qt::AlignRight);
    chart_->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
    chart_->setMargins(QMargins(4, 4, 4, 4));
    chartX_ = new QCategoryAxis;
    chartX_->setTitleText(QStringLiteral("N — число вычислений f"));
    chartX_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    chartY_ = new QCategoryAxis;
    chartY_->setTitleText(QStringLiteral("ошибка"));
    chartY_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    chart_->addAxis(chartX_, Qt::AlignBottom);
    chart_->addAxis(chartY_, Qt::AlignLeft);
    for (int m = 0; m < methodCount; ++m) {
        auto* line = new QLineSeries;
        line->setName(QString::fromUtf8(legendNames[m]));
        QPen pen(methodColors[m]);
        pen.setWidthF(m == static_cast<int>(Method::MeanValue) ? 2.5 : 1.8);
        if (m >= static_cast<int>(Method::Sobol)) pen.setStyle(Qt::DashLine);
        line->setPen(pen);
        chart_->addSeries(line);
        line->attachAxis(chartX_);
        line->attachAxis(chartY_);
        lines_[static_cast<size_t>(m)] = line;
    }
    // A click on a method's name in the legend hides or shows its line.
    for (QLegendMarker* marker : chart_->legend()->markers())
        connect(marker, &QLegendMarker::clicked, this, [this, marker] {
            for (int m = 0; m < methodCount; ++m)
                if (marker->series() == lines_[static_cast<size_t>(m)])
                    setShown(static_cast<Method>(m), !shown(static_cast<Method>(m)));
        });
    chartView_ = new QChartView(chart_);
    chartView_->setObjectName(QStringLiteral("methodsChart"));
    chartView_->setRenderHint(QPainter::Antialiasing);
    chartView_->setMinimumSize(480, 300);
    chartView_->setToolTip(
        QStringLiteral("Как ошибка каждого метода убывает с ростом N. Наклон −0,5 — это 1/√N; чем круче "
                       "прямая, тем быстрее метод точнеет. Щелчок по названию в легенде скрывает или "
                       "показывает линию."));
    chartNote_ = new QLabel;
    chartNote_->setObjectName(QStringLiteral("methodsChartNote"));
    chartNote_->setWordWrap(true);

    auto* saveData = new QPushButton(QString::fromUtf8(texts::saveDataCaption));
    saveData->setObjectName(QStringLiteral("methodsSaveData"));
    saveData->setToolTip(
        QStringLiteral("Сохранить таблицу методов и точки графика в файл CSV для электронной таблицы."));
    connect(saveData, &QPushButton::clicked, this, [this] { askSaveData(); });
    auto* noteRow = new QHBoxLayout;
    noteRow->addWidget(chartNote_, 1);
    noteRow->addWidget(saveData, 0, Qt::AlignTop);
    auto* chartBox = new QVBoxLayout;
    chartBox->addWidget(chartView_, 1);
    chartBox->addLayout(noteRow);
    auto* lower = new QHBoxLayout;
    lower->addLayout(chartBox, 1);
    lower->addWidget(notes_);

    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->addWidget(header_);
    layout->addLayout(controls);
    layout->addWidget(status_);
    layout->addWidget(table_);
    layout->addLayout(lower, 1);
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(content);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

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
    nBox_->setValue(static_cast<int>(std::clamp<int64_t>(target_.throws, 10, 10'000'000)));
    refreshHeader();
    showResults();
}

MethodsPage::~MethodsPage() {
    referenceCancel_ = true;
    if (referenceThread_.joinable()) referenceThread_.join();
    runner_.reset();
}

QString MethodsPage::num(double v, int digits) const {
    return QString::fromStdString(study::plainNumber(v, digits, target_.decimalSeparator));
}

QString MethodsPage::slopeText(double slope) const {
    if (!std::isfinite(slope)) return QStringLiteral("—");
    // Two decimals whatever the size, so that −0,50 and −1,50 read as a pair.
    return QString::number(slope, 'f', 2)
        .replace('-', QChar(0x2212))
        .replace('.', QString::fromStdString(target_.decimalSeparator));
}

void MethodsPage::setN(int64_t n) {
    nBox_->setValue(static_cast<int>(n));
}
int64_t MethodsPage::n() const {
    return nBox_->value();
}
void MethodsPage::setMaxN(int64_t n) {
    maxNBox_->setValue(static_cast<int>(n));
}
int64_t MethodsPage::maxN() const {
    return maxNBox_->value();
}
void MethodsPage::setRuns(int m) {
    runsBox_->setValue(m);
}
int MethodsPage::runs() const {
    return runsBox_->value();
}
void MethodsPage::setPerStratum(int p) {
    perStratumBox_->setValue(p);
}
int MethodsPage::perStratum() const {
    return perStratumBox_->value();
}
void MethodsPage::setSeed(uint64_t seed) {
    seedEdit_->setText(QString::number(seed));
}
uint64_t MethodsPage::seed() const {
    return seedEdit_->text().toULongLong();
}

void MethodsPage::setShown(Method method, bool shown) {
    const auto m = static_cast<size_t>(method);
    shown_[m] = shown;
    lines_[m]->setVisible(shown);
    // The legend keeps the entry of a hidden line, faded, so that it can be clicked back.
    for (QLegendMarker* marker : chart_->legend()->markers(lines_[m])) {
        marker->setVisible(true);
        QColor text = marker->labelBrush().color();
        text.setAlphaF(shown ? 1.0 : 0.35);
        marker->setLabelBrush(text);
    }
    QTableWidgetItem* item = table_->item(static_cast<int>(m), Name);
    const Qt::CheckState state = shown ? Qt::Checked : Qt::Unchecked;
    if (item->checkState() != state) item->setCheckState(state);
}
bool MethodsPage::shown(Method method) const {
    return shown_[static_cast<size_t>(method)];
}

bool MethodsPage::running() const {
    return computingReference_ || (runner_ && runner_->running());
}

QString MethodsPage::targetKey(const StudyTarget& t) const {
    QString k = t.entry + '\n' + t.formula;
    for (double v : {t.box.a, t.box.b, t.box.ymin, t.box.ymax}) k += '\n' + QString::number(v, 'g', 17);
    return k;
}

void MethodsPage::refreshHeader() {
    const study::Box& b = target_.box;
    QString formula = target_.formula;
    if (formula.size() > 200)  // a wrapped label of 128 K characters takes seconds to lay out
        formula = formula.left(formula.at(199).isHighSurrogate() ? 199 : 200) + QStringLiteral("…");
    header_->setText(
        QStringLiteral("<b>%1</b>: %2 на отрезке [%3; %4]; прямоугольник бросков: y от %5 до %6. Как "
                       "уменьшить ошибку при том же числе N вычислений f?")
            .arg(target_.entry.toHtmlEscaped(), formula.toHtmlEscaped(), num(b.a, 8), num(b.b, 8),
                 num(b.ymin, 6), num(b.ymax, 6)));
}

void MethodsPage::refreshTarget() {
    if (running()) return;
    if (!hasRun_) {
        target_ = source_();
        nBox_->setValue(static_cast<int>(std::clamp<int64_t>(target_.throws, 10, 10'000'000)));
        refreshHeader();
        return;
    }
    outOfDate();
}

bool MethodsPage::outOfDate() {
    if (!hasRun_) return false;
    if (!stale_ && targetKey(source_()) != targetKey(target_)) {
        stale_ = true;
        showStatus();
    }
    return stale_;
}

void MethodsPage::cancel() {
    if (computingReference_) {
        referenceCancel_ = true;
        if (referenceThread_.joinable()) referenceThread_.join();
        computingReference_ = false;
        results_.cancelled = true;
        timer_->stop();
        runButton_->setEnabled(true);
        cancelButton_->setEnabled(false);
        showStatus();
        return;
    }
    if (!runner_) return;
    runner_->cancel();
    runner_->wait();
    poll();
}

void MethodsPage::run() {
    if (computingReference_) {
        referenceCancel_ = true;
        if (referenceThread_.joinable()) referenceThread_.join();
        computingReference_ = false;
    }
    runner_.reset();
    target_ = source_();
    refreshHeader();
    hasRun_ = true;
    stale_ = false;
    results_ = study::MethodsResults{};
    referenceFailure_.reset();
    chartRuns_ = target_.expression ? std::min(expressionChartRuns, runs()) : runs();
    chartMaxN_ = maxN();
    // The settings as they are now: the reference may take a while, and the
    // boxes may change meanwhile.
    settings_ = study::MethodsSettings{};
    settings_.box = target_.box;
    settings_.n = n();
    settings_.maxN = chartMaxN_;
    settings_.runs = runs();
    settings_.chartRuns = chartRuns_;
    settings_.perStratum = perStratum();
    settings_.seed = seed();
    runButton_->setEnabled(false);
    cancelButton_->setEnabled(true);
    progress_->setValue(0);
    clock_.start();

    std::optional<study::Reference> known = known_ ? known_(target_) : std::nullopt;
    referenceReused_ = known.has_value();
    if (known) {
        reference_ = *known;
        startRunner();
    } else {
        // The same computation as the accuracy page's, on a thread of its own.
        reference_ = study::Reference{};
        referenceCancel_ = false;
        referenceDone_ = false;
        computingReference_ = true;
        referenceIntegrand_ = target_.integrand();
        referenceIntegrand_->setStopFlag(&referenceCancel_);
        referenceThread_ = std::thread([this, box = target_.box] {
            computedReference_ = study::computeReference(*referenceIntegrand_, box, referenceCancel_);
            referenceDone_ = true;
        });
    }
    showResults();
    timer_->start();
}

void MethodsPage::startRunner() {
    study::MethodsSettings s = settings_;
    s.reference = reference_.value;
    s.clippedReference = reference_.clippedIntegral;
    runner_ = std::make_unique<study::MethodsRunner>(s, target_.integrand);
    runner_->start();
}

void MethodsPage::runToEnd() {
    run();
    if (computingReference_) {
        if (referenceThread_.joinable()) referenceThread_.join();
        poll();
    }
    if (runner_) runner_->wait();
    poll();
}

void MethodsPage::poll() {
    if (computingReference_) {
        if (!referenceDone_) return;
        if (referenceThread_.joinable()) referenceThread_.join();
        computingReference_ = false;
        reference_ = computedReference_.result;
        referenceFailure_ = computedReference_.failure;
        if (computedReference_.cancelled) return;
        // A failure of f is said by each method's failed runs as well.
        startRunner();
    }
    if (!runner_) return;
    const bool done = !runner_->running();
    results_ = runner_->snapshot();
    progress_->setValue(static_cast<int>(std::lround(results_.progress * 1000)));
    showResults();
    if (done) {
        timer_->stop();
        runButton_->setEnabled(true);
        cancelButton_->setEnabled(false);
    }
}

void MethodsPage::showResults() {
    fillTable();
    drawChart();
    showStatus();
}

void MethodsPage::fillTable() {
    const QSignalBlocker block(table_);
    for (int m = 0; m < methodCount; ++m)
        for (int c = Estimate; c < Columns; ++c) table_->item(m, c)->setText({});
    QStringList notes;
    for (const study::MethodResult& r : results_.methods) {
        const int m = static_cast<int>(r.method);
        const QString title = QString::fromUtf8(study::methodInfo(r.method).title);
        if (!r.note.empty())
            notes
                << QStringLiteral("<b>%1.</b> %2").arg(title, QString::fromStdString(r.note).toHtmlEscaped());
        if (r.failed) {
            table_->item(m, Estimate)->setText(QStringLiteral("не вычисляется"));
            continue;
        }
        if (r.runsDone == 0) continue;
        table_->item(m, Estimate)->setText(num(r.estimate, 8));
        table_->item(m, Error)->setText(num(r.error, 3));
        table_->item(m, Sigma)->setText(num(r.sigma, 3));
        table_->item(m, OwnError)
            ->setText(QStringLiteral("%1 (%2)").arg(
                num(r.standardError, 3),
                r.ownError ? QStringLiteral("по точкам") : QStringLiteral("по M опытам")));
        table_->item(m, Factor)->setText(num(r.factor, 3));
        table_->item(m, Cost)->setText(num(r.cost, 2));
        table_->item(m, Efficiency)->setText(num(r.efficiency, 3));
        table_->item(m, Slope)->setText(slopeText(r.slope));
    }
    table_->resizeColumnsToContents();

    QStringList text;
    if (hasRun_ && !computingReference_) {
        if (std::isfinite(reference_.value))
            text << QStringLiteral("Точное значение I* = %1%2.")
                        .arg(num(reference_.value, 10),
                             reference_.reliable() ? QString() : QStringLiteral(" (приближённое)"));
        else
            text << QStringLiteral("Точного значения нет, поэтому нет ни ошибок, ни графика: %1")
                        .arg(QString::fromStdString(
                                 study::withDecimalSeparator(reference_.verdict, target_.decimalSeparator))
                                 .toHtmlEscaped());
    }
    text << QStringLiteral(
        "Выигрыш — во сколько раз дисперсия меньше, чем у метода среднего значения; цена — время на одно "
        "вычисление f по сравнению с ним; эффективность = выигрыш ÷ цена.");
    text << notes;
    notes_->setText(text.join(QStringLiteral("<br><br>")));
}

void MethodsPage::drawChart() {
    QList<QXYSeries*> drawn;
    for (int m = 0; m < methodCount; ++m) {
        QLineSeries* line = lines_[static_cast<size_t>(m)];
        const QString title = QString::fromUtf8(legendNames[m]);
        const study::MethodResult* r = nullptr;
        for (const study::MethodResult& x : results_.methods)
            if (static_cast<int>(x.method) == m) r = &x;
        if (!r || r->failed) {
            line->clear();
            line->setName(title);
            continue;
        }
        line->replace(logPoints(results_.chartN, r->rms));
        line->setName(std::isfinite(r->slope) ? QStringLiteral("%1: %2").arg(title, slopeText(r->slope))
                                              : title);
        drawn << line;
    }
    // Renaming a series renews the legend's markers: fade the hidden ones again.
    for (int m = 0; m < methodCount; ++m) setShown(static_cast<Method>(m), shown_[static_cast<size_t>(m)]);
    const double xmax =
        std::log10(static_cast<double>(std::max<int64_t>(chartMaxN_ ? chartMaxN_ : maxN(), 100)));
    labelDecades(chartX_, 1, xmax, target_.decimalSeparator);
    const auto [ymin, ymax] = decadeRange(drawn);
    labelDecades(chartY_, ymin, ymax, target_.decimalSeparator);
    if (results_.chartN.empty())
        chartNote_->setText({});
    else
        chartNote_->setText(
            QStringLiteral(
                "Каждая точка — средняя квадратичная ошибка %1 опытов при этом N; наклон — по всем "
                "точкам линии.%2")
                .arg(chartRuns_)
                .arg(chartRuns_ < settings_.runs
                         ? QStringLiteral(" Для вашей функции опытов на каждое N меньше, чем M: одно её "
                                          "вычисление во много раз дольше, чем у встроенной формулы, поэтому "
                                          "наклоны приблизительны.")
                         : QString()));
}

QString MethodsPage::saveData(const QString& path, study::CsvStyle style) {
    const QString failure = !hasRun_
                                ? QStringLiteral("Данных нет: сначала нажмите «Запустить».")
                                : saveCsv(path, methodsCsv(target_, settings_, reference_, results_, style));
    status_->setStyleSheet(failure.isEmpty() ? QStringLiteral("color: black")
                                             : QStringLiteral("color: #b00000"));
    status_->setText(failure.isEmpty() ? dataSavedText(path) : failure);
    return failure;
}

void MethodsPage::askSaveData() {
    study::CsvStyle style;
    const QString path = askCsvPath(this, QStringLiteral("методы.csv"), &style);
    if (!path.isEmpty()) saveData(path, style);
}

void MethodsPage::showStatus() {
    QString text;
    QString color = QStringLiteral("black");
    if (!hasRun_) {
        text = QStringLiteral(
            "Нажмите «Запустить»: каждый метод повторит расчёт M раз с N вычислениями f, и для графика — при "
            "N от 10 до N<sub>max</sub>.");
    } else if (computingReference_) {
        text = QStringLiteral("Считается точное значение I*…");
    } else if (referenceFailure_ && !running() && results_.methods.empty()) {
        text = QStringLiteral("Функция не вычисляется: %1")
                   .arg(QString::fromStdString(referenceFailure_->explanation()).toHtmlEscaped());
        color = QStringLiteral("#b00000");
    } else if (running()) {
        text = QStringLiteral("Идёт расчёт на %1 потоках… Результаты появляются по мере готовности.")
                   .arg(runner_ ? runner_->threads() : 1);
        // The time left, once enough is done to judge the pace.
        const double done = results_.progress, seconds = clock_.elapsed() / 1000.0;
        if (done > 0.05 && seconds > 2)
            text += QStringLiteral(" Осталось около %1 с.")
                        .arg(QString::fromStdString(
                            study::plainCount(std::llround(seconds * (1 - done) / done))));
    } else if (results_.cancelled) {
        text = QStringLiteral("Расчёт отменён: показано то, что успели посчитать.");
        color = QStringLiteral("#a05000");
    } else if (results_.finished) {
        text = QStringLiteral("Расчёт закончен.");
    }
    if (hasRun_ && referenceFailure_ && !computingReference_) {
        text += QStringLiteral(" Точное значение не получено: %1")
                    .arg(QString::fromStdString(referenceFailure_->explanation()).toHtmlEscaped());
        color = QStringLiteral("#b00000");
    }
    if (stale_) {
        text = QStringLiteral(
            "Результаты устарели: в главном окне изменились функция или пределы. Нажмите «Запустить» ещё "
            "раз.");
        color = QStringLiteral("#b00000");
    }
    status_->setStyleSheet(QStringLiteral("color: %1").arg(color));
    status_->setText(text);
}

}  // namespace mcplot
