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

// What running the tool shows: stdout, stderr and the exit code. It runs two hours ahead of UTC;
// `asNobody` runs it as user and group 65534 (which needs root).
QString bcfTool(const QStringList& arguments, bool asNobody) {
    QProcess process;
    process.setEnvironment(QProcess::systemEnvironment() << QStringLiteral("TZ=UTC-2"));
    const QStringList nobody{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                             QStringLiteral("--clear-groups"), QStringLiteral(BCF_TOOL)};
    process.start(asNobody ? QStringLiteral("setpriv") : QStringLiteral(BCF_TOOL),
                  asNobody ? nobody + arguments : arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return QStringLiteral("crashed or hung\n");
    const QByteArray err = process.readAllStandardError();
    return QString::fromUtf8(process.readAllStandardOutput() + (err.isEmpty() ? "" : "--- stderr\n" + err)) +
           QStringLiteral("exit %1\n").arg(process.exitCode());
}

// Compares `actual` with the golden file at `path`; BCF_UPDATE_GOLDEN=1 rewrites the file instead.
void checkGolden(const QString& path, const std::string& actual) {
    if (qEnvironmentVariableIsSet("BCF_UPDATE_GOLDEN"))
        QVERIFY(writeFile(path, actual));
    const std::string expected = readFile(path);
    QVERIFY2(actual == expected, qPrintable(path + QStringLiteral(": ") + firstDifference(actual, expected)));
}

} // namespace

