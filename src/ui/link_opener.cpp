#include "ui/link_opener.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <stdexcept>

using namespace Qt::Literals::StringLiterals;

namespace {

[[noreturn]] void refuse(const QString& reason) {
    throw std::runtime_error(reason.toStdString());
}

// Suffixes of files that run, install or launch something when the desktop opens them, on any
// of the systems an archive may travel to.
const QSet<QString>& programSuffixes() {
    static const QSet<QString> suffixes = {
        u"desktop"_s,     u"sh"_s,       u"bash"_s,
        u"zsh"_s,         u"csh"_s,      u"ksh"_s,
        u"fish"_s,        u"command"_s,  u"run"_s,
        u"bin"_s,         u"appimage"_s, u"exe"_s,
        u"com"_s,         u"bat"_s,      u"cmd"_s,
        u"msi"_s,         u"msp"_s,      u"mst"_s,
        u"scr"_s,         u"pif"_s,      u"cpl"_s,
        u"hta"_s,         u"jar"_s,      u"js"_s,
        u"jse"_s,         u"mjs"_s,      u"vbs"_s,
        u"vbe"_s,         u"wsf"_s,      u"wsh"_s,
        u"ws"_s,          u"ps1"_s,      u"psm1"_s,
        u"psd1"_s,        u"reg"_s,      u"lnk"_s,
        u"url"_s,         u"inf"_s,      u"scf"_s,
        u"application"_s, u"gadget"_s,   u"msc"_s,
        u"py"_s,          u"pyw"_s,      u"pl"_s,
        u"rb"_s,          u"php"_s,      u"apk"_s,
        u"deb"_s,         u"rpm"_s,      u"dmg"_s,
        u"pkg"_s,         u"app"_s,      u"so"_s,
        u"dll"_s,         u"elf"_s,      u"xbap"_s,
        u"webloc"_s,      u"action"_s,   u"workflow"_s,
        u"appref-ms"_s,   u"vb"_s,       u"settingcontent-ms"_s,
        u"library-ms"_s,  u"xdg"_s,      u"kdelnk"_s,
    };
    return suffixes;
}

// Content types of programs, scripts and launchers (and everything that inherits from them).
const QStringList& programTypes() {
    static const QStringList types = {
        u"application/x-executable"_s,
        u"application/x-pie-executable"_s,
        u"application/x-sharedlib"_s,
        u"application/x-shellscript"_s,
        u"application/x-desktop"_s,
        u"application/x-ms-dos-executable"_s,
        u"application/x-msdownload"_s,
        u"application/x-msi"_s,
        u"application/x-ms-shortcut"_s,
        u"application/x-java-archive"_s,
        u"application/javascript"_s,
        u"text/javascript"_s,
        u"application/x-perl"_s,
        u"text/x-python"_s,
        u"text/x-python3"_s,
        u"application/x-ruby"_s,
        u"application/x-php"_s,
        u"application/x-mswinurl"_s,
        u"application/x-bat"_s,
        u"application/x-csh"_s,
        u"application/x-executable-script"_s,
        u"application/vnd.microsoft.portable-executable"_s,
        u"application/x-appimage"_s,
    };
    return types;
}

QMimeType mimeType(const QString& fileName, const QByteArray& head) {
    return QMimeDatabase().mimeTypeForFileNameAndData(fileName, head);
}

// The first bytes of a local file, enough for the content sniffing of QMimeDatabase.
QByteArray fileHead(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(4096) : QByteArray();
}

} // namespace

LinkTarget classifyLink(const QString& text, const QString& baseFolder) {
    LinkTarget target;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return target;
    const QUrl url = QUrl(trimmed, QUrl::StrictMode);
    const QString scheme = url.isValid() ? url.scheme().toLower() : QString();
    // A single letter before the colon is a Windows drive, not a scheme.
    if (scheme.size() > 1) {
        if (scheme == u"http" || scheme == u"https" || scheme == u"mailto") {
            target.kind = LinkTarget::Kind::Web;
            target.url = url;
        } else if (scheme == u"file" && url.isLocalFile()) {
            target.kind = LinkTarget::Kind::LocalFile;
            target.localPath = QFileInfo(url.toLocalFile()).absoluteFilePath();
        }
    } else if (trimmed.startsWith(u"www."_s, Qt::CaseInsensitive)) {
        // How people write web addresses in a description or a reference link.
        target.kind = LinkTarget::Kind::Web;
        target.url = QUrl(u"https://"_s + trimmed);
    } else {
        const QString path = QDir::fromNativeSeparators(trimmed);
        if (QDir::isAbsolutePath(path) && scheme.isEmpty()) {
            target.kind = LinkTarget::Kind::LocalFile;
            target.localPath = QDir::cleanPath(path);
        } else if (!baseFolder.isEmpty() && scheme.isEmpty()) {
            // Relative to the archive, never to whatever folder the host process runs in.
            target.kind = LinkTarget::Kind::LocalFile;
            target.localPath = QDir::cleanPath(QDir(baseFolder).absoluteFilePath(path));
        }
    }
    if (target.kind == LinkTarget::Kind::LocalFile)
        target.url = QUrl::fromLocalFile(target.localPath);
    return target;
}

