// The function list's click handler: applies the selected entry, found by its
// text, then moves the limit bars (whose own handlers redraw when they move)
// and redraws once more.
#include "numbers/number.h"
#include "inputs/catalogue.h"
#include "window/form1.h"

namespace mcplot {

void Form1::List1_Click() {
    Image1->setVisible(true);
    Picture1->setVisible(true);
    Text2->setVisible(false);

    // The guarded stretch: a picture that fails to load ends it at once.
    [this] {
        int entry = -1;
        for (int k = 0; k < 10; ++k) {
            if (List1->Text() == presets[k].text) {
                entry = k;
                break;
            }
        }
        if (entry >= 0) {
            const Preset& preset = presets[entry];
            state_.nfun = preset.nfun;
            if (preset.picture) {
                Image1->clearPicture();
                if (!Image1->LoadPicture(preset.picture)) return;
            }
            if (preset.showsParameter) Text2->setVisible(true);
            state_.a = Number::dbl(preset.a);
            state_.b = preset.b;
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

    static const char* const lines[4] = {
        "В папке с программой должны быть файлы с рисунками формата *.gif.",
        "Они находятся в архиве с программой.",
        "Если их нет, то программа всё равно будет работать. ",
        "Но лучше их использовать.",
    };
    warnIfNoPicture(lines);

    // Bar positions from the limits, halves to even. A limit the bars cannot
    // show leaves its bar where it is.
    int16_t v = 0;
    if (toInteger16(state_.a.value() * 100, v) && VScroll1->inRange(v)) VScroll1->setValueFromCode(v);
    if (toInteger16(double(state_.b) * 100, v) && VScroll2->inRange(v)) VScroll2->setValueFromCode(v);

    engine_->replot();
}

}  // namespace mcplot
