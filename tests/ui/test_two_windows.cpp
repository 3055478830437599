// Two windows in one process, each with its own archive: whatever the other opens, each reads its
// payloads from its own archive and saves exactly what the codec saves of the same archive.
#include "scenario.h"

using namespace uitest;

class TestTwoWindows : public QObject {
    Q_OBJECT

private slots:
    // Each row: the steps both windows take after both opened their archive (in turn, so that the
    // first reads its payloads after the second opened), and whether they delete a comment.
    void eachSavesItsOwnArchive_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("as opened") << u"topic 0; snapshot 0"_s << false;
        QTest::newRow("a comment deleted in each")
            << u"topic 0; comment 0; answer Delete; trigger actionDeleteComment"_s << true;
    }

    void eachSavesItsOwnArchive() {
        QFETCH(QString, steps);
        QFETCH(bool, deleted);
        const char* archives[] = {"2.1/Markup_MaximumInformation.bcf",
                                  "3.0/Markup_Document_reference_internal.bcf"};
        QTemporaryDir folder;
        MainWindow windows[2];
        for (int i = 0; i < 2; ++i)
            Scenario(windows[i]).run(u"open "_s + QString::fromUtf8(archives[i]) + u"; show"_s);
        for (MainWindow& window : windows)
            Scenario(window).run(steps);
        for (int i = 0; i < 2; ++i) {
            const QString saved = folder.filePath(u"saved-%1.bcf"_s.arg(i));
            ModalDriver<QFileDialog> files([saved](QFileDialog* dialog) { chooseFile(dialog, saved); });
            QVERIFY(windows[i].saveAs());
            // A note of what the version can't carry (the editor joining 2.1's user list) is no error.
            const QMessageBox* box = errorBox(windows[i]);
            QVERIFY2(!box || box->objectName() == u"bcfSaveNotes"_s,
                     qPrintable(box ? box->text() : QString()));

            // What `bcf convert` writes: the codec's save of a fresh load, with the same comment gone
            // and its topic marked modified as the window marked it.
            bcf::BcfDocument expected = bcf::loadArchive(testCase(archives[i]).toStdString());
            if (deleted) {
                bcf::Topic& topic = expected.data.markups[0].topic;
                expected.data.markups[0].comments.erase(expected.data.markups[0].comments.begin());
                topic.modifiedDate = windows[i].bcfData().markups[0].topic.modifiedDate;
                topic.modifiedAuthor = windows[i].bcfData().markups[0].topic.modifiedAuthor;
            }
            const QString converted = folder.filePath(u"converted-%1.bcf"_s.arg(i));
            bcf::saveArchive(converted.toStdString(), expected, expected.data.version);
            const auto entries = bcf::test::zipEntries(saved.toStdString());
            QVERIFY(entries.size() > 5);
            QVERIFY(entries == bcf::test::zipEntries(converted.toStdString()));
        }
    }
};

UI_TEST_MAIN(TestTwoWindows)
#include "test_two_windows.moc"
