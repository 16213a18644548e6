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
    const QString shown = QDir::toNativeSeparators(path);
    if (picture.isNull()) return QStringLiteral("Рисунок не сохранён в файл «%1»: рисунка нет.").arg(shown);
    // Written beside the target and renamed at the end, so a failure never
    // leaves a half-written picture under the user's name.
    const QFileInfo target(path);
    auto failed = [&shown](const QString& why) {
        return QStringLiteral("Рисунок не сохранён в файл «%1»: %2.").arg(shown, why);
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
    if (!picture.save(&file, "PNG") || !file.commit()) return failed(reason(file.error()));
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
