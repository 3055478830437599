// The window's languages: the catalogues of translations/ complete and up to date with the sources,
// plural forms in English and German, and the live window under German without an English text.
#include "ui_test_support.h"

#include "datetime/local_date_time.h"

#include <QAccessible>
#include <QProcess>
#include <QXmlStreamReader>

using namespace uitest;

namespace {

struct Message {
    QString context, source, comment;
    QStringList translations; // one, or one per plural form
    bool unfinished = false;
};

// The messages of the .ts file `name` in translations/ (or `path` when absolute).
QList<Message> catalogue(const QString& name) {
    QFile file(QDir::isAbsolutePath(name) ? name : QStringLiteral(BCF_TRANSLATIONS_DIR "/") + name);
    QList<Message> messages;
    if (!file.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader xml(&file);
    QString context;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            messages.append({context, {}, {}, {}, false});
        } else if (xml.name() == u"source") {
            messages.last().source = xml.readElementText();
        } else if (xml.name() == u"comment") {
            messages.last().comment = xml.readElementText();
        } else if (xml.name() == u"translation") {
            messages.last().unfinished = xml.attributes().value(u"type"_s) == u"unfinished";
            if (xml.readNext() == QXmlStreamReader::Characters && !xml.isWhitespace())
                messages.last().translations.append(xml.text().toString());
        } else if (xml.name() == u"numerusform") {
            messages.last().translations.append(xml.readElementText());
        }
    }
    return xml.hasError() ? QList<Message>() : messages;
}

// The placeholders of a text, sorted: "%1", "%n", ...
QStringList placeholders(const QString& text) {
    QStringList found;
    for (const QRegularExpressionMatch& match : QRegularExpression(u"%[0-9n]"_s).globalMatch(text))
        found.append(match.captured());
    found.sort();
    return found;
}

int accelerators(const QString& text) {
    return int(text.count(u'&')) - 2 * int(text.count(u"&&"_s));
}

// Every text a person sees in `root` and its visible children, with where it is shown.
QList<std::pair<QString, QString>> shownTexts(QWidget* root) {
    QList<std::pair<QString, QString>> texts;
    const auto add = [&texts](const QObject* where, const QString& text) {
        if (!text.isEmpty())
            texts.append(
                {where->objectName() + u'/' + QLatin1String(where->metaObject()->className()), text});
    };
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(root))
            continue;
        if (auto* label = qobject_cast<QLabel*>(widget))
            add(label, QTextDocumentFragment::fromHtml(label->text()).toPlainText());
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            add(button, button->text());
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            add(edit, edit->placeholderText());
        if (auto* tabs = qobject_cast<QTabBar*>(widget))
            for (int i = 0; i < tabs->count(); ++i)
                add(tabs, tabs->tabText(i));
        // Entries with data hold values of the archive, shown as stored.
        if (auto* box = qobject_cast<QComboBox*>(widget); box && !box->isEditable())
            for (int i = 0; i < box->count(); ++i)
                if (!box->itemData(i).isValid())
                    add(box, box->itemText(i));
        if (auto* tree = qobject_cast<QTreeWidget*>(widget))
            for (int i = 0; i < tree->columnCount(); ++i)
                add(tree, tree->headerItem()->text(i));
        for (QAction* action : widget->actions())
            add(action, action->text());
        add(widget, widget->toolTip());
    }
    return texts;
}

} // namespace

