#include "window/steps_panel.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QValueAxis>
#include <QVBoxLayout>

#include <chrono>
#include <cmath>
#include <ctime>

#include "numbers/number.h"
#include "window/form1.h"
#include "window/script_host_factory.h"

namespace mcplot {

namespace {

// One animation step: at most 50 steps a second, and never more than this
// much of the window's thread in one of them, however slow f is.
constexpr int kStepIntervalMs = static_cast<int>(budgets::kAnimationStep.count());
constexpr double kStepBudgetMs = 15;

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}
// Throws per piece inside a step, between looks at the clock.
constexpr int kPiece = 25;
// The running estimate is drawn from at most about this many points.
constexpr int kChartPoints = 600;
constexpr double kZ95 = 1.96;

const int kSpeeds[] = {2, 5, 10, 50, 200, 1000, 5000};

}  // namespace

// The throws above the plot: a transparent layer the size of the plot box,
// which keeps its dots in an image of its own and marks the newest throw.
class ThrowOverlay : public QWidget {
public:
    ThrowOverlay(RasterCanvas& canvas, QWidget* plot) : QWidget(plot), canvas_(canvas) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        setObjectName(QStringLiteral("throwOverlay"));
    }

    void clear() {
        setGeometry(parentWidget()->rect());
        const double ratio = devicePixelRatioF();
        dots_ = QImage(size() * ratio, QImage::Format_ARGB32_Premultiplied);
        dots_.setDevicePixelRatio(ratio);
        dots_.fill(Qt::transparent);
        newest_.reset();
        update();
    }

    // One painter for a whole batch of throws.
    void startBatch() { painter_.begin(&dots_); }
    void addThrow(double x, float yr, ThrowKind kind) {
        const QPointF p = canvas_.toPixels(x, yr);
        if (!std::isfinite(p.x()) || !std::isfinite(p.y())) return;
        // The plot's own dot: 3 pixels wide, blue counted, red missed.
        painter_.fillRect(QRectF(p.x() - 1.5, p.y() - 1.5, 3, 3),
                          kind == ThrowKind::Miss ? QColor(255, 0, 0) : QColor(0, 0, 255));
        newest_ = p;
    }
    void finishBatch() {
        painter_.end();
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(QPointF(0, 0), dots_);
        if (newest_) {
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(0, 0, 0), 2));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(*newest_, 7, 7);
        }
    }

private:
    RasterCanvas& canvas_;
    QImage dots_;
    QPainter painter_;
    std::optional<QPointF> newest_;
};

