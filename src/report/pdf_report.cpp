// The PDF report: a title page, then one section per topic starting on a new page, each laid out
// as a QTextDocument for the pages of a QPdfWriter and written by PdfPages, so the text stays real
// text and only one topic's snapshots are in memory at a time. QPdfWriter only lends its page
// metrics to the layout: drawing through it writes every glyph as an operator of its own, which
// made large reports many times slower.
#include "report/pdf_pages_p.h"
#include "report/report_rows_p.h"
#include "report/report_writers_p.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFileDevice>
#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QUrl>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <utility>

namespace bcf::report_detail {

namespace {

// Dots per inch of the PDF's coordinate space.
constexpr int kResolution = 300;
// A snapshot pixel prints as large as a pixel of a 96 dpi screen, the size a browser gives it.
constexpr qreal kScreenDpi = 96;

// One section of the report being built: a text document laid out for the PDF's pages.
class Section {
public:
    explicit Section(QPdfWriter& writer) : writer_(writer) {
        document_.documentLayout()->setPaintDevice(&writer);
        document_.setPageSize(QSizeF(writer.width(), writer.height()));
        document_.setDocumentMargin(0);
        QFont font = document_.defaultFont();
        font.setPointSizeF(10);
        // No ligatures for scripts that need no shaping: "fi" stays two letters, so a search for
        // "file" finds the text in any PDF viewer.
        font.setStyleStrategy(QFont::PreferNoShaping);
        document_.setDefaultFont(font);
        // The section is laid out once, when it is drawn, not after every insertion; nothing is
        // ever undone.
        document_.setUndoRedoEnabled(false);
        cursor_ = QTextCursor(&document_);
        cursor_.beginEditBlock();
    }

    // Empties the section for the next one. The document is reused, so that its fonts and formats
    // are resolved once for the whole report; the next section's images replace this one's under
    // the same names.
    void restart() {
        if (!editing_)
            cursor_.beginEditBlock();
        cursor_.select(QTextCursor::Document);
        cursor_.removeSelectedText();
        editing_ = true;
        first_ = true;
        images_.clear();
    }

    void heading(const QString& text, qreal pointSize) {
        QTextCharFormat format;
        format.setFontPointSize(pointSize);
        format.setFontWeight(QFont::Bold);
        newBlock(pointSize * 0.6);
        cursor_.insertText(text, format);
    }

    // "Label: value" on a line of its own, the label in bold.
    void field(const QString& label, const QString& value, qreal spaceAbove = 1) {
        newBlock(spaceAbove);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        cursor_.insertText(label + QStringLiteral(": "), bold);
        cursor_.insertText(oneParagraph(value), QTextCharFormat());
    }

    void paragraph(const QString& text, qreal spaceAbove = 3, bool italic = false) {
        newBlock(spaceAbove);
        QTextCharFormat format;
        format.setFontItalic(italic);
        cursor_.insertText(oneParagraph(text), format);
    }

    // The image scaled down to the page width (and to most of a page's height), never up; `file` is
    // the image file it was read from.
    void image(const QImage& picture, const QByteArray& file) {
        const auto [printed, needed] = printedSize(picture.size());
        QImage stored = picture;
        if (picture.width() > needed.width() && needed.width() > 0 && needed.height() > 0)
            stored = picture.scaled(needed, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        insertImage(pdfImage(stored, file, stored.size() == picture.size()), printed);
    }

    // An image file kept as it is, unless it has more pixels than the PDF can show: then false.
    bool imageAsItIs(PdfImage image) {
        const auto [printed, needed] = printedSize(image.size);
        if (image.size.width() > needed.width())
            return false;
        insertImage(std::move(image), printed);
        return true;
    }

    const std::map<QString, PdfImage>& images() const { return images_; }

    // The finished section, laid out for the PDF's pages.
    QTextDocument& document() {
        if (editing_) {
            // Each block keeps its glyphs from the layout for PdfPages, instead of shaping its text
            // a second time.
            for (QTextBlock block = document_.begin(); block.isValid(); block = block.next())
                block.layout()->setCacheEnabled(true);
            cursor_.endEditBlock();
            editing_ = false;
        }
        return document_;
    }

private:
    // The size of an image of `pixels` on the page, in pixels of a 96 dpi screen, and the pixels
    // the PDF's resolution can show at that size.
    std::pair<QSizeF, QSize> printedSize(QSize pixels) const {
        const qreal pageWidth = writer_.width() * kScreenDpi / kResolution;
        const qreal pageHeight = writer_.height() * kScreenDpi / kResolution * 0.75;
        const qreal scale = std::min({1.0, pageWidth / pixels.width(), pageHeight / pixels.height()});
        const QSizeF printed(pixels.width() * scale, pixels.height() * scale);
        // Pixels beyond what the PDF's resolution can show only make the file larger.
        return {printed, (printed * kResolution / kScreenDpi).toSize()};
    }

    void insertImage(PdfImage image, QSizeF printed) {
        const QString name = QStringLiteral("snapshot:%1").arg(images_.size() + 1);
        images_[name] = std::move(image);
        // The layout only asks whether the image exists, to scale its size from screen pixels to the
        // PDF's dots; a placeholder answers that without a copy of the snapshot.
        document_.addResource(QTextDocument::ImageResource, QUrl(name), placeholder_);
        newBlock(6);
        QTextImageFormat format;
        format.setName(name);
        format.setWidth(printed.width());
        format.setHeight(printed.height());
        cursor_.insertImage(format);
    }

    // Text with its line breaks kept inside one paragraph.
    static QString oneParagraph(QString text) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\r', u'\n');
        text.replace(u'\n', QChar::LineSeparator);
        return text;
    }

