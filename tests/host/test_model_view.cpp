// The demo host's model view: a viewpoint it was given comes back when it is captured, and a click
// on a box's projected centre selects the box's IFC GUID.
#include "model_view.h"

#include <QTest>

using Camera = BcfViewpoint::Camera;
using Projection = BcfViewpoint::Projection;
Q_DECLARE_METATYPE(Camera)

namespace {

const QString kSlab = QStringLiteral("2Jo69Ck7R4Btr8UBs7FS7o");
const QString kEastWall = QStringLiteral("1aGVoo$ALvpZHtZrjmTJAM");
const QString kColumn = QStringLiteral("1TT1_NXa0IrleG6woopoDz");
const QString kDoor = QStringLiteral("2yFE_xzzdAIDhXzK2QkI3c");

BcfViewpoint::Component component(const QString& guid) {
    return {guid, QString(), QString()};
}

} // namespace

class TestModelView : public QObject {
    Q_OBJECT

private slots:
    void applyThenCapture_data() {
        QTest::addColumn<Camera>("camera");
        QTest::newRow("perspective") << Camera{
            Projection::Perspective, {-5, -8, 6}, {10, 12, -5}, {0, 0, 1}, 55, 0, 1.5};
        QTest::newRow("orthogonal") << Camera{
            Projection::Orthogonal, {5, 4, 20}, {0, 0, -1}, {0, 1, 0}, 0, 12, 1.5};
        // A camera of an official archive, far out over the building.
        QTest::newRow("another model's")
            << Camera{Projection::Perspective,
                      {0.43079984188079834, 69.52057647705078, 10.666350364685059},
                      {0.09159398823976517, -0.9375035166740417, -0.3357048034667969},
                      {0.01938679628074169, -0.3353792130947113, 0.9418837428092957},
                      60,
                      0,
                      1.5};
        QTest::newRow("none: the camera stays") << Camera{};
    }

    void applyThenCapture() {
        QFETCH(Camera, camera);
        ModelView view;
        view.resize(300, 200);
        const Camera expected =
            camera.projection == Projection::None ? view.captureViewpoint().camera : camera;
        BcfViewpoint viewpoint;
        viewpoint.guid = QStringLiteral("a1b2c3d4-0000-4000-8000-000000000001");
        viewpoint.camera = camera;
        viewpoint.selection = {
            component(kDoor),
            {QStringLiteral("3DvyPxGIn8qR0KDwbL_9r1"), QStringLiteral("Other"), QStringLiteral("7")}};
        viewpoint.defaultVisibility = false;
        viewpoint.visibilityExceptions = {component(kEastWall), component(kDoor)};
        viewpoint.coloring = {{QColor(52, 152, 219, 128), {component(kEastWall)}}};
        viewpoint.spacesVisible = true;
        viewpoint.clippingPlanes = {{{5, 4, 2}, {0, 0, 1}}};
        viewpoint.lines = {{{0, 0, 0}, {0, 0, 5}}};
        viewpoint.snapshot = QImage(4, 4, QImage::Format_RGB32);
        view.applyViewpoint(viewpoint);

        const BcfViewpoint captured = view.captureViewpoint();
        QCOMPARE(captured.snapshot.size(), QSize(300, 200));
        QVERIFY(captured.camera == expected);
        viewpoint.guid.clear();
        viewpoint.camera = expected;
        viewpoint.snapshot = captured.snapshot;
        QVERIFY(captured == viewpoint);
    }

    void clickSelects_data() {
        QTest::addColumn<QString>("guid");
        QTest::addColumn<Camera>("camera");
        const Camera above{Projection::Orthogonal, {5, 4, 20}, {0, 0, -1}, {0, 1, 0}, 0, 12, 0};
        QTest::newRow("slab from above") << kSlab << above;
        QTest::newRow("column from above") << kColumn << above;
        QTest::newRow("door from the front")
            << kDoor << Camera{Projection::Perspective, {4.7, -10, 1.05}, {0, 1, 0}, {0, 0, 1}, 60, 0, 0};
        QTest::newRow("wall from the east")
            << kEastWall << Camera{Projection::Perspective, {20, 4, 1.5}, {-1, 0, 0}, {0, 0, 1}, 60, 0, 0};
    }

    void clickSelects() {
        QFETCH(QString, guid);
        QFETCH(Camera, camera);
        ModelView view;
        view.resize(300, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        BcfViewpoint viewpoint;
        viewpoint.camera = camera;
        view.applyViewpoint(viewpoint);
        const std::optional<QPointF> centre = view.projectedCentre(guid);
        QVERIFY(centre);
        QTest::mouseClick(&view, Qt::LeftButton, {}, centre->toPoint());
        QCOMPARE(view.selectedGuids(), QStringList{guid});
        QTest::mouseClick(&view, Qt::LeftButton, Qt::ControlModifier, centre->toPoint());
        QVERIFY(view.selectedGuids().isEmpty());
    }
};

QTEST_MAIN(TestModelView)
#include "test_model_view.moc"
