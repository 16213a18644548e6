#include "studywindow/study_window.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLineEdit>
#include <QLineSeries>
#include <QLocale>
#include <QLogValueAxis>
#include <QPen>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace mcplot {

namespace {

constexpr double pi = 3.14159265358979323846;

QString num(double v, int digits = 6) {
    if (!std::isfinite(v)) return QStringLiteral("—");
    return QLocale().toString(v, 'g', digits);
}

QString percent(double share) {
    if (!std::isfinite(share)) return QStringLiteral("—");
    return QLocale().toString(share * 100, 'f', 1) + QStringLiteral(" %");
}

QLineSeries* lineSeries(const QString& name, const QColor& color, Qt::PenStyle style = Qt::SolidLine,
                        int width = 2) {
    auto* s = new QLineSeries;
    s->setName(name);
    QPen pen(color);
    pen.setWidth(width);
    pen.setStyle(style);
    s->setPen(pen);
    return s;
}

// Appends the points with a positive value: a log axis cannot show the rest.
template <class N>
void appendPositive(QLineSeries* s, const std::vector<N>& xs, const std::vector<double>& ys) {
    for (size_t k = 0; k < xs.size() && k < ys.size(); ++k)
        if (ys[k] > 0 && std::isfinite(ys[k])) s->append(static_cast<double>(xs[k]), ys[k]);
}

}  // namespace

QString StudyTarget::key() const {
    QString k = entry + '\n' + formula;
    for (double v : {box.a, box.b, box.ymin, box.ymax, double(throws), monteCarlo.value_or(study::nan),
                     trapezoid.value_or(study::nan)})
        k += '\n' + QString::number(v, 'g', 17);
    return k;
}

