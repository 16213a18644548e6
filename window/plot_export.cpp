#include "window/plot_export.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>
#include <QSaveFile>
#include <QWidget>

namespace mcplot {

QImage plotPicture(QWidget* plotBox) {
    // grab() renders at the widget's device pixel ratio.
    return plotBox->grab().toImage();
}

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
}  // namespace

QString savePicture(const QImage& picture, const QString& path) {
    const QString notSaved = QStringLiteral("Рисунок не сохранён в файл");
    if (picture.isNull())
        return QStringLiteral("%1 «%2»: рисунка нет.").arg(notSaved, QDir::toNativeSeparators(path));
    return writeFileSafely(path, notSaved,
                           [&picture](QIODevice& file) { return picture.save(&file, "PNG"); });
}

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

void copyPicture(const QImage& picture) {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setImage(picture);
}

std::unique_ptr<QFileDialog> pictureDialog(QWidget* parent) {
    auto dialog = std::make_unique<QFileDialog>(parent, QString::fromUtf8("Сохранить рисунок"),
                                                QDir::homePath(), QString::fromUtf8("Рисунок PNG (*.png)"));
    // The desktop's native dialog would speak the system's language.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(QStringLiteral("png"));
    dialog->selectFile(QString::fromUtf8("график.png"));
    return dialog;
}

QString askPicturePath(QWidget* parent) {
    const auto dialog = pictureDialog(parent);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return {};
    return dialog->selectedFiles().constFirst();
}

}  // namespace mcplot
