#include "window/controls.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>

#include "canvas/colors.h"
#include "canvas/raster_canvas.h"
#include "core/vbscript_host.h"
#include "window/hidpi_picture.h"
#include "window/logging.h"

namespace mcplot {

QColor colorFromBgr(uint32_t bgr) {
    return QColor::fromRgb(argbFromBgr(bgr));
}

void guarded(const std::function<void()>& handler) {
    if (!handler) return;
    // The procedures have no failure handling of their own; what reaches here
    // ends the handler and leaves the state as far as it got.
    try {
        handler();
    } catch (const std::exception& e) {
        qCWarning(lcWindow, "an event handler stopped: %s", e.what());
    } catch (...) {
        qCWarning(lcWindow, "an event handler stopped on an unknown exception");
    }
}

// ---- Placement ----

namespace {
int toPixel(float v) {
    if (!std::isfinite(v)) return 0;
    const double clamped = std::clamp(double(v), -1.0e6, 1.0e6);
    return int(std::lround(clamped));
}
}  // namespace

QRect Placement::pixelRect(float left, float top, float width, float height) {
    return QRect(toPixel(left), toPixel(top), std::max(0, toPixel(width)), std::max(0, toPixel(height)));
}

void Placement::setLeft(float v) {
    left_ = v;
    apply();
}
void Placement::setTop(float v) {
    top_ = v;
    apply();
}
void Placement::setWidth(float v) {
    width_ = std::max(0.0f, v);
    apply();
}
void Placement::setHeight(float v) {
    height_ = std::max(0.0f, v);
    apply();
}

void Placement::apply() {
    const QRect r = pixelRect(left_, top_, width_, height_);
    if (widget_->geometry() != r) widget_->setGeometry(r);
    geometryApplied();
}

// ---- VScrollBar ----

VScrollBar::VScrollBar(int top, int bottom, QWidget* parent)
    : QScrollBar(Qt::Vertical, parent), Placement(this), top_(top), bottom_(bottom), upwards_(top > bottom) {
    setRange(std::min(toQt(top), toQt(bottom)), std::max(toQt(top), toQt(bottom)));
    // A thumb drag changes the value once, on release.
    setTracking(false);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractSlider::valueChanged, this, [this](int) { guarded(Change); });
}

int VScrollBar::Value() const {
    return upwards_ ? -value() : value();
}

bool VScrollBar::inRange(int v) const {
    return v >= std::min(top_, bottom_) && v <= std::max(top_, bottom_);
}

void VScrollBar::setValueFromCode(int v) {
    // QAbstractSlider emits valueChanged only for a new value, so an assignment
    // of the current position raises nothing.
    setValue(toQt(v));
}

void VScrollBar::setSteps(int arrowStep, int troughStep) {
    setSingleStep(arrowStep);
    setPageStep(troughStep);
}

// ---- TextBox ----

TextBox::TextBox(QWidget* parent) : QLineEdit(parent), Placement(this) {
    // Qt lays out a line edit's whole text on every change and paint, which
    // takes seconds for a pasted text of megabytes. Twice the longest
    // expression the interpreter runs, in characters: a text cut here was
    // already too long, so it is refused just the same.
    setMaxLength(int(2 * kMaxExpressionBytes));
    connect(this, &QLineEdit::textChanged, this, [this](const QString&) { guarded(Change); });
}

void TextBox::setTextFromCode(const std::string& text) {
    const QString t = QString::fromStdString(text);
    if (t != this->text()) setText(t);
}

// ---- ListBox ----

ListBox::ListBox(QWidget* parent) : QListWidget(parent), Placement(this) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::currentRowChanged, this, [this](int) { guarded(Click); });
}

void ListBox::AddItem(const std::string& text) {
    addItem(QString::fromStdString(text));
}

void ListBox::setListIndex(int index) {
    setCurrentRow(index);
}

std::string ListBox::Text() const {
    const QListWidgetItem* item = currentItem();
    return item ? item->text().toStdString() : std::string();
}

// ---- Button ----

Button::Button(QWidget* parent) : QPushButton(parent), Placement(this) {
    connect(this, &QPushButton::clicked, this, [this](bool) { guarded(Click); });
}

void Button::setCaption(const std::string& caption) {
    caption_ = caption;
    showCaption();
}

void Button::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::FontChange) showCaption();
}

