// A spin box showing its count as the rest of the study window does: 100 000,
// whatever the system's locale would group it with.
#pragma once

#include <QRegularExpression>
#include <QSpinBox>

#include "study/number_text.h"

namespace mcplot {

class CountSpinBox : public QSpinBox {
protected:
    QString textFromValue(int value) const override {
        return QString::fromStdString(study::plainCount(value));
    }
    int valueFromText(const QString& text) const override {
        QString digits = text;
        digits.remove(QRegularExpression(QStringLiteral("[^0-9]")));
        return digits.toInt();
    }
    QValidator::State validate(QString& text, int&) const override {
        QString digits = text;
        digits.remove(QRegularExpression(QStringLiteral("[\\s\\x{00A0}]")));
        if (digits.isEmpty()) return QValidator::Intermediate;
        bool ok = false;
        const int v = digits.toInt(&ok);
        if (!ok) return QValidator::Invalid;
        return v >= minimum() && v <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
    }
};

}  // namespace mcplot
