// Opens what an archive links to (web pages, local files, documents carried inside it) with the
// desktop, after the user has seen the target. Archives come from other people: nothing that would
// run as a program is ever handed to the desktop.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QUrl>

#include <memory>
#include <string>

class QTemporaryDir;
class QWidget;

// What a link text of an archive stands for.
struct LinkTarget {
    enum class Kind { Web, LocalFile, Unsupported };
    Kind kind = Kind::Unsupported;
    QUrl url;          // the URL handed to the desktop
    QString localPath; // for a local file: its absolute path
};

// Classifies a link as a BCF file gives it: http, https and mailto URLs are web links; file URLs
// and paths are local files, a relative path taken relative to `baseFolder` (the archive's folder;
// empty when the archive was never saved, in which case a relative path is unsupported); any
// other scheme is unsupported.
LinkTarget classifyLink(const QString& text, const QString& baseFolder);

// Whether a file named `fileName` with the first bytes `head` would run as a program or launcher
// when opened: by its suffix (.sh, .desktop, .exe, .bat, .js, .jar, .lnk, ...) or its content type.
bool isProgramFile(const QString& fileName, const QByteArray& head);

// The type of a file as the user is told it: "PDF document (application/pdf)".
QString describeFileType(const QString& fileName, const QByteArray& head);

class LinkOpener {
    Q_DECLARE_TR_FUNCTIONS(LinkOpener)

public:
    // Questions are asked in front of `parent`.
    explicit LinkOpener(QWidget* parent);
    ~LinkOpener();
    LinkOpener(const LinkOpener&) = delete;
    LinkOpener& operator=(const LinkOpener&) = delete;

    // Opens a link of the archive (see classifyLink) after a question that shows the target;
    // web links open without one once the user has switched it off. Throws std::runtime_error
    // with the reason when the link is refused (a program, an unsupported scheme, a missing file)
    // or the desktop can't open it; a declined question opens nothing and throws nothing.
    void openLink(const QString& text, const QString& baseFolder);

    // Opens a file carried inside the archive: after a question that names it and its type, it is
    // written to a private folder (0700) as a file only its owner can read and write (0600) and
    // handed to the desktop. Program files are refused. Throws like openLink.
    void openContent(const std::string& name, const std::string& bytes);

private:
    bool ask(const QString& question, const QString& target, const QString& type, bool offerNoMoreQuestions);
    static void handToDesktop(const QUrl& url);

    QWidget* parent_;
    bool askBeforeWebLinks_ = true;
    std::unique_ptr<QTemporaryDir> folder_;
    int fileCount_ = 0;
};
