// BcfQtUi on a real X server (run under Xvfb): the view is a native child window of the host's
// window and is drawn inside it.
#include "bcfqtui.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <memory>

namespace {

const QColor hostColour(0, 160, 0);
const QColor placeholderColour(255, 0, 255);

// What the X server shows of `window` (children included), not what Qt would render.
QImage grabNative(const QWidget& window) {
    return window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

void paintBackground(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

} // namespace

class TestEmbedXcb : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void placeholderIsChildOfHostWindow();
    void viewIsDrawnInsideHostWindow();
    void resizeReachesNativeWindow();
    void invalidHandleFallsBack();
    void destroyingViewKeepsHostWindow();

private:
    std::unique_ptr<QWidget> host;
};

void TestEmbedXcb::initTestCase() {
    if (QApplication::platformName() != QLatin1String("xcb")) {
        QSKIP("needs the xcb platform (run under xvfb-run with QT_QPA_PLATFORM=xcb)");
    }
}

void TestEmbedXcb::init() {
    host = std::make_unique<QWidget>();
    paintBackground(*host, hostColour);
    // Away from the screen's origin, so that a stray top-level placeholder cannot pass for an
    // embedded one in the grabs below.
    host->setGeometry(120, 90, 600, 400);
    host->show();
    QVERIFY(QTest::qWaitForWindowExposed(host.get()));
}

void TestEmbedXcb::cleanup() {
    host.reset();
}

void TestEmbedXcb::placeholderIsChildOfHostWindow() {
    BcfQtUi view(host->winId());
    QWindow* own = view.placeholder->windowHandle();
    QVERIFY(own != nullptr);
    QWindow* parent = own->parent();
    QVERIFY(parent != nullptr);
    QCOMPARE(parent->type(), Qt::ForeignWindow);
    QCOMPARE(parent->winId(), host->winId());
    QCOMPARE(view.mainWindow->window(), view.placeholder.get());
}

void TestEmbedXcb::viewIsDrawnInsideHostWindow() {
    BcfQtUi view(host->winId());
    paintBackground(*view.placeholder, placeholderColour);
    view.resize(400, 300);
    QVERIFY(QTest::qWaitForWindowExposed(view.placeholder->windowHandle()));

    // The layout margin shows the placeholder's own colour at the top left corner of the host
    // window; beyond the placeholder the host's colour remains.
    QTRY_COMPARE_WITH_TIMEOUT(grabNative(*host).pixelColor(2, 2), placeholderColour, 5000);
    QCOMPARE(grabNative(*host).pixelColor(500, 350), hostColour);

    // Inside the main window's area its views, buttons and texts draw over the placeholder's colour
    // (which its panels inherit: they show through wherever nothing else is drawn).
    const QImage shot = grabNative(*host);
    const QRect area = view.mainWindow->geometry();
    int samples = 0;
    int drawn = 0;
    for (int y = area.top(); y <= area.bottom(); y += 4) {
        for (int x = area.left(); x <= area.right(); x += 4) {
            ++samples;
            drawn += shot.pixelColor(x, y) != placeholderColour ? 1 : 0;
        }
    }
    QVERIFY2(drawn * 6 > samples, "the main window draws next to nothing inside the host window");
}

void TestEmbedXcb::resizeReachesNativeWindow() {
    BcfQtUi view(host->winId());
    paintBackground(*view.placeholder, placeholderColour);
    view.resize(200, 100);
    view.placeholder->move(150, 120);
    view.resize(0, 0);
    view.resize(300, 250);
    QCOMPARE(view.placeholder->windowHandle()->geometry(), QRect(0, 0, 300, 250));
    QTRY_COMPARE_WITH_TIMEOUT(grabNative(*host).pixelColor(2, 2), placeholderColour, 5000);
    QCOMPARE(grabNative(*host).pixelColor(320, 270), hostColour);
}

void TestEmbedXcb::invalidHandleFallsBack() {
    // An X resource id that names no window (the client's own ids start well above this).
    BcfQtUi view(WId(0x3f));
    QVERIFY(view.placeholder->isWindow());
    QVERIFY(view.placeholder->windowHandle() == nullptr ||
            view.placeholder->windowHandle()->parent() == nullptr);
    QCOMPARE(view.mainWindow->parentWidget(), view.placeholder.get());
}

void TestEmbedXcb::destroyingViewKeepsHostWindow() {
    {
        BcfQtUi view(host->winId());
        paintBackground(*view.placeholder, placeholderColour);
        view.resize(400, 300);
        QTRY_COMPARE_WITH_TIMEOUT(grabNative(*host).pixelColor(2, 2), placeholderColour, 5000);
    }
    // The view's native window is gone, the host's own (wrapped while the view lived) is not.
    QVERIFY(host->windowHandle()->handle() != nullptr);
    host->update();
    QTRY_COMPARE_WITH_TIMEOUT(grabNative(*host).pixelColor(2, 2), hostColour, 5000);
    QCOMPARE(QApplication::topLevelWidgets(), QWidgetList{host.get()});
}

QTEST_MAIN(TestEmbedXcb)
#include "test_embed_xcb.moc"