    // A paragraph `spaceAbove` points below the previous one.
    void newBlock(qreal spaceAbove) {
        QTextBlockFormat format;
        format.setTopMargin(spaceAbove * kResolution / 72);
        if (first_) {
            cursor_.setBlockFormat(format);
            first_ = false;
        } else {
            cursor_.insertBlock(format, QTextCharFormat());
        }
    }

    QPdfWriter& writer_;
    QTextDocument document_;
    QTextCursor cursor_;
    bool first_ = true;
    bool editing_ = true;
    std::map<QString, PdfImage> images_;
    QImage placeholder_ = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.fill(Qt::white);
        return image;
    }();
};

QString valueOrNone(const QString& text) {
    return text.isEmpty() ? QCoreApplication::translate("Report", "(none)") : text;
}

// "2024-03-07 10:05 by Anna", or what of it is there.
QString byLine(const QString& date, const std::string& author) {
    if (author.empty())
        return date;
    return date.isEmpty()
               ? qtext(author)
               : QCoreApplication::translate("Report", "%1 by %2", "date by author").arg(date, qtext(author));
}

void titlePage(Section& section, const ReportInput& input) {
    const BcfData& data = input.data;
    const QDateTime now = QDateTime::currentDateTime();
    section.heading(QCoreApplication::translate("Report", "Issue report"), 22);
    section.field(QCoreApplication::translate("Report", "Project"), valueOrNone(qtext(data.name)));
    section.field(QCoreApplication::translate("Report", "Archive file"),
                  valueOrNone(QFileInfo(qtext(input.options.archiveFile)).fileName()));
    section.field(QCoreApplication::translate("Report", "Date"),
                  formatDateTime(storedDateTimeText(now), DateTimeStyle::Report));
    section.field(QCoreApplication::translate("Report", "Topics"),
                  localCount(static_cast<qint64>(input.rows.size())));
    // The offset as the C library applies it to every date of the report.
    const int minutes = now.offsetFromUtc() / 60;
    section.paragraph(QCoreApplication::translate("Report", "All times are local times (UTC%1%2:%3).")
                          .arg(minutes < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                          .arg(std::abs(minutes) / 60, 2, 10, QLatin1Char('0'))
                          .arg(std::abs(minutes) % 60, 2, 10, QLatin1Char('0')),
                      6, true);
    section.heading(QCoreApplication::translate("Report", "Topics by status"), 13);
    for (const auto& [status, count] : countBy(data, input.rows, &Topic::topicStatus))
        section.field(status, localCount(static_cast<qint64>(count)));
    section.heading(QCoreApplication::translate("Report", "Topics by type"), 13);
    for (const auto& [type, count] : countBy(data, input.rows, &Topic::topicType))
        section.field(type, localCount(static_cast<qint64>(count)));
}

void snapshots(Section& section, const ZipArchive& source, const Markup& markup) {
    bool any = false;
    for (const ViewPoint& viewPoint : markup.viewPoints) {
        if (viewPoint.snapshot.empty() && !viewPoint.snapshotLoaded)
            continue;
        if (!any)
            section.heading(QCoreApplication::translate("Report", "Snapshots"), 12);
        any = true;
        const QString name = qtext(viewPoint.snapshot);
        QImage picture;
        QString problem;
        std::string bytes;
        try {
            bytes = snapshotBytes(source, markup, viewPoint);
            const QByteArray file =
                QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
            // Most snapshots are PNG files that can go into the PDF without decoding their pixels.
            if (std::optional<PdfImage> png = intactPng(file); png && section.imageAsItIs(std::move(*png)))
                continue;
            picture = QImage::fromData(file);
            if (bytes.empty())
                problem = QCoreApplication::translate("Report", "not in the archive");
            else if (picture.isNull())
                problem = QCoreApplication::translate("Report", "not a readable image");
        } catch (const std::exception& error) {
            problem = QString::fromUtf8(error.what());
        }
        // A snapshot that can't be shown costs only itself: the section says so and goes on.
        if (problem.isEmpty())
            section.image(picture, QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size())));
        else
            section.paragraph(
                QCoreApplication::translate("Report", "Snapshot %1 can't be shown: %2").arg(name, problem), 3,
                true);
    }
}