StepsPanel::StepsPanel(Form1& form) : QWidget(&form, Qt::Window), form_(form) {
    setObjectName(QStringLiteral("stepsPanel"));
    setWindowTitle(QStringLiteral("Бросать по шагам"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    overlay_ = new ThrowOverlay(form.canvas(), form.Picture1);
    overlay_->hide();
    timer_.setInterval(kStepIntervalMs);
    connect(&timer_, &QTimer::timeout, this, [this] { guarded([this] { tick(); }); });
    referencePoll_.setInterval(50);
    connect(&referencePoll_, &QTimer::timeout, this, [this] { guarded([this] { pollReference(); }); });
    buildLayout();
    setSpeed(10);
    restart();
}

StepsPanel::~StepsPanel() {
    if (cancelReference_) cancelReference_->store(true);
    if (referenceJob_.valid()) referenceJob_.wait();
    delete overlay_.data();
}

void StepsPanel::buildLayout() {
    QFont big = font();
    big.setPointSizeF(20);
    QFont bigBold = big;
    bigBold.setBold(true);

    auto* layout = new QHBoxLayout(this);
    // The big figures never get squeezed: the window grows with them.
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    auto* left = new QVBoxLayout;
    layout->addLayout(left, 0);

    title_ = new QLabel(this);
    title_->setWordWrap(true);
    left->addWidget(title_);

    // N, N₊, N₋, the share and S: a name, the figure in bold, what it is.
    auto* grid = new QGridLayout;
    const char* const names[kFigures][2] = {
        {"N =", "бросков"},
        {"<span style='color:#0000ff'>N<sub>+</sub></span> =", "синие над осью"},
        {"<span style='color:#0000ff'>N<sub>−</sub></span> =", "синие под осью"},
        {"доля синих", ""},
        {"S =", "площадь прямоугольника"}};
    QFont small = font();
    small.setPointSizeF(12);
    for (int row = 0; row < kFigures; ++row) {
        auto* name = new QLabel(QString::fromUtf8(names[row][0]), this);
        name->setFont(big);
        figures_[row] = new QLabel(this);
        figures_[row]->setFont(bigBold);
        figures_[row]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* note = new QLabel(QString::fromUtf8(names[row][1]), this);
        note->setFont(small);
        grid->addWidget(name, row, 0);
        grid->addWidget(figures_[row], row, 1);
        grid->addWidget(note, row, 2);
    }
    grid->setColumnStretch(2, 1);
    left->addLayout(grid);

    formula_ = new QLabel(this);
    formula_->setObjectName(QStringLiteral("stepsFormula"));
    formula_->setFont(bigBold);
    formula_->setWordWrap(true);
    left->addWidget(formula_);

    auto* buttons = new QHBoxLayout;
    for (int k : {1, 10, 100, 1000}) {
        auto* b = new QPushButton(QStringLiteral("+%1").arg(k), this);
        b->setFont(big);
        b->setObjectName(QStringLiteral("stepsAdd%1").arg(k));
        connect(b, &QPushButton::clicked, this, [this, k] { guarded([this, k] { add(k); }); });
        buttons->addWidget(b);
    }
    left->addLayout(buttons);

    auto* controls = new QHBoxLayout;
    playButton_ = new QPushButton(QStringLiteral("Пуск"), this);
    playButton_->setFont(big);
    connect(playButton_, &QPushButton::clicked, this,
            [this] { guarded([this] { playing() ? pause() : play(); }); });
    controls->addWidget(playButton_);
    speedBox_ = new QComboBox(this);
    for (int s : kSpeeds) speedBox_->addItem(QStringLiteral("%1 в секунду").arg(s), s);
    connect(speedBox_, &QComboBox::activated, this,
            [this](int index) { guarded([this, index] { setSpeed(speedBox_->itemData(index).toInt()); }); });
    controls->addWidget(speedBox_);
    auto* again = new QPushButton(QStringLiteral("Заново"), this);
    again->setFont(big);
    connect(again, &QPushButton::clicked, this, [this] { guarded([this] { restart(); }); });
    controls->addWidget(again);
    left->addLayout(controls);

    auto* seedRow = new QHBoxLayout;
    seedRow->addWidget(new QLabel(QStringLiteral("Зерно (пусто — от часов):"), this));
    seedBox_ = new QLineEdit(this);
    seedBox_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,19}")), seedBox_));
    seedBox_->setToolTip(QStringLiteral("С одним и тем же зерном броски повторяются после «Заново»"));
    connect(seedBox_, &QLineEdit::editingFinished, this, [this] {
        guarded([this] {
            bool ok = false;
            const qulonglong v = seedBox_->text().toULongLong(&ok);
            seed_ = ok ? std::optional<uint64_t>(v) : std::nullopt;
        });
    });
    seedRow->addWidget(seedBox_);
    left->addLayout(seedRow);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("stepsStatus"));
    status_->setWordWrap(true);
    QPalette warn = status_->palette();
    warn.setColor(QPalette::WindowText, QColor(170, 0, 0));
    status_->setPalette(warn);
    left->addWidget(status_);
    left->addStretch(1);

    chart_ = new QChart;
    chart_->setTitle(QStringLiteral("Оценка I<sub>N</sub> после N бросков"));
    estimateSeries_ = new QLineSeries;
    estimateSeries_->setName(QStringLiteral("I<sub>N</sub>"));
    estimateSeries_->setPen(QPen(QColor(0, 0, 200), 2));
    referenceLine_ = new QLineSeries;
    referenceLine_->setPen(QPen(QColor(0, 130, 0), 2, Qt::DashLine));
    bandHigh_ = new QLineSeries;
    bandLow_ = new QLineSeries;
    band_ = new QAreaSeries(bandHigh_, bandLow_);
    // The area does not own its edges: as its children they go with the chart.
    bandHigh_->setParent(band_);
    bandLow_->setParent(band_);
    band_->setName(QStringLiteral("± 1,96σ(N): 95 % оценок"));
    band_->setColor(QColor(255, 200, 0, 90));
    band_->setBorderColor(QColor(200, 150, 0));
    chart_->addSeries(band_);
    chart_->addSeries(referenceLine_);
    chart_->addSeries(estimateSeries_);
    axisN_ = new QLogValueAxis;
    axisN_->setBase(10);
    axisN_->setLabelFormat(QStringLiteral("%g"));
    axisN_->setTitleText(QStringLiteral("N"));
    axisI_ = new QValueAxis;
    axisI_->setTitleText(QStringLiteral("I"));
    chart_->addAxis(axisN_, Qt::AlignBottom);
    chart_->addAxis(axisI_, Qt::AlignLeft);
    for (auto* s : std::initializer_list<QAbstractSeries*>{band_, referenceLine_, estimateSeries_}) {
        s->attachAxis(axisN_);
        s->attachAxis(axisI_);
    }
    auto* view = new QChartView(chart_, this);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(420, 320);
    layout->addWidget(view, 1);
}

