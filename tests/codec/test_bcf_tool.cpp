// The bcf command-line tool: `info` prints the model as JSON, `convert` writes a loadable
// archive, and a failure prints one line on stderr, exits non-zero and leaves OUT alone.
#include "test_support.h"

#include "codec/archive.h"
#include "codec/version.h"
#include "codec/zip/zip_archive.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace bcf;
using namespace bcf::test;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the tool; `asNobody` runs it as user and group 65534 (which only root can arrange).
Run bcfTool(const QStringList& arguments, bool asNobody = false) {
    QProcess process;
    const QStringList nobody{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                             QStringLiteral("--clear-groups"), QStringLiteral(BCF_TOOL)};
    process.start(asNobody ? QStringLiteral("setpriv") : QStringLiteral(BCF_TOOL),
                  asNobody ? nobody + arguments : arguments);
    Run run;
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QString official(const char* name) {
    return testcasesDir() + u'/' + QString::fromUtf8(name);
}

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

// An archive that loads but cannot be saved: two topics share one GUID, so one folder.
void writeDuplicateTopics(const QString& path) {
    ZipArchive archive;
    archive.writeEntry("bcf.version", "<Version VersionId=\"3.0\"/>");
    const std::string markup = "<Markup><Topic Guid=\"a0000000-0000-4000-8000-000000000000\" TopicType=\"E\" "
                               "TopicStatus=\"O\"><Title>T</Title></Topic></Markup>";
    archive.writeEntry("one/markup.bcf", markup);
    archive.writeEntry("two/markup.bcf", markup);
    archive.save(path.toStdString());
}

void writeVersion20(const QString& path) {
    ZipArchive archive;
    archive.writeEntry("bcf.version", "<Version VersionId=\"2.0\"/>");
    archive.save(path.toStdString());
}

} // namespace

class BcfToolTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(dir.isValid()); }

    void infoPrintsModelAsJson_data() {
        QTest::addColumn<QString>("archive");
        QTest::newRow("2.1 with every markup field") << official("2.1/Markup_MaximumInformation.bcf");
        QTest::newRow("2.1 without project file") << official("2.1/Markup_MinimumInformation.bcf");
        QTest::newRow("3.0 with orthogonal camera") << official("3.0/Visualization_Component_selection.bcf");
        QTest::newRow("3.0 with a due date") << official("3.0/Markup_Due_Date.bcf");
    }
    void infoPrintsModelAsJson() {
        QFETCH(QString, archive);
        const Run run = bcfTool({QStringLiteral("info"), archive});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.isEmpty(), run.err.constData());
        QJsonParseError error;
        const QJsonDocument json = QJsonDocument::fromJson(run.out, &error);
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
        QVERIFY(json.isObject());
        const QJsonObject root = json.object();

        BcfData data = loadArchive(archive.toStdString());
        fetchAllPayloads(data);
        QCOMPARE(root.value(u"version").toString(), QString::fromLatin1(versionText(data.version)));
        QCOMPARE(root.value(u"projectId").toString(), text(data.projectId));
        QCOMPARE(root.value(u"name").toString(), text(data.name));
        QCOMPARE(root.value(u"extensionSchema").toString(), text(data.extensionSchema));
        const std::pair<const char*, const std::vector<std::string>*> lists[] = {
            {"topicTypes", &data.topicTypes},
            {"topicStatuses", &data.topicStatuses},
            {"topicLabels", &data.topicLabels},
            {"snippetTypes", &data.snippetTypes},
            {"priorities", &data.priorities},
            {"users", &data.users},
            {"stages", &data.stages}};
        for (const auto& [key, list] : lists) {
            const QJsonValue value = root.value(QLatin1String(key));
            QVERIFY2(value.isArray(), key);
            QCOMPARE(value.toArray().size(), qsizetype(list->size()));
            for (qsizetype i = 0; i < value.toArray().size(); ++i)
                QCOMPARE(value.toArray().at(i).toString(), text(list->at(std::size_t(i))));
        }
        const QJsonArray documents = root.value(u"documents").toArray();
        QCOMPARE(documents.size(), qsizetype(data.documents.size()));
        for (qsizetype i = 0; i < documents.size(); ++i)
            QCOMPARE(documents.at(i)[u"filename"].toString(), text(data.documents[std::size_t(i)].filename));

        const QJsonArray markups = root.value(u"markups").toArray();
        QCOMPARE(markups.size(), qsizetype(data.markups.size()));
        for (qsizetype i = 0; i < markups.size(); ++i) {
            const Markup& markup = data.markups[std::size_t(i)];
            const QJsonObject topic = markups.at(i)[u"topic"].toObject();
            QCOMPARE(topic.value(u"guid").toString(), text(markup.topic.guid));
            QCOMPARE(topic.value(u"title").toString(), text(markup.topic.title));
            QCOMPARE(topic.value(u"labels").toArray().size(), qsizetype(markup.topic.labels.size()));
            QCOMPARE(topic.value(u"relatedTopics").toArray().size(),
                     qsizetype(markup.topic.relatedTopics.size()));
            QCOMPARE(topic.value(u"bimSnippet").isNull(), !markup.topic.bimSnippet);
            QCOMPARE(markups.at(i)[u"header"].isNull(), !markup.header);
            // Absent optional topic fields are null, present ones strings.
            QCOMPARE(topic.value(u"modifiedDate").isNull(), !markup.topic.modifiedDate.has_value());
            QCOMPARE(topic.value(u"dueDate").isNull(), !markup.topic.dueDate.has_value());
            if (markup.topic.dueDate)
                QCOMPARE(topic.value(u"dueDate").toString(), text(*markup.topic.dueDate));
            const QJsonArray comments = markups.at(i)[u"comments"].toArray();
            QCOMPARE(comments.size(), qsizetype(markup.comments.size()));
            for (qsizetype c = 0; c < comments.size(); ++c)
                QCOMPARE(comments.at(c)[u"viewpoint"].toString(),
                         text(markup.comments[std::size_t(c)].viewpoint));
            const QJsonArray viewPoints = markups.at(i)[u"viewPoints"].toArray();
            QCOMPARE(viewPoints.size(), qsizetype(markup.viewPoints.size()));
            for (qsizetype v = 0; v < viewPoints.size(); ++v) {
                const ViewPoint& viewPoint = markup.viewPoints[std::size_t(v)];
                const QJsonObject object = viewPoints.at(v).toObject();
                QCOMPARE(object.value(u"viewpoint").toString(), text(viewPoint.viewpoint));
                QCOMPARE(object.value(u"snapshotSize").toInteger(), qint64(viewPoint.snapshotData.size()));
                const QJsonValue info = object.value(u"visualizationInfo");
                QCOMPARE(info.isNull(), viewPoint.visualizationMissing);
                if (!info.isNull()) {
                    QCOMPARE(info[u"selection"].toArray().size(),
                             qsizetype(viewPoint.visualizationInfo.selection.size()));
                    QCOMPARE(info[u"orthogonalCamera"].isNull(),
                             !viewPoint.visualizationInfo.orthogonalCamera.has_value());
                }
            }
        }
    }

    // What the target version cannot hold is changed and noted on stderr, once per kind.
    void convertWritesLoadableArchive_data() {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("version");
        QTest::addColumn<QByteArray>("notes");
        const QByteArray emptyLists =
            "note: 4 empty Selection, Exceptions, Coloring, Lines or Bitmaps elements "
            "left out (BCF 2.1 has no empty form)\n";
        const QByteArray aspectRatio = "note: 1 aspect ratios left out (BCF 2.1 has none)\n";
        const QByteArray markupNotes =
            "note: 1 values added to the extension schema's lists (BCF 2.1 markups "
            "must use listed values)\n";
        QTest::newRow("2.1 to 3.0") << official("2.1/Markup_MaximumInformation.bcf")
                                    << QStringList{QStringLiteral("--to"), QStringLiteral("3.0")} << 2
                                    << QByteArray(
                                           "note: 1 detailed version texts dropped (BCF 3.0 has none)\n"
                                           "note: 2 missing GUIDs generated (BCF requires one)\n"
                                           "note: 3 aspect ratios set to 1 where none was given (BCF 3.0 "
                                           "requires one)\n"
                                           "note: 1 topic types set to \"Unknown\" (BCF 3.0 requires one)\n"
                                           "note: 1 topic statuses set to \"Unknown\" (BCF 3.0 requires "
                                           "one)\n");
        QTest::newRow("3.0 to 2.1") << official("3.0/Markup_Document_reference_internal.bcf")
                                    << QStringList{QStringLiteral("--to"), QStringLiteral("2.1")} << 1
                                    << markupNotes +
                                           "note: 1 document GUIDs and descriptions dropped (BCF 2.1 has no "
                                           "documents.xml)\n"
                                           "note: 1 server-assigned topic ids dropped (BCF 2.1 has none)\n" +
                                           emptyLists + aspectRatio;
        QTest::newRow("3.0 wide camera to 2.1")
            << official("3.0/Visualization_Perspective_camera.bcf")
            << QStringList{QStringLiteral("--to"), QStringLiteral("2.1")} << 1
            << markupNotes + "note: 1 server-assigned topic ids dropped (BCF 2.1 has none)\n" + emptyLists +
                   "note: 1 field of view values clamped to 45..60 (BCF 2.1 allows no other)\n" + aspectRatio;
        QTest::newRow("3.0 kept as 3.0")
            << official("3.0/Markup_Labels.bcf") << QStringList() << 2 << QByteArray();
    }
    void convertWritesLoadableArchive() {
        QFETCH(QString, archive);
        QFETCH(QStringList, options);
        QFETCH(int, version);
        QFETCH(QByteArray, notes);
        const QString out = dir.filePath(QStringLiteral("converted.bcf"));
        const Run run = bcfTool(QStringList{QStringLiteral("convert"), archive, out} + options);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, notes);
        const BcfData source = loadArchive(archive.toStdString());
        const BcfData converted = loadArchive(out.toStdString());
        QCOMPARE(static_cast<int>(converted.version), version);
        QCOMPARE(converted.markups.size(), source.markups.size());
        QCOMPARE(converted.documents.size(), source.documents.size());
        for (std::size_t i = 0; i < source.markups.size(); ++i) {
            QCOMPARE(converted.markups[i].topic.title, source.markups[i].topic.title);
            QCOMPARE(converted.markups[i].comments.size(), source.markups[i].comments.size());
            QCOMPARE(converted.markups[i].viewPoints.size(), source.markups[i].viewPoints.size());
        }
    }

    // A payload that can't be read is listed in its place and left out of a save, its reference kept.
    void damagedPayloadCostsOnlyItself_data() {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<QByteArray>("errorKey"); // of the viewpoint in `bcf info`; documents are not read
        QTest::addColumn<QByteArray>("referencedBy");
        QTest::addColumn<QByteArray>("note");
        const QByteArray topic = "7ddc3ef0-0ab7-43f1-918a-45e38b42369c/";
        const QByteArray viewpoint = topic + "Viewpoint_4ab7514b-b216-4d56-98d2-45cf8500ff5a.bcfv";
        QTest::newRow("snapshot") << topic + "Snapshot_4ab7514b-b216-4d56-98d2-45cf8500ff5a.png"
                                  << QByteArray("snapshotError") << topic + "markup.bcf"
                                  << QByteArray("snapshots");
        QTest::newRow("viewpoint") << viewpoint << QByteArray("visualizationError") << topic + "markup.bcf"
                                   << QByteArray("viewpoint files");
        QTest::newRow("bitmap") << topic + "bitmap.png" << QByteArray("bitmapErrors") << viewpoint
                                << QByteArray("bitmap images");
        QTest::newRow("document") << QByteArray("IfcPile_01.ifc") << QByteArray() << QByteArray()
                                  << QByteArray("documents");
    }
    void damagedPayloadCostsOnlyItself() {
        QFETCH(QByteArray, entry);
        QFETCH(QByteArray, errorKey);
        QFETCH(QByteArray, referencedBy);
        QFETCH(QByteArray, note);
        const QString damaged = dir.filePath(QStringLiteral("damaged.bcf"));
        QVERIFY(writeFile(damaged, damagedEntry(readFile(official("2.1/Markup_MaximumInformation.bcf")),
                                                entry.toStdString())));
        const Run info = bcfTool({QStringLiteral("info"), damaged});
        QCOMPARE(info.exitCode, 0);
        QCOMPARE(QJsonDocument::fromJson(info.out).object()[u"markups"].toArray().size(), 2);
        QCOMPARE(info.out.count("\"" + errorKey + "\": "), errorKey.isEmpty() ? 0 : 1);

        const QString out = dir.filePath(QStringLiteral("saved.bcf"));
        const Run convert = bcfTool({QStringLiteral("convert"), damaged, out});
        QCOMPARE(convert.exitCode, 0);
        QCOMPARE(convert.err, "note: 1 " + note + " that could not be read left out (references kept)\n");
        ZipArchive saved;
        saved.load(out.toStdString());
        QVERIFY(!saved.contains(entry.toStdString()));
        if (!referencedBy.isEmpty())
            QVERIFY(saved.read(referencedBy.toStdString())
                        ->find(entry.mid(entry.lastIndexOf('/') + 1).toStdString()) != std::string::npos);
    }

    // Saving replaces a file only as writing it would be allowed, and keeps its owner and mode.
    void targetKeepsOwnerAndPermissions_data() {
        QTest::addColumn<uint>("owner");
        QTest::addColumn<uint>("group");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("asNobody");
        QTest::newRow("read-only file of one's own")
            << uint(::geteuid()) << uint(::getegid()) << 0444 << false;
        QTest::newRow("read-only file of another user") << 0u << 0u << 0644 << true;
        QTest::newRow("group-writable file of another user") << 0u << 65534u << 0660 << true;
        QTest::newRow("file of another user replaced by root") << 65534u << 65534u << 0640 << false;
    }
    void targetKeepsOwnerAndPermissions() {
        QFETCH(uint, owner);
        QFETCH(uint, group);
        QFETCH(int, mode);
        QFETCH(bool, asNobody);
        if ((asNobody || owner != ::geteuid()) && ::geteuid() != 0)
            QSKIP("needs root to hand files to another user");
        ::chmod(dir.path().toLocal8Bit().constData(), 0777);
        const QString in = dir.filePath(QStringLiteral("in.bcf")); // readable by user 65534
        QVERIFY(writeFile(in, readFile(official("3.0/Markup_Labels.bcf"))));
        const QString out = dir.filePath(QStringLiteral("out.bcf"));
        const QByteArray target = out.toLocal8Bit();
        QVERIFY(writeFile(out, "previous content"));
        QVERIFY(::chown(target.constData(), owner, group) == 0 &&
                ::chmod(target.constData(), mode_t(mode)) == 0);
        // Whether this user may write the file: root may write a read-only file, anyone else may not.
        const Run run = bcfTool({QStringLiteral("convert"), in, out}, asNobody);
        const bool allowed = asNobody ? (mode & 020) != 0 : ::access(target.constData(), W_OK) == 0;
        QCOMPARE(run.exitCode, allowed ? 0 : 1);
        QCOMPARE(run.err.contains("permission denied"), !allowed);
        QCOMPARE(readFile(out) == "previous content", !allowed);
        struct stat st {};
        QVERIFY(::stat(target.constData(), &st) == 0);
        QCOMPARE(QList<uint>({st.st_uid, st.st_gid, st.st_mode & 07777}),
                 QList<uint>({owner, group, uint(mode)}));
    }

    // `input` and `output` name files in the temporary folder; "@name" names an official archive.
    void failureIsOneLineAndLeavesOutput_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("message"); // IN and OUT stand for the paths
        const char* const rows[][5] = {
            // clang-format off
            {"info on a missing file", "info", "missing.bcf", "", "IN"},
            {"info on a text file", "info", "notes.txt", "", "bcf: IN: not a BCF archive (no ZIP directory)\n"},
            {"info on a BCF 2.0 archive", "info", "v20.bcf", "", "IN"},
            {"convert a missing file", "convert", "missing.bcf", "out.bcf", "IN"},
            {"convert a BCF 2.0 archive", "convert", "v20.bcf", "out.bcf", "IN"},
            {"convert topics that share a GUID", "convert", "duplicates.bcf", "out.bcf", "bcf: IN: duplicate topic GUID"},
            {"convert into a missing folder", "convert", "@2.1/Markup_MinimumInformation.bcf", "no/such/folder/out.bcf", "OUT"},
            {"convert onto a folder", "convert", "@3.0/Markup_Labels.bcf", "folder", "OUT"},
            // clang-format on
        };
        for (const auto& row : rows)
            QTest::newRow(row[0]) << row[1] << row[2] << row[3] << row[4];
    }
    void failureIsOneLineAndLeavesOutput() {
        QFETCH(QString, command);
        QFETCH(QString, input);
        QFETCH(QString, output);
        QVERIFY(writeFile(dir.filePath(QStringLiteral("notes.txt")), "not an archive\n"));
        writeVersion20(dir.filePath(QStringLiteral("v20.bcf")));
        writeDuplicateTopics(dir.filePath(QStringLiteral("duplicates.bcf")));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("folder")));
        const std::string previous = "previous content";
        QVERIFY(writeFile(dir.filePath(QStringLiteral("out.bcf")), previous));

        const QString in =
            input.startsWith(u'@') ? official(input.mid(1).toUtf8().constData()) : dir.filePath(input);
        QStringList arguments{command, in};
        if (!output.isEmpty())
            arguments << dir.filePath(output);
        const Run run = bcfTool(arguments);
        QVERIFY(run.exitCode > 0);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.endsWith('\n') && run.err.count('\n') == 1, run.err.constData());
        QVERIFY(run.err.startsWith("bcf: "));
        QFETCH(QString, message);
        message.replace(QStringLiteral("OUT"), dir.filePath(output)).replace(QStringLiteral("IN"), in);
        QVERIFY2(QString::fromUtf8(run.err).contains(message), run.err.constData());

        QCOMPARE(readFile(dir.filePath(QStringLiteral("out.bcf"))), previous);
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("no"))));
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("folder"))).isDir());
        QCOMPARE(
            QDir(dir.filePath(QStringLiteral("folder"))).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
            QStringList());
    }

    void wrongArgumentsExitWithUsage_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no arguments") << QStringList();
        QTest::newRow("unknown command") << QStringList{QStringLiteral("show"), QStringLiteral("a.bcf")};
        QTest::newRow("version without a writing")
            << QStringList{QStringLiteral("convert"), official("3.0/Markup_Labels.bcf"),
                           QStringLiteral("OUT"), QStringLiteral("--to"), QStringLiteral("2.0")};
    }
    void helpPrintsUsage() {
        const Run run = bcfTool({QStringLiteral("--help")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.startsWith("usage: bcf"));
        QVERIFY(run.err.isEmpty());
    }

    void wrongArgumentsExitWithUsage() {
        QFETCH(QStringList, arguments);
        const QString out = dir.filePath(QStringLiteral("out.bcf"));
        QVERIFY(writeFile(out, "previous content"));
        arguments.replaceInStrings(QStringLiteral("OUT"), out);
        const Run run = bcfTool(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.out.isEmpty());
        QVERIFY(run.err.contains("usage: bcf"));
        QCOMPARE(readFile(out), std::string("previous content"));
    }

private:
    QTemporaryDir dir;
};

QTEST_GUILESS_MAIN(BcfToolTest)
#include "test_bcf_tool.moc"
