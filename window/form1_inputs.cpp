// The inputs' handlers: the initial setup, the function list's click and the
// parameter bars. The rules they apply (the catalogue, what a bar position
// means) are in inputs/; here they meet the controls.
#include <string>

#include "inputs/bars.h"
#include "inputs/catalogue.h"
#include "numbers/number.h"
#include "window/form1.h"

namespace mcplot {

// ---- Initial setup ----

void Form1::predvar() {
    for (const Preset& p : presets) List1->AddItem(p.text);

    state_.a = lowerLimitFromBar(VScroll1->Value());
    Label3->setCaption(limitCaption(state_.a.value(), decimalSeparator_));

    state_.b = upperLimitFromBar(VScroll2->Value());
    Label4->setCaption(limitCaption(state_.b, decimalSeparator_));

    state_.nbros = throwsFromBar(VScroll3->Value());
    Label5->setCaption(std::to_string(VScroll3->Value()));

    // Only the caption: Label1 keeps its place until the bar itself moves.
    state_.mashtab = scaleFromBar(VScroll4->Value());
    Label1->setCaption(std::to_string(VScroll4->Value()));

    state_.n = Number::integer(kScanSteps);
    state_.nfun = presets[0].nfun;
    canvas_.setDrawWidth(1);

    Image1->setVisible(true);
    Picture1->setVisible(true);
    Text1->setVisible(false);
    Command1->setVisible(false);

    Image1->LoadPicture(presets[0].picture);
    static const char* const lines[kPictureWarningLines] = {
        "В папке с программой должен быть файл с рисунком linein.gif.",
        "Он находятся в архиве с программой.",
        "Если его нет, то программа всё равно будет работать. ",
        "Но лучше его использовать.",
    };
    warnIfNoPicture(lines);

    Text1->setTextFromCode(texts::sampleExpression);
    List1->setListIndex(0);
}

void Form1::warnIfNoPicture(const char* const (&lines)[kPictureWarningLines]) {
    if (Image1->hasPicture()) return;
    std::string text;
    for (int k = 0; k < kPictureWarningLines; ++k) {
        if (k) text += "\r\n";
        text += lines[k];
    }
    desktop_->tell(text, texts::warningTitle);
}

// ---- The function list ----

// Applies the selected entry, found by its text, then moves the limit bars
// (whose own handlers redraw when they move) and redraws once more.
void Form1::List1_Click() {
    Image1->setVisible(true);
    Picture1->setVisible(true);
    Text2->setVisible(false);

    // The guarded stretch: a picture that fails to load ends it at once.
    [this] {
        if (const Preset* preset = findPreset(List1->Text())) {
            state_.nfun = preset->nfun;
            if (preset->picture) {
                Image1->clearPicture();
                if (!Image1->LoadPicture(preset->picture)) return;
            }
            if (preset->showsParameter) Text2->setVisible(true);
            state_.a = Number::dbl(preset->a);
            state_.b = preset->b;
        }
        // An unknown text writes nothing but still gets the visibility step.

        if (state_.nfun != 0) {
            Text1->setVisible(false);
            Command1->setVisible(false);
        } else {
            Command1->setVisible(true);
            Image1->setVisible(false);
            Text1->setVisible(true);
        }
    }();

    static const char* const lines[kPictureWarningLines] = {
        "В папке с программой должны быть файлы с рисунками формата *.gif.",
        "Они находятся в архиве с программой.",
        "Если их нет, то программа всё равно будет работать. ",
        "Но лучше их использовать.",
    };
    warnIfNoPicture(lines);

    // A limit the bars cannot show leaves its bar where it is.
    if (const auto v = barPositionForLimit(state_.a.value()); v && VScroll1->inRange(*v))
        VScroll1->setValueFromCode(*v);
    if (const auto v = barPositionForLimit(state_.b); v && VScroll2->inRange(*v))
        VScroll2->setValueFromCode(*v);

    engine_->replot();
}

// ---- The parameter bars ----
// Each turns its position into a state variable and a label; the limits and
// the scale redraw the plot, the throw count waits for the next Monte Carlo run.

void Form1::VScroll1_Change() {
    state_.a = lowerLimitFromBar(VScroll1->Value());
    Label3->setCaption(limitCaption(state_.a.value(), decimalSeparator_));
    engine_->Command1_Click();
}

void Form1::VScroll2_Change() {
    state_.b = upperLimitFromBar(VScroll2->Value());
    Label4->setCaption(limitCaption(state_.b, decimalSeparator_));
    engine_->Command1_Click();
}

void Form1::VScroll3_Change() {
    state_.nbros = throwsFromBar(VScroll3->Value());
    Label5->setCaption(throwsCaption(state_.nbros, decimalSeparator_));
}

void Form1::VScroll4_Change() {
    state_.mashtab = scaleFromBar(VScroll4->Value());
    Label1->setCaption(std::to_string(VScroll4->Value()));
    Label1->setTop(scaleLabelTop(VScroll4->Top(), VScroll4->Height(), state_.mashtab));
    engine_->Command1_Click();
}

}  // namespace mcplot
