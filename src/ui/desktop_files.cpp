#include "ui/desktop_files.h"

#include "ui/utf8_text.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include <stdexcept>

DesktopFiles::DesktopFiles() = default;

DesktopFiles::~DesktopFiles() = default;

void DesktopFiles::open(const QUrl& url) {
    if (!url.isValid() || !QDesktopServices::openUrl(url))
        throw std::runtime_error("no application of the desktop opens " + toUtf8(url.toDisplayString()));
}

void DesktopFiles::openLink(const std::string& link) {
    open(QUrl::fromUserInput(fromUtf8(link), QDir::currentPath(), QUrl::AssumeLocalFile));
}

void DesktopFiles::openContent(const std::string& name, const std::string& bytes) {
    if (!folder_)
        folder_ = std::make_unique<QTemporaryDir>();
    if (!folder_->isValid())
        throw std::runtime_error("no temporary folder");
    // Only the file name is used, so that no name from the archive reaches outside the folder; a
    // new sub-folder per file keeps earlier copies open in their applications untouched.
    QString fileName = QFileInfo(fromUtf8(name)).fileName();
    if (fileName.isEmpty() || fileName == QStringLiteral("..") || fileName == QStringLiteral("."))
        fileName = QStringLiteral("document");
    const QString folder = folder_->filePath(QString::number(++count_));
    if (!QDir().mkpath(folder))
        throw std::runtime_error("the temporary folder can't be written");
    QFile file(folder + QLatin1Char('/') + fileName);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()))
        throw std::runtime_error(file.errorString().toStdString());
    file.close();
    open(QUrl::fromLocalFile(file.fileName()));
}
