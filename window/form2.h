// The Authors window Form2: a picture and the credits, no behaviour of its own.
// It lives on its own (no owner), so it neither closes with the main window nor
// blocks it, and it is discarded when closed.
#pragma once

#include <QIcon>
#include <QWidget>

#include "window/controls.h"

namespace mcplot {

class Form2 : public QWidget {
    Q_OBJECT
public:
    Form2();
    Label* Label1 = nullptr;
    QWidget* Image1 = nullptr;
    bool hasPicture() const;
    // Shrinks Label1's font, if need be, until every line of its caption fits
    // inside the label; call after setting the caption.
    void fitCredits();
    // Where Label1's lines stand, in window pixels.
    QRect creditsTextRect() const;

private:
    ImageBox* image_ = nullptr;
};

// The credits shown in Form2's Label1: six lines joined by CR LF, the first
// five padded with blanks to 36 characters.
std::string authorsCredits();

// The About box text: eleven lines joined by CR LF.
std::string aboutText();

// A picture compiled into the program's resources whose name contains `part`,
// or a null image.
QImage resourceImage(const QString& part, const QString& suffix);

// The window icon of both windows (from the resources; empty without them).
QIcon programIcon();

}  // namespace mcplot
