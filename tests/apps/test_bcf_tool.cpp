// The bcf command-line tool as a user runs it: each row runs a few commands in a scratch folder and
// its transcript (exit codes, stdout, stderr, the files left behind) must equal a golden file in
// tests/data/tool. BCF_UPDATE_GOLDEN=1 rewrites the golden files instead of comparing.
#include "test_support.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace bcf::test;

namespace {

const std::string kPrevious = "previous content";

// What running a program shows: stdout, stderr and the exit code; "bcf" stands for the tool, which
// runs two hours ahead of UTC.
QString run(QStringList arguments) {
    arguments.replaceInStrings(QRegularExpression(QStringLiteral("^bcf$")), QStringLiteral(BCF_TOOL));
    QProcess process;
    process.setEnvironment(QProcess::systemEnvironment() << QStringLiteral("TZ=UTC-2"));
    process.start(arguments.value(0), arguments.mid(1));
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return QStringLiteral("crashed or hung\n");
    const QByteArray err = process.readAllStandardError();
    return QString::fromUtf8(process.readAllStandardOutput() + (err.isEmpty() ? "" : "--- stderr\n" + err)) +
           QStringLiteral("exit %1\n").arg(process.exitCode());
}

} // namespace

class BcfToolTest : public QObject {
    Q_OBJECT

private slots:
    // `input` is copied to DIR/in.bcf (IN): "cases/..." an official archive, "data/..." a test file,
    // "@" the 2.1 archive with every field; CASES is the folder of the official archives. Commands
    // are split at "; " (setpriv runs the tool as another user, which needs root).
    void transcriptMatchesGolden_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("commands");
        for (const QString& version : {QStringLiteral("2.1"), QStringLiteral("3.0")})
            for (const QString& name :
                 QDir(testcasesDir() + u'/' + version).entryList({QStringLiteral("*.bcf")}))
                QTest::addRow("info prints every field of %s %s", qPrintable(version), qPrintable(name))
                    << QStringLiteral("cases/%1/%2").arg(version, name) << QStringLiteral("bcf info IN");
        const QString broken = QStringLiteral(
            "crc-mismatch cut-central-directory duplicate-names duplicate-topic-guids empty hostile-names "
            "malformed-markup malformed-project no-version random-bytes size-lie truncated version-2.0 "
            "version-unknown zip-bomb-lying-size zip-bomb");
        for (const QString& name : broken.split(u' '))
            QTest::addRow("info and convert report broken archive %s", qPrintable(name))
                << QStringLiteral("data/broken/%1.bcf").arg(name)
                << QStringLiteral("bcf info IN; bcf convert IN OUT");
        const char* const rows[][3] = {
            // clang-format off
            {"convert 2.1 to 3.0 notes what changed", "@", "bcf info IN; bcf convert IN OUT --to 3.0; bcf info OUT"},
            {"convert 3.0 documents to 2.1", "cases/3.0/Markup_Document_reference_internal.bcf", "bcf info IN; bcf convert IN OUT --to 2.1; bcf info OUT"},
            {"convert 3.0 wide camera to 2.1", "cases/3.0/Visualization_Perspective_camera.bcf", "bcf info IN; bcf convert IN OUT --to 2.1; bcf info OUT"},
            {"convert keeps 3.0 as 3.0", "cases/3.0/Markup_Labels.bcf", "bcf info IN; bcf convert IN OUT; bcf info OUT"},
            {"convert names what it leaves out", "data/regressions/unread-content-2.1.bcf", "bcf convert IN OUT; bcf validate OUT; bcf convert IN OUT --to 3.0; bcf validate OUT"},
            {"archive comment is ignored", "data/tool/archive-comment.bcf", "bcf info IN; bcf convert IN OUT; bcf info OUT"},
            {"convert over the archive being read", "@", "bcf info IN; bcf convert IN IN; bcf info IN"},
            {"damaged snapshot costs only itself", "@!7ddc3ef0-0ab7-43f1-918a-45e38b42369c/Snapshot_4ab7514b-b216-4d56-98d2-45cf8500ff5a.png", "bcf info IN; bcf convert IN OUT; bcf info OUT"},
            {"damaged viewpoint costs only itself", "@!7ddc3ef0-0ab7-43f1-918a-45e38b42369c/Viewpoint_4ab7514b-b216-4d56-98d2-45cf8500ff5a.bcfv", "bcf info IN; bcf convert IN OUT; bcf info OUT"},
            {"damaged bitmap costs only itself", "@!7ddc3ef0-0ab7-43f1-918a-45e38b42369c/bitmap.png", "bcf info IN; bcf convert IN OUT; bcf info OUT"},
            {"damaged document costs only itself", "@!IfcPile_01.ifc", "bcf info IN; bcf convert IN OUT; bcf info OUT"},
            {"missing file fails", "", "bcf info DIR/missing.bcf; bcf convert DIR/missing.bcf OUT"},
            {"convert into a missing folder fails", "@", "bcf convert IN DIR/no/such/out.bcf"},
            {"damaged snapshot kept when converting over the archive", "@!7ddc3ef0-0ab7-43f1-918a-45e38b42369c/Snapshot_4ab7514b-b216-4d56-98d2-45cf8500ff5a.png", "bcf convert IN IN"},
            {"a pipe is neither input nor target", "@", "mkfifo DIR/pipe; bcf info DIR/pipe; bcf convert IN DIR/pipe; bcf convert DIR/pipe OUT"},
            {"a folder another user may not write is named", "@", "chmod 755 DIR; setpriv --reuid=65534 --regid=65534 --clear-groups bcf convert IN DIR/new.bcf"},
            {"convert onto a folder fails", "@", "bcf convert IN DIR"},
            {"help prints usage", "", "bcf --help"},
            {"wrong arguments print usage", "@", "bcf; bcf show IN; bcf info; bcf convert IN; bcf convert IN OUT --to 2.0; bcf convert IN OUT --as 3.0"},
            {"report of every topic as CSV", "data/report/two-topics.bcf", "bcf report IN DIR/r.csv"},
            {"report filters status in any case", "data/report/two-topics.bcf", "bcf report IN DIR/r.csv --status OPEN"},
            {"report with two statuses", "data/report/two-topics.bcf", "bcf report IN DIR/r.csv --status closed --status Open"},
            {"report filters labels in any case", "data/report/two-topics.bcf", "bcf report IN DIR/r.csv --label statik --label Dach"},
            {"report needs type and status both", "data/report/two-topics.bcf", "bcf report IN DIR/r.csv --type clash --status closed"},
            {"report PDF and XLSX", "data/report/two-topics.bcf", "bcf report IN DIR/r.pdf --letter; bcf report IN DIR/r.xlsx"},
            {"report usage errors keep the file", "data/report/two-topics.bcf", "bcf report IN OUT; bcf report IN DIR/r.csv --colour red; bcf report IN DIR/r.csv --type; bcf report IN"},
            {"read-only file of one's own replaced by root", "@", "chmod 444 OUT; bcf convert IN OUT"},
            {"read-only file of another user kept", "@", "chmod 644 OUT; setpriv --reuid=65534 --regid=65534 --clear-groups bcf convert IN OUT"},
            {"group-writable file of another user replaced", "@", "chown 0:65534 OUT; chmod 660 OUT; setpriv --reuid=65534 --regid=65534 --clear-groups bcf convert IN OUT"},
            {"file of another user replaced by root keeps owner", "@", "chown 65534:65534 OUT; chmod 640 OUT; bcf convert IN OUT"},
            {"report fails in a missing folder", "data/report/two-topics.bcf", "bcf report IN DIR/no/r.csv; bcf report DIR/missing.bcf DIR/r.csv"},
            {"validate lists schema and rule findings", "cases/3.0/Markup_Document_Reference_External.bcf", "bcf validate IN; bcf validate CASES/3.0/Markup_Labels.bcf --json"},
            {"validate a damaged entry and what is no archive", "@!7ddc3ef0-0ab7-43f1-918a-45e38b42369c/markup.bcf", "bcf validate IN; bcf validate OUT; bcf validate DIR/missing.bcf"},
            {"merge adds what only the others have", "cases/2.1/Markup_MinimumInformation.bcf", "bcf merge IN CASES/2.1/Markup_PDFFile.bcf CASES/3.0/Markup_Labels.bcf -o OUT; bcf validate OUT"},
            {"merge of a 3.0 copy adds nothing", "@", "bcf convert IN DIR/v3.bcf --to 3.0; bcf merge IN DIR/v3.bcf -o OUT; bcf merge DIR/v3.bcf IN -o DIR/back.bcf --json"},
            {"merge leaves out a damaged viewpoint", "@!7ddc3ef0-0ab7-43f1-918a-45e38b42369c/Viewpoint_4ab7514b-b216-4d56-98d2-45cf8500ff5a.bcfv", "bcf merge CASES/2.1/Markup_MinimumInformation.bcf IN -o OUT; bcf info OUT"},
            {"merge usage errors and unreadable archives keep the file", "@", "bcf merge IN IN -o; bcf merge IN DIR/missing.bcf -o OUT"},
            // clang-format on
        };
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString::fromUtf8(row[1]).replace(
                                         u'@', QStringLiteral("cases/2.1/Markup_MaximumInformation.bcf"))
                                  << QString::fromUtf8(row[2]);
    }
    void transcriptMatchesGolden() {
        QFETCH(QString, input);
        QFETCH(QString, commands);
        // Owners and modes only mean the same to root, who may hand files to other users.
        const bool owners = commands.contains(QStringLiteral("chmod"));
        if (owners && ::geteuid() != 0)
            QSKIP("needs root to hand files to another user");
        QTemporaryDir dir;
        ::chmod(dir.path().toLocal8Bit().constData(), 0777); // user 65534 may read IN and write there
        const QString in = dir.filePath(QStringLiteral("in.bcf"));
        const QString out = dir.filePath(QStringLiteral("out.bcf"));
        const QStringList source = input.split(u'!'); // "FILE!ENTRY": FILE with ENTRY garbled
        std::string inBytes =
            readFile(input.startsWith(QStringLiteral("cases/")) ? testcasesDir() + source[0].mid(5)
                                                                : dataDir() + source[0].mid(4));
        if (source.size() > 1)
            inBytes = damagedEntry(inBytes, source[1].toStdString());
        QVERIFY(input.isEmpty() || writeFile(in, inBytes));
        QVERIFY(writeFile(out, kPrevious));
        // GUIDs that the first command did not show are fresh: numbered, so that links still show.
        const QRegularExpression guid(QStringLiteral("[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}"),
                                      QRegularExpression::CaseInsensitiveOption);
        QStringList seen, fresh;
        QString transcript;
        for (const QString& command : commands.split(QStringLiteral("; "))) {
            // Split into arguments before the tokens become paths, which may hold spaces.
            QStringList arguments = command.split(u' ', Qt::SkipEmptyParts);
            for (QString& argument : arguments)
                for (const auto& [token, path] : {std::pair(QStringLiteral("IN"), in),
                                                  {QStringLiteral("OUT"), out},
                                                  {QStringLiteral("DIR"), dir.path()},
                                                  {QStringLiteral("CASES"), testcasesDir()}})
                    if (argument == token || argument.startsWith(token + u'/'))
                        argument.replace(0, token.size(), path);
            QString output = run(arguments);
            for (const QRegularExpressionMatch& match : guid.globalMatch(output)) {
                const QString id = match.captured().toLower();
                if (!transcript.contains(QStringLiteral("\nexit ")))
                    seen << id;
                else if (!seen.contains(id) && !fresh.contains(id))
                    output.replace(id, QStringLiteral("(new GUID %1)").arg((fresh << id).size()),
                                   Qt::CaseInsensitive);
            }
            transcript += QStringLiteral("$ %1\n%2").arg(command, output);
        }
        // What is left in the folder, and which files changed; a CSV report is shown whole.
        for (const QFileInfo& file :
             QDir(dir.path())
                 .entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name)) {
            const std::string bytes = readFile(file.filePath());
            const bool kept = bytes == (file.fileName() == QStringLiteral("in.bcf") ? inBytes : kPrevious);
            struct stat st {};
            if (owners && ::stat(file.filePath().toLocal8Bit().constData(), &st) == 0)
                transcript +=
                    QStringLiteral("%1:%2 %3 ").arg(st.st_uid).arg(st.st_gid).arg(st.st_mode & 0777, 0, 8);
            transcript += file.fileName() + (kept ? QStringLiteral(" unchanged\n")
                                             : file.suffix() == QStringLiteral("csv")
                                                 ? QStringLiteral(":\n") + QString::fromStdString(bytes)
                                                 : QStringLiteral(" written\n"));
        }
        const QString name = QString::fromUtf8(QTest::currentDataTag()).replace(u' ', u'-');
        const QString difference =
            goldenDifference(dataDir() + QStringLiteral("/tool/") + name + QStringLiteral(".txt"),
                             maskFolders(transcript, {{dir.path(), QStringLiteral("DIR")},
                                                      {testcasesDir(), QStringLiteral("CASES")}})
                                 .toStdString());
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }
};

QTEST_GUILESS_MAIN(BcfToolTest)
#include "test_bcf_tool.moc"
