// The scenario language of the window tests: steps a user takes, run on a real window, and the whole outcome
// as text (what the window shows, what each step logged, optionally the model with its payloads).
#pragma once

#include "ui_test_support.h"

#include "codec/version.h"
#include "codec/zip/zip_archive.h"
#include "ui/issue_editing.h"
#include "ui/viewpoint_link.h"

namespace uitest {

// Runs steps, separated by "; ", on a window as a user would. In texts "\n", "\t", "\s", "\v" and "\e" stand
// for a line break, a tab, a space, a vertical tab and an escape character. A step that can't be taken fails
// the test. The steps:
//   "open A": opens through the open dialog the official archive A ("2.1/…", "3.0/…"), tests/data/ui/X for
//     "data/X", the file at the absolute path A or the file A of the scenario's folder `temp`;
//   "cancel dialog", "cancel files": cancels the open dialog, or the file dialog it opens;
//   "show": shows the window and makes it active;
//   "topic N", "comment N", "document N", "snapshot N": selects row N of that view (none if N < 0);
//   "click B", "trigger A", "delete V": clicks button B, triggers action A, presses Delete in view V;
//   "title N T": types T into the title cell of issue N and presses Return;
//   "description T": sets the description to T; "type T": types T at its end, key by key;
//   "comment-text N T": writes T over comment N (counted from the end if N < 0), as an edit in the view does;
//   "label T": chooses the listed label T, or types the new label T and presses Return;
//   "due D": sets the due date D (yyyy-MM-dd); "link L T": activates the link to T of the label L;
//   "sort C": clicks the header of column C of the issue list;
//   "search T", "filter F E": types T into the search field (after clearing it), chooses E in filter box F;
//   "combo R C", "choose V": opens the combo box over cell (R, C) of the issue list, chooses V in it;
//   "nocombo R C": clicks cell (R, C), which must open no combo box;
//   "boxes R", "editors R": logs the combo boxes of issue R, the columns of issue R that open an editor;
//   "file F T": writes T into the file F; "huge F": a file beyond the entry limit; "damage F": an archive
//     with a damaged snapshot; "zip20 F": a BCF 2.0 archive; "copy A B": A to B; "same A B": logs whether
//     A and B are alike; "symlink L F": a symbolic link L to the file F of `temp`;
//   "add-document F": "New document" with the file F ("-" cancels its dialog);
//   "save F FILTER": "Save As…" to F ("-" cancels) under FILTER ("2.1", "3.0", "all", a filter's text, or
//     the first), replacing an existing file; "folder": logs the files of `temp` (an archive's BCF version,
//     the first line of another);
//   "reopen": saves the model as 3.0 through the codec into `temp` and opens that file;
//   "answer A": A answers the next dialog of the next step: a question's button, a file dialog's file F ("-"
//     cancels) and filter ("F FILTER"), an input dialog's text. The questions asked are logged ("nothing"
//     when an answer was left over).
// Every message box a step shows is logged and closed.
// Stands in for the desktop: logs what it is asked to open (a file with its size and hash).
class DesktopLog : public QObject {
    Q_OBJECT
public:
    explicit DesktopLog(QStringList& log) : log_(log) {
        for (const char* scheme : kSchemes)
            QDesktopServices::setUrlHandler(QString::fromUtf8(scheme), this, "open");
    }
    ~DesktopLog() override {
        for (const char* scheme : kSchemes)
            QDesktopServices::unsetUrlHandler(QString::fromUtf8(scheme));
    }
public slots:
    void open(const QUrl& url) {
        QFile file(url.toLocalFile());
        if (!url.isLocalFile() || !file.open(QIODevice::ReadOnly))
            return log_.append(u"desktop opens "_s + url.toString());
        const QByteArray bytes = file.readAll();
        const QByteArray sha1 = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
        log_.append(u"desktop opens %1 (%2 bytes, SHA-1 %3)"_s.arg(QFileInfo(file).fileName())
                        .arg(bytes.size())
                        .arg(QString::fromLatin1(sha1)));
    }

private:
    static constexpr const char* kSchemes[] = {"file", "http", "https", "mailto"};
    QStringList& log_;
};

class Scenario {
public:
    explicit Scenario(MainWindow& window) : w(window) {
        QObject::connect(&answering_, &QTimer::timeout, [this] { answerModal(); });
        answering_.start(5);
        // What reaches a host's model view.
        QObject::connect(&w.viewpointLink(), &ViewpointLink::viewpointActivated, &answering_,
                         [this](int topic, int viewPoint) {
                             shown_.append(
                                 u"shown in the model: topic %1, viewpoint %2"_s.arg(topic).arg(viewPoint));
                         });
    }

