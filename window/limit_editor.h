// Typing a parameter instead of scrolling to it: a double-click on a value
// label (or Enter while the label has the keyboard focus) opens a small box
// over it. Enter puts the value on the bar beside the label, so the bar's own
// change handler runs as if the user had moved it there; Escape leaves
// everything as it was. A text that is no number, or a value the bar cannot
// take, keeps the box open with a short explanation beside it.
#pragma once

#include <QObject>
#include <QPointer>

#include <string>
#include <string_view>
#include <vector>

class QLabel;
class QLineEdit;
class QWidget;

namespace mcplot {

class Label;
class VScrollBar;

// The bar position a typed value stands for: the value times `scale`, rounded
// half to even on its exact decimal digits. "," and "." both separate the
// decimals; blanks around the number are ignored.
struct TypedPosition {
    enum class Kind { Empty, NotANumber, OutOfRange, Ok };
    Kind kind = Kind::Empty;
    int position = 0;  // set for Ok
};
TypedPosition typedPosition(std::string_view text, int scale, int lowest, int highest);

class LimitEditor : public QObject {
    Q_OBJECT
public:
    // The box and the explanation are children of `area`.
    explicit LimitEditor(QWidget* area);

    // A label showing `bar`'s position divided by `scale` (100 for the limits);
    // the ends of the range are written with `decimals` decimals.
    void attach(Label* label, VScrollBar* bar, int scale, int decimals);
    // Decimal separator of the range shown in explanations.
    void setDecimalSeparator(const std::string& separator) { separator_ = separator; }

    // Opens the box over the label, empty, with the shown value as a hint.
    void open(Label* label);
    // Enter: true when the value went onto the bar and the box closed.
    bool apply();
    // Escape.
    void cancel();

    bool isOpen() const;
    Label* openLabel() const;
    QLineEdit* box() const { return box_; }
    // The explanation beside the box, "" when none is shown.
    QString explanation() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Field {
        Label* label;
        VScrollBar* bar;
        int scale;
        int decimals;
    };
    const Field* fieldOf(const QObject* label) const;
    void place();
    void explain(const QString& text);
    QString rangeText(const Field& f) const;

    QWidget* area_;
    QLineEdit* box_;
    QLabel* note_;
    std::vector<Field> fields_;
    const Field* open_ = nullptr;
    std::string separator_ = ".";
};

}  // namespace mcplot