QString StepsPanel::number(double v) const {
    return QString::fromStdString(formatPattern(v, "0.000", form_.decimalSeparator()));
}

void StepsPanel::setSeed(std::optional<uint64_t> seed) {
    seed_ = seed;
    seedBox_->setText(seed ? QString::number(qulonglong(*seed)) : QString());
}

void StepsPanel::restart() {
    pause();
    const CalcState& s = form_.state();
    PlotCommands& engine = form_.engine();
    FunctionChoice choice;
    choice.nfun = s.nfun;
    if (s.nfun == 9) choice.temperature = readLeadingNumber(form_.Text2->Text());
    if (s.nfun == 0) {
        choice.expression = form_.Text1->Text();
        if (!host_) host_ = makeScriptHost(budget_);
    }
    evaluator_ = std::make_unique<Evaluator>(std::move(choice), host_.get());
    evaluator_->setStart(s.x, s.y);
    if (seed_)
        random_.fixSeed(*seed_);
    else
        random_.releaseSeed();
    random_.reseedFromClock();
    steps_ = ThrowSteps(ThrowBox{s.a, s.b, s.ymin, s.ymax});
    plotRunsAtStart_ = engine.plotRuns();
    // Before the first plot there is no box to throw into.
    stale_ = plotRunsAtStart_ == 0;
    overlay_->clear();
    overlay_->setVisible(!stale_);
    overlay_->raise();
    estimateSeries_->clear();
    pendingPoints_.clear();
    lowI_ = highI_ = 0;
    axisMaxN_ = 10;
    status_->setText(stale_ ? QStringLiteral("Сначала постройте график.") : QString());
    const StudyTarget target = form_.studyTarget();
    title_->setText(
        QStringLiteral("%1, a = %2, b = %3")
            .arg(target.formula, form_.Label3->Caption().c_str(), form_.Label4->Caption().c_str()));
    startReference();
    showCounts();
}

void StepsPanel::checkPicture() {
    if (!stale_ && form_.engine().plotRuns() != plotRunsAtStart_) markStale();
}

