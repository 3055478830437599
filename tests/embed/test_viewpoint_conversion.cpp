// BcfViewpoint to and from the codec: every viewpoint of the official archives comes back as it was
// read, less what BcfViewpoint does not carry; a viewpoint built here survives a viewpoint file of
// either version, valid against the official schema; BCF colour texts.
#include "viewpoint_conversion.h"

#include "test_support.h"

#include "codec/archive.h"
#include "codec/payloads.h"
#include "codec/visinfo.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <pugixml.hpp>

using namespace bcf;

namespace {

// What BcfViewpoint keeps of a viewpoint file: no bitmaps, no orthogonal camera beside a perspective
// one, no empty lists, and Components as the conversion writes them (hints and visibility explicit).
VisualizationInfo carried(VisualizationInfo info) {
    const auto dropEmpty = [](auto& list) {
        if (list && list->empty())
            list.reset();
    };
    info.bitmaps.reset();
    if (info.hasPerspectiveCamera())
        info.orthogonalCamera.reset();
    dropEmpty(info.lines);
    dropEmpty(info.clippingPlanes);
    Components& components = info.components;
    components.present = true;
    components.selectionPresent = !info.selection.empty();
    dropEmpty(components.coloring);
    const ViewSetupHints hints = components.viewSetupHints.value_or(ViewSetupHints{});
    components.viewSetupHints =
        ViewSetupHints{hints.spacesVisible.value_or(false), hints.spaceBoundariesVisible.value_or(false),
                       hints.openingsVisible.value_or(false)};
    Visibility visibility = components.visibility.value_or(Visibility{true, std::nullopt});
    visibility.defaultVisibility = visibility.defaultVisibility.value_or(false);
    dropEmpty(visibility.exceptions);
    components.visibility = visibility;
    return info;
}

} // namespace

class TestViewpointConversion : public QObject {
    Q_OBJECT

private slots:
    void officialViewpoints_data() {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<int>("markup");
        QTest::addColumn<int>("viewPoint");
        int rows = 0;
        for (const QString& version : {QStringLiteral("2.1"), QStringLiteral("3.0")}) {
            const QDir folder(test::testcasesDir() + u'/' + version);
            for (const QString& name :
                 folder.entryList({QStringLiteral("*.bcf*")}, QDir::Files, QDir::Name)) {
                const BcfDocument document = loadArchive(folder.filePath(name).toStdString());
                for (std::size_t m = 0; m < document.data.markups.size(); ++m) {
                    const auto& viewPoints = document.data.markups[m].viewPoints;
                    for (std::size_t v = 0; v < viewPoints.size(); ++v, ++rows)
                        QTest::addRow("%s/%s %s", qPrintable(version), qPrintable(name),
                                      viewPoints[v].guid.c_str())
                            << folder.filePath(name) << int(m) << int(v);
                }
            }
        }
        if (rows < 10)
            QTest::newRow("the official viewpoints are missing") << QString() << 0 << 0;
    }

    void officialViewpoints() {
        QFETCH(QString, archive);
        QFETCH(int, markup);
        QFETCH(int, viewPoint);
        BcfDocument document = loadArchive(archive.toStdString());
        Markup& topic = document.data.markups.at(std::size_t(markup));
        ViewPoint& reference = topic.viewPoints.at(std::size_t(viewPoint));
        fetchVisualization(*document.archive, topic, reference);
        fetchSnapshot(*document.archive, topic, reference);

        const BcfViewpoint viewpoint =
            viewpointFromCodec(reference.visualizationInfo, reference.snapshotData.str());
        QCOMPARE(viewpoint.snapshot.isNull(), reference.snapshotData.empty());
        const CodecViewpoint back = viewpointToCodec(viewpoint);
        const QString difference =
            test::firstDifference(test::dump(back.info), test::dump(carried(reference.visualizationInfo)));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        // Read again, the viewpoint is the same, the snapshot's pixels included.
        QVERIFY(viewpointFromCodec(back.info, back.snapshotPng) == viewpoint);
    }

