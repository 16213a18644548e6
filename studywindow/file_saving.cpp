#include "studywindow/file_saving.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>

namespace mcplot {

namespace {

QString reason(QFileDevice::FileError error) {
    switch (error) {
        case QFileDevice::PermissionsError:
            return QStringLiteral("нет прав на запись");
        case QFileDevice::OpenError:
            return QStringLiteral("файл не удаётся открыть для записи");
        case QFileDevice::WriteError:
        case QFileDevice::ResourceError:
            return QStringLiteral("ошибка записи (возможно, диск заполнен)");
        default:
            return QStringLiteral("ошибка записи");
    }
}

const char* const kRussianCsvFilter = "CSV для Excel с русскими настройками: «;» и запятая (*.csv)";

}  // namespace

QString writeFileSafely(const QString& path, const QString& notSaved,
                        const std::function<bool(QIODevice&)>& write) {
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo target(path);
    auto failed = [&](const QString& why) {
        return QStringLiteral("%1 «%2»: %3.").arg(notSaved, shown, why);
    };
    if (target.isDir()) return failed(QStringLiteral("это папка, а не файл"));
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir())
        return failed(QStringLiteral("папки «%1» нет").arg(QDir::toNativeSeparators(folder.filePath())));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        QFileDevice::FileError error = file.error();
        if (error == QFileDevice::OpenError && !folder.isWritable()) error = QFileDevice::PermissionsError;
        return failed(reason(error));
    }
    if (!write(file) || !file.commit()) return failed(reason(file.error()));
    return {};
}

QString askSavePath(QWidget* parent, const QString& title, const QStringList& filters, const QString& name,
                    QString* chosenFilter) {
    QFileDialog dialog(parent, title, QDir::homePath());
    // The desktop's native dialog would speak the system's language.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    if (chosenFilter) *chosenFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().constFirst();
}

QString askCsvPath(QWidget* parent, const QString& name, study::CsvStyle* style) {
    QString filter;
    const QString path = askSavePath(
        parent, QStringLiteral("Сохранить данные"),
        {QStringLiteral("CSV: «,» и точка (*.csv)"), QString::fromUtf8(kRussianCsvFilter)}, name, &filter);
    *style = filter == QString::fromUtf8(kRussianCsvFilter) ? study::CsvStyle::russian() : study::CsvStyle{};
    return path;
}

QString saveCsv(const QString& path, const std::string& csv) {
    return writeFileSafely(path, QStringLiteral("Данные не сохранены в файл"), [&csv](QIODevice& file) {
        return file.write(csv.data(), qint64(csv.size())) == qint64(csv.size());
    });
}

QString dataSavedText(const QString& path) {
    return QStringLiteral("Данные сохранены в файл «%1».")
        .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
}

}  // namespace mcplot