class BcfToolTest : public QObject {
    Q_OBJECT

private slots:
    // `input` is copied to DIR/in.bcf (IN): "cases/..." an official archive, "data/..." a test file,
    // "@" the 2.1 archive with every field. Commands are split at "; ", chmod and chown are the
    // test's own, "nobody" runs the tool as user 65534.
    void transcriptMatchesGolden_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("commands");
        for (const QString& version : {QStringLiteral("2.1"), QStringLiteral("3.0")})
            for (const QString& name :
                 QDir(testcasesDir() + u'/' + version).entryList({QStringLiteral("*.bcf")}))
                QTest::addRow("info prints every field of %s %s", qPrintable(version), qPrintable(name))
                    << QStringLiteral("cases/%1/%2").arg(version, name) << QStringLiteral("info IN");
        const QString broken = QStringLiteral(
            "crc-mismatch cut-central-directory duplicate-names duplicate-topic-guids empty hostile-names "
            "malformed-markup malformed-project no-version random-bytes size-lie truncated version-2.0 "
            "version-unknown zip-bomb-lying-size zip-bomb");
        for (const QString& name : broken.split(u' '))
            QTest::addRow("info and convert report broken archive %s", qPrintable(name))
                << QStringLiteral("data/broken/%1.bcf").arg(name)
                << QStringLiteral("info IN; convert IN OUT");
        const char* const rows[][3] = {
            // clang-format off
            {"convert 2.1 to 3.0 notes what changed", "@", "info IN; convert IN OUT --to 3.0; info OUT"},
            {"convert 3.0 documents to 2.1", "cases/3.0/Markup_Document_reference_internal.bcf", "info IN; convert IN OUT --to 2.1; info OUT"},
            {"convert 3.0 wide camera to 2.1", "cases/3.0/Visualization_Perspective_camera.bcf", "info IN; convert IN OUT --to 2.1; info OUT"},
            {"convert keeps 3.0 as 3.0", "cases/3.0/Markup_Labels.bcf", "info IN; convert IN OUT; info OUT"},
            {"archive comment is ignored", "data/tool/archive-comment.bcf", "info IN; convert IN OUT; info OUT"},
            {"convert over the archive being read", "@", "info IN; convert IN IN; info IN"},
            {"damaged snapshot costs only itself", "@!7ddc3ef0-0ab7-43f1-918a-45e38b42369c/Snapshot_4ab7514b-b216-4d56-98d2-45cf8500ff5a.png", "info IN; convert IN OUT; info OUT"},
            {"damaged viewpoint costs only itself", "@!7ddc3ef0-0ab7-43f1-918a-45e38b42369c/Viewpoint_4ab7514b-b216-4d56-98d2-45cf8500ff5a.bcfv", "info IN; convert IN OUT; info OUT"},
            {"damaged bitmap costs only itself", "@!7ddc3ef0-0ab7-43f1-918a-45e38b42369c/bitmap.png", "info IN; convert IN OUT; info OUT"},
            {"damaged document costs only itself", "@!IfcPile_01.ifc", "info IN; convert IN OUT; info OUT"},
            {"missing file fails", "", "info DIR/missing.bcf; convert DIR/missing.bcf OUT"},
            {"convert into a missing folder fails", "@", "convert IN DIR/no/such/out.bcf"},
            {"convert onto a folder fails", "@", "convert IN DIR"},
            {"help prints usage", "", "--help"},
            {"wrong arguments print usage", "@", "; show IN; info; convert IN; convert IN OUT --to 2.0; convert IN OUT --as 3.0"},
            {"report of every topic as CSV", "data/report/two-topics.bcf", "report IN DIR/r.csv"},
            {"report filters status in any case", "data/report/two-topics.bcf", "report IN DIR/r.csv --status OPEN"},
            {"report with two statuses", "data/report/two-topics.bcf", "report IN DIR/r.csv --status closed --status Open"},
            {"report filters labels in any case", "data/report/two-topics.bcf", "report IN DIR/r.csv --label statik --label Dach"},
            {"report needs type and status both", "data/report/two-topics.bcf", "report IN DIR/r.csv --type clash --status closed"},
            {"report PDF and XLSX", "data/report/two-topics.bcf", "report IN DIR/r.pdf --letter; report IN DIR/r.xlsx"},
            {"report usage errors keep the file", "data/report/two-topics.bcf", "report IN OUT; report IN DIR/r.csv --colour red; report IN DIR/r.csv --type; report IN"},
            {"read-only file of one's own replaced by root", "@", "chmod 444 OUT; convert IN OUT"},
            {"read-only file of another user kept", "@", "chmod 644 OUT; nobody convert IN OUT"},
            {"group-writable file of another user replaced", "@", "chown 0:65534 OUT; chmod 660 OUT; nobody convert IN OUT"},
            {"file of another user replaced by root keeps owner", "@", "chown 65534:65534 OUT; chmod 640 OUT; convert IN OUT"},
            {"report fails in a missing folder", "data/report/two-topics.bcf", "report IN DIR/no/r.csv; report DIR/missing.bcf DIR/r.csv"},
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

        // GUIDs that the first run of the tool did not show are fresh: numbered, so that links still show.
        const QRegularExpression guid(QStringLiteral("[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}"),
                                      QRegularExpression::CaseInsensitiveOption);
        QStringList seen;
        QStringList fresh;
        QString transcript;
        for (const QString& command : commands.split(QStringLiteral("; "))) {
            QString line = command; // the tokens are whole words, which no temporary path holds
            for (const auto& [token, path] : {std::pair(QStringLiteral("IN"), in),
                                              {QStringLiteral("OUT"), out},
                                              {QStringLiteral("DIR"), dir.path()}})
                line.replace(QRegularExpression(QStringLiteral("\\b%1\\b").arg(token)), path);
            QStringList arguments = line.split(u' ', Qt::SkipEmptyParts);
            if (command.startsWith(QStringLiteral("ch"))) { // chmod or chown, done by the test
                QCOMPARE(QProcess::execute(arguments.takeFirst(), arguments), 0);
                transcript += QStringLiteral("$ %1\n").arg(command);
                continue;
            }
            const bool nobody = !arguments.isEmpty() && arguments.first() == QStringLiteral("nobody");
            QString output = bcfTool(arguments.mid(nobody ? 1 : 0), nobody);
            for (const QRegularExpressionMatch& match : guid.globalMatch(output)) {
                const QString id = match.captured().toLower();
                if (!transcript.contains(QStringLiteral("\nexit ")))
                    seen << id;
                else if (!seen.contains(id) && !fresh.contains(id))
                    output.replace(id, QStringLiteral("(new GUID %1)").arg((fresh << id).size()),
                                   Qt::CaseInsensitive);
            }
            transcript += QStringLiteral("$ %1%2\n%3")
                              .arg(nobody ? QString() : QStringLiteral("bcf "), command, output);
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
        checkGolden(dataDir() + QStringLiteral("/tool/") + name + QStringLiteral(".txt"),
                    transcript.replace(dir.path(), QStringLiteral("DIR")).toStdString());
    }
};

QTEST_GUILESS_MAIN(BcfToolTest)
#include "test_bcf_tool.moc"
