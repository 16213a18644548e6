// The initial setup: the list, the first values from the bars, the sample
// expression and the first selection, which draws the first plot.
#include <string>

#include "numbers/number.h"
#include "inputs/catalogue.h"
#include "window/form1.h"

namespace mcplot {

void Form1::predvar() {
    for (const Preset& p : presets) List1->AddItem(p.text);

    state_.a = Number::dbl(VScroll1->Value() * 0.01);
    Label3->setCaption(formatPattern(state_.a.value(), "0.00", decimalSeparator_));

    state_.b = float(VScroll2->Value() * 0.01);
    Label4->setCaption(formatPattern(state_.b, "0.00", decimalSeparator_));

    state_.nbros = int16_t(VScroll3->Value());
    Label5->setCaption(std::to_string(VScroll3->Value()));

    // Only the caption: Label1 keeps its place until the bar itself moves.
    state_.mashtab = float(VScroll4->Value());
    Label1->setCaption(std::to_string(VScroll4->Value()));

    state_.n = Number::integer(100);
    state_.nfun = 1;
    canvas_.setDrawWidth(1);

    Image1->setVisible(true);
    Picture1->setVisible(true);
    Text1->setVisible(false);
    Command1->setVisible(false);

    Image1->LoadPicture("linein.gif");
    static const char* const lines[4] = {
        "В папке с программой должен быть файл с рисунком linein.gif.",
        "Он находятся в архиве с программой.",
        "Если его нет, то программа всё равно будет работать. ",
        "Но лучше его использовать.",
    };
    warnIfNoPicture(lines);

    Text1->setTextFromCode(texts::sampleExpression);
    List1->setListIndex(0);
}

void Form1::warnIfNoPicture(const char* const lines[4]) {
    if (Image1->hasPicture()) return;
    std::string text;
    for (int k = 0; k < 4; ++k) {
        if (k) text += "\r\n";
        text += lines[k];
    }
    boxes_->show(text, msgbox::OKOnly, texts::warningTitle);
}

}  // namespace mcplot