void Button::showCaption() {
    const QString caption = QString::fromStdString(caption_);
    const QFontMetrics fm(font());
    const int room = width() - 6;
    auto shown = [&fm](QString t) { return fm.horizontalAdvance(t.remove(QLatin1Char('&'))); };
    setText(caption);
    if (room <= 0 || shown(caption) <= room) {
        shown_ = caption;
        update();
        return;
    }
    // Greedy breaking at the points after '-' and at blanks.
    QStringList pieces;
    QString piece;
    for (QChar c : caption) {
        if (c == QLatin1Char(' ')) {
            pieces << piece;
            piece.clear();
            continue;
        }
        piece += c;
        if (c == QLatin1Char('-')) {
            pieces << piece;
            piece.clear();
        }
    }
    pieces << piece;
    QString text, line;
    for (const QString& p : pieces) {
        if (p.isEmpty()) continue;
        const bool hyphen = line.endsWith(QLatin1Char('-'));
        const QString joined = line.isEmpty() ? p : line + (hyphen ? QString() : QStringLiteral(" ")) + p;
        if (!line.isEmpty() && shown(joined) > room) {
            text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + line;
            line = p;
        } else {
            line = joined;
        }
    }
    text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + line;
    shown_ = text;
    update();
}

void Button::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    p.drawControl(QStyle::CE_PushButton, option);
    QRect area = rect().adjusted(2, 1, -2, -1);
    if (!isSystemColor(backColor_)) {
        p.fillRect(rect().adjusted(2, 2, -2, -2), colorFromBgr(backColor_));
    }
    if (isDown()) area.translate(1, 1);
    QFont f = font();
    const int flags = Qt::AlignCenter | Qt::TextShowMnemonic;
    while (f.pointSizeF() > 6) {
        const QRect need = QFontMetrics(f).boundingRect(area, flags, shown_);
        if (need.width() <= area.width() && need.height() <= area.height() + 4) break;
        f.setPointSizeF(f.pointSizeF() - 0.5);
    }
    p.setFont(f);
    p.setPen(palette().color(QPalette::ButtonText));
    p.drawText(area, flags, shown_);
}

void Button::setBackColor(uint32_t bgr) {
    backColor_ = bgr;
    if (isSystemColor(bgr)) {
        // A system colour: back to the style's own button face.
        setPalette(QPalette());
    } else {
        QPalette p = palette();
        p.setColor(QPalette::Button, colorFromBgr(bgr));
        setPalette(p);
    }
}

// ---- Label ----

Label::Label(QWidget* parent) : QLabel(parent), Placement(this) {
    setTextFormat(Qt::PlainText);
}

void Label::setCaption(const std::string& caption) {
    caption_ = caption;
    QString t = QString::fromStdString(caption);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setText(t);
}

// ---- ImageBox ----

ImageBox::ImageBox(QWidget* parent) : QWidget(parent), Placement(this) {}

bool ImageBox::LoadPicture(const std::string& file) {
    if (file.empty()) return false;
    const QImage image = readPictureForRatio(QString::fromStdString(file), devicePixelRatioF());
    if (image.isNull()) return false;
    setPicture(image);
    return true;
}

void ImageBox::clearPicture() {
    picture_ = QImage();
    update();
}

void ImageBox::setPicture(const QImage& image) {
    picture_ = image;
    update();
}

void ImageBox::paintEvent(QPaintEvent*) {
    if (picture_.isNull() || width() <= 0 || height() <= 0) return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QSizeF size = QSizeF(picture_.size()) / picture_.devicePixelRatio();
    if (size.width() > width() || size.height() > height())
        size.scale(QSizeF(this->size()), Qt::KeepAspectRatio);
    const QRectF target((width() - size.width()) / 2, (height() - size.height()) / 2, size.width(),
                        size.height());
    p.drawImage(target, picture_);
}

// ---- PictureBox ----

PictureBox::PictureBox(RasterCanvas& canvas, QWidget* parent)
    : QWidget(parent), Placement(this), canvas_(canvas) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    canvas_.setChangeListener([this] { update(); });
}

void PictureBox::geometryApplied() {
    // Resizing the canvas clears it, so only a real change of size does it.
    const QSize want(std::max(1, width()), std::max(1, height()));
    const double ratio = devicePixelRatioF();
    if (want == canvasSize_ && ratio == canvasRatio_) return;
    canvasSize_ = want;
    canvasRatio_ = ratio;
    canvas_.resize(want.width(), want.height(), ratio);
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.drawImage(QPointF(0, 0), canvas_.image());
    canvas_.markPresented();
}

}  // namespace mcplot