void StepsPanel::markStale() {
    pause();
    stale_ = true;
    overlay_->hide();
    status_->setText(
        QStringLiteral("Рисунок в главном окне изменился. Нажмите «Заново», чтобы бросать в новый "
                       "прямоугольник."));
}

void StepsPanel::add(int k) {
    checkPicture();
    if (stale_ || k <= 0) return;
    budget_.setBudget(budgets::kUserAction);
    TimeBudget::Scope scope(budget_);
    throwSome(k);
    showCounts();
}

void StepsPanel::throwSome(int k) {
    const double area = steps_.box().plain().area();
    int n = steps_.throws(), signedHits = steps_.plus() - steps_.minus();
    // Keep every point while they are few, then every few-th.
    const int every = std::max(1, (n + k) / kChartPoints);
    overlay_->startBatch();
    steps_.add(*evaluator_, k, random_, [&](double x, float yr, ThrowKind kind) {
        overlay_->addThrow(x, yr, kind);
        ++n;
        signedHits += (kind == ThrowKind::Above) - (kind == ThrowKind::Below);
        if (n % every == 0 || n <= kChartPoints) {
            const double estimate = area * signedHits / n;
            pendingPoints_.append(QPointF(n, estimate));
            lowI_ = std::min(lowI_, estimate);
            highI_ = std::max(highI_, estimate);
        }
    });
    overlay_->finishBatch();
}

void StepsPanel::updateChart() {
    // The chart redoes its geometry on every change: one change per step.
    if (!pendingPoints_.isEmpty()) {
        QList<QPointF> all = estimateSeries_->points() + pendingPoints_;
        pendingPoints_.clear();
        // Thin out what is drawn when it has grown too long.
        while (all.size() > 2 * kChartPoints) {
            QList<QPointF> kept;
            for (qsizetype j = 0; j < all.size(); j += 2) kept.append(all[j]);
            kept.append(all.back());
            all = std::move(kept);
        }
        estimateSeries_->replace(all);
    }
    const int n = steps_.throws();
    if (n > axisMaxN_) {
        while (axisMaxN_ < n) axisMaxN_ *= 10;
        updateBand();
    }
    const double margin = std::max(0.05 * (highI_ - lowI_), 1e-3);
    double low = lowI_, high = highI_;
    if (reference_ && std::isfinite(reference_->clippedIntegral)) {
        low = std::min(low, reference_->clippedIntegral);
        high = std::max(high, reference_->clippedIntegral);
    }
    if (low - margin != axisI_->min() || high + margin != axisI_->max())
        axisI_->setRange(low - margin, high + margin);
    if (axisN_->max() != axisMaxN_) axisN_->setRange(1, axisMaxN_);
}

void StepsPanel::showCounts() {
    const int n = steps_.throws(), plus = steps_.plus(), minus = steps_.minus();
    const double area = steps_.box().plain().area();
    const QString share = n > 0 ? QString::number(100.0 * (plus + minus) / n, 'f', 1)
                                          .replace('.', form_.decimalSeparator().c_str()) +
                                      QStringLiteral(" %")
                                : QStringLiteral("—");
    const QString texts[kFigures] = {QString::number(n), QString::number(plus), QString::number(minus), share,
                                     number(area)};
    for (int row = 0; row < kFigures; ++row) figures_[row]->setText(texts[row]);
    const std::optional<float> estimate = steps_.estimate();
    formula_->setText(estimate ? QStringLiteral("I = S·(N₊ − N₋)/N = %1·(%2 − %3)/%4 = %5")
                                     .arg(number(area))
                                     .arg(plus)
                                     .arg(minus)
                                     .arg(n)
                                     .arg(number(*estimate))
                               : QStringLiteral("I = S·(N₊ − N₋)/N"));
    updateChart();
}

void StepsPanel::setSpeed(int perSecond) {
    perSecond_ = std::clamp(perSecond, 1, 100000);
    const int index = speedBox_->findData(perSecond_);
    if (index >= 0) speedBox_->setCurrentIndex(index);
    timer_.setInterval(std::max(kStepIntervalMs, 1000 / perSecond_));
}

