// The file dialog of the window's save commands (save, save as, report export): the suffix of the
// chosen file type is added to the typed name first, and only then is an existing file found and
// the user asked whether to replace it.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

struct TargetFile {
    QString path;
    QString filter; // the file type the user left selected
};

// The final path for the typed `path` under the file type `filter`.
using TargetPathRule = std::function<QString(const QString& path, const QString& filter)>;

// Asks for a file to write, proposing `proposed` (a file or folder; empty: the current directory).
// A typed name becomes `rule(name, filter)`; when that file exists, "Replace" writes over it and
// "Cancel" goes back to the file dialog. Empty when the user cancelled the file dialog.
std::optional<TargetFile> chooseTargetFile(QWidget* parent, const QString& caption, const QString& proposed,
                                           const QStringList& filters, const TargetPathRule& rule);

// The rule of BCF archives: a name ending in ".bcf" or ".bcfzip" (any case) is kept, every other
// name gets ".bcf", whatever file type is chosen.
QString bcfArchivePath(const QString& path, const QString& filter);
