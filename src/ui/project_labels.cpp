#include "ui/project_labels.h"

#include "ui/bcf_session.h"
#include "ui/utf8_text.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QUrl>

namespace {

// The rich text of the file link: the archive's canonical path, linking to its folder. Both parts
// are escaped, so no character of a file name can end the attribute or add markup.
QString fileLinkHtml(const std::string& path) {
    const QString canonical = QFileInfo(QString::fromUtf8(path)).canonicalFilePath();
    QString folderUrl;
    if (!canonical.isEmpty())
        folderUrl = QUrl::fromLocalFile(QFileInfo(canonical).absolutePath()).toString();
    return QStringLiteral("<a href=\"") + folderUrl.toHtmlEscaped() + QStringLiteral("\">") +
           QDir::toNativeSeparators(canonical).toHtmlEscaped() + QStringLiteral("</a>");
}

} // namespace

ProjectLabels::ProjectLabels(QLabel* project, QLabel* link, BcfSession& session)
    : project_(project), link_(link), session_(session) {
    // The link names the current file: the one opened, or the one last saved under another name.
    connect(&session_, &BcfSession::filePathChanged, this, [this] {
        const std::string& path = session_.filePath();
        link_->setText(path.empty() ? QString() : fileLinkHtml(path));
    });
    connect(&session_, &BcfSession::documentReset, this, &ProjectLabels::showProject);
    connect(&session_, &BcfSession::unsavedChangesChanged, this, &ProjectLabels::showProject);
}

void ProjectLabels::showProject() {
    const std::string& name = session_.data().name;
    QString shown = fromUtf8(name);
    // A project without a name that has changes is named for what it is, not by a lone mark.
    if (session_.hasUnsavedChanges())
        shown += name.empty() ? tr("(unnamed) *") : QStringLiteral(" *");
    const QString text = tr("Project: %1").arg(shown);
    project_->setText(text);
}
