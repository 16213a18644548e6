#include "window/limit_editor.h"

#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <cstdlib>

#include "numbers/number.h"
#include "window/controls.h"

namespace mcplot {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimmed(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// Positions never need more digits than this; longer whole parts are out of
// every bar's range.
constexpr size_t maxDigits = 6;
// Exponents beyond this put any value far out of range, or round it to zero.
constexpr long maxExponent = 100000;

}  // namespace

TypedPosition typedPosition(std::string_view text, int scale, int lowest, int highest) {
    using Kind = TypedPosition::Kind;
    std::string_view s = trimmed(text);
    if (s.empty()) return {Kind::Empty, 0};

    bool negative = false;
    static constexpr std::string_view unicodeMinus = "\xE2\x88\x92";
    if (s.front() == '-' || s.front() == '+') {
        negative = s.front() == '-';
        s.remove_prefix(1);
    } else if (s.substr(0, unicodeMinus.size()) == unicodeMinus) {
        negative = true;
        s.remove_prefix(unicodeMinus.size());
    }

    // Mantissa digits, with the count of those after the separator.
    std::string digits;
    long fraction = 0;
    bool separator = false;
    size_t k = 0;
    for (; k < s.size(); ++k) {
        const char c = s[k];
        if (isDigit(c)) {
            digits += c;
            if (separator) ++fraction;
        } else if ((c == '.' || c == ',') && !separator) {
            separator = true;
        } else {
            break;
        }
    }
    if (digits.empty()) return {Kind::NotANumber, 0};

    long exponent = 0;
    if (k < s.size() && (s[k] == 'e' || s[k] == 'E')) {
        ++k;
        bool expNegative = false;
        if (k < s.size() && (s[k] == '-' || s[k] == '+')) expNegative = s[k++] == '-';
        const size_t start = k;
        for (; k < s.size() && isDigit(s[k]); ++k)
            exponent = std::min(maxExponent, exponent * 10 + (s[k] - '0'));
        if (k == start) return {Kind::NotANumber, 0};
        if (expNegative) exponent = -exponent;
    }
    if (k != s.size()) return {Kind::NotANumber, 0};

    for (int f = scale; f >= 10; f /= 10) ++exponent;
    exponent -= fraction;

    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
    long whole = 0;
    if (!digits.empty()) {
        if (exponent >= 0) {
            if (digits.size() + size_t(exponent) > maxDigits) return {Kind::OutOfRange, 0};
            whole = std::atol(digits.c_str());
            for (long e = 0; e < exponent; ++e) whole *= 10;
        } else {
            // Split at the decimal point and round the rest half to even.
            const long cut = long(digits.size()) + exponent;
            std::string rest = cut > 0 ? digits.substr(size_t(cut)) : std::string(size_t(-cut), '0') + digits;
            const std::string head = cut > 0 ? digits.substr(0, size_t(cut)) : std::string();
            if (head.size() > maxDigits) return {Kind::OutOfRange, 0};
            whole = head.empty() ? 0 : std::atol(head.c_str());
            const bool beyondHalf = rest.find_first_not_of('0', 1) != std::string::npos;
            if (rest[0] > '5' || (rest[0] == '5' && (beyondHalf || whole % 2 == 1))) ++whole;
        }
    }
    if (negative) whole = -whole;
    if (whole < lowest || whole > highest) return {Kind::OutOfRange, 0};
    return {Kind::Ok, int(whole)};
}

LimitEditor::LimitEditor(QWidget* area) : QObject(area), area_(area) {
    box_ = new QLineEdit(area);
    box_->setObjectName(QStringLiteral("limitEditor"));
    box_->hide();
    // Opened from code only; it never joins the Tab order of the template.
    box_->setFocusPolicy(Qt::ClickFocus);
    box_->installEventFilter(this);
    connect(box_, &QLineEdit::returnPressed, this, [this] { apply(); });

    note_ = new QLabel(area);
    note_->setObjectName(QStringLiteral("limitEditorNote"));
    note_->setTextFormat(Qt::PlainText);
    note_->setAutoFillBackground(true);
    note_->setFrameShape(QFrame::Box);
    note_->setMargin(3);
    QPalette p = note_->palette();
    p.setColor(QPalette::Window, colorFromBgr(0xE1FFFF));  // pale yellow, as a tooltip
    p.setColor(QPalette::WindowText, Qt::black);
    note_->setPalette(p);
    note_->hide();
}

void LimitEditor::attach(Label* label, VScrollBar* bar, int scale, int decimals) {
    fields_.push_back({label, bar, scale, decimals});
    // The label takes the focus on a click, so Enter can open the box; it
    // stays out of the Tab order.
    label->setFocusPolicy(Qt::ClickFocus);
    label->installEventFilter(this);
    // A bar moved while its box is open: the hint follows the value shown.
    connect(bar, &QAbstractSlider::valueChanged, this, [this, label] {
        if (open_ && open_->label == label) box_->setPlaceholderText(label->text());
    });
}

const LimitEditor::Field* LimitEditor::fieldOf(const QObject* label) const {
    for (const Field& f : fields_)
        if (f.label == label) return &f;
    return nullptr;
}

bool LimitEditor::isOpen() const {
    return open_ != nullptr;
}

Label* LimitEditor::openLabel() const {
    return open_ ? open_->label : nullptr;
}

QString LimitEditor::explanation() const {
    return note_->isHidden() ? QString() : note_->text();
}

void LimitEditor::open(Label* label) {
    const Field* f = fieldOf(label);
    if (!f) return;
    open_ = f;
    note_->hide();
    note_->clear();
    box_->clear();
    box_->setFont(label->font());
    box_->setPlaceholderText(label->text());
    box_->setToolTip(QStringLiteral("Введите значение и нажмите Enter; Esc — отмена"));
    place();
    box_->show();
    box_->raise();
    box_->setFocus(Qt::OtherFocusReason);
}

void LimitEditor::place() {
    if (!open_) return;
    const QRect r = open_->label->geometry();
    const QFontMetrics fm(box_->font());
    // Wide enough for the longest value a bar can take.
    const int width = std::max(r.width(), fm.horizontalAdvance(QStringLiteral("-327,67")) + 16);
    const int height = std::max(box_->sizeHint().height(), std::min(r.height(), 30));
    const int left = std::clamp(r.left(), 0, std::max(0, area_->width() - width));
    const int top = r.top() + (r.height() - height) / 2;
    box_->setGeometry(left, top, width, height);
    if (!note_->isHidden()) {
        note_->adjustSize();
        // Above the box, where the plot is, and inside the window.
        const int noteLeft = std::clamp(left, 0, std::max(0, area_->width() - note_->width()));
        const int noteTop = top - note_->height() - 2 >= 0 ? top - note_->height() - 2 : top + height + 2;
        note_->move(noteLeft, noteTop);
        note_->raise();
    }
}

QString LimitEditor::rangeText(const Field& f) const {
    const int low = std::min(f.bar->topValue(), f.bar->bottomValue());
    const int high = std::max(f.bar->topValue(), f.bar->bottomValue());
    const std::string pattern = f.decimals > 0 ? "0." + std::string(size_t(f.decimals), '0') : "0";
    auto text = [&](int position) {
        return QString::fromStdString(formatPattern(double(position) / f.scale, pattern, separator_));
    };
    return QStringLiteral("от %1 до %2").arg(text(low), text(high));
}

void LimitEditor::explain(const QString& text) {
    note_->setText(text);
    note_->show();
    place();
}

bool LimitEditor::apply() {
    if (!open_) return false;
    const Field f = *open_;
    const int low = std::min(f.bar->topValue(), f.bar->bottomValue());
    const int high = std::max(f.bar->topValue(), f.bar->bottomValue());
    const TypedPosition typed = typedPosition(box_->text().toStdString(), f.scale, low, high);
    switch (typed.kind) {
        case TypedPosition::Kind::Empty:
            explain(QStringLiteral("Введите число ") + rangeText(f));
            return false;
        case TypedPosition::Kind::NotANumber:
            explain(QStringLiteral("Это не число. Нужно ") + rangeText(f));
            return false;
        case TypedPosition::Kind::OutOfRange:
            explain(QStringLiteral("Вне диапазона. Нужно ") + rangeText(f));
            return false;
        case TypedPosition::Kind::Ok:
            break;
    }
    // Close first: the change handler may take long and redraw everything.
    cancel();
    f.label->setFocus(Qt::OtherFocusReason);
    f.bar->setValueFromCode(typed.position);
    return true;
}

void LimitEditor::cancel() {
    const bool hadFocus = box_->hasFocus();
    Label* label = open_ ? open_->label : nullptr;
    open_ = nullptr;
    box_->hide();
    note_->hide();
    note_->clear();
    if (hadFocus && label) label->setFocus(Qt::OtherFocusReason);
}

bool LimitEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == box_) {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            cancel();
            return true;
        }
        if (event->type() == QEvent::FocusOut) {
            // A click elsewhere ends the editing as Escape does; a context
            // menu or another window taking the focus for a while does not.
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
                reason == Qt::BacktabFocusReason)
                cancel();
        }
        return false;
    }
    if (fieldOf(watched)) {
        switch (event->type()) {
            case QEvent::MouseButtonDblClick:
                open(static_cast<Label*>(watched));
                return true;
            case QEvent::KeyPress: {
                const int key = static_cast<QKeyEvent*>(event)->key();
                if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                    open(static_cast<Label*>(watched));
                    return true;
                }
                break;
            }
            case QEvent::Move:
            case QEvent::Resize:
                if (open_ && open_->label == watched) place();
                break;
            default:
                break;
        }
    }
    return false;
}

}  // namespace mcplot
