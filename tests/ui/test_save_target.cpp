// Save, Save As, Export report and New archive: the chosen type's suffix is added before an existing
// file is found, which is replaced only when the user says so; Save As makes its file and version the
// current ones, which a later Save writes.
#include "test_editing_support.h"

#include "codec/archive.h"
#include "codec/version.h"

using namespace editing_test;

class TestSaveTarget : public QObject {
    Q_OBJECT

    QStringList asked, answers;
    QString folder;
    QTimer timer;

    // Answers the next modal widget: "name|filter" is typed into a file dialog ("-" cancels it),
    // "name:T" into an input dialog; other answers name the message box button to click.
    void answer() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || answers.isEmpty())
            return;
        const QString next = answers.takeFirst();
        if (auto* input = qobject_cast<QInputDialog*>(modal)) {
            input->setTextValue(next.section(u':', 1));
            input->accept();
        } else if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            chooseFile(files, next == u"-"_s ? QString() : folder + u'/' + next.section(u'|', 0, 0),
                       next.section(u'|', 1));
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            asked << box->text().replace(folder, u"<tmp>"_s);
            for (QAbstractButton* button : box->buttons())
                if (button->text() == next)
                    button->click();
        }
    }

private slots:
    void initTestCase() {
        connect(&timer, &QTimer::timeout, this, &TestSaveTarget::answer);
        timer.start(5);
    }

    // Each row: files there before, the commands (buttons or actions) and the answers to what they
    // show; then the folder (name=content, an archive's BCF version), questions, project and link.
    void targets_data() {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QStringList>("given");
        QTest::addColumn<QString>("expected");
        const QString csv = u"|CSV file (*.csv)"_s, v21 = u"|BCF 2.1 (*.bcf *.bcfzip)"_s;
        const QString replace = u" | asked <tmp>/%1 already exists.\nReplace it?"_s;
        const QStringList exportReport{u"actionExportReport"_s}, saveAs{u"actionSaveAs"_s};
        QTest::newRow("export: .csv added, the existing file kept on Cancel")
            << QStringList{u"precious.csv"_s} << exportReport
            << QStringList{u"precious"_s + csv, u"Cancel"_s, u"-"_s}
            << u"precious.csv=keep"_s + replace.arg(u"precious.csv"_s);
        QTest::newRow("export: replaced when the user says so")
            << QStringList{u"precious.csv"_s} << exportReport
            << QStringList{u"precious"_s + csv, u"Replace"_s}
            << u"precious.csv=new"_s + replace.arg(u"precious.csv"_s);
        QTest::newRow("save as: .bcf added, .bcfzip kept")
            << QStringList{} << QStringList{u"actionSaveAs"_s, u"actionSaveAs"_s}
            << QStringList{u"a.bcfzip"_s + v21, u"b.zip"_s + v21}
            << u"a.bcfzip=2.1, b.zip.bcf=2.1 | link b.zip.bcf"_s;
        QTest::newRow("save as: the existing archive kept on Cancel, the next name taken")
            << QStringList{u"old.bcf"_s} << saveAs << QStringList{u"old"_s + v21, u"Cancel"_s, u"new"_s + v21}
            << u"new.bcf=2.1, old.bcf=keep"_s + replace.arg(u"old.bcf"_s) + u" | link new.bcf"_s;
        QTest::newRow("save as 2.1, edit, save: 2.1 again, in place")
            << QStringList{} << QStringList{u"actionSaveAs"_s, u"pbNewIssue"_s, u"actionSave"_s}
            << QStringList{u"s"_s + v21} << u"s.bcf=2.1 | link s.bcf"_s;
        QTest::newRow("new archive after a close: named, unsaved until saved")
            << QStringList{}
            << QStringList{u"tbClose"_s, u"actionNewArchive"_s, u"project"_s, u"actionSave"_s}
            << QStringList{u"name:Site A"_s, u"site"_s + v21}
            << u"site.bcf=2.1 | Project: Site A * | link site.bcf"_s;
        QTest::newRow("new archive asks about unsaved changes first")
            << QStringList{} << QStringList{u"pbNewIssue"_s, u"actionNewArchive"_s, u"project"_s}
            << QStringList{u"Discard"_s, u"name:"_s}
            << u" | asked Save changes to the new archive? | Project: (unnamed) *"_s;
    }
    void targets() {
        QFETCH(QStringList, before);
        QFETCH(QStringList, commands);
        QFETCH(QStringList, given);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        folder = dir.path();
        for (const QString& name : before) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("keep") == 4);
        }
        MainWindow window;
        if (!before.isEmpty() || commands.first() == u"actionSaveAs"_s) // else a fresh window, no file
            openArchive(window, uitest::testCase("3.0/Markup_User_assignment.bcf"));
        asked.clear();
        answers = given;
        QStringList outcome{QString()};
        for (const QString& command : commands) {
            if (command == u"project"_s)
                outcome << child<QLabel>(window, "lProject")->text();
            else if (auto* button = window.findChild<QAbstractButton*>(command))
                button->click();
            else
                child<QAction>(window, command.toUtf8().constData())->trigger();
        }
        QVERIFY(answers.isEmpty());
        QStringList files;
        for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files, QDir::Name)) {
            QFile file(info.filePath());
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            const QString content = !bytes.startsWith("PK")
                                        ? QLatin1String(bytes == "keep" ? "keep" : "new")
                                        : QString::fromLatin1(bcf::versionText(
                                              bcf::loadArchive(info.filePath().toStdString()).data.version));
            files << info.fileName() + u'=' + content;
        }
        outcome[0] = files.join(u", "_s);
        for (const QString& question : asked)
            outcome.insert(1, u"asked "_s + question);
        const QString current = QString::fromStdString(window.bcfFilePath());
        if (current.startsWith(folder)) {
            outcome << u"link "_s + QFileInfo(current).fileName();
            QVERIFY(child<QLabel>(window, "llink")->text().contains(QFileInfo(current).fileName()));
        }
        QCOMPARE(outcome.join(u" | "_s), expected);
        // Notes of what a version can't carry are no failure.
        const QStringList failures = takeMessages(window).filter(QRegularExpression(u"^(?!bcfSaveNotes)"_s));
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));
    }
};

EDITING_TEST_MAIN(TestSaveTarget)
#include "test_save_target.moc"
