// The PDF report: a title page, then one section per topic starting on a new page, each a list of
// paragraphs laid out for the pages of a QPdfWriter and written by PdfPages, so the text stays real
// text and only one topic's snapshots are in memory at a time. QPdfWriter only lends its page
// metrics to the layout: drawing through it writes every glyph as an operator of its own, which
// made large reports many times slower.
#include "codec/bcf_error.h"
#include "report/pdf_pages_p.h"
#include "report/report_rows_p.h"
#include "report/report_writers_p.h"

#include <QBuffer>
#include <QFileDevice>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPageSize>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace bcf::report_detail {

namespace {

// Dots per inch of the PDF's coordinate space.
constexpr int kResolution = 300;
// What a PDF report may lay out, counted in characters: a paragraph costs its characters and
// kBlockCost, a snapshot kImageCost and one character for every kPixelsPerCharacter pixels decoded.
// In all some 13,000 pages of text, laid out in well under half a minute; in one topic, whose
// paragraphs and snapshots are held until it is drawn, some 4 million characters. A small archive
// whose texts or snapshots repeat could otherwise ask for hours of layout and gigabytes of memory.
constexpr std::size_t kMaxLayout = 40'000'000;
constexpr std::size_t kMaxTopicLayout = 4'000'000;
constexpr std::size_t kBlockCost = 64;
constexpr std::size_t kImageCost = 500;
constexpr std::size_t kPixelsPerCharacter = 16;
// A snapshot of more pixels is not shown (8,000 × 5,000; a snapshot of a screen has far fewer).
constexpr std::size_t kMaxSnapshotPixels = 40'000'000;

// One section of the report being built: its paragraphs and the images they show.
class Section {
public:
    // `laidOut` counts what every section of the report has laid out (see kMaxLayout).
    Section(const QPdfWriter& writer, std::size_t& laidOut) : writer_(writer), laidOut_(laidOut) {}

    // Empties the section for the next one.
    void restart() {
        paragraphs_.clear();
        images_.clear();
        shown_.clear();
        sectionLaidOut_ = 0;
    }

    // Counts `cost` against the report's and the section's layout; beyond kMaxLayout or
    // kMaxTopicLayout the report is refused.
    void charge(std::size_t cost) {
        laidOut_ += cost;
        sectionLaidOut_ += cost;
        if (laidOut_ > kMaxLayout || sectionLaidOut_ > kMaxTopicLayout)
            throw std::runtime_error(QCoreApplication::translate("Report",
                                                                 "too much to lay out in a PDF report: more "
                                                                 "than %1 million characters of text, or %2 "
                                                                 "million in one topic")
                                         .arg(kMaxLayout / 1'000'000)
                                         .arg(kMaxTopicLayout / 1'000'000)
                                         .toStdString());
    }

    void heading(const QString& text, qreal pointSize) {
        charge(kBlockCost + static_cast<std::size_t>(text.size()));
        PdfParagraph& heading = add(pointSize * 0.6);
        heading.text = oneParagraph(text);
        heading.pointSize = pointSize;
        heading.boldLength = heading.text.size();
    }

    // "Label: value" on a line of its own, the label in bold.
    void field(const QString& label, const QString& value, qreal spaceAbove = 1) {
        charge(kBlockCost + static_cast<std::size_t>(label.size() + value.size()));
        PdfParagraph& field = add(spaceAbove);
        field.text = oneParagraph(label + QStringLiteral(": "));
        field.boldLength = field.text.size();
        field.text += oneParagraph(value);
    }

    void paragraph(const QString& text, qreal spaceAbove = 3, bool italic = false) {
        charge(kBlockCost + static_cast<std::size_t>(text.size()));
        PdfParagraph& paragraph = add(spaceAbove);
        paragraph.text = oneParagraph(text);
        paragraph.italic = italic;
    }