bool isProgramFile(const QString& fileName, const QByteArray& head) {
    const QString name = QFileInfo(fileName).fileName().toLower();
    // Every suffix counts: "plan.pdf.exe", and also "run.sh.txt" where a desktop looks further.
    const QStringList parts = name.split(u'.');
    for (qsizetype i = 1; i < parts.size(); ++i)
        if (programSuffixes().contains(parts[i].trimmed()))
            return true;
    if (head.startsWith("#!") ||
        head.startsWith("\x7f"
                        "ELF") ||
        head.startsWith("MZ"))
        return true;
    const QMimeType type = mimeType(fileName, head);
    // JSON is data, though the MIME database derives its type from JavaScript's.
    if (type.inherits(u"application/json"_s))
        return false;
    for (const QString& program : programTypes())
        if (type.inherits(program))
            return true;
    return false;
}

QString describeFileType(const QString& fileName, const QByteArray& head) {
    const QMimeType type = mimeType(fileName, head);
    return QStringLiteral("%1 (%2)").arg(type.comment(), type.name());
}

LinkOpener::LinkOpener(QWidget* parent) : parent_(parent) {}

LinkOpener::~LinkOpener() = default;

void LinkOpener::openLink(const QString& text, const QString& baseFolder) {
    const LinkTarget target = classifyLink(text, baseFolder);
    switch (target.kind) {
    case LinkTarget::Kind::Unsupported:
        refuse(tr("links of this kind are not opened: %1").arg(text));
    case LinkTarget::Kind::Web:
        if (!askBeforeWebLinks_ ||
            ask(tr("Open this web link?"), target.url.toDisplayString(), QString(), true))
            handToDesktop(target.url);
        return;
    case LinkTarget::Kind::LocalFile:
        break;
    }
    const QString path = target.localPath;
    const QFileInfo file(path);
    if (isProgramFile(path, {}))
        refuse(tr("%1 is a program or launcher and is not opened").arg(QDir::toNativeSeparators(path)));
    if (!file.exists())
        refuse(tr("%1 does not exist").arg(QDir::toNativeSeparators(path)));
    // What the desktop would start is the file a link points to.
    const QFileInfo resolved(file.canonicalFilePath());
    if (!resolved.isDir()) {
        const QByteArray head = fileHead(resolved.filePath());
        if (resolved.isExecutable() || !resolved.isFile() || isProgramFile(resolved.filePath(), head))
            refuse(tr("%1 is a program or launcher and is not opened").arg(QDir::toNativeSeparators(path)));
    }
    const QString type = resolved.isDir()
                             ? tr("folder")
                             : describeFileType(resolved.filePath(), fileHead(resolved.filePath()));
    if (ask(tr("Open this file?"), QDir::toNativeSeparators(path), type, false))
        handToDesktop(target.url);
}

void LinkOpener::openContent(const std::string& name, const std::string& bytes) {
    // Only the last part of the name is used, so that no name from the archive reaches outside
    // the private folder.
    QString fileName = QFileInfo(QDir::fromNativeSeparators(QString::fromUtf8(name))).fileName();
    if (fileName.isEmpty() || fileName == u"."_s || fileName == u".."_s)
        fileName = tr("document", "file name of a document without a name");
    const QByteArray head = QByteArray::fromRawData(
        bytes.data(), static_cast<qsizetype>(std::min<std::size_t>(bytes.size(), 4096)));
    if (isProgramFile(fileName, head))
        refuse(tr("%1 is a program or launcher and is not opened").arg(fileName));
    if (!ask(tr("Open this document from the archive?"), fileName, describeFileType(fileName, head), false))
        return;

    if (!folder_) {
        folder_ = std::make_unique<QTemporaryDir>(); // created 0700, removed with the window
        QFile::setPermissions(folder_->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    if (!folder_->isValid())
        refuse(tr("no private folder for the document"));
    // A folder per file keeps earlier copies, still open in their applications, untouched.
    const QString folder = folder_->filePath(QString::number(++fileCount_));
    if (!QDir().mkdir(folder) ||
        !QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        refuse(tr("the private folder can't be written"));
    QFile file(folder + QLatin1Char('/') + fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()))
        refuse(file.errorString());
    file.close();
    handToDesktop(QUrl::fromLocalFile(file.fileName()));
}

bool LinkOpener::ask(const QString& question, const QString& target, const QString& type,
                     bool offerNoMoreQuestions) {
    // Plain text: the target comes from the archive and must show as it is, never as markup.
    QString text = question + u"\n\n"_s + target;
    if (!type.isEmpty())
        text += u"\n"_s + tr("Type: %1").arg(type);
    QMessageBox box(QMessageBox::Question, tr("Open link"), text, QMessageBox::Open | QMessageBox::Cancel,
                    parent_);
    box.setObjectName(QStringLiteral("bcfOpenLinkQuestion"));
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Cancel);
    if (offerNoMoreQuestions)
        box.setCheckBox(new QCheckBox(tr("Don't ask again for web links")));
    const bool open = box.exec() == QMessageBox::Open;
    if (open && box.checkBox() && box.checkBox()->isChecked())
        askBeforeWebLinks_ = false;
    return open;
}

void LinkOpener::handToDesktop(const QUrl& url) {
    if (!url.isValid() || !QDesktopServices::openUrl(url))
        refuse(tr("no application of the desktop opens %1").arg(url.toDisplayString()));
}
