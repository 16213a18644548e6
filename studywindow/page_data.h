// The study window's pages as CSV for a spreadsheet: what was studied, then
// each table and curve of the page as a table of its own, the tables
// separated by an empty line, numbers in full precision.
#pragma once

#include <string>

#include "study/csv.h"
#include "study/methods.h"
#include "study/study.h"
#include "studywindow/study_window.h"

namespace mcplot {

// "Точность": the summary's figures, the convergence curves, the trapezoid
// errors and the histogram of the repeated experiments.
std::string accuracyCsv(const StudyTarget& target, const study::StudySettings& settings,
                        const study::StudyResults& results, study::CsvStyle style);

// "Методы": one line per method as in the table, then the RMS error of each
// method at every N of the chart.
std::string methodsCsv(const StudyTarget& target, const study::MethodsSettings& settings,
                       const study::Reference& reference, const study::MethodsResults& results,
                       study::CsvStyle style);

}  // namespace mcplot
