// The study window's page "Методы": how far each way of beating 1/√N brings
// the error down for the main window's function — a table of one N, M runs
// each, and the RMS error of every method against N on log–log axes.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QWidget>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "study/csv.h"
#include "study/methods.h"
#include "study/reference.h"
#include "studywindow/study_window.h"

class QCategoryAxis;
class QChart;
class QChartView;
class QLabel;
class QLineEdit;
class QLineSeries;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;

namespace mcplot {

class MethodsPage : public QWidget {
    Q_OBJECT
public:
    // The accuracy page's reference value for a target, when it has one.
    using KnownReference = std::function<std::optional<study::Reference>(const StudyTarget&)>;

    // Runs at each N of the chart for the user's expression: one evaluation
    // costs a hundred times a built-in formula's
    // and more.
    static constexpr int expressionChartRuns = 16;

    MethodsPage(std::function<StudyTarget()> source, KnownReference known, QWidget* parent = nullptr);
    ~MethodsPage() override;

    void setN(int64_t n);  // 10..10⁷
    int64_t n() const;
    void setMaxN(int64_t n);  // 100..10⁷
    int64_t maxN() const;
    void setRuns(int m);  // 10..10000
    int runs() const;
    void setPerStratum(int p);  // 1..1000
    int perStratum() const;
    void setSeed(uint64_t seed);
    uint64_t seed() const;

    // Computes the reference value unless the accuracy page has it, then
    // runs every method; results come in as they are ready.
    void run();
    void runToEnd();
    void cancel();
    bool running() const;

    // Takes the main window's current function while nothing has been run;
    // afterwards marks the results out of date when it changed.
    void refreshTarget();
    bool outOfDate();

    const study::MethodsResults& results() const { return results_; }
    const study::Reference& reference() const { return reference_; }
    bool referenceReused() const { return referenceReused_; }
    int chartRuns() const { return chartRuns_; }  // of the last run
    QLabel* statusLabel() const { return status_; }

    // Saves the table and the chart's points as CSV and says where on the
    // status line; "" on success, else what went wrong, naming the file and the reason.
    QString saveData(const QString& path, study::CsvStyle style);

    // Whether a method's line is drawn on the chart.
    void setShown(study::Method method, bool shown);
    bool shown(study::Method method) const;

private:
    void startRunner();
    void poll();
    void showResults();
    void fillTable();
    void drawChart();
    void showStatus();
    void askSaveData();
    void refreshHeader();
    QString targetKey(const StudyTarget& t) const;
    QString num(double v, int digits) const;
    QString slopeText(double slope) const;

    std::function<StudyTarget()> source_;
    KnownReference known_;
    StudyTarget target_;
    bool hasRun_ = false;
    bool stale_ = false;

    // The reference value when the accuracy page has none: computed on a
    // thread of its own before the methods start.
    std::thread referenceThread_;
    std::unique_ptr<study::Integrand> referenceIntegrand_;
    std::atomic<bool> referenceCancel_{false};
    std::atomic<bool> referenceDone_{false};
    study::ReferenceOutcome computedReference_;  // written by the thread, read once it is joined
    // f's failure that stopped the last computed reference.
    std::optional<EvaluationFailure> referenceFailure_;
    study::Reference reference_;
    bool referenceReused_ = false;
    bool computingReference_ = false;

    study::MethodsSettings settings_;  // of the last run
    std::unique_ptr<study::MethodsRunner> runner_;
    study::MethodsResults results_;
    int chartRuns_ = 0;
    QElapsedTimer clock_;  // since Run
    int64_t chartMaxN_ = 0;
    std::array<bool, study::methodCount> shown_{};

    QLabel* header_ = nullptr;
    QSpinBox* nBox_ = nullptr;
    QSpinBox* maxNBox_ = nullptr;
    QSpinBox* runsBox_ = nullptr;
    QSpinBox* perStratumBox_ = nullptr;
    QLineEdit* seedEdit_ = nullptr;
    QPushButton* runButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* notes_ = nullptr;
    QChart* chart_ = nullptr;
    QChartView* chartView_ = nullptr;
    std::array<QLineSeries*, study::methodCount> lines_{};
    QCategoryAxis *chartX_ = nullptr, *chartY_ = nullptr;
    QLabel* chartNote_ = nullptr;
    QTimer* timer_ = nullptr;
};

}  // namespace mcplot
