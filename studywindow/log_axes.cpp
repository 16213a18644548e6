#include "studywindow/log_axes.h"

#include <QCategoryAxis>
#include <QXYSeries>

#include <algorithm>

#include "study/number_text.h"

namespace mcplot {

QString decadeLabel(int k, const std::string& separator) {
    if (k >= -2 && k <= 2) return QString::fromStdString(study::plainNumber(std::pow(10.0, k), 1, separator));
    static const char* const digits[] = {"⁰", "¹", "²", "³", "⁴", "⁵", "⁶", "⁷", "⁸", "⁹"};
    QString power = k < 0 ? QStringLiteral("⁻") : QString();
    for (QChar c : QString::number(std::abs(k))) power += QString::fromUtf8(digits[c.digitValue()]);
    return QStringLiteral("10") + power;
}

void labelDecades(QCategoryAxis* axis, double from, double to, const std::string& separator, int every) {
    for (const QString& label : axis->categoriesLabels()) axis->remove(label);
    const int low = static_cast<int>(std::ceil(from)), high = static_cast<int>(std::floor(to));
    if (every <= 0) every = high - low > 10 ? 3 : high - low > 6 ? 2 : 1;
    for (int k = low; k <= high; ++k)
        if ((k - low) % every == 0) axis->append(decadeLabel(k, separator), k);
    axis->setRange(from, to);
}

std::pair<double, double> decadeRange(const QList<QXYSeries*>& series) {
    double low = INFINITY, high = -INFINITY;
    for (const QXYSeries* s : series)
        for (const QPointF& p : s->points()) {
            low = std::min(low, p.y());
            high = std::max(high, p.y());
        }
    if (!(high >= low)) return {-6, 0};
    low = std::floor(std::max(low, high - 14));
    high = std::ceil(high);
    if (high <= low) high = low + 1;
    return {low, high};
}

}  // namespace mcplot