void topicSection(Section& section, const ZipArchive& source, const Markup& markup, std::size_t number) {
    const Topic& topic = markup.topic;
    section.heading(QStringLiteral("%1. %2").arg(number).arg(qtext(topic.title)), 16);
    section.field(QCoreApplication::translate("Report", "GUID"), qtext(topic.guid));
    section.field(QCoreApplication::translate("Report", "Type"), qtext(topic.topicType));
    section.field(QCoreApplication::translate("Report", "Status"), qtext(topic.topicStatus));
    section.field(QCoreApplication::translate("Report", "Priority"), qtext(topic.priority));
    section.field(QCoreApplication::translate("Report", "Stage"), qtext(topic.stage));
    section.field(QCoreApplication::translate("Report", "Assigned to"), qtext(topic.assignedTo));
    section.field(QCoreApplication::translate("Report", "Labels"),
                  topicLabels(topic).join(QStringLiteral(", ")));
    section.field(QCoreApplication::translate("Report", "Due date"), dateText(topic.dueDate));
    section.field(QCoreApplication::translate("Report", "Created"),
                  byLine(dateText(topic.creationDate), topic.creationAuthor));
    section.field(QCoreApplication::translate("Report", "Modified"),
                  byLine(dateText(topic.modifiedDate), topic.modifiedAuthor));
    section.heading(QCoreApplication::translate("Report", "Description"), 12);
    section.paragraph(valueOrNone(qtext(topic.description)));
    snapshots(section, source, markup);
    section.heading(QCoreApplication::translate("Report", "Comments (%1)")
                        .arg(localCount(static_cast<qint64>(markup.comments.size()))),
                    12);
    for (const Comment& comment : markup.comments) {
        // "Anna: 2024-03-07 10:05 (changed 2024-03-08 09:00 by Ben)", then the text.
        QString when = dateText(comment.date);
        if (!comment.modifiedDate.empty() || !comment.modifiedAuthor.empty())
            when +=
                QLatin1Char(' ') + QCoreApplication::translate("Report", "(changed %1)")
                                       .arg(byLine(dateText(comment.modifiedDate), comment.modifiedAuthor));
        section.field(valueOrNone(qtext(comment.author)), when, 7);
        section.paragraph(qtext(comment.comment), 1);
    }
}

} // namespace

void writePdfReport(QIODevice& out, const ReportInput& input) {
    // The page metrics the sections are laid out for; nothing is drawn through it.
    QBuffer unused;
    QPdfWriter writer(&unused);
    writer.setResolution(kResolution);
    writer.setPageSize(
        QPageSize(input.options.paperSize == PaperSize::Letter ? QPageSize::Letter : QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    PdfPages pages(out, writer.pageLayout(), kResolution);
    {
        Section title(writer);
        titlePage(title, input);
        pages.draw(title.document(), title.images());
    }
    std::size_t done = 0;
    Section section(writer);
    for (const int row : input.rows) {
        section.restart();
        topicSection(section, input.source, input.data.markups.at(static_cast<std::size_t>(row)), done + 1);
        pages.draw(section.document(), section.images());
        reportStep(input.progress, ++done, input.rows.size());
    }
    pages.finish(QCoreApplication::translate("Report", "Issue report %1").arg(qtext(input.data.name)),
                 QStringLiteral("bcf"));
    if (const auto* file = qobject_cast<const QFileDevice*>(&out);
        file && file->error() != QFileDevice::NoError)
        throw std::runtime_error(file->errorString().toStdString());
}

} // namespace bcf::report_detail
