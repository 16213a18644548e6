// mcplot: graphs of functions and the Monte Carlo integral. Runs in the current
// directory, where it finds its formula pictures and documents by name.
#include <QApplication>

#include <iostream>

#include "window/command_line.h"
#include "window/form1.h"
#include "window/translations.h"

int main(int argc, char* argv[]) {
    // Before QApplication: it would connect to a display that may not exist.
    if (const auto status = mcplot::answerInfoOption(argc, argv, std::cout)) return *status;
    QApplication app(argc, argv);
    mcplot::installRussianTranslation(app);
    // The process ends when its last window closes, Authors window included.
    QApplication::setQuitOnLastWindowClosed(true);
    mcplot::Form1 form;
    form.startUp();
    return app.exec();
}