    QTemporaryDir temp;
    QStringList log;
    DesktopLog desktop{log};
    bool withModel = false;     // the model's dump in the outcome
    bool fetchPayloads = false; // with all payloads, not only those in memory

    void run(const QString& script) {
        for (const QString& step : script.split(u"; "_s, Qt::SkipEmptyParts)) {
            QStringList words = step.split(u' ');
            const QString command = words.takeFirst();
            QString text = words.join(u' ');
            text.replace(u"\\n"_s, u"\n"_s).replace(u"\\t"_s, u"\t"_s).replace(u"\\s"_s, u" "_s);
            text.replace(u"\\v"_s, u"\v"_s).replace(u"\\e"_s, u"\x1b"_s);
            if (command == u"answer"_s) {
                answers_.append(text);
                continue;
            }
            runStep(step, command, words, text);
            for (const QString& question : std::exchange(asked_, {}))
                log.append(step + u": asked "_s + question);
            if (!std::exchange(answers_, {}).isEmpty())
                log.append(step + u": asked nothing"_s);
            for (const QString& message : takeMessages(w) + std::exchange(shown_, {}))
                log.append(step + u": "_s + message);
            if (QTest::currentTestFailed())
                return;
        }
    }

    // Everything a user could notice.
    QString outcome() {
        QString text = windowDump(w);
        if (!log.isEmpty())
            text += u"-- log --\n"_s + log.join(u'\n') + u'\n';
        if (!withModel)
            return text;
        bcf::BcfDocument model = w.document();
        text += u"-- model --\n"_s;
        try {
            if (fetchPayloads)
                bcf::test::fetchAllPayloads(model);
        } catch (const std::exception& error) {
            text += u"fetching payloads failed: "_s + QString::fromUtf8(error.what()) + u'\n';
        }
        return text + QString::fromStdString(bcf::test::dump(model.data));
    }

    void compareWithGolden() { uitest::compareWithGolden(outcome(), temp.path()); }

    QString path(const QString& name) const {
        if (name.startsWith(u"2.1/"_s) || name.startsWith(u"3.0/"_s))
            return testCase(name.toUtf8().constData());
        if (name.startsWith(u"data/"_s))
            return QStringLiteral(BCF_TEST_DATA_DIR "/ui/") + name.mid(5);
        return QDir::isAbsolutePath(name) ? name : temp.filePath(name);
    }

private:
    MainWindow& w;
    QStringList answers_, asked_; // the answers to the next step's dialogs, the questions it asked
    QStringList shown_;           // the viewpoints the step showed in the model
    QTimer answering_;
    int headerClicks_ = 0;

