#include "studywindow/page_data.h"

#include <vector>

namespace mcplot {

namespace {

using study::CsvWriter;

// What was studied: the function, its interval and the box of throws.
void writeTarget(CsvWriter& csv, const StudyTarget& target, const study::Box& box) {
    csv.text("параметр").text("значение").endLine();
    csv.text("функция").text(target.formula.toStdString()).endLine();
    csv.text("a").number(box.a).endLine();
    csv.text("b").number(box.b).endLine();
    csv.text("ymin").number(box.ymin).endLine();
    csv.text("ymax").number(box.ymax).endLine();
}

void row(CsvWriter& csv, const char* name, double value) {
    csv.text(name).number(value).endLine();
}

// Columns of equal length headed by their names; a missing value is an empty field.
template <class N>
void curves(CsvWriter& csv, const std::vector<N>& xs, const std::vector<std::string>& names,
            const std::vector<const std::vector<double>*>& columns) {
    csv.endLine();
    for (const std::string& name : names) csv.text(name);
    csv.endLine();
    for (size_t k = 0; k < xs.size(); ++k) {
        csv.number(xs[k]);
        for (const std::vector<double>* c : columns) csv.number(k < c->size() ? (*c)[k] : study::nan);
        csv.endLine();
    }
}

}  // namespace

std::string accuracyCsv(const StudyTarget& target, const study::StudySettings& settings,
                        const study::StudyResults& r, study::CsvStyle style) {
    CsvWriter csv(style);
    const study::Summary& s = r.summary;
    writeTarget(csv, target, settings.box);
    csv.text("N").number(settings.throws).endLine();
    csv.text("зерно").number(settings.seed).endLine();
    csv.text("Nmax").number(settings.maxThrows).endLine();
    csv.text("M").number(settings.runs).endLine();
    row(csv, "I*", r.hasReference ? r.reference.value : study::nan);
    row(csv, "погрешность I*", r.hasReference ? r.reference.error : study::nan);
    csv.text("вердикт").text(r.reference.verdict).endLine();
    if (s.clipped) {
        row(csv, "интеграл f, обрезанной прямоугольником", s.clippedIntegral);
        row(csv, "смещение метода", s.clippedBias);
    }
    row(csv, "I Монте-Карло (главное окно)", s.mainCurrent ? s.monteCarlo : study::nan);
    row(csv, "его ошибка |I − I*|", s.mainCurrent ? s.monteCarloError : study::nan);
    row(csv, "95 % интервал: от", s.mainCurrent ? s.intervalLow : study::nan);
    row(csv, "95 % интервал: до", s.mainCurrent ? s.intervalHigh : study::nan);
    row(csv, "доля синих бросков в расчёте", s.mainCurrent ? s.observedShare : study::nan);
    row(csv, "доля синих бросков по теории p", s.blueShare);
    row(csv, "q = I/S", s.meanShare);
    row(csv, "S", s.area);
    row(csv, "σ", s.sigma);
    row(csv, "σ̂ по броскам расчёта", s.mainCurrent ? s.runSigma : study::nan);
    row(csv, "I трапеций главного окна", s.mainCurrent ? s.trapezoid : study::nan);
    row(csv, "I трапеций, двойная точность", s.trapezoidOwn);
    row(csv, "их ошибка |I − I*|", s.trapezoidOwnError);
    csv.text("опытов проведено").number(r.runsDone).endLine();
    row(csv, "среднее их результатов", r.meanEstimate);
    row(csv, "доля интервалов, накрывших I*", r.coverage);

    const study::Convergence& c = r.convergence;
    curves(
        csv, c.n,
        {"N", "ошибка одного опыта: попадания", "ошибка одного опыта: среднее f", "ср. кв. ошибка: попадания",
         "ср. кв. ошибка: среднее f", "σ попаданий", "σ среднего f"},
        {&c.hitOrMiss, &c.meanValue, &c.rmsHitOrMiss, &c.rmsMeanValue, &c.hitOrMissSigma, &c.meanValueSigma});
    curves(csv, c.trapezoidN, {"n интервалов", "ошибка трапеций"}, {&c.trapezoidError});

    const study::Histogram& h = r.histogram;
    csv.endLine().text("результат от").text("до").text("число опытов").endLine();
    for (size_t k = 0; k < h.counts.size() && k + 1 < h.edges.size(); ++k)
        csv.number(h.edges[k]).number(h.edges[k + 1]).number(h.counts[k]).endLine();
    return std::move(csv).result();
}

std::string methodsCsv(const StudyTarget& target, const study::MethodsSettings& settings,
                       const study::Reference& reference, const study::MethodsResults& r,
                       study::CsvStyle style) {
    CsvWriter csv(style);
    writeTarget(csv, target, settings.box);
    csv.text("N").number(settings.n).endLine();
    csv.text("Nmax").number(settings.maxN).endLine();
    csv.text("M").number(settings.runs).endLine();
    csv.text("опытов на каждое N графика").number(settings.chartRuns).endLine();
    csv.text("точек в страте P").number(settings.perStratum).endLine();
    csv.text("зерно").number(settings.seed).endLine();
    row(csv, "I*", reference.value);
    csv.text("вердикт").text(reference.verdict).endLine();

    csv.endLine();
    for (const char* name :
         {"метод", "I, последний опыт", "|I − I*|", "σ по M опытам", "σ̂ опыта", "σ̂ по точкам", "выигрыш",
          "цена", "эффективность", "наклон", "опытов", "примечание"})
        csv.text(name);
    csv.endLine();
    for (const study::MethodResult& m : r.methods) {
        csv.text(study::methodInfo(m.method).title);
        for (double v : {m.estimate, m.error, m.sigma, m.standardError}) csv.number(v);
        csv.number(m.ownError ? 1 : 0);
        for (double v : {m.factor, m.cost, m.efficiency, m.slope}) csv.number(v);
        csv.number(m.runsDone).text(m.note).endLine();
    }

    std::vector<std::string> names{"N"};
    std::vector<const std::vector<double>*> columns;
    for (const study::MethodResult& m : r.methods) {
        names.push_back(std::string("ср. кв. ошибка: ") + study::methodInfo(m.method).title);
        columns.push_back(&m.rms);
    }
    curves(csv, r.chartN, names, columns);
    return std::move(csv).result();
}

}  // namespace mcplot
