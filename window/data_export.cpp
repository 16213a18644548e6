#include "window/data_export.h"

namespace mcplot {

std::string runCsv(const RunRecord& run, const std::string& formula,
                   std::span<const PlotCommands::ThrownPoint> throws, CsvStyle style) {
    study::CsvWriter csv(style);
    csv.text("параметр").text("значение").endLine();
    csv.text("функция").text(formula).endLine();
    csv.text("a").number(run.inputs.a).endLine();
    csv.text("b").number(static_cast<float>(run.inputs.b)).endLine();
    csv.text("ymin").number(run.box.ymin).endLine();
    csv.text("ymax").number(static_cast<float>(run.box.ymax)).endLine();
    csv.text("S").number(run.box.area()).endLine();
    csv.text("N").number(run.inputs.throws).endLine();
    csv.text("N+").number(run.blueAbove).endLine();
    csv.text("N-").number(run.blueBelow).endLine();
    csv.text("I Монте-Карло");
    run.monteCarlo ? csv.number(static_cast<float>(*run.monteCarlo)) : csv.text("");
    csv.endLine();
    csv.text("I трапеций");
    run.trapezoid ? csv.number(*run.trapezoid) : csv.text("");
    csv.endLine().endLine();

    csv.text("x").text("y").text("цвет").text("учёт").endLine();
    for (const PlotCommands::ThrownPoint& t : throws) {
        const int counted = t.kind == ThrowKind::Above ? 1 : t.kind == ThrowKind::Below ? -1 : 0;
        csv.number(t.x)
            .number(t.yr)
            .text(t.kind == ThrowKind::Miss ? "красный" : "синий")
            .number(counted)
            .endLine();
    }
    return std::move(csv).result();
}

}  // namespace mcplot