    void answerModal() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || answers_.isEmpty())
            return;
        const QString next = answers_.takeFirst(), file = next.section(u' ', 0, 0);
        if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            chooseFile(files, file == u"-"_s ? QString() : path(file), filter(next.section(u' ', 1)));
        } else if (auto* input = qobject_cast<QInputDialog*>(modal)) {
            input->setTextValue(next);
            input->accept();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            asked_ << box->text();
            for (QAbstractButton* button : box->buttons())
                if (button->text() == next)
                    return button->click();
        }
    }

    QTreeWidget* issues() { return child<QTreeWidget>(&w, "twIssues"); }
    void write(const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        QVERIFY2(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(), qPrintable(name));
    }
    static QString filter(const QString& name) {
        if (name == u"2.1"_s || name == u"3.0"_s)
            return u"BCF %1 (*.bcf *.bcfzip)"_s.arg(name);
        if (name.contains(u'('))
            return name;
        return name == u"all"_s ? u"All files (*.*)"_s : u"BCF Files (*.bcf *.bcfzip)"_s;
    }

    void runStep(const QString& step, const QString& command, const QStringList& words, const QString& text) {
        const QString first = words.value(0), rest = text.section(u' ', 1);
        const int row = first.toInt();
        const std::map<QString, const char*> views{{u"topic"_s, "twIssues"},
                                                   {u"comment"_s, "twComments"},
                                                   {u"document"_s, "twDocuments"},
                                                   {u"snapshot"_s, "lwSnapshots"}};
        auto* target = child<QObject>(&w, first.toUtf8().constData());
        if (command == u"open"_s) {
            openArchive(w, path(text));
        } else if (command == u"cancel"_s) {
            if (first == u"files"_s)
                return openArchive(w, {});
            ModalDriver<BcfOpen> cancel([](BcfOpen* dialog) { dialog->reject(); });
            child<QToolButton>(&w, "tbOpen")->click();
        } else if (command == u"show"_s) {
            w.show();
            w.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&w));
        } else if (views.count(command)) {
            auto* view = child<QAbstractItemView>(&w, views.at(command));
            row < 0 ? view->clearSelection() : view->setCurrentIndex(view->model()->index(row, 0));
        } else if (command == u"title"_s) {
            typeTitle(row, rest);
        } else if (command == u"description"_s) {
            child<QPlainTextEdit>(&w, "pteDescription")->setPlainText(text);
        } else if (command == u"type"_s) {
            auto* description = child<QPlainTextEdit>(&w, "pteDescription");
            description->setFocus();
            description->moveCursor(QTextCursor::End);
            QTest::keyClicks(description, text);
        } else if (command == u"comment-text"_s) {
            auto* comments = child<QTreeWidget>(&w, "twComments");
            QTreeWidgetItem* item =
                comments->topLevelItem(row < 0 ? comments->topLevelItemCount() + row : row);
            QVERIFY2(item, qPrintable(step));
            item->setText(0, rest);
        } else if (command == u"label"_s) {
            auto* labels = child<QComboBox>(&w, "cbLabels");
            if (labels->findText(text) >= 0) {
                labels->setCurrentIndex(labels->findText(text));
                emit labels->textActivated(text);
            } else {
                labels->lineEdit()->setText(text);
                QTest::keyClick(labels->lineEdit(), Qt::Key_Return);
            }
        } else if (command == u"due"_s) {
            child<QDateEdit>(&w, "deDueDate")->setDate(QDate::fromString(text, Qt::ISODate));
        } else if (command == u"link"_s) {
            auto* label = qobject_cast<QLabel*>(target);
            QVERIFY2(label && label->text().contains(u"href=\""_s + rest + u'"'), qPrintable(step));
            emit label->linkActivated(rest);
        } else if (command == u"sort"_s) {
            // Apart, so that no two clicks make a double click.
            const QPoint at(issues()->header()->sectionViewportPosition(row) + 4 + 10 * headerClicks_++, 5);
            QTest::mouseClick(issues()->header()->viewport(), Qt::LeftButton, {}, at);
        } else if (command == u"search"_s) {
            auto* search = child<QLineEdit>(&w, "leIssueSearch");
            search->clear();
            for (const QChar c : text) // letters without a key of their own come as text
                QTest::sendKeyEvent(QTest::Click, search,
                                    c.unicode() < 0x80 ? QTest::asciiToKey(char(c.unicode()))
                                                       : Qt::Key_unknown,
                                    QString(c), {});
        } else if (command == u"filter"_s) {
            auto* box = qobject_cast<QComboBox*>(target);
            QVERIFY2(box && box->findText(rest) >= 0, qPrintable(step));
            box->setCurrentIndex(box->findText(rest));
        } else if (command == u"combo"_s || command == u"nocombo"_s) {
            const bool opened = clickIssueCombo(issues(), row, words.value(1).toInt());
            QVERIFY2(opened == (command == u"combo"_s), qPrintable(step));
        } else if (command == u"choose"_s) {
            auto* box = issues()->viewport()->findChild<QComboBox*>();
            QVERIFY2(box && chooseInCombo(box, text), qPrintable(step));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        } else if (command == u"boxes"_s) {
            for (int column : kIssueComboColumns) {
                QComboBox* box = clickIssueCombo(issues(), row, column);
                log.append(u"box %1: "_s.arg(column) +
                           (box ? u"'%1' of %2"_s.arg(box->currentText()).arg(box->count()) : u"none"_s));
            }
            closeIssueCombo(issues());
        } else if (command == u"editors"_s) {
            QStringList editable;
            for (int column = 0; column < issues()->columnCount(); ++column) {
                issues()->editItem(issues()->topLevelItem(row), column);
                if (auto* editor = issues()->viewport()->findChild<QWidget*>()) {
                    editable.append(QString::number(column));
                    QTest::keyClick(editor, Qt::Key_Escape);
                    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                }
            }
            log.append(u"columns with an editor: "_s + editable.join(u' '));
        } else if (command == u"file"_s) {
            write(first, rest.toUtf8());
        } else if (command == u"huge"_s) { // sparse: takes no disk space
            write(text, {});
            QFile::resize(path(text), qint64(bcf::kMaxEntryBytes) + 1);
        } else if (command == u"copy"_s) {
            write(words.value(1), QByteArray::fromStdString(bcf::test::readFile(path(first))));
        } else if (command == u"damage"_s) { // the snapshot image of the user assignment
            write(text, QByteArray::fromStdString(bcf::test::damagedEntry(
                            bcf::test::readFile(path(u"3.0/Markup_User_assignment.bcf"_s)),
                            "7ad1a717-bf20-4c12-b511-cbd90370ddba/"
                            "Snapshot_f6a0cc29-056c-4d4f-95fa-41aa9cc14416.png")));
        } else if (command == u"zip20"_s) {
            bcf::ZipArchive zip;
            zip.writeEntry("bcf.version", "<?xml version=\"1.0\"?>\n<Version VersionId=\"2.0\"/>\n");
            write(text, QByteArray::fromStdString(zip.finish()));
        } else if (command == u"same"_s) {
            const bool same = bcf::test::readFile(path(first)) == bcf::test::readFile(path(words.value(1)));
            log.append(first + QLatin1String(same ? " is as " : " is not as ") + words.value(1));
        } else if (command == u"add-document"_s) {
            if (!answerFileDialog(child<QPushButton>(&w, "pbNewDocument"),
                                  first == u"-"_s ? QString() : path(text)))
                log.append(command + u": no file dialog"_s);
        } else if (command == u"save"_s) {
            save(first, filter(rest));
        } else if (command == u"reopen"_s) {
            const QString saved = temp.filePath(QCoreApplication::applicationName() + u".bcf"_s);
            bcf::BcfDocument document = w.document();
            bcf::saveArchive(saved.toStdString(), document, bcf::BcfVersion::V3_0);
            openArchive(w, saved);
        } else if (command == u"symlink"_s) {
            QVERIFY2(QFile::link(words.value(1), path(first)), qPrintable(step));
        } else if (command == u"folder"_s) {
            for (const QFileInfo& file : QDir(temp.path()).entryInfoList(QDir::Files, QDir::Name)) {
                if (file.isSymLink()) {
                    log.append(file.fileName() + u": link to "_s +
                               QFileInfo(file.symLinkTarget()).fileName());
                    continue;
                }
                const std::string bytes = bcf::test::readFile(file.filePath());
                log.append(file.fileName() + u": "_s +
                           (bytes.starts_with("PK")
                                ? QString::fromLatin1(bcf::versionText(
                                      bcf::loadArchive(file.filePath().toStdString()).data.version))
                                : QString::fromStdString(bytes).section(u'\n', 0, 0)));
            }
        } else if (command == u"click"_s && qobject_cast<QAbstractButton*>(target)) {
            qobject_cast<QAbstractButton*>(target)->click();
        } else if (command == u"trigger"_s && qobject_cast<QAction*>(target)) {
            qobject_cast<QAction*>(target)->trigger();
        } else if (command == u"delete"_s && qobject_cast<QWidget*>(target)) {
            qobject_cast<QWidget*>(target)->setFocus();
            QTest::keyClick(qobject_cast<QWidget*>(target), Qt::Key_Delete);
        } else {
            QFAIL(qPrintable(u"no such step: "_s + step));
        }
    }

    // Types `typed` into the title cell of `row` and commits it with Return, as a user does.
    void typeTitle(int row, const QString& typed) {
        QTreeWidgetItem* item = issues()->topLevelItem(row);
        issues()->editItem(item, IssueTitleColumn);
        auto* editor = issues()->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->setText(typed);
        QTest::keyClick(editor, Qt::Key_Return);
        // The delegate commits from the event loop: the cell takes the text, or an error message comes.
        QTRY_VERIFY_WITH_TIMEOUT(item->text(IssueTitleColumn) == typed || w.findChild<QMessageBox*>(), 2000);
    }

    // Runs "Save As…" and answers the dialog, replacing an existing file; a written archive is listed and
    // validated.
    void save(const QString& name, const QString& filter) {
        QString proposed;
        const QString target = name == u"-"_s ? QString() : path(name);
        ModalDriver<QMessageBox> replace([this](QMessageBox* box) {
            if (box->objectName() != u"bcfReplaceQuestion"_s)
                return;
            log.append(u"asked "_s + box->text());
            for (QAbstractButton* button : box->buttons())
                if (button->text() == u"Replace"_s)
                    button->click();
        });
        if (!answerFileDialog(child<QAction>(&w, "actionSaveAs"), target, filter, &proposed))
            return log.append(u"save: no file dialog"_s);
        // A file the window knows, or a folder that depends on the dialogs shown before.
        log.append(u"save dialog proposed "_s + (QFileInfo(proposed).isFile() ? proposed : u"no file"_s));
        if (target.isEmpty() || QString::fromStdString(w.bcfFilePath()) != target)
            return;
        bcf::ZipArchive zip;
        zip.load(target.toStdString());
        QStringList entries;
        for (const bcf::ZipEntryInfo& entry : zip.entries())
            entries.append(QString::fromStdString(entry.filename));
        log.append(u"saved: "_s + entries.join(u", "_s));
        const bool v30 = zip.read("bcf.version").value_or("").find("\"3.0\"") != std::string::npos;
        for (const bcf::ZipEntryInfo& entry : zip.entries())
            validate(entry.filename, zip.read(entry.filename).value_or(""),
                     v30 ? bcf::BcfVersion::V3_0 : bcf::BcfVersion::V2_1);
    }

    // Logs an XML entry that does not validate against the official schema of its root element (a 2.1
    // extensions file is a schema itself: it only needs to be well-formed).
    void validate(const std::string& name, const std::string& xml, bcf::BcfVersion version) {
        static const QRegularExpression xmlName(u"\\.(version|bcfp|xml|xsd|bcf|bcfv)$"_s);
        if (!QString::fromStdString(name).contains(xmlName))
            return;
        QXmlStreamReader reader(QByteArray::fromStdString(xml));
        while (!reader.atEnd() && reader.readNext() != QXmlStreamReader::StartElement) {
        }
        const QString root = reader.name().toString();
        const QString schema = bcf::test::schemaFor(root, version);
        const QString file = temp.filePath(u"entry.xml"_s);
        bcf::test::writeFile(file, xml);
        const bcf::test::XmlLintResult result = bcf::test::xmllint({file}, schema);
        const bool extensions21 =
            version == bcf::BcfVersion::V2_1 && (root == u"schema"_s || root == u"Extensions"_s);
        if (!result.ok || (schema.isEmpty() && !extensions21))
            log.append(u"INVALID %1: %2"_s.arg(QString::fromStdString(name), result.output));
    }
};

} // namespace uitest
