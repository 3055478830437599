#include "ui/validation_banner.h"

#include "datetime/local_date_time.h"
#include "ui/bcf_session.h"
#include "ui/utf8_text.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <string>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {

// Validating a large archive takes seconds of a core: the validating thread yields to the window and
// to other programs, so that scrolling and editing stay as quick as without it.
void runInTheBackground() {
    QThread::currentThread()->setPriority(QThread::LowestPriority);
#ifdef Q_OS_LINUX
    // Linux threads share one scheduling priority; a thread's own nice value sets its share.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
#endif
}

} // namespace

ValidationBanner::ValidationBanner(QWidget* parent, BcfSession& session)
    : QFrame(parent), session_(session), text_(new QLabel(this)) {
    setObjectName(QStringLiteral("validationBanner"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(0xff, 0xf4, 0xce));
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    text_->setObjectName(QStringLiteral("lValidation"));
    // Only the fixed link is markup; the count is a number.
    text_->setTextFormat(Qt::RichText);
    text_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(text_, &QLabel::linkActivated, this, &ValidationBanner::showDetails);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(text_, 1);
    pool_.setMaxThreadCount(1);
    setVisible(false);

    // A fresh open and every save are checked; edits are not, as the file has not changed.
    connect(&session_, &BcfSession::opened, this, &ValidationBanner::check);
    // A closed document has no file to check.
    connect(&session_, &BcfSession::documentReset, this, [this] {
        if (!session_.hasDocument())
            check();
    });
    connect(&session_, &BcfSession::saved, this, &ValidationBanner::check);
}

ValidationBanner::~ValidationBanner() {
    pool_.clear();
    pool_.waitForDone();
}

void ValidationBanner::check() {
    const quint64 run = ++run_;
    report_ = bcf::ValidationReport();
    setVisible(false);
    const std::string path = session_.filePath();
    if (path.empty())
        return;
    pool_.clear();
    pool_.start([this, run, path] {
        runInTheBackground();
        bcf::ValidationReport report;
        try {
            const std::string schemas = bcf::findSchemaDirectory();
            if (!schemas.empty())
                report = bcf::validateArchive(path, schemas);
        } catch (...) {
            // An archive that can't be validated at all (a version without official schemas) has
            // no banner: opening it told the user what could be read.
        }
        QMetaObject::invokeMethod(
            this, [this, run, report] { present(run, report); }, Qt::QueuedConnection);
    });
}

void ValidationBanner::present(quint64 run, const bcf::ValidationReport& report) {
    if (run != run_)
        return;
    report_ = report;
    const std::size_t count = report.findings.size();
    text_->setText(
        bcf::withLocalCount(tr("%n problem(s) in this archive \u2014 <a href=\"details\">Details</a>",
                               nullptr, static_cast<int>(count)),
                            static_cast<qint64>(count)));
    setVisible(count > 0);
    if (details_)
        details_->close();
    emit checked();
}

void ValidationBanner::showDetails() {
    if (details_)
        details_->close();
    auto* dialog = new QDialog(window());
    details_ = dialog;
    dialog->setObjectName(QStringLiteral("bcfValidationDetails"));
    dialog->setWindowTitle(tr("Problems in this archive"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(dialog);
    auto* table = new QTreeWidget(dialog);
    table->setObjectName(QStringLiteral("twValidationFindings"));
    table->setRootIsDecorated(false);
    table->setHeaderLabels({tr("Entry", "archive entry"), tr("Line"), tr("Column", "position in a line"),
                            tr("Rule"), tr("Problem")});
    for (const bcf::ValidationFinding& finding : report_.findings) {
        const QStringList cells{QString::fromStdString(finding.entry), QString::number(finding.line),
                                QString::number(finding.column),
                                QString::fromUtf8(bcf::ruleName(finding.rule)),
                                QString::fromStdString(finding.message)};
        auto* item = new QTreeWidgetItem(table, cells);
        for (int column = 0; column < cells.size(); ++column)
            item->setToolTip(column, plainToolTip(cells[column]));
    }
    table->header()->setStretchLastSection(true);
    for (int column = 0; column < 4; ++column)
        table->resizeColumnToContents(column);
    layout->addWidget(table);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    layout->addWidget(buttons);
    dialog->resize(900, 400);
    dialog->show();
}
