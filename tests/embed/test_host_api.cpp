// The host API of BcfQtUi driven end to end as a host does, through the installed header only:
// open an official archive, follow the selection, capture a viewpoint from a provider, save it as
// BCF 2.1 and 3.0, reopen, and get the same viewpoint back when its snapshot is selected.
#include "bcfqtui.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QUuid>

namespace {

BcfViewpoint::Component component(const char* ifcGuid) {
    return {QString::fromLatin1(ifcGuid), QStringLiteral("bcf-host"), QString()};
}

// What a host's model view shows: every part of a viewpoint that both versions carry.
BcfViewpoint hostView() {
    BcfViewpoint view;
    view.camera = {
        BcfViewpoint::Projection::Perspective, {1.25, -7.5, 3}, {0.5, 1, -0.25}, {0, 0, 1}, 55, 0, 1.5};
    view.selection = {component("2Jo69Ck7R4Btr8UBs7FS7o")};
    view.defaultVisibility = true;
    view.visibilityExceptions = {component("0S5HbrIFdNDOlC87Q$sexw")};
    view.coloring = {{QColor(200, 30, 40), {component("1TT1_NXa0IrleG6woopoDz")}}};
    view.openingsVisible = true;
    view.clippingPlanes = {{{5, 4, 2.5}, {0, 0, 1}}};
    view.snapshot = QImage(64, 48, QImage::Format_ARGB32);
    view.snapshot.fill(QColor(20, 120, 220));
    return view;
}

QStringList componentGuids(const BcfViewpoint& viewpoint) {
    QStringList guids;
    QList<BcfViewpoint::Component> all = viewpoint.selection + viewpoint.visibilityExceptions;
    for (const BcfViewpoint::ColoredComponents& colored : viewpoint.coloring)
        all += colored.components;
    for (const BcfViewpoint::Component& c : all)
        if (!guids.contains(c.ifcGuid))
            guids.append(c.ifcGuid);
    return guids;
}

} // namespace

