#include "ui/target_file_dialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace {

// "NAME already exists. Replace it?"; true for "Replace".
bool confirmReplace(QWidget* parent, const QString& path) {
    QMessageBox box(QMessageBox::Question, QCoreApplication::translate("TargetFileDialog", "BCF"),
                    QCoreApplication::translate("TargetFileDialog", "%1 already exists.\nReplace it?")
                        .arg(QDir::toNativeSeparators(path)),
                    QMessageBox::Cancel, parent);
    box.setObjectName(QStringLiteral("bcfReplaceQuestion"));
    QPushButton* replace =
        box.addButton(QCoreApplication::translate("TargetFileDialog", "Replace"), QMessageBox::AcceptRole);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == replace;
}

} // namespace

std::optional<TargetFile> chooseTargetFile(QWidget* parent, const QString& caption, const QString& proposed,
                                           const QStringList& filters, const TargetPathRule& rule) {
    QFileDialog dialog(parent, caption, QString(), filters.join(QStringLiteral(";;")));
    dialog.setObjectName(QStringLiteral("bcfTargetFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The dialog's own question would come before the suffix is added: the window asks instead.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QFileInfo start(proposed);
    if (!proposed.isEmpty() && start.isDir()) {
        dialog.setDirectory(proposed);
    } else if (!proposed.isEmpty()) {
        dialog.setDirectory(start.absolutePath());
        dialog.selectFile(start.fileName());
    }
    for (;;) {
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        const QString typed = dialog.selectedFiles().value(0);
        if (typed.isEmpty())
            return std::nullopt;
        TargetFile target{rule(typed, dialog.selectedNameFilter()), dialog.selectedNameFilter()};
        if (!QFileInfo::exists(target.path) || confirmReplace(parent, target.path))
            return target;
        // Back to the dialog, the name with its suffix shown for another choice.
        dialog.setDirectory(QFileInfo(target.path).absolutePath());
        dialog.selectFile(QFileInfo(target.path).fileName());
    }
}

QString bcfArchivePath(const QString& path, const QString&) {
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QLatin1String("bcf"), Qt::CaseInsensitive) == 0 ||
        suffix.compare(QLatin1String("bcfzip"), Qt::CaseInsensitive) == 0)
        return path;
    return path + QStringLiteral(".bcf");
}
