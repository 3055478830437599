#include "report_command.h"

#include "archive_failure.h"
#include "codec/archive.h"
#include "codec/bcf_error.h"
#include "i18n/language.h"
#include "report/report.h"

#include <QGuiApplication>
#include <QLocale>

#include <iostream>

namespace bcf::cli {

namespace {

// One line on stderr: the message, prefixed by `file` unless the message names it already.
int failure(const std::string& file, const std::exception& error) {
    const auto* bcfError = dynamic_cast<const BcfError*>(&error);
    if (bcfError && bcfError->subject() == file)
        std::cerr << "bcf: " << error.what() << "\n";
    else
        std::cerr << "bcf: " << file << ": " << error.what() << "\n";
    return 1;
}

// Qt's own notes (no XDG runtime folder and the like) are no concern of a command-line user;
// only its critical messages are shown.
void criticalQtMessagesOnly(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << "bcf: " << message.toStdString() << "\n";
}

} // namespace

int runReportCommand(const std::vector<std::string>& args, std::string& usageProblem) {
    if (args.size() < 3) {
        usageProblem = "report takes an archive and an output file";
        return 2;
    }
    const std::string& archive = args[1];
    const std::string& out = args[2];
    if (!reportFormatForPath(out)) {
        usageProblem = "the report file must end in .pdf, .xlsx or .csv: \"" + out + "\"";
        return 2;
    }
    TopicFilter filter;
    ReportOptions options;
    options.archiveFile = archive;
    // English unless asked otherwise: the same command writes the same report on every machine.
    std::string language = "en";
    for (std::size_t i = 3; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--letter") {
            options.paperSize = PaperSize::Letter;
            continue;
        }
        if (option == "--lang") {
            if (i + 1 == args.size()) {
                usageProblem = "--lang takes a language such as de or en";
                return 2;
            }
            language = args[++i];
            if (QLocale(QString::fromStdString(language)).language() == QLocale::C && language != "C") {
                usageProblem = "unknown language \"" + language + "\"";
                return 2;
            }
            continue;
        }
        std::vector<std::string>* values = option == "--status"  ? &filter.statuses
                                           : option == "--type"  ? &filter.types
                                           : option == "--label" ? &filter.labels
                                                                 : nullptr;
        if (!values) {
            usageProblem = "unknown option \"" + option + "\"";
            return 2;
        }
        if (i + 1 == args.size()) {
            usageProblem = option + " takes a value";
            return 2;
        }
        values->push_back(args[++i]);
    }

    BcfDocument document;
    try {
        // Read once, front to back: the archive's bytes are read from the file as needed.
        document = loadArchive(archive, ZipReading::OnDemand);
    } catch (const std::exception& error) {
        return archiveFailure(archive, error);
    }
    // The PDF is laid out with Qt's fonts and text layout, which need a GUI application; the
    // offscreen platform needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(criticalQtMessagesOnly);
    int qtArgc = 1;
    char program[] = "bcf";
    char* qtArgv[] = {program, nullptr};
    QGuiApplication application(qtArgc, qtArgv);
    setLanguage(QLocale(QString::fromStdString(language)));
    try {
        writeReport(out, document, filterTopics(document.data, filter), options);
        return 0;
    } catch (const std::exception& error) {
        return failure(out, error);
    }
}

} // namespace bcf::cli