class TestHostApi : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { BcfQtUi::setLanguage(QLocale(QLocale::English)); } // the texts compared are English

    void roundTrip_data() {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<BcfQtUi::Version>("version");
        for (const char* archive :
             {"2.1/Visualization_Component_Selection.bcf", "3.0/Visualization_Component_selection.bcf"}) {
            for (BcfQtUi::Version version : {BcfQtUi::Version::Bcf21, BcfQtUi::Version::Bcf30})
                QTest::addRow("%s saved as %s", archive, version == BcfQtUi::Version::Bcf21 ? "2.1" : "3.0")
                    << QString::fromLatin1(archive) << version;
        }
    }
    void roundTrip() {
        QFETCH(QString, archive);
        QFETCH(BcfQtUi::Version, version);
        const QString path = QDir(QStringLiteral(BCF_TESTCASES_DIR)).filePath(archive);
        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("saved.bcfzip"));
        BcfQtUi view(0);
        QSignalSpy files(&view, &BcfQtUi::currentFileChanged);
        QSignalSpy topics(&view, &BcfQtUi::selectedTopicChanged);
        QSignalSpy unsaved(&view, &BcfQtUi::unsavedChangesChanged);
        QSignalSpy activated(&view, &BcfQtUi::viewpointActivated);
        QSignalSpy components(&view, &BcfQtUi::componentsSelected);
        auto* issues = view.widget()->findChild<QTreeWidget*>(QStringLiteral("twIssues"));
        auto* snapshots = view.widget()->findChild<QListWidget*>(QStringLiteral("lwSnapshots"));

        QVERIFY(!view.open(path + QStringLiteral(".missing")));
        QVERIFY(files.isEmpty() && view.currentFile().isEmpty());
        // A new archive has no version yet; BCF 2.0 is read, never written.
        QCOMPARE(view.currentVersion(), BcfQtUi::Version::Bcf20);
        QVERIFY(!view.saveAs(saved, BcfQtUi::Version::Bcf20) && !QFile::exists(saved));
        QVERIFY(view.open(path));
        QCOMPARE(files.takeLast().at(0).toString(), path);
        QCOMPARE(view.currentFile(), path);
        QCOMPARE(view.currentVersion(), archive.startsWith(QLatin1String("2.1")) ? BcfQtUi::Version::Bcf21
                                                                                 : BcfQtUi::Version::Bcf30);

        // The user's selection reaches the host, and the host's the view.
        issues->setCurrentItem(issues->topLevelItem(0));
        const QString topic = topics.takeLast().at(0).toString();
        QCOMPARE(topic.size(), 36);
        QCOMPARE(view.selectedTopicGuid(), topic);
        QCOMPARE(view.topicGuids().value(0), topic);
        QVERIFY(view.selectTopic(QString()) && view.selectedTopicGuid().isEmpty() &&
                issues->selectedItems().isEmpty());
        QVERIFY(!view.selectTopic(QStringLiteral("no such topic")));
        QVERIFY(view.selectTopic(topic.toUpper()));
        QCOMPARE(issues->selectedItems().value(0), issues->topLevelItem(0));
        QCOMPARE(topics.size(), 2);

        // The official viewpoint, with its camera, components and image; its rows tell their GUIDs.
        snapshots->setCurrentRow(0);
        QCOMPARE(activated.size(), 1);
        const auto official = activated.takeFirst().at(0).value<BcfViewpoint>();
        QVERIFY(official.camera.projection != BcfViewpoint::Projection::None);
        QCOMPARE(official.selection.size(), 3);
        QVERIFY(!official.snapshot.isNull());
        view.widget()->findChild<QTreeWidget*>(QStringLiteral("twComponents"))->selectAll();
        QCOMPARE(components.last().at(0).toStringList(), componentGuids(official));

        // New Snapshot stores what the provider shows, as one undoable step.
        BcfViewpoint shown = hostView();
        view.setViewpointProvider([&shown] { return shown; });
        view.widget()->findChild<QPushButton*>(QStringLiteral("pbNewSnapshot"))->click();
        QCOMPARE(snapshots->count(), 2);
        QVERIFY(view.hasUnsavedChanges() && unsaved.takeLast().at(0).toBool());
        QVERIFY(view.saveAs(saved, version));
        QVERIFY(!view.hasUnsavedChanges() && !unsaved.takeLast().at(0).toBool());
        QCOMPARE(files.takeLast().at(0).toString(), saved);

        QVERIFY(view.open(saved) && view.selectTopic(topic));
        QCOMPARE(view.currentVersion(), version);
        snapshots->setCurrentRow(1);
        auto back = activated.takeLast().at(0).value<BcfViewpoint>();
        QCOMPARE(back.guid.size(), 36);
        shown.guid = back.guid;
        if (version == BcfQtUi::Version::Bcf21)
            shown.camera.aspectRatio = 0; // BCF 2.1 has none
        back.snapshot = back.snapshot.convertToFormat(QImage::Format_ARGB32);
        QVERIFY(back == shown);
        // Double-click and "Show in model" tell it again; the first viewpoint is as it was.
        emit snapshots->itemDoubleClicked(snapshots->item(1)); // as the other UI tests do offscreen
        QCOMPARE(activated.size(), 1);
        auto* showIn = view.widget()->findChild<QAction*>(QStringLiteral("actionShowInModel"));
        showIn->trigger();
        QCOMPARE(activated.size(), 2);
        QVERIFY(activated.at(0).at(0).value<BcfViewpoint>() == back &&
                activated.at(1).at(0).value<BcfViewpoint>() == back);
        snapshots->setCurrentRow(0);
        QCOMPARE(activated.takeLast().at(0).value<BcfViewpoint>().selection, official.selection);
        // The host adds viewpoints: a GUID the archive has already is replaced, a new one is kept,
        // a text of a GUID's shape that is none (it names the viewpoint's files) is replaced.
        BcfViewpoint fresh = back, foreign = back;
        fresh.guid = QUuid::createUuid().toString(QUuid::WithoutBraces);
        foreign.guid = QStringLiteral("g") + fresh.guid.mid(1);
        QVERIFY(view.addViewpoint(back) && view.addViewpoint(fresh) && view.addViewpoint(foreign));
        snapshots->setCurrentRow(4);
        const QString guid = activated.takeLast().at(0).value<BcfViewpoint>().guid;
        QVERIFY(guid.size() == 36 && guid != foreign.guid && guid.front() != u'g');
        snapshots->setCurrentRow(2);
        const QString replaced = activated.takeLast().at(0).value<BcfViewpoint>().guid;
        QVERIFY(replaced.size() == 36 && replaced.compare(back.guid, Qt::CaseInsensitive) != 0);
        snapshots->setCurrentRow(3);
        QCOMPARE(activated.takeLast().at(0).value<BcfViewpoint>().guid, fresh.guid);
        QVERIFY(view.selectTopic(QString()) && !view.addViewpoint(fresh)); // no topic to add it to
        QVERIFY(view.saveAs(saved, version));
        QVERIFY(view.close() && view.currentFile().isEmpty() && files.takeLast().at(0).toString().isEmpty());
        QCOMPARE(view.currentVersion(), BcfQtUi::Version::Bcf20); // no archive, no version
        QVERIFY(!showIn->isEnabled());                            // no snapshot selected: nothing to show
    }
};

QTEST_MAIN(TestHostApi)
#include "test_host_api.moc"
