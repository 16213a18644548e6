// "Бросать по шагам…": a panel beside the main window that throws points into
// the box of the last plot one at a time, ten, a hundred or a thousand at a
// time, or animated, while the class watches the counts and the estimate
// settle. The throws are drawn on a layer above the plot, never into the
// plot's own picture, and the panel reads but never writes the main window's
// state; any redraw of the plot ends the demonstration.
#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QPointF>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <future>
#include <memory>
#include <optional>

#include "core/time_budget.h"
#include "core/evaluation.h"
#include "core/random.h"
#include "core/script_host.h"
#include "core/throw_steps.h"
#include "study/reference.h"

class QChart;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QLineSeries;
class QAreaSeries;
class QValueAxis;
class QLogValueAxis;

namespace mcplot {

class Form1;
class ThrowOverlay;

class StepsPanel : public QWidget {
    Q_OBJECT
public:
    explicit StepsPanel(Form1& form);
    ~StepsPanel() override;

    // "Заново": the current entry, limits and box of the last plot, the seed
    // from its field, no throws yet.
    void restart();
    // The seed of the next restart; none: from the clock.
    void setSeed(std::optional<uint64_t> seed);
    // Throws k more points now (nothing once the picture has changed).
    void add(int k);
    // Animation at `perSecond` throws a second.
    void setSpeed(int perSecond);
    void play();
    void pause();
    bool playing() const { return timer_.isActive(); }

    // Called after every action of the main window: a redrawn plot ends the
    // demonstration.
    void checkPicture();

    bool stale() const { return stale_; }
    const ThrowSteps& steps() const { return steps_; }
    // The longest time one animation step kept the window's thread, in ms.
    // The longest processor time of the window thread one animation step took.
    double longestStepMs() const { return longestStepMs_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    void tick();
    void throwSome(int k);
    void showCounts();
    void updateChart();
    void markStale();
    void startReference();
    void pollReference();
    void updateBand();
    QString number(double v) const;

    Form1& form_;
    QPointer<ThrowOverlay> overlay_;
    // The user's expression gets a time limit per click and per animation
    // step, as the main window's actions do.
    TimeBudget budget_;
    std::unique_ptr<ScriptHost> host_;
    std::unique_ptr<Evaluator> evaluator_;
    ClockRandom random_;
    std::optional<uint64_t> seed_;
    ThrowSteps steps_;
    int plotRunsAtStart_ = -1;
    bool stale_ = true;
    QTimer timer_;
    int perSecond_ = 10;
    double owed_ = 0;  // throws the animation is behind its speed
    QElapsedTimer sinceTick_;
    double longestStepMs_ = 0;

    // Reference value and the theory's band, computed off the window's thread.
    std::shared_ptr<std::atomic<bool>> cancelReference_;
    std::future<study::Reference> referenceJob_;
    std::optional<study::Reference> reference_;
    QTimer referencePoll_;

    QLabel* title_ = nullptr;
    static constexpr int kFigures = 5;
    QLabel* figures_[kFigures] = {};
    QLabel* formula_ = nullptr;
    QLabel* status_ = nullptr;
    QLineEdit* seedBox_ = nullptr;
    QComboBox* speedBox_ = nullptr;
    QPushButton* playButton_ = nullptr;
    QChart* chart_ = nullptr;
    QLineSeries* estimateSeries_ = nullptr;
    QLineSeries* referenceLine_ = nullptr;
    QLineSeries* bandHigh_ = nullptr;
    QLineSeries* bandLow_ = nullptr;
    QAreaSeries* band_ = nullptr;
    QLogValueAxis* axisN_ = nullptr;
    QValueAxis* axisI_ = nullptr;
    double axisMaxN_ = 10;
    double lowI_ = 0, highI_ = 0;
    QList<QPointF> pendingPoints_;  // estimates not yet on the chart
};

}  // namespace mcplot