void StepsPanel::play() {
    checkPicture();
    if (stale_) return;
    owed_ = 0;
    sinceTick_.start();
    timer_.start();
    playButton_->setText(QStringLiteral("Пауза"));
}

void StepsPanel::pause() {
    timer_.stop();
    if (playButton_) playButton_->setText(QStringLiteral("Пуск"));
}

void StepsPanel::tick() {
    QElapsedTimer busy;
    busy.start();
    // The step's cost is the window thread's processor time: on a loaded
    // machine the clock also counts the time other programs had the core.
    const double cpuStart = threadCpuMs();
    checkPicture();
    if (stale_) return;
    budget_.setBudget(budgets::kAnimationStep);
    TimeBudget::Scope scope(budget_);
    // Throw what the speed asks for since the last step; a slow f throws
    // fewer and the rest is let go, so the window never falls behind.
    owed_ += perSecond_ * sinceTick_.restart() / 1000.0;
    int want = static_cast<int>(owed_);
    owed_ -= want;
    while (want > 0 && busy.elapsed() < kStepBudgetMs) {
        const int k = std::min(want, kPiece);
        throwSome(k);
        want -= k;
    }
    showCounts();
    longestStepMs_ = std::max(longestStepMs_, threadCpuMs() - cpuStart);
}

void StepsPanel::startReference() {
    if (cancelReference_) cancelReference_->store(true);
    reference_.reset();
    referenceLine_->clear();
    bandHigh_->clear();
    bandLow_->clear();
    referenceLine_->setName(QStringLiteral("I* не вычислен"));
    if (stale_) return;
    const StudyTarget target = form_.studyTarget();
    if (!target.integrand) return;
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    cancelReference_ = cancel;
    std::shared_ptr<study::Integrand> f = target.integrand();
    const Box box = steps_.box().plain();
    referenceJob_ = std::async(std::launch::async,
                               [f, box, cancel] { return study::computeReference(*f, box, *cancel).result; });
    referencePoll_.start();
}

void StepsPanel::pollReference() {
    if (!referenceJob_.valid()) return referencePoll_.stop();
    if (referenceJob_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return;
    referencePoll_.stop();
    study::Reference r = referenceJob_.get();
    if (cancelReference_ && cancelReference_->load()) return;
    reference_ = r;
    updateBand();
    showCounts();
}

void StepsPanel::updateBand() {
    referenceLine_->clear();
    bandHigh_->clear();
    bandLow_->clear();
    if (!reference_) return;
    const study::Reference& r = *reference_;
    if (r.reliable()) {
        referenceLine_->setName(QStringLiteral("I* = %1").arg(number(r.value)));
        referenceLine_->append({QPointF(1, r.value), QPointF(axisMaxN_, r.value)});
    } else {
        referenceLine_->setName(QStringLiteral("I* ненадёжен: не показан"));
    }
    const double area = steps_.box().plain().area();
    if (!std::isfinite(r.clippedIntegral) || area == 0) return;
    const double p = r.clippedAbsIntegral / area, q = r.clippedIntegral / area;
    // The band is centred where the method converges: the integral of f
    // clipped to the box, the integral itself when the box holds the graph.
    const double centre = r.clippedIntegral;
    for (int j = 0; j <= 60; ++j) {
        const double n = std::pow(axisMaxN_, j / 60.0);
        const double half = kZ95 * hitOrMissSigma(area, p, q, n);
        bandHigh_->append(n, centre + std::min(half, std::fabs(area)));
        bandLow_->append(n, centre - std::min(half, std::fabs(area)));
    }
}

void StepsPanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void StepsPanel::closeEvent(QCloseEvent* event) {
    pause();
    overlay_->hide();
    event->accept();
}

void StepsPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!stale_) overlay_->show();
}

}  // namespace mcplot
