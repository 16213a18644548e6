#include "window/plot_export.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>
#include <QWidget>

namespace mcplot {

QImage plotPicture(QWidget* plotBox) {
    // grab() renders at the widget's device pixel ratio.
    return plotBox->grab().toImage();
}

QString savePicture(const QImage& picture, const QString& path) {
    const QString notSaved = QStringLiteral("Рисунок не сохранён в файл");
    if (picture.isNull())
        return QStringLiteral("%1 «%2»: рисунка нет.").arg(notSaved, QDir::toNativeSeparators(path));
    return writeFileSafely(path, notSaved,
                           [&picture](QIODevice& file) { return picture.save(&file, "PNG"); });
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
