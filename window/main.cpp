// mcplot: graphs of functions and the Monte Carlo integral. Runs in the current
// directory, where it finds its formula pictures and documents by name.
#include <QApplication>

#include "window/form1.h"
#include "window/translations.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    mcplot::installRussianTranslation(app);
    // The process ends when its last window closes, Authors window included.
    QApplication::setQuitOnLastWindowClosed(true);
    mcplot::Form1 form;
    form.startUp();
    return app.exec();
}
