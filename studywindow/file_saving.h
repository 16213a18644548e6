// Saving a file the user named: Qt's own save dialog (translated, the same on
// every desktop) and a write that never leaves half a file behind, with the
// reason in Russian when it fails. The study window and the main window share it.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <string>

#include "study/csv.h"

class QIODevice;
class QWidget;

namespace mcplot {

namespace texts {
inline constexpr const char* saveDataCaption = "Сохранить данные…";
}

// Writes a file through `write` into a file beside the target, renamed at the
// end, so a failure never leaves half a file under the user's name. Returns ""
// on success, else "<notSaved> «<file>»: <reason>." in Russian.
QString writeFileSafely(const QString& path, const QString& notSaved,
                        const std::function<bool(QIODevice&)>& write);

// Asks for the name of a file to save, starting in the home folder with
// `name`; "" when the user cancels. *chosenFilter gets the filter chosen.
QString askSavePath(QWidget* parent, const QString& title, const QStringList& filters, const QString& name,
                    QString* chosenFilter = nullptr);

// Asks for a CSV file and its style (a filter for each); "" when the user cancels.
QString askCsvPath(QWidget* parent, const QString& name, study::CsvStyle* style);

// Writes CSV text: "" on success, else the failure naming the file and the reason.
QString saveCsv(const QString& path, const std::string& csv);

// "Данные сохранены в файл «<full path>»."
QString dataSavedText(const QString& path);

}  // namespace mcplot