    // The image scaled down to the page width (and to most of a page's height), never up; `file` is
    // the image file it was read from. One picture (`key`) shown again is stored once.
    void image(const void* key, const QImage& picture, const QByteArray& file) {
        charge(kImageCost);
        if (showAgain(key))
            return;
        const auto [printed, needed] = printedSize(picture.size());
        QImage stored = picture;
        if (picture.width() > needed.width() && needed.width() > 0 && needed.height() > 0)
            stored = picture.scaled(needed, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        insertImage(key, pdfImage(stored, file, stored.size() == picture.size()), printed);
    }

    // Whether an image of `pixels` is shown with all its pixels, so that its file can be kept.
    bool fitsAsItIs(QSize pixels) const { return pixels.width() <= printedSize(pixels).second.width(); }

    // An image file kept as it is (see fitsAsItIs); one picture (`key`) shown again is stored once.
    void keptImage(const void* key, const PdfImage& image) {
        charge(kImageCost);
        if (!showAgain(key))
            insertImage(key, image, printedSize(image.size).first);
    }

    const std::vector<PdfParagraph>& paragraphs() const { return paragraphs_; }
    const std::map<QString, PdfImage>& images() const { return images_; }

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

    // Shows the picture `key` again when the section has shown it before.
    bool showAgain(const void* key) {
        const auto shown = shown_.find(key);
        if (shown == shown_.end())
            return false;
        add(6) = paragraphs_[shown->second];
        return true;
    }

    void insertImage(const void* key, PdfImage image, QSizeF printed) {
        const QString name = QStringLiteral("snapshot:%1").arg(images_.size() + 1);
        images_[name] = std::move(image);
        shown_[key] = paragraphs_.size();
        PdfParagraph& paragraph = add(6);
        paragraph.image = name;
        paragraph.imageSize = printed;
    }

    // Text with its line breaks kept inside one paragraph.
    static QString oneParagraph(QString text) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\r', u'\n');
        text.replace(u'\n', QChar::LineSeparator);
        return text;
    }

    // A new paragraph `spaceAbove` spacing units below the previous one. The unit is a point
    // scaled as a 96 dpi screen's pixel is scaled to the PDF's dots: 300/96 points on paper.
    PdfParagraph& add(qreal spaceAbove) {
        PdfParagraph& paragraph = paragraphs_.emplace_back();
        paragraph.spaceAbove = std::round(spaceAbove * kResolution / 72 * kResolution / kScreenDpi * 64) / 64;
        return paragraph;
    }

