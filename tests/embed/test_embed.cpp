// BcfQtUi in a host's window, run offscreen and on a real X server (Xvfb): ownership, layout,
// resizing, the fallback window, and on X a native child window drawn inside the host's.
#include "bcfqtui.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QDialog>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {

const QColor hostColour(0, 160, 0);
const QColor placeholderColour(255, 0, 255);

bool onX() {
    return QApplication::platformName() == QLatin1String("xcb");
}

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

class TestEmbed : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        paintBackground(host, hostColour);
        // Away from the screen's origin, so that a stray top-level placeholder cannot pass for an
        // embedded one in the grabs below.
        host.setAttribute(Qt::WA_NativeWindow);
        host.setGeometry(120, 90, 600, 400);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
    }

    // The main window is the placeholder's one child in its layout, and goes with it exactly once,
    // leaving the host's native window whole.
    void mainWindowLivesInPlaceholder() {
        int deletions = 0;
        {
            BcfQtUi view(host.winId());
            QCOMPARE(view.mainWindow->parentWidget(), view.placeholder.get());
            QVERIFY(!view.mainWindow->isWindow() && view.mainWindow->isVisible() &&
                    view.placeholder->isVisible());
            QCOMPARE(view.placeholder->layout()->count(), 1);
            QCOMPARE(view.placeholder->layout()->indexOf(view.mainWindow), 0);
            connect(view.mainWindow, &QObject::destroyed, this, [&deletions] { ++deletions; });
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(deletions, 1);
        QCOMPARE(QApplication::topLevelWidgets(), QWidgetList{&host});
        QVERIFY(host.windowHandle()->handle() != nullptr);
    }

    // Each size in turn, after the placeholder was moved away: at 0,0 with the main window filling
    // it. A handle that names no window (X ids of clients start well above 0x3f) gives a window.
    void resizePlacesViewAtOrigin_data() {
        QTest::addColumn<WId>("handle");
        QTest::newRow("in the host's window") << host.winId();
        QTest::newRow("no host window") << WId(0);
        QTest::newRow("a handle that names no window") << WId(0x3f);
    }
    void resizePlacesViewAtOrigin() {
        QFETCH(WId, handle);
        const bool embedded = handle == host.winId();
        BcfQtUi view(handle);
        QWindow* parent =
            view.placeholder->windowHandle() ? view.placeholder->windowHandle()->parent() : nullptr;
        QCOMPARE(parent && parent->winId() == host.winId() && parent->type() == Qt::ForeignWindow,
                 embedded && onX());
        {
            BcfQtUi other(host.winId()); // views do not share their widgets or sizes
            other.resize(100, 80);
            for (const QSize& size : {QSize(200, 100), QSize(0, 0), QSize(1900, 1200), QSize(400, 300)}) {
                view.placeholder->move(37, 41);
                view.resize(size.width(), size.height());
                QCOMPARE(QRect(view.placeholder->pos(), view.placeholder->size()), QRect(QPoint(0, 0), size));
            }
            QCOMPARE(other.placeholder->size(), QSize(100, 80));
        }
        QTRY_COMPARE_WITH_TIMEOUT(view.mainWindow->geometry(), view.placeholder->layout()->contentsRect(),
                                  2000);
        if (!embedded || !onX())
            return;
        // On X: the native window follows, drawn at the top left of the host's window (the layout
        // margin shows the placeholder's colour), the host's colour beyond it.
        QCOMPARE(view.placeholder->windowHandle()->geometry(), QRect(0, 0, 400, 300));
        paintBackground(*view.placeholder, placeholderColour);
        QTRY_COMPARE_WITH_TIMEOUT(grabNative(host).pixelColor(2, 2), placeholderColour, 5000);
        QCOMPARE(grabNative(host).pixelColor(500, 350), hostColour);
        QCOMPARE(grabNative(host).pixelColor(420, 150), hostColour);
        // Inside the main window its views, buttons and texts draw over the placeholder's colour
        // (which its panels inherit: they show through wherever nothing else is drawn).
        const QImage shot = grabNative(host);
        const QRect area = view.mainWindow->geometry();
        int drawn = 0;
        for (int y = area.top(); y <= area.bottom(); y += 4)
            for (int x = area.left(); x <= area.right(); x += 4)
                drawn += shot.pixelColor(x, y) != placeholderColour ? 1 : 0;
        QVERIFY2(drawn * 6 * 16 > area.width() * area.height(), "the main window draws next to nothing");
    }

    // A new topic is an unsaved change; a save whose dialog is cancelled keeps it unsaved.
    void cancelledSaveKeepsUnsavedChanges() {
        BcfQtUi view(host.winId());
        QVERIFY(!view.hasUnsavedChanges());
        view.mainWindow->findChild<QPushButton*>(QStringLiteral("pbNewIssue"))->click();
        QVERIFY(view.hasUnsavedChanges());
        QTimer cancel;
        QObject::connect(&cancel, &QTimer::timeout, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        cancel.start(20);
        QVERIFY(!view.save());
        QVERIFY(view.hasUnsavedChanges());
    }

private:
    QWidget host;
};

QTEST_MAIN(TestEmbed)
#include "test_embed.moc"