StudyWindow::StudyWindow(std::function<StudyTarget()> source, QWidget* parent)
    : QWidget(parent, Qt::Window), source_(std::move(source)) {
    setObjectName(QStringLiteral("StudyWindow"));
    setWindowTitle(QString::fromUtf8(texts::studyCaption));
    resize(1100, 760);

    header_ = new QLabel;
    header_->setObjectName(QStringLiteral("header"));
    header_->setWordWrap(true);

    seedEdit_ = new QLineEdit;
    seedEdit_->setObjectName(QStringLiteral("seed"));
    seedEdit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{1,19}")), seedEdit_));
    seedEdit_->setToolTip(QStringLiteral("Одно и то же зерно даёт одни и те же броски и графики"));
    seedEdit_->setText(QString::number(QRandomGenerator::global()->bounded(1, 1'000'000'000)));
    maxThrowsBox_ = new QSpinBox;
    maxThrowsBox_->setObjectName(QStringLiteral("nmax"));
    maxThrowsBox_->setRange(1000, 10'000'000);
    maxThrowsBox_->setSingleStep(1000);
    maxThrowsBox_->setValue(1'000'000);
    maxThrowsBox_->setGroupSeparatorShown(true);
    maxThrowsBox_->setToolTip(
        QStringLiteral("Бросков в длинном опыте для графика сходимости (от 1 000 до 10 000 000)"));
    runsBox_ = new QSpinBox;
    runsBox_->setObjectName(QStringLiteral("runs"));
    runsBox_->setRange(10, 10000);
    runsBox_->setValue(200);
    runsBox_->setToolTip(QStringLiteral("Сколько раз повторить опыт с N бросками"));
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

    summary_ = new QLabel;
    summary_->setObjectName(QStringLiteral("summary"));
    summary_->setTextFormat(Qt::RichText);
    summary_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    summary_->setWordWrap(true);
    summary_->setMinimumWidth(330);
    summary_->setMaximumWidth(380);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto makeChart = [this](QChart*& chart, QChartView*& view, const QString& which, const QString& title) {
        chart = new QChart;
        chart->setTitle(title);
        chart->legend()->setAlignment(Qt::AlignRight);
        view = new QChartView(chart);
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumSize(560, 280);
        auto* save = new QPushButton(QStringLiteral("Сохранить…"));
        save->setObjectName(which + QStringLiteral("Save"));
        save->setToolTip(QStringLiteral("Сохранить график в файл PNG"));
        connect(save, &QPushButton::clicked, this, [this, which] { askSaveChart(which); });
        auto* box = new QVBoxLayout;
        box->addWidget(view, 1);
        auto* row = new QHBoxLayout;
        row->addStretch(1);
        if (which == QStringLiteral("histogram")) {
            coverage_ = new QLabel;
            row->insertWidget(0, coverage_, 10);
        }
        row->addWidget(save);
        box->addLayout(row);
        return box;
    };
    auto* charts = new QVBoxLayout;
    charts->addLayout(
        makeChart(convergenceChart_, convergenceView_, QStringLiteral("convergence"),
                  QStringLiteral("Сходимость: погрешность |I<sub>N</sub> − I*| от числа бросков N")),
        3);
    charts->addLayout(makeChart(histogramChart_, histogramView_, QStringLiteral("histogram"),
                                QStringLiteral("Повторные опыты: распределение результатов")),
                      2);

    auto* body = new QHBoxLayout;
    body->addWidget(summary_);
    body->addLayout(charts, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header_);
    layout->addLayout(controls);
    layout->addWidget(status_);
    layout->addLayout(body, 1);

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
    showSummary();
    drawConvergence();
    drawHistogram();
    status_->setText(
        QStringLiteral("Нажмите «Запустить», чтобы исследовать точность метода для этой функции."));
}

StudyWindow::~StudyWindow() {
    if (study_) study_->cancel();
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
    if (formula.size() <= kShown) return formula;
    qsizetype cut = kShown;
    if (formula.at(cut - 1).isHighSurrogate()) --cut;  // keep a character whole
    return formula.left(cut) + QStringLiteral("…");
}

}  // namespace

void StudyWindow::refreshHeader() {
    const study::Box& b = target_.box;
    header_->setText(
        QStringLiteral("<b>%1</b>: %2 на отрезке [%3; %4]; бросков N = %5; прямоугольник бросков: "
                       "y от %6 до %7.")
            .arg(target_.entry.toHtmlEscaped(), shownFormula(target_.formula).toHtmlEscaped(), num(b.a, 8),
                 num(b.b, 8), QString::number(target_.throws), num(b.ymin, 6), num(b.ymax, 6)));
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
    s.monteCarlo = target_.monteCarlo;
    s.trapezoid = target_.trapezoid;
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

void StudyWindow::refreshTarget() {
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
    if (results_.failed) {
        text = QStringLiteral("Исследование остановлено: функция не вычисляется.\n") +
               QString::fromStdString(results_.failure);
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
            "Результаты устарели: в главном окне изменились функция, пределы или броски. "
            "Нажмите «Запустить» ещё раз.");
        color = QStringLiteral("#b00000");
    }
    status_->setStyleSheet(QStringLiteral("color: %1").arg(color));
    status_->setText(text);
}

void StudyWindow::showSummary() {
    const study::StudyResults& r = results_;
    if (r.failed) {
        summary_->setText(QStringLiteral("<p>Числа не получены: выражение не вычисляется.</p><p>%1</p>")
                              .arg(QString::fromStdString(r.failure).toHtmlEscaped()));
        return;
    }
    if (!r.hasReference) {
        summary_->setText(
            QStringLiteral("<p>Здесь появятся: точное значение интеграла I*, ошибки результатов "
                           "главного окна и разброс метода Монте-Карло.</p>"));
        return;
    }
    const study::Summary& s = r.summary;
    auto row = [](const QString& name, const QString& value) {
        return QStringLiteral("<tr><td>%1</td><td align='right'><b>%2</b></td></tr>").arg(name, value);
    };
    QString html = QStringLiteral("<table cellspacing='4'>");
    html += row(QStringLiteral("Точное значение I*<br><small>(квадратура Гаусса–Кронрода)</small>"),
                num(r.reference.value, 10));
    if (r.reference.reliable()) {
        html += row(QStringLiteral("Оценка погрешности I*"), num(r.reference.error, 2));
    } else {
        html +=
            QStringLiteral("<tr><td colspan='2' style='color:#b00000'>%1 Оценка погрешности: %2.</td></tr>")
                .arg(QString::fromStdString(r.reference.verdict).toHtmlEscaped(), num(r.reference.error, 2));
    }
    html += row(QStringLiteral("Монте-Карло (главное окно)"), num(s.monteCarlo, 6));
    html += row(QStringLiteral("его ошибка |I − I*|"), num(s.monteCarloError, 3));
    html += row(QStringLiteral("Трапеции, 100 интервалов"), num(s.trapezoid, 8));
    html += row(QStringLiteral("их ошибка |I − I*|"), num(s.trapezoidError, 3));
    html += row(QStringLiteral("Площадь прямоугольника S"), num(s.area, 6));
    html += row(QStringLiteral("Доля синих бросков p"), num(s.blueShare, 4));
    html += row(QStringLiteral("Число бросков N"), QString::number(s.throws));
    html += row(QStringLiteral("σ = S·√(p(1−p)/N)"), num(s.sigma, 4));
    if (std::isfinite(s.intervalLow))
        html += row(QStringLiteral("95 % интервал: I ± 1,96σ"),
                    QStringLiteral("[%1; %2]").arg(num(s.intervalLow, 5), num(s.intervalHigh, 5)));
    if (std::isfinite(s.monteCarloError) && std::isfinite(s.sigma) && s.sigma > 0)
        html += row(QStringLiteral("ошибка в долях σ"), num(s.monteCarloError / s.sigma, 3));
    if (r.runsDone > 0) {
        html += row(QStringLiteral("Опытов проведено"), QString::number(r.runsDone));
        html += row(QStringLiteral("Среднее их результатов"), num(r.meanEstimate, 6));
        html += row(QStringLiteral("Интервалов, накрывших I*"), percent(r.coverage));
    }
    html += QStringLiteral("</table>");
    if (std::isfinite(s.monteCarlo) && std::isfinite(s.intervalLow)) {
        const bool inside = s.intervalLow <= s.reference && s.reference <= s.intervalHigh;
        html += inside
                    ? QStringLiteral("<p>Точное значение лежит внутри 95 % интервала последнего расчёта.</p>")
                    : QStringLiteral(
                          "<p>Точное значение вне 95 % интервала последнего расчёта: так бывает "
                          "примерно в одном случае из двадцати.</p>");
    } else {
        html +=
            QStringLiteral("<p>Нажмите «Монте-Карло» в главном окне, чтобы сравнить его результат с I*.</p>");
    }
    summary_->setText(html);
}

void StudyWindow::drawConvergence() {
    QChart* chart = convergenceChart_;
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    const study::Convergence& c = results_.convergence;
    auto* hit = lineSeries(QStringLiteral("попадания (метод программы)"), QColor(0, 70, 220));
    auto* mean = lineSeries(QStringLiteral("среднее значение f"), QColor(0, 150, 60));
    auto* hitSigma = lineSeries(QStringLiteral("σ попаданий ∝ 1/√N"), QColor(0, 70, 220), Qt::DashLine);
    auto* meanSigma = lineSeries(QStringLiteral("σ среднего ∝ 1/√N"), QColor(0, 150, 60), Qt::DashLine);
    auto* trapN = lineSeries(QStringLiteral("трапеции, n интервалов ∝ 1/n²"), QColor(200, 60, 0));
    auto* trap100 = lineSeries(QStringLiteral("трапеции, 100 интервалов"), QColor(200, 60, 0), Qt::DotLine);
    appendPositive(hit, c.n, c.hitOrMiss);
    appendPositive(mean, c.n, c.meanValue);
    appendPositive(hitSigma, c.n, c.hitOrMissSigma);
    appendPositive(meanSigma, c.n, c.meanValueSigma);
    appendPositive(trapN, c.trapezoidN, c.trapezoidError);

    double xmax = static_cast<double>(std::max<int64_t>(maxThrows(), 100'000));
    if (c.trapezoid100Error > 0 && std::isfinite(c.trapezoid100Error)) {
        trap100->append(1, c.trapezoid100Error);
        trap100->append(xmax, c.trapezoid100Error);
    }
    double ymin = INFINITY, ymax = 0;
    for (QLineSeries* s : {hit, mean, hitSigma, meanSigma, trapN, trap100})
        for (const QPointF& p : s->points()) {
            ymin = std::min(ymin, p.y());
            ymax = std::max(ymax, p.y());
        }
    if (!(ymax > 0)) {
        ymin = 1e-6;
        ymax = 1;
    }
    ymin = std::pow(10.0, std::floor(std::log10(std::max(ymin, ymax * 1e-14))));
    ymax = std::pow(10.0, std::ceil(std::log10(ymax)));
    if (ymax <= ymin) ymax = ymin * 10;

    auto* ax = new QLogValueAxis;
    ax->setBase(10);
    ax->setLabelFormat(QStringLiteral("%.0e"));
    ax->setTitleText(QStringLiteral("N — число бросков (для трапеций — число интервалов n)"));
    ax->setRange(1, xmax);
    ax->setMinorTickCount(-1);
    auto* ay = new QLogValueAxis;
    // One label per decade while they fit; every second decade past that.
    const double decades = std::log10(ymax / ymin);
    if (decades > 8) {
        ymin = std::pow(10.0, 2 * std::floor(std::log10(ymin) / 2));
        ymax = std::pow(10.0, 2 * std::ceil(std::log10(ymax) / 2));
    }
    ay->setBase(decades > 8 ? 100 : 10);
    ay->setLabelFormat(QStringLiteral("%.0e"));
    ay->setTitleText(QStringLiteral("|I − I*|"));
    ay->setRange(ymin, ymax);
    chart->addAxis(ax, Qt::AlignBottom);
    chart->addAxis(ay, Qt::AlignLeft);
    for (QLineSeries* s : {hit, mean, hitSigma, meanSigma, trapN, trap100}) {
        chart->addSeries(s);
        s->attachAxis(ax);
        s->attachAxis(ay);
    }
}

void StudyWindow::drawHistogram() {
    QChart* chart = histogramChart_;
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    const study::StudyResults& r = results_;
    const study::Histogram& h = r.histogram;
    coverage_->setText(
        r.runsDone > 0
            ? QStringLiteral(
                  "Опытов: %1 по N = %2 бросков. 95 %-интервал (результат ± 1,96σ по своим броскам) "
                  "накрыл I* в %3 опытов.")
                  .arg(r.runsDone)
                  .arg(r.summary.throws)
                  .arg(percent(r.coverage))
            : QString());
    if (h.counts.empty()) return;

    auto* upper = new QLineSeries;
    auto* lower = new QLineSeries;
    int top = 0;
    for (size_t k = 0; k < h.counts.size(); ++k) {
        upper->append(h.edges[k], h.counts[k]);
        upper->append(h.edges[k + 1], h.counts[k]);
        lower->append(h.edges[k], 0);
        lower->append(h.edges[k + 1], 0);
        top = std::max(top, h.counts[k]);
    }
    auto* bars = new QAreaSeries(upper, lower);
    // The area series does not own its two edges; as its children they go
    // with it when the chart is cleared for the next run.
    upper->setParent(bars);
    lower->setParent(bars);
    bars->setName(QStringLiteral("результаты опытов"));
    bars->setColor(QColor(120, 160, 255));
    bars->setBorderColor(QColor(0, 60, 200));

    double from = h.edges.front(), to = h.edges.back();
    auto* density = lineSeries(QStringLiteral("нормальная плотность N(I*, σ²)"), QColor(200, 0, 0));
    const double width = h.edges[1] - h.edges[0];
    double peak = 0;
    if (std::isfinite(h.sigma) && h.sigma > 0) {
        from = std::min(from, h.center - 4 * h.sigma);
        to = std::max(to, h.center + 4 * h.sigma);
        const double scale = r.runsDone * width / (h.sigma * std::sqrt(2 * pi));
        for (int k = 0; k <= 200; ++k) {
            const double x = from + (to - from) * k / 200;
            const double z = (x - h.center) / h.sigma;
            density->append(x, scale * std::exp(-z * z / 2));
        }
        peak = scale;
    }
    const double ymax = std::max<double>(top, peak) * 1.1 + 1;
    auto* exact = lineSeries(QStringLiteral("I*"), Qt::black, Qt::DashLine);
    exact->append(h.center, 0);
    exact->append(h.center, ymax);

    auto* ax = new QValueAxis;
    ax->setTitleText(QStringLiteral("результат опыта I"));
    ax->setRange(from, to);
    auto* ay = new QValueAxis;
    ay->setTitleText(QStringLiteral("число опытов"));
    ay->setRange(0, ymax);
    ay->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(ax, Qt::AlignBottom);
    chart->addAxis(ay, Qt::AlignLeft);
    chart->addSeries(bars);
    chart->addSeries(density);
    chart->addSeries(exact);
    for (QAbstractSeries* s : chart->series()) {
        s->attachAxis(ax);
        s->attachAxis(ay);
    }
}

bool StudyWindow::saveChart(const QString& which, const QString& file) {
    QChartView* view = which == QStringLiteral("convergence") ? convergenceView_
                       : which == QStringLiteral("histogram") ? histogramView_
                                                              : nullptr;
    if (!view || file.isEmpty()) return false;
    return view->grab().save(file, "PNG");
}

void StudyWindow::askSaveChart(const QString& which) {
    const QString suggested = which == QStringLiteral("convergence") ? QStringLiteral("сходимость.png")
                                                                     : QStringLiteral("повторные_опыты.png");
    const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить график"), suggested,
                                                      QStringLiteral("Рисунки PNG (*.png)"));
    if (file.isEmpty()) return;
    if (!saveChart(which, file.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive) ? file : file + ".png"))
        status_->setText(QStringLiteral("Не удалось сохранить файл %1.").arg(file));
}

void StudyWindow::closeEvent(QCloseEvent* event) {
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
