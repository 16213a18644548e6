// The modeless window "Точность метода Монте-Карло": runs a study of the
// method's error for the main window's current function off the window's
// thread and draws the summary, the convergence on log-log axes and the
// histogram of repeated experiments, with a progress bar and Cancel.
#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/run_record.h"
#include "study/csv.h"
#include "study/study.h"

class QCategoryAxis;
class QChart;
class QChartView;
class QGridLayout;
class QLabel;
class QLineSeries;
class QAreaSeries;
class QScrollArea;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTimer;

namespace mcplot {

class MethodsPage;

// The main window's current function, limits, box of the last plot and
// number of throws, with the record of its last Monte Carlo run.
struct StudyTarget {
    QString entry;    // the list entry, "парабола"
    QString formula;  // f(x) as the user reads it
    study::Box box;
    int64_t throws = 0;
    RunInputs inputs;                  // what a run would use now
    std::optional<RunRecord> mainRun;  // the last run, whatever it was for
    std::string decimalSeparator = ".";
    study::IntegrandFactory integrand;
    bool expression = false;  // the user's expression rather than a built-in formula

    bool mainCurrent() const { return mainRun && !changesBetween(mainRun->inputs, inputs).any(); }

    // Everything but the factory: two targets with the same key study the same thing.
    QString key() const;
};

class StudyWindow : public QWidget {
    Q_OBJECT
public:
    // source gives the main window's current target; it is asked again on
    // every run and whenever the window checks whether it is out of date.
    explicit StudyWindow(std::function<StudyTarget()> source, QWidget* parent = nullptr);
    ~StudyWindow() override;

    void setSeed(uint64_t seed);
    uint64_t seed() const;
    void setMaxThrows(int64_t n);  // 10³..10⁷
    int64_t maxThrows() const;
    void setRuns(int m);  // 10..10000
    int runs() const;

    // Starts a study of the current target; results come in as they are ready.
    void run();
    // Runs a study to its end before returning.
    void runToEnd();
    void cancel();
    bool running() const;

    // Shows the main window's current function when nothing has been studied
    // yet; otherwise marks the results out of date if it changed.
    void refreshTarget();
    // Whether the main window has changed since the shown results were made.
    bool outOfDate();
    // The results shown (empty before the first run).
    const study::StudyResults& results() const { return results_; }
    const StudyTarget& target() const { return target_; }
    bool hasResults() const { return hasResults_; }

    // Saves a chart ("convergence" or "histogram") as PNG; false when it cannot.
    // Says on the status line where the file went or, naming it, why it did not.
    bool saveChart(const QString& which, const QString& file);
    // Saves the page's numbers as CSV and says where on the status line; ""
    // on success, else what went wrong, naming the file and the reason.
    QString saveData(const QString& path, study::CsvStyle style);

    QLabel* statusLabel() const { return status_; }
    // The page "Методы" once it has been shown, else null; showing it makes it.
    MethodsPage* methodsPage() const { return methods_; }
    void showMethodsPage();
    // The size the content needs without scrolling.
    QSize contentMinimumSize() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void poll();
    void showResults();
    void showSummary();
    void drawConvergence();
    void drawHistogram();
    void showStatus();
    void askSaveChart(const QString& which);
    void askSaveData();
    // The status line after saving: `saved`, or the failure in red.
    void tellSaved(const QString& failure, const QString& saved);
    void refreshHeader();
    void makeMethodsPage();
    QString num(double v, int digits) const;
    // A fixed text with "1,96" written with the main window's separator.
    QString withSeparator(QString text) const;
    struct Row {
        QLabel* name = nullptr;
        QLabel* value = nullptr;
    };
    // Shows one summary row; the rows not shown in a pass are hidden.
    void setRow(const char* id, const QString& value, const QString& name = {});

    std::function<StudyTarget()> source_;
    StudyTarget target_;
    std::unique_ptr<study::Study> study_;
    study::StudyResults results_;
    bool hasResults_ = false;
    bool stale_ = false;

    QLabel* header_ = nullptr;
    QLineEdit* seedEdit_ = nullptr;
    QSpinBox* maxThrowsBox_ = nullptr;
    QSpinBox* runsBox_ = nullptr;
    QPushButton* runButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QWidget* content_ = nullptr;
    QLabel* verdict_ = nullptr;
    QGridLayout* rowsLayout_ = nullptr;
    std::vector<std::pair<std::string, Row>> rows_;
    std::vector<std::string> shownRows_;
    QLabel* conclusion_ = nullptr;
    QChart* convergenceChart_ = nullptr;
    QChartView* convergenceView_ = nullptr;
    QLabel* convergenceNote_ = nullptr;
    QLineSeries *rmsHit_ = nullptr, *rmsMean_ = nullptr, *hitSigma_ = nullptr, *meanSigma_ = nullptr,
                *oneRun_ = nullptr, *trapN_ = nullptr, *trap100_ = nullptr;
    QCategoryAxis *convergenceX_ = nullptr, *convergenceY_ = nullptr;
    QChart* histogramChart_ = nullptr;
    QChartView* histogramView_ = nullptr;
    QLineSeries *barsUpper_ = nullptr, *barsLower_ = nullptr, *density_ = nullptr, *exactLine_ = nullptr,
                *centerLine_ = nullptr;
    QAreaSeries* bars_ = nullptr;
    QCategoryAxis *histogramX_ = nullptr, *histogramY_ = nullptr;
    QLabel* coverage_ = nullptr;
    QTimer* timer_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QWidget* methodsTab_ = nullptr;
    MethodsPage* methods_ = nullptr;
};

namespace texts {
inline constexpr const char* studyCaption = "Точность метода Монте-Карло";
}

}  // namespace mcplot