    void viewpointFiles_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<bool>("orthogonal");
        QTest::addColumn<double>("aspectRatio"); // 2.1 has none
        QTest::newRow("2.1 perspective") << int(BcfVersion::V2_1) << false << 0.0;
        QTest::newRow("2.1 orthogonal") << int(BcfVersion::V2_1) << true << 0.0;
        QTest::newRow("3.0 perspective") << int(BcfVersion::V3_0) << false << 1.6;
        QTest::newRow("3.0 orthogonal") << int(BcfVersion::V3_0) << true << 4 / 3.0;
    }

    void viewpointFiles() {
        QFETCH(int, version);
        QFETCH(bool, orthogonal);
        QFETCH(double, aspectRatio);
        const BcfViewpoint::Component wall{QStringLiteral("0S5HbrIFdNDOlC87Q$sexw"),
                                           QStringLiteral("Modeller ä"), QStringLiteral("W-17")};
        const BcfViewpoint::Component door{QStringLiteral("2yFE_xzzdAIDhXzK2QkI3c"), {}, {}};
        BcfViewpoint viewpoint;
        viewpoint.camera = {BcfViewpoint::Projection::Perspective,
                            {0.1, -20.5, 3.25},
                            {0.3, 1, -0.1},
                            {0, 0, 1},
                            52.5,
                            0,
                            aspectRatio};
        if (orthogonal) {
            viewpoint.camera.projection = BcfViewpoint::Projection::Orthogonal;
            std::swap(viewpoint.camera.fieldOfView, viewpoint.camera.viewToWorldScale);
        }
        viewpoint.selection = {wall, door};
        viewpoint.defaultVisibility = false;
        viewpoint.visibilityExceptions = {door};
        viewpoint.coloring = {{QColor(52, 152, 219), {wall}}, {QColor(220, 50, 50, 128), {door, wall}}};
        viewpoint.openingsVisible = true;
        viewpoint.clippingPlanes = {{{5, 4, 1.5}, {0, 0, 1}}};
        viewpoint.lines = {{{0, 0, 0}, {1.0 / 3, 2, 3e-7}}};
        CodecViewpoint written = viewpointToCodec(viewpoint);
        QCOMPARE(written.info.guid.size(), std::size_t(36));
        viewpoint.guid = QString::fromStdString(written.info.guid);

        SaveNotes notes;
        const std::string text = writeVisualizationInfo(written.info, BcfVersion(version), notes);
        QVERIFY(notes.empty());
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("viewpoint.bcfv"));
        QVERIFY(test::writeFile(path, text));
        const test::XmlLintResult valid =
            test::xmllint({path}, test::schemaFor(QStringLiteral("VisualizationInfo"), BcfVersion(version)));
        QVERIFY2(valid.ok, qPrintable(valid.output));
        pugi::xml_document document;
        QVERIFY(test::parseXml(document, text));
        QVERIFY(viewpointFromCodec(readVisualizationInfo(document), {}) == viewpoint);
    }

    void colors_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QColor>("color");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("opaque") << QByteArray("3498DB") << QColor(0x34, 0x98, 0xDB) << QByteArray("3498DB");
        QTest::newRow("lower case") << QByteArray("ff00a0") << QColor(0xFF, 0x00, 0xA0)
                                    << QByteArray("FF00A0");
        QTest::newRow("alpha first") << QByteArray("803498DB") << QColor(0x34, 0x98, 0xDB, 0x80)
                                     << QByteArray("803498DB");
        QTest::newRow("opaque alpha")
            << QByteArray("FF3498DB") << QColor(0x34, 0x98, 0xDB) << QByteArray("3498DB");
        QTest::newRow("five digits") << QByteArray("3498D") << QColor() << QByteArray("");
        QTest::newRow("not hexadecimal") << QByteArray("3498DG") << QColor() << QByteArray("");
        QTest::newRow("prefixed") << QByteArray("0x3498DB") << QColor() << QByteArray("");
    }

    void colors() {
        QFETCH(QByteArray, text);
        QFETCH(QColor, color);
        QFETCH(QByteArray, written);
        QCOMPARE(colorFromBcf(text.toStdString()), color);
        if (color.isValid())
            QCOMPARE(QByteArray::fromStdString(colorToBcf(color)), written);
    }
};

QTEST_GUILESS_MAIN(TestViewpointConversion)
#include "test_viewpoint_conversion.moc"
