// The study window on its own: a run in the background with its progress bar
// and buttons, partial results while it runs, and Cancel.
#include <gtest/gtest.h>

#include <QChartView>
#include <QCoreApplication>
#include <QLegend>
#include <QLegendMarker>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QtCharts/QChartView>

#include <chrono>
#include <cmath>
#include <thread>

#include "studywindow/methods_page.h"
#include "studywindow/study_window.h"

namespace mcplot {
namespace {

using namespace std::chrono;

// A parabola target; slow makes every evaluation take a while.
StudyTarget parabola(bool slow) {
    StudyTarget t;
    t.entry = "парабола";
    t.formula = "f(x) = x²";
    t.box = study::Box{0, 3, 0, 9};
    t.throws = 200;
    t.integrand = study::factoryOf([slow](double x) {
        double y = x * x;
        if (slow)
            for (int k = 0; k < 400; ++k) y = std::sqrt(y * y + 1e-300);
        return y;
    });
    return t;
}

void waitWhileRunning(StudyWindow& w, milliseconds limit) {
    const auto end = steady_clock::now() + limit;
    while (w.running() && steady_clock::now() < end) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(milliseconds(5));
    }
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(milliseconds(60));
    QCoreApplication::processEvents();
}

TEST(StudyWindow, RunsInTheBackgroundWithProgressAndButtons) {
    StudyWindow w([] { return parabola(false); });
    auto* run = w.findChild<QPushButton*>("run");
    auto* cancel = w.findChild<QPushButton*>("cancel");
    auto* bar = w.findChild<QProgressBar*>();
    ASSERT_TRUE(run && cancel && bar);
    EXPECT_EQ(w.windowTitle(), "Точность метода Монте-Карло");
    EXPECT_FALSE(cancel->isEnabled());
    EXPECT_GT(w.seed(), 0u);  // filled at random
    EXPECT_EQ(w.maxThrows(), 100'000);
    EXPECT_EQ(w.runs(), 200);

    w.setSeed(11);
    w.setMaxThrows(20'000);
    w.setRuns(20);
    run->click();
    EXPECT_FALSE(run->isEnabled());
    waitWhileRunning(w, seconds(60));
    EXPECT_TRUE(w.results().finished);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_TRUE(run->isEnabled());
    EXPECT_FALSE(cancel->isEnabled());
    EXPECT_NEAR(w.results().reference.value, 9, 1e-12);
    EXPECT_EQ(w.results().convergence.n.back(), 20'000);
    EXPECT_EQ(w.results().runsDone, 20);
}

TEST(StudyWindow, CancelStopsARunAndKeepsWhatWasDone) {
    StudyWindow w([] { return parabola(true); });
    w.setSeed(3);
    w.setMaxThrows(10'000'000);
    w.run();
    std::this_thread::sleep_for(milliseconds(300));
    QCoreApplication::processEvents();
    ASSERT_TRUE(w.running());
    const auto before = steady_clock::now();
    w.findChild<QPushButton*>("cancel")->click();
    const auto took = duration_cast<milliseconds>(steady_clock::now() - before);
    EXPECT_LT(took, milliseconds(1000));  // 100 ms when the machine is idle
    EXPECT_FALSE(w.running());
    EXPECT_TRUE(w.results().cancelled);
    EXPECT_NE(w.statusLabel()->text().indexOf("отменён"), -1);
}

TEST(StudyWindow, MarksResultsOutOfDateWhenTheTargetChanges) {
    int throws = 200;
    StudyWindow w([&throws] {
        StudyTarget t = parabola(false);
        t.throws = throws;
        return t;
    });
    EXPECT_FALSE(w.outOfDate());  // nothing shown yet
    w.setMaxThrows(1000);
    w.setRuns(10);
    w.runToEnd();
    EXPECT_FALSE(w.outOfDate());
    throws = 400;
    EXPECT_TRUE(w.outOfDate());
    w.runToEnd();
    EXPECT_FALSE(w.outOfDate());
    EXPECT_EQ(w.results().summary.throws, 400);
}

TEST(StudyWindow, HeaderShowsTheStartOfAVeryLongFormula) {
    // As long as the expression box allows: laying it all out in the wrapped
    // header took seconds of the window's time.
    StudyTarget long_ = parabola(false);
    long_.formula = QStringLiteral("f(x) = ") + QString(131072, QLatin1Char('('));
    StudyWindow w([&] { return long_; });
    auto* header = w.findChild<QLabel*>("header");
    ASSERT_TRUE(header);
    const auto started = steady_clock::now();
    w.show();
    w.run();
    QCoreApplication::processEvents();
    EXPECT_LT(steady_clock::now() - started, seconds(2));
    // What the reader sees: the zero-width places where a line may break do not show.
    const auto seen = [](const QLabel* label) { return QString(label->text()).remove(QChar(0x200B)); };
    EXPECT_LT(seen(header).size(), 1000);
    EXPECT_TRUE(seen(header).contains(QStringLiteral("f(x) = ((((")));
    EXPECT_TRUE(seen(header).contains(QStringLiteral("…")));
    w.cancel();

    // A short one is shown whole.
    StudyWindow shortOne([] { return parabola(false); });
    shortOne.run();
    EXPECT_TRUE(seen(shortOne.findChild<QLabel*>("header")).contains(QStringLiteral("f(x) = x² на отрезке")));
    shortOne.cancel();
}

TEST(StudyWindow, EveryFigureExplainsItselfInTheMainWindowsNotationAndFitsAProjector) {
    // A current run of the main window with a comma separator, a box that cuts
    // the graph, and a long formula: the most the summary ever shows.
    StudyTarget t = parabola(false);
    t.box.ymax = 4;
    t.formula = QStringLiteral("f(x) = ") + QString(190, QLatin1Char('x'));
    t.decimalSeparator = ",";
    RunRecord run;
    run.box = t.box;
    run.inputs.throws = 200;
    run.blueAbove = 120;
    run.red = 80;
    run.monteCarlo = 7.2;
    run.trapezoid = 9.00045;
    t.inputs = run.inputs;
    t.mainRun = run;
    StudyWindow w([&] { return t; });
    w.setMaxThrows(10'000);
    w.setRuns(20);
    w.runToEnd();
    ASSERT_TRUE(w.results().summary.clipped);
    int shown = 0;
    for (const QLabel* label : w.findChild<QWidget*>("summary")->findChildren<QLabel*>()) {
        if (label->isHidden() || label->text().isEmpty() || label->objectName() == "conclusion") continue;
        ++shown;
        EXPECT_FALSE(label->toolTip().isEmpty()) << label->text().toStdString();
        EXPECT_FALSE(label->text().contains(QRegularExpression(QStringLiteral("[0-9]\\.[0-9]|e[-+][0-9]"))))
            << label->text().toStdString();
    }
    EXPECT_GT(shown, 30);
    for (const QWidget* chart : w.findChildren<QChartView*>()) EXPECT_FALSE(chart->toolTip().isEmpty());
    const QSize minimum = w.contentMinimumSize();
    EXPECT_LE(minimum.width(), 1000);
    EXPECT_LE(minimum.height(), 680);
}

}  // namespace
}  // namespace mcplot

namespace mcplot {
namespace {

TEST(MethodsPage, EachRowExplainsItsMethodAndSwitchesItsLine) {
    MethodsPage page([] { return parabola(false); }, {});
    auto* table = page.findChild<QTableWidget*>("methodsTable");
    auto* view = page.findChild<QChartView*>("methodsChart");
    ASSERT_TRUE(table && view);
    EXPECT_EQ(page.n(), 200);  // the main window's N
    const QList<QAbstractSeries*> lines = view->chart()->series();
    ASSERT_EQ(lines.size(), study::methodCount);
    for (int m = 0; m < study::methodCount; ++m) {
        const study::MethodInfo& info = study::methodInfos()[static_cast<size_t>(m)];
        SCOPED_TRACE(info.name);
        QTableWidgetItem* name = table->item(m, 0);
        EXPECT_EQ(name->text(), QString::fromUtf8(info.title));
        EXPECT_TRUE(name->toolTip().contains(QString::fromUtf8(info.formula).toHtmlEscaped()));
        EXPECT_TRUE(name->toolTip().contains(QString::fromUtf8(info.description).toHtmlEscaped()));
        name->setCheckState(Qt::Unchecked);
        EXPECT_FALSE(page.shown(info.method));
        EXPECT_FALSE(lines[m]->isVisible());
        page.setShown(info.method, true);
        EXPECT_EQ(name->checkState(), Qt::Checked);
        EXPECT_TRUE(lines[m]->isVisible());
    }

    // After a run has renamed every line with its slope, the legend still switches them.
    page.setN(100);
    page.setMaxN(1000);
    page.setRuns(10);
    page.runToEnd();
    EXPECT_TRUE(page.results().finished);
    EXPECT_NEAR(page.reference().value, 9, 1e-12);
    for (int m = 0; m < study::methodCount; ++m) {
        EXPECT_TRUE(lines[m]->name().contains(QChar(0x2212))) << lines[m]->name().toStdString();
        const QList<QLegendMarker*> markers = view->chart()->legend()->markers(lines[m]);
        ASSERT_EQ(markers.size(), 1);
        emit markers[0]->clicked();
        EXPECT_FALSE(lines[m]->isVisible());
        EXPECT_EQ(table->item(m, 0)->checkState(), Qt::Unchecked);
    }
}

}  // namespace
}  // namespace mcplot