class TestLanguage : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { useEnglish(); }

    void catalogueIsComplete_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("language");
        QTest::newRow("window and reports, German") << u"bcfqtui_de.ts"_s << u"de"_s;
        QTest::newRow("window and reports, English plurals") << u"bcfqtui_en.ts"_s << u"en"_s;
        QTest::newRow("demo host, German") << u"bcfhost_de.ts"_s << u"de"_s;
    }

    // Every message translated, with the placeholders of its source and one accelerator where the
    // source has one; a plural message with the language's forms (two in English and German).
    void catalogueIsComplete() {
        QFETCH(QString, file);
        QFETCH(QString, language);
        const QList<Message> messages = catalogue(file);
        QVERIFY2(messages.size() > 10, qPrintable(file));
        for (const Message& message : messages) {
            const QString where = message.context + u": "_s + message.source;
            QVERIFY2(!message.unfinished && !message.translations.isEmpty(), qPrintable(where));
            const bool plural = message.source.contains(u"%n"_s);
            QCOMPARE(message.translations.size(), plural ? 2 : 1);
            for (const QString& translation : message.translations) {
                QVERIFY2(!translation.trimmed().isEmpty(), qPrintable(where));
                QVERIFY2(placeholders(translation) == placeholders(message.source),
                         qPrintable(where + u" -> "_s + translation));
                QCOMPARE(accelerators(translation) > 0, accelerators(message.source) > 0);
            }
        }
    }

    // lupdate over the sources adds no message that the catalogue lacks: every text of the code is in it.
    void catalogueHoldsEveryText_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("folders");
        QTest::newRow("window and reports")
            << u"bcfqtui_de.ts"_s << QStringList{u"src/ui"_s, u"src/embed"_s, u"src/report"_s};
        QTest::newRow("demo host") << u"bcfhost_de.ts"_s << QStringList{u"apps/host"_s};
    }

    void catalogueHoldsEveryText() {
        QFETCH(QString, file);
        QFETCH(QStringList, folders);
        QTemporaryDir temporary;
        const QString copy = temporary.filePath(file);
        QVERIFY(QFile::copy(QStringLiteral(BCF_TRANSLATIONS_DIR "/") + file, copy));
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        QProcess lupdate;
        lupdate.setWorkingDirectory(QStringLiteral(BCF_SOURCE_DIR));
        lupdate.start(
            QStringLiteral(BCF_LUPDATE),
            QStringList{u"-silent"_s, u"-locations"_s, u"none"_s, u"-I"_s, u"src"_s, u"-I"_s, u"src/embed"_s}
                << folders << QStringList{u"-ts"_s, copy});
        QVERIFY(lupdate.waitForFinished(120000));
        QCOMPARE(lupdate.exitCode(), 0);
        for (const Message& message : catalogue(copy))
            QVERIFY2(!message.unfinished,
                     qPrintable(u"not translated: "_s + message.context + u": "_s + message.source));
    }

    void pluralForms_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("shown");
        const QString snapshots = u"%n snapshot(s)"_s, comments = u"%n comment(s)"_s;
        QTest::newRow("English, 1 snapshot")
            << u"en"_s << u"IssueList"_s << snapshots << 1 << u"1 snapshot"_s;
        QTest::newRow("English, 2 snapshots")
            << u"en"_s << u"IssueList"_s << snapshots << 2 << u"2 snapshots"_s;
        QTest::newRow("English, 0 snapshots")
            << u"en"_s << u"IssueList"_s << snapshots << 0 << u"0 snapshots"_s;
        QTest::newRow("German, 1 snapshot") << u"de"_s << u"IssueList"_s << snapshots << 1 << u"1 Snapshot"_s;
        QTest::newRow("German, 2 snapshots")
            << u"de"_s << u"IssueList"_s << snapshots << 2 << u"2 Snapshots"_s;
        QTest::newRow("German, 1 comment") << u"de"_s << u"IssueList"_s << comments << 1 << u"1 Kommentar"_s;
        QTest::newRow("German, 5 comments")
            << u"de"_s << u"IssueList"_s << comments << 5 << u"5 Kommentaren"_s;
        QTest::newRow("English, 1 conflict")
            << u"en"_s << u"ArchiveMerge"_s << u"%n conflict(s)"_s << 1 << u"1 conflict"_s;
        QTest::newRow("German, 3 conflicts")
            << u"de"_s << u"ArchiveMerge"_s << u"%n conflict(s)"_s << 3 << u"3 Konflikte"_s;
        QTest::newRow("French falls back to English")
            << u"fr"_s << u"IssueList"_s << snapshots << 2 << u"2 snapshots"_s;
        QTest::newRow("English, 2,000 snapshots")
            << u"en"_s << u"IssueList"_s << snapshots << 2000 << u"2,000 snapshots"_s;
        QTest::newRow("German, 12.345 comments")
            << u"de"_s << u"IssueList"_s << comments << 12345 << u"12.345 Kommentaren"_s;
        QTest::newRow("German, 1.000 problems")
            << u"de"_s << u"ValidationBanner"_s
            << u"%n problem(s) in this archive \u2014 <a href=\"details\">Details</a>"_s << 1000
            << u"1.000 Probleme in diesem Archiv \u2014 <a href=\"details\">Details</a>"_s;
    }

    void pluralForms() {
        QFETCH(QString, language);
        QFETCH(QString, context);
        QFETCH(QString, source);
        QFETCH(int, count);
        QFETCH(QString, shown);
        bcf::setLanguage(QLocale(language));
        QCOMPARE(bcf::withLocalCount(QCoreApplication::translate(context.toUtf8().constData(),
                                                                 source.toUtf8().constData(), nullptr, count),
                                     count),
                 shown);
    }

    // Dates in the language's own form, with a four-digit year; English keeps the window's and the
    // reports' forms. A time without an offset is shown as written, whatever the time zone.
    void datesFollowTheLanguage_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("report");
        QTest::addColumn<QString>("shown");
        QTest::newRow("English window") << u"en"_s << false << u"07.03.2024, 09:05"_s;
        QTest::newRow("English report") << u"en"_s << true << u"2024-03-07 09:05"_s;
        QTest::newRow("German window") << u"de"_s << false << u"07.03.2024, 09:05"_s;
        QTest::newRow("German report") << u"de"_s << true << u"07.03.2024 09:05"_s;
        QTest::newRow("French window") << u"fr"_s << false << u"07/03/2024, 09:05"_s;
    }

    void datesFollowTheLanguage() {
        QFETCH(QString, language);
        QFETCH(bool, report);
        QFETCH(QString, shown);
        bcf::setLanguage(QLocale(language));
        QCOMPARE(bcf::formatDateTime("2024-03-07T09:05:00",
                                     report ? bcf::DateTimeStyle::Report : bcf::DateTimeStyle::Window),
                 shown);
    }

    // Under German no text of the window (labels, buttons, tabs, headers, filters, menus, tooltips)
    // is still an English source text, except those German writes the same ("Status", "BCF").
    void germanWindowShowsNoEnglish() {
        QSet<QString> english;
        for (const Message& message : catalogue(u"bcfqtui_de.ts"_s)) {
            if (!message.translations.contains(message.source))
                english.insert(QString(message.source).remove(u'&'));
        }
        bcf::setLanguage(QLocale(QLocale::German, QLocale::Germany));
        MainWindow window;
        window.show();
        QVERIFY(window.open(QStringLiteral(BCF_TEST_DATA_DIR "/ui/list.bcf")));
        auto* issues = child<QTreeWidget>(&window, "twIssues");
        issues->setCurrentItem(issues->topLevelItem(0));
        QCOMPARE(child<QLabel>(&window, "lIssues")->text().left(7), u"Themen "_s);
        int checked = 0;
        for (const auto& [where, text] : shownTexts(&window)) {
            QString plain = QString(text).remove(u'&');
            plain = plain.section(u" ("_s, 0, 0).section(u'\t', 0, 0); // without counts and shortcuts
            QVERIFY2(!english.contains(plain), qPrintable(where + u": "_s + text));
            ++checked;
        }
        QVERIFY(checked > 40);
    }

    // A screen reader can name every control the keyboard reaches, in English and German, and the
    // rows of the lists say what they hold.
    void everyControlHasAName_data() {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << u"en"_s;
        QTest::newRow("German") << u"de"_s;
    }

    void everyControlHasAName() {
        QFETCH(QString, language);
        bcf::setLanguage(QLocale(language));
        MainWindow window;
        window.show();
        QVERIFY(window.open(QStringLiteral(BCF_TEST_DATA_DIR "/ui/list.bcf")));
        auto* issues = child<QTreeWidget>(&window, "twIssues");
        issues->setCurrentItem(issues->topLevelItem(0));
        int named = 0;
        QStringList unnamed;
        for (QWidget* widget : window.findChildren<QWidget*>()) {
            QWidget* parent = widget->parentWidget();
            if (!widget->isVisibleTo(&window) || widget->focusPolicy() == Qt::NoFocus ||
                qobject_cast<QAbstractScrollArea*>(parent) || qobject_cast<QComboBox*>(parent) ||
                qobject_cast<QAbstractSpinBox*>(parent))
                continue; // the viewport of a list is the list, the field of a combo box the box
            QAccessibleInterface* control = QAccessible::queryAccessibleInterface(widget);
            QVERIFY(control != nullptr);
            const QString where =
                widget->objectName() + u'/' + QLatin1String(widget->metaObject()->className());
            if (control->text(QAccessible::Name).trimmed().isEmpty())
                unnamed << where;
            ++named;
        }
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u", "_s)));
        QVERIFY(named > 15);
        const QListWidget* snapshots = child<QListWidget>(&window, "lwSnapshots");
        for (int i = 0; i < snapshots->count(); ++i)
            QVERIFY(!snapshots->item(i)->data(Qt::AccessibleTextRole).toString().isEmpty());
    }
};

UI_TEST_MAIN(TestLanguage)
#include "test_language.moc"
