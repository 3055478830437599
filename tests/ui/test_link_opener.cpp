// Links and documents of a foreign archive: what is asked, what is refused, what reaches the desktop.
#include "ui/link_opener.h"

#include "ui_test_support.h"

using namespace uitest;

// Records the URLs handed to the desktop instead of opening them.
class DesktopCatcher : public QObject {
    Q_OBJECT
public:
    QStringList opened;
public slots:
    void open(const QUrl& url) { opened << url.toString(); }
};

class TestLinkOpener : public QObject {
    Q_OBJECT

    DesktopCatcher desktop;

private slots:
    void initTestCase() {
        for (const char* scheme : {"http", "https", "mailto", "file"})
            QDesktopServices::setUrlHandler(QString::fromUtf8(scheme), &desktop, "open");
    }
    void cleanupTestCase() {
        for (const char* scheme : {"http", "https", "mailto", "file"})
            QDesktopServices::unsetUrlHandler(QString::fromUtf8(scheme));
    }

    // files: "name mode [content]" separated by ";" (a mode "link:target" makes a symbolic link),
    // created in the archive's folder {dir}. links: what is opened in turn, "doc:NAME" a document
    // carried in the archive. answer: to every question asked, "open", "open+never" (ticks "Don't
    // ask again") or "cancel"; empty when no question may come. expected: the URLs the desktop got
    // and the refusals, in order.
    void opens_data() {
        QTest::addColumn<QString>("files");
        QTest::addColumn<QString>("links");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* files, const char* links, const char* answer,
                            const char* expected) {
            QTest::newRow(name) << QString::fromUtf8(files) << QString::fromUtf8(links)
                                << QString::fromUtf8(answer) << QString::fromUtf8(expected);
        };
        row("web link after the question", "", "https://example.com/a?b=1", "open",
            "https://example.com/a?b=1");
        row("web link declined", "", "http://example.com", "cancel", "");
        row("web questions switched off", "", "https://a.example;mailto:b@example.com", "open+never",
            "https://a.example mailto:b@example.com");
        row("www address", "", "www.example.com", "open", "https://www.example.com");
        row("other schemes refused", "", "javascript:alert(1);ftp://example.com/x;smb://s/x", "",
            "refused refused refused");
        row("script by its suffix, even missing", "", "/tmp/x/evil.sh;C:\\tools\\setup.EXE", "",
            "refused refused");
        row("launchers and program suffixes", "a.desktop 644;b.pdf.exe 644;c.jar 644;d.lnk 644",
            "{dir}/a.desktop;b.pdf.exe;c.jar;file://{dir}/d.lnk", "", "refused refused refused refused");
        row("JSON is data, no script", "element.json 644 {\"a\":1}", "element.json", "open",
            "file://{dir}/element.json");
        row("executable bit refused", "tool 755 data", "tool", "", "refused");
        row("script content refused", "notes 644 #!/bin/sh", "notes", "", "refused");
        row("launcher by its content refused", "notes 644 [Desktop Entry]", "notes", "", "refused");
        row("link to a program refused", "tool 755 x;plan.pdf link:tool", "plan.pdf", "", "refused");
        row("relative path from the archive's folder", "docs/plan.pdf 644 %PDF-1.4", "docs/plan.pdf", "open",
            "file://{dir}/docs/plan.pdf");
        row("local file declined", "plan.pdf 644 %PDF-1.4", "{dir}/plan.pdf", "cancel", "");
        row("missing file refused", "", "docs/none.pdf", "", "refused");
        row("relative path of an unsaved archive refused", "", "nobase:plan.pdf", "", "refused");
        row("documents: programs refused, others extracted", "",
            "doc:evil.desktop;doc:../../run.sh;doc:x.bin;doc:sub/plan.pdf", "open",
            "refused refused refused file://{private}/plan.pdf");
        row("document declined", "", "doc:plan.pdf", "cancel", "");
    }

    void opens() {
        QFETCH(QString, files);
        QFETCH(QString, links);
        QFETCH(QString, answer);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        for (const QString& entry : files.split(u';', Qt::SkipEmptyParts)) {
            const QStringList parts = entry.split(u' ');
            const QString path = dir.filePath(parts[0]);
            QDir().mkpath(QFileInfo(path).absolutePath());
            if (parts[1].startsWith(u"link:"_s)) {
                QVERIFY(QFile::link(dir.filePath(parts[1].mid(5)), path));
                continue;
            }
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(parts.mid(2).join(u' ').toUtf8());
            file.close();
            file.setPermissions(parts[1] == u"755"_s ? QFile::permissions(path) | QFile::ExeOwner
                                                     : QFile::ReadOwner | QFile::WriteOwner);
        }
        QWidget parent;
        LinkOpener opener(&parent);
        // Answers every question; the timer goes with the row.
        QObject rowScope;
        int asked = 0;
        auto* answering = new QTimer(&rowScope);
        QObject::connect(answering, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            ++asked;
            if (answer.endsWith(u"+never"_s))
                box->checkBox()->setChecked(true);
            box->button(answer.startsWith(u"open"_s) ? QMessageBox::Open : QMessageBox::Cancel)->click();
        });
        answering->start(10);
        QStringList outcome;
        desktop.opened.clear();
        for (QString link : links.split(u';', Qt::SkipEmptyParts)) {
            const int before = int(desktop.opened.size());
            try {
                if (link.startsWith(u"doc:"_s))
                    opener.openContent(link.mid(4).toStdString(), "%PDF-1.4 content");
                else if (link.startsWith(u"nobase:"_s))
                    opener.openLink(link.mid(7), QString());
                else
                    opener.openLink(link.replace(u"{dir}"_s, dir.path()), dir.path());
            } catch (const std::runtime_error&) {
                outcome << u"refused"_s;
            }
            QCoreApplication::processEvents();
            for (qsizetype i = before; i < desktop.opened.size(); ++i)
                outcome << desktop.opened[i];
        }
        QVERIFY2(answer.isEmpty() ? asked == 0 : asked == 1, "each row asks once where it has an answer");
        // Extracted documents lie in a private folder, readable by their owner only.
        for (QString& url : outcome) {
            if (!url.startsWith(u"file://"_s) || url.contains(dir.path()))
                continue;
            const QFileInfo file(QUrl(url).toLocalFile());
            const auto ownerGroupOther = [](const QFileInfo& info) {
                return int(info.permissions()) & 0x7077;
            };
            QCOMPARE(ownerGroupOther(file), int(QFile::ReadOwner | QFile::WriteOwner));
            QCOMPARE(ownerGroupOther(QFileInfo(file.absolutePath())),
                     int(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
            url = u"file://{private}/"_s + file.fileName();
        }
        QCOMPARE(outcome.join(u' ').replace(dir.path(), u"{dir}"_s), expected);
    }
};

UI_TEST_MAIN(TestLinkOpener)
#include "test_link_opener.moc"