    const QPdfWriter& writer_;
    std::size_t& laidOut_;
    std::size_t sectionLaidOut_ = 0;
    std::vector<PdfParagraph> paragraphs_;
    // The paragraph that first showed a picture, by the picture shown.
    std::map<const void*, std::size_t> shown_;
    std::map<QString, PdfImage> images_;
};

QString valueOrNone(const QString& text) {
    return text.isEmpty() ? QCoreApplication::translate("Report", "(none)") : text;
}

// "2024-03-07 10:05 by Anna", or what of it is there.
QString byLine(const QString& date, const std::string& author) {
    if (author.empty())
        return date;
    return date.isEmpty() ? fieldText(author)
                          : QCoreApplication::translate("Report", "%1 by %2", "date by author")
                                .arg(date, fieldText(author));
}

void titlePage(Section& section, const ReportInput& input) {
    const BcfData& data = input.data;
    const QDateTime now = QDateTime::currentDateTime();
    section.heading(QCoreApplication::translate("Report", "Issue report"), 22);
    section.field(QCoreApplication::translate("Report", "Project"), valueOrNone(fieldText(data.name)));
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

// A snapshot decoded with the bytes of its file, or kept as its file is, or why it can't be shown.
struct Picture {
    QImage image;
    std::string file;
    std::optional<PdfImage> kept;
    QString problem;
};

Picture decodedSnapshot(Section& section, const ZipArchive& source, const Markup& markup,
                        const ViewPoint& viewPoint) {
    Picture picture;
    try {
        picture.file = snapshotBytes(source, markup, viewPoint);
        QByteArray data =
            QByteArray::fromRawData(picture.file.data(), static_cast<qsizetype>(picture.file.size()));
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        // Counted before it is decoded: a small file may unpack into millions of pixels. A PNG file's
        // size is read from its header, without a look for the image plugin that reads it.
        const QSize pngPixels = pngSize(data);
        if (const QSize size = pngPixels.isValid() ? pngPixels : reader.size(); size.isValid()) {
            const std::size_t pixels =
                static_cast<std::size_t>(size.width()) * static_cast<std::size_t>(size.height());
            if (pixels > kMaxSnapshotPixels) {
                picture.problem = QCoreApplication::translate("Report", "too large to show (%1 × %2 pixels)")
                                      .arg(size.width())
                                      .arg(size.height());
                return picture;
            }
            section.charge(pixels / kPixelsPerCharacter);
        }
        // Most snapshots are PNG files that can go into the PDF without decoding their pixels.
        if (std::optional<PdfImage> png = pngPixels.isValid() ? intactPng(data) : std::nullopt;
            png && section.fitsAsItIs(png->size)) {
            picture.kept = std::move(png);
            return picture;
        }
        picture.image = reader.read();
        if (picture.file.empty())
            picture.problem = QCoreApplication::translate("Report", "not in the archive");
        else if (picture.image.isNull())
            picture.problem = QCoreApplication::translate("Report", "not a readable image");
    } catch (const BcfError& error) {
        picture.problem = QString::fromUtf8(error.what());
    }
    return picture;
}

void snapshots(Section& section, const ZipArchive& source, const Markup& markup) {
    bool any = false;
    // Viewpoints that name one image (or share its bytes) have it decoded once.
    std::map<std::pair<std::string, const char*>, Picture> decoded;
    for (const ViewPoint& viewPoint : markup.viewPoints) {
        if (viewPoint.snapshot.empty() && !viewPoint.snapshotLoaded)
            continue;
        if (!any)
            section.heading(QCoreApplication::translate("Report", "Snapshots"), 12);
        any = true;
        const auto [found, added] = decoded.try_emplace(
            {viewPoint.snapshot, viewPoint.snapshotLoaded ? viewPoint.snapshotData.data() : nullptr});
        if (added)
            found->second = decodedSnapshot(section, source, markup, viewPoint);
        const Picture& picture = found->second;
        // A snapshot that can't be shown costs only itself: the section says so and goes on.
        if (picture.kept)
            section.keptImage(&picture, *picture.kept);
        else if (picture.problem.isEmpty())
            section.image(
                &picture, picture.image,
                QByteArray::fromRawData(picture.file.data(), static_cast<qsizetype>(picture.file.size())));
        else
            section.paragraph(QCoreApplication::translate("Report", "Snapshot %1 can't be shown: %2")
                                  .arg(fieldText(viewPoint.snapshot), picture.problem),
                              3, true);
    }
}

void topicSection(Section& section, const ZipArchive& source, const Markup& markup, std::size_t number) {
    const Topic& topic = markup.topic;
    section.heading(QStringLiteral("%1. %2").arg(number).arg(fieldText(topic.title)), 16);
    section.field(QCoreApplication::translate("Report", "GUID"), fieldText(topic.guid));
    section.field(QCoreApplication::translate("Report", "Type"), fieldText(topic.topicType));
    section.field(QCoreApplication::translate("Report", "Status"), fieldText(topic.topicStatus));
    section.field(QCoreApplication::translate("Report", "Priority"), fieldText(topic.priority));
    section.field(QCoreApplication::translate("Report", "Stage"), fieldText(topic.stage));
    section.field(QCoreApplication::translate("Report", "Assigned to"), fieldText(topic.assignedTo));
    section.field(QCoreApplication::translate("Report", "Labels"), labelsText(topic));
    section.field(QCoreApplication::translate("Report", "Due date"), dateText(topic.dueDate));
    section.field(QCoreApplication::translate("Report", "Created"),
                  byLine(dateText(topic.creationDate), topic.creationAuthor));
    section.field(QCoreApplication::translate("Report", "Modified"),
                  byLine(dateText(topic.modifiedDate), topic.modifiedAuthor));
    section.heading(QCoreApplication::translate("Report", "Description"), 12);
    section.paragraph(valueOrNone(fieldText(topic.description)));
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
        section.field(valueOrNone(fieldText(comment.author)), when, 7);
        section.paragraph(fieldText(comment.comment), 1);
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
    QFont font = QGuiApplication::font();
    // No ligatures for scripts that need no shaping: "fi" stays two letters, so a search for
    // "file" finds the text in any PDF viewer.
    font.setStyleStrategy(QFont::PreferNoShaping);
    PdfText text(font, writer);
    std::size_t laidOut = 0;
    Section section(writer, laidOut);
    titlePage(section, input);
    pages.draw(section.paragraphs(), section.images(), text);
    std::size_t done = 0;
    for (const int row : input.rows) {
        section.restart();
        topicSection(section, input.source, input.data.markups.at(static_cast<std::size_t>(row)), done + 1);
        pages.draw(section.paragraphs(), section.images(), text);
        reportStep(input.progress, ++done, input.rows.size());
    }
    pages.finish(QCoreApplication::translate("Report", "Issue report %1").arg(fieldText(input.data.name)),
                 QStringLiteral("bcf"));
    if (const auto* file = qobject_cast<const QFileDevice*>(&out);
        file && file->error() != QFileDevice::NoError)
        throw std::runtime_error(file->errorString().toStdString());
}

} // namespace bcf::report_detail
