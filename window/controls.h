// The window controls the main window is built from: thin wrappers over Qt
// widgets that keep the event order the calculation relies on. A value set from
// code raises the same Change/Click as the user would, synchronously, before the
// assignment returns; setting a value a control already holds raises nothing.
#pragma once

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>

#include "canvas/colors.h"

namespace mcplot {

class RasterCanvas;

// A colour of the window template (blue-green-red, canvas/colors.h) for Qt.
QColor colorFromBgr(uint32_t bgr);

// Runs an event handler so that nothing thrown inside it crosses Qt's signal
// machinery: a handler that fails simply ends, like an unhandled step would.
void guarded(const std::function<void()>& handler);

// Position and size of a control as the layout computes them: floats in client
// pixels. The widget itself gets the rounded values (halves away from zero),
// sizes clamped at 0 so that a window too small for the layout never hands Qt a
// negative size.
class Placement {
public:
    explicit Placement(QWidget* widget) : widget_(widget) {}
    virtual ~Placement() = default;

    float Left() const { return left_; }
    float Top() const { return top_; }
    float Width() const { return width_; }
    float Height() const { return height_; }
    void setLeft(float v);
    void setTop(float v);
    void setWidth(float v);
    void setHeight(float v);

    // Integer geometry handed to Qt for the float geometry.
    static QRect pixelRect(float left, float top, float width, float height);

protected:
    virtual void geometryApplied() {}

private:
    void apply();
    QWidget* widget_;
    float left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

// A vertical scroll bar whose value runs from `top` at its upper end to `bottom`
// at its lower end, either way round. Qt's bars always grow downwards, so a bar
// that grows upwards keeps the negated value inside Qt.
class VScrollBar : public QScrollBar, public Placement {
    Q_OBJECT
public:
    VScrollBar(int top, int bottom, QWidget* parent);

    int Value() const;
    // Raises Change when the position differs from the current one.
    void setValueFromCode(int v);
    int topValue() const { return top_; }
    int bottomValue() const { return bottom_; }
    bool inRange(int v) const;
    // Arrow buttons and a click in the trough.
    void setSteps(int arrowStep, int troughStep);

    // Runs after the position changed: at once for code, arrows, trough, keys
    // and the wheel; on release for a thumb drag.
    std::function<void()> Change;

private:
    int toQt(int v) const { return upwards_ ? -v : v; }
    int top_, bottom_;
    bool upwards_;
};

// A single-line text box; setting Text from code raises Change when it differs.
class TextBox : public QLineEdit, public Placement {
    Q_OBJECT
public:
    explicit TextBox(QWidget* parent);
    std::string Text() const { return text().toStdString(); }
    void setTextFromCode(const std::string& text);
    std::function<void()> Change;
};

// A list box; setting ListIndex from code raises Click, as a user's selection does.
class ListBox : public QListWidget, public Placement {
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent);
    void AddItem(const std::string& text);
    int ListIndex() const { return currentRow(); }
    void setListIndex(int index);
    // The selected entry's text, or "" when nothing is selected.
    std::string Text() const;
    std::function<void()> Click;
};

// A push button; Command1 uses the graphical style in which BackColor shows.
class Button : public QPushButton, public Placement {
    Q_OBJECT
public:
    explicit Button(QWidget* parent);
    // A caption too wide for the button breaks into lines after a hyphen or at
    // a blank, as "&Монте-Карло" must on its 65-pixel button. The text stays
    // the caption (mnemonic included), so the access key keeps working.
    void setCaption(const std::string& caption);
    std::string Caption() const { return caption_; }
    void setBackColor(uint32_t bgr);
    uint32_t BackColor() const { return backColor_; }
    std::function<void()> Click;

    // The caption as drawn, with its line breaks.
    QString shownCaption() const { return shown_; }

protected:
    void geometryApplied() override { showCaption(); }
    void changeEvent(QEvent* event) override;
    // Draws the face in the back colour when one is set, and a caption that
    // still does not fit in a smaller size rather than cut off ("ERRORS!!!").
    void paintEvent(QPaintEvent* event) override;

private:
    void showCaption();
    std::string caption_;
    QString shown_;
    uint32_t backColor_ = colors::buttonFace;
};

// A label; CR LF in a caption starts a new line.
class Label : public QLabel, public Placement {
    Q_OBJECT
public:
    explicit Label(QWidget* parent);
    void setCaption(const std::string& caption);
    std::string Caption() const { return caption_; }

private:
    std::string caption_;
};

// The formula picture. A file is looked up by its name as given, relative to the
// current directory. The picture is scaled down, never up, to fit the area and
// stands centred in it. On a high-density screen a twice-as-large "name@2x"
// file beside it is drawn instead, at the same size (see hidpi_picture.h).
class ImageBox : public QWidget, public Placement {
    Q_OBJECT
public:
    explicit ImageBox(QWidget* parent);
    // False when the file is missing or not a readable picture; the picture
    // held before is kept then.
    bool LoadPicture(const std::string& file);
    void clearPicture();
    bool hasPicture() const { return !picture_.isNull(); }
    void setPicture(const QImage& image);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

// The plot box: shows the canvas image. The canvas follows the box's size (at
// least 1 × 1 pixel, so drawing never meets an empty surface).
class PictureBox : public QWidget, public Placement {
    Q_OBJECT
public:
    PictureBox(RasterCanvas& canvas, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void geometryApplied() override;

private:
    RasterCanvas& canvas_;
    QSize canvasSize_;
    double canvasRatio_ = 0;
};

}  // namespace mcplot
