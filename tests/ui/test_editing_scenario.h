// Scenarios of the editing and save tests: a script of user steps run on a real window, and the whole outcome
// as text (what the window shows, what each step logged, the model with its payloads).
#pragma once

#include "test_editing_support.h"
#include "test_support.h"

#include "codec/zip/zip_archive.h"
#include "ui/issue_editing.h"

#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QXmlStreamReader>

namespace editing_test {

class Scenario {
public:
    explicit Scenario(MainWindow& window) : w(window) {}

    QTemporaryDir temp;
    QStringList log;
    bool fetchPayloads = false; // all payloads of the model in the outcome, not only those in memory

    // Runs the steps of `script`, separated by "; ". In texts, "\n", "\t" and "\s" stand for a line break, a
    // tab and a space; a file name without a version folder ("3.0/...") is in `temp`.
    void run(const QString& script) {
        for (const QString& step : script.split(u"; "_s)) {
            QStringList words = step.split(QLatin1Char(' '));
            const QString command = words.takeFirst();
            QString text = words.join(QLatin1Char(' '));
            text.replace(u"\\n"_s, u"\n"_s).replace(u"\\t"_s, u"\t"_s).replace(u"\\s"_s, u" "_s);
            const std::unique_ptr<ModalDriver<QMessageBox>> question = std::move(question_);
            asked_ = u"nothing"_s;
            runStep(command, words, text);
            if (question)
                log.append(step + u": asked "_s + asked_);
            questionSave_.reset();
            for (const QString& message : takeMessages(w))
                log.append(step + u": "_s + message);
        }
    }

    // Everything a user could notice, masked for comparison with a golden file.
    QString outcome() {
        bcf::BcfDocument model = w.document();
        QString payloads;
        try {
            if (fetchPayloads)
                bcf::test::fetchAllPayloads(model);
        } catch (const std::exception& error) {
            payloads = u"fetching payloads failed: "_s + QString::fromUtf8(error.what()) + u"\n"_s;
        }
        return masked(visibleState(w) + u"\n-- log --\n"_s + log.join(QLatin1Char('\n')) +
                          u"\n-- model --\n"_s + payloads +
                          QString::fromStdString(bcf::test::dump(model.data)),
                      temp.path());
    }

private:
    MainWindow& w;
    // The answer to the next "Save changes to ...?", the question asked and the file dialog of its save.
    std::unique_ptr<ModalDriver<QMessageBox>> question_;
    QString asked_;
    std::unique_ptr<ModalDriver<QFileDialog>> questionSave_;

    QString path(const QString& name) const {
        return name.startsWith(u"2.1/"_s) || name.startsWith(u"3.0/"_s)
                   ? uitest::testCase(name.toUtf8().constData())
                   : temp.filePath(name);
    }
    QTreeWidget* issues() { return child<QTreeWidget>(w, "twIssues"); }
    void write(const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            log.append(u"can't write "_s + name);
    }
    static QString filter(const QString& name) { // "2.1", "3.0", "all" or the first
        if (name == u"2.1"_s || name == u"3.0"_s)
            return u"BCF %1 (*.bcf *.bcfzip)"_s.arg(name);
        return name == u"all"_s ? u"All files (*.*)"_s : u"BCF Files (*.bcf *.bcfzip)"_s;
    }

    void runStep(const QString& command, const QStringList& words, const QString& text) {
        const QString first = words.value(0);
        const int row = first.toInt();
        if (command == u"open"_s) {
            openArchive(w, path(text));
        } else if (command == u"cancel-open"_s) {
            ModalDriver<BcfOpen> cancel([](BcfOpen* dialog) { dialog->reject(); });
            child<QToolButton>(w, "tbOpen")->click();
        } else if (command == u"author"_s) {
            ModalDriver<QInputDialog> answer([=](QInputDialog* dialog) {
                dialog->setTextValue(text);
                dialog->accept();
            });
            child<QAction>(w, "actionAuthorName")->trigger();
        } else if (command == u"press"_s) {
            child<QAbstractButton>(w, first.toUtf8().constData())->click();
        } else if (command == u"select"_s) {
            issues()->clearSelection();
            if (QTreeWidgetItem* item = issues()->topLevelItem(row))
                item->setSelected(true);
        } else if (command == u"snapshot-row"_s) {
            child<QListWidget>(w, "lwSnapshots")->setCurrentRow(row);
        } else if (command == u"title"_s) {
            typeTitle(row, text.mid(first.size() + 1));
        } else if (command == u"description"_s) {
            child<QPlainTextEdit>(w, "pteDescription")->setPlainText(text);
        } else if (command == u"comment"_s) {
            auto* comments = child<QTreeWidget>(w, "twComments");
            comments->topLevelItem(comments->topLevelItemCount() - 1)->setText(0, text);
        } else if (command == u"choose"_s) {
            QComboBox* box = uitest::clickIssueCombo(issues(), row, words.value(1).toInt());
            if (!box || !uitest::chooseInCombo(box, words.mid(2).join(QLatin1Char(' '))))
                log.append(command + u": not offered"_s);
        } else if (command == u"boxes"_s) {
            for (int column : kIssueComboColumns) {
                QComboBox* box = uitest::clickIssueCombo(issues(), row, column);
                log.append(u"box %1: "_s.arg(column) +
                           (box ? u"'%1' of %2"_s.arg(box->currentText()).arg(box->count()) : u"none"_s));
            }
            uitest::closeIssueCombo(issues());
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
            log.append(u"columns with an editor: "_s + editable.join(QLatin1Char(' ')));
        } else if (command == u"write"_s) {
            write(first, text.mid(first.size() + 1).toUtf8());
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
        } else if (command == u"document"_s) {
            if (!answerFileDialog(child<QPushButton>(w, "pbNewDocument"),
                                  first == u"-"_s ? QString() : path(text)))
                log.append(command + u": no file dialog"_s);
        } else if (command == u"save"_s) {
            save(first, filter(words.value(1)));
        } else if (command == u"answer"_s) {
            const auto button = first == u"save"_s      ? QMessageBox::Save
                                : first == u"discard"_s ? QMessageBox::Discard
                                                        : QMessageBox::Cancel;
            const QString target = words.value(1) == u"-"_s ? QString() : path(words.value(1));
            question_ = std::make_unique<ModalDriver<QMessageBox>>([=, this](QMessageBox* box) {
                asked_ = box->text();
                if (button == QMessageBox::Save)
                    questionSave_ = std::make_unique<ModalDriver<QFileDialog>>(
                        [=](QFileDialog* dialog) { chooseFile(dialog, target, filter(words.value(2))); });
                box->button(button)->click();
            });
        } else {
            log.append(u"unknown step "_s + command);
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
        if (!answerFileDialog(child<QAction>(w, "actionSaveAs"), target, filter, &proposed))
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

} // namespace editing_test
