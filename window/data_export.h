// The last Monte Carlo run as CSV for a spreadsheet: its parameters, then one
// line per throw.
#pragma once

#include <span>
#include <string>

#include "commands/plot_commands.h"
#include "core/run_record.h"
#include "study/csv.h"

namespace mcplot {

using study::CsvStyle;

namespace texts {
inline constexpr const char* dataSavedTitle = "Данные сохранены";
inline constexpr const char* dataFailedTitle = "Данные не сохранены";
inline constexpr const char* noRunForData = "Нет данных: сначала выполните расчёт кнопкой «Монте-Карло».";
}  // namespace texts

// Numbers are written in the shortest form that reads back to the same value.
std::string runCsv(const RunRecord& run, const std::string& formula,
                   std::span<const PlotCommands::ThrownPoint> throws, CsvStyle style);

}  // namespace mcplot
