// Drawings that ship with the program: the nine formula pictures shown above
// the plot, the window icon and the picture of the Authors window. They are
// rendered here once and committed to assets/; make_pictures.sh remakes them.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

namespace mcplot::pictures {

// Size of every formula picture: a little smaller than the picture area of
// the main window at its template size, so nothing has to be shrunk.
inline constexpr QSize kFormulaSize{600, 150};

// The file names (without ".gif") the program loads, in list order.
QStringList formulaNames();

// The formula picture for one of formulaNames(); a null image for any other
// name. Black serif text on white, a grey caption line under the formula.
QImage renderFormula(const QString &name, QSize size = kFormulaSize);

// The window icon: a small plot with blue throws under the curve and red
// throws above it.
QImage renderIcon(int side = 32);

// The picture of the Authors window: an emblem of the program and its team.
QImage renderAuthors(QSize size = QSize(150, 180));

}  // namespace mcplot::pictures
