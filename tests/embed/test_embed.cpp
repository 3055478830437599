// BcfQtUi in a host's window, run offscreen and on a real X server (Xvfb): ownership, layout,
// resizing, the fallback window, and on X a native child window drawn inside the host's.
#include "bcfqtui.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLayout>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWindow>

class TestEmbed : public QObject {
    Q_OBJECT

    QWidget host;
    // A native area of the host below a strip, as a host's menu bar leaves one: the view's window
    // is a child of a window that is not the top-level one.
    QWidget* area = nullptr;

    // The colour the X server shows at x, y of the host's window (children included).
    QColor shownAt(int x, int y) const {
        return host.screen()
            ->grabWindow(host.winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32)
            .pixelColor(x, y);
    }

private slots:
    void initTestCase() {
        BcfQtUi::setLanguage(QLocale(QLocale::English)); // the texts compared are English
        // Green, and away from the screen's origin, so that a stray top-level placeholder cannot
        // pass for an embedded one in the grabs below.
        host.setPalette(QPalette(Qt::green, Qt::green));
        host.setAutoFillBackground(true);
        host.setGeometry(120, 90, 600, 400);
        area = new QWidget(&host);
        area->setGeometry(0, 30, 600, 370);
        area->setAttribute(Qt::WA_NativeWindow);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
    }

    // Each size in turn, after the placeholder was moved away: at 0,0 with the main window filling
    // it. A handle that names no window (X ids of clients start well above 0x3f) gives a window.
    void resizePlacesViewAtOrigin_data() {
        QTest::addColumn<WId>("handle");
        QTest::newRow("in the host's window") << host.winId();
        QTest::newRow("in an area below the host's menu bar") << area->winId();
        QTest::newRow("no host window") << WId(0);
        QTest::newRow("a handle that names no window") << WId(0x3f);
    }
    void resizePlacesViewAtOrigin() {
        QFETCH(WId, handle);
        const bool onX = QApplication::platformName() == QLatin1String("xcb") &&
                         (handle == host.winId() || handle == area->winId());
        const int top = handle == area->winId() ? 30 : 0; // where the host's window starts in the grab
        BcfQtUi view(handle);
        // The main window sits in a scroll area that fills the view, so that a host area smaller than
        // the window's minimum size scrolls instead of cutting the window off.
        auto* scroll = view.widget()->findChild<QScrollArea*>(QString(), Qt::FindDirectChildrenOnly);
        QVERIFY(scroll && qobject_cast<QMainWindow*>(scroll->widget()));
        QWindow* parent = view.widget()->windowHandle() ? view.widget()->windowHandle()->parent() : nullptr;
        QCOMPARE(parent && parent->winId() == handle && parent->type() == Qt::ForeignWindow, onX);
        for (const QSize& size : {QSize(200, 100), QSize(0, 0), QSize(1900, 1200), QSize(400, 300)}) {
            view.widget()->move(37, 41);
            view.resize(size.width(), size.height());
            QCOMPARE(QRect(view.widget()->pos(), view.widget()->size()), QRect(QPoint(0, 0), size));
        }
        // Above its minimum size the main window fills the view edge to edge, without a frame.
        view.resize(1900, 1200);
        QTRY_COMPARE_WITH_TIMEOUT(
            QRect(scroll->widget()->mapTo(view.widget(), QPoint()), scroll->widget()->size()),
            view.widget()->layout()->contentsRect(), 2000);
        view.resize(400, 300);
        QTRY_COMPARE_WITH_TIMEOUT(scroll->geometry(), view.widget()->layout()->contentsRect(), 2000);
        const QSize shown = scroll->widget()->size();
        QVERIFY(shown.width() >= scroll->viewport()->width() &&
                shown.height() >= scroll->viewport()->height());
        QCOMPARE(scroll->horizontalScrollBar()->maximum(), shown.width() - scroll->viewport()->width());
        QCOMPARE(scroll->verticalScrollBar()->maximum(), shown.height() - scroll->viewport()->height());
        if (!onX)
            return;
        // On X the native window follows, drawn at the top left of the host's window (the layout
        // margin shows the placeholder's colour) over the main window's area, the host's beyond.
        QTRY_COMPARE_WITH_TIMEOUT(view.widget()->windowHandle()->geometry(), QRect(0, 0, 400, 300), 5000);
        view.widget()->setPalette(QPalette(Qt::magenta, Qt::magenta));
        view.widget()->setAutoFillBackground(true);
        QTRY_COMPARE_WITH_TIMEOUT(shownAt(2, top + 2), QColor(Qt::magenta), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(shownAt(398, top + 298), QColor(Qt::magenta), 5000);
        if (top == 0)
            QCOMPARE(shownAt(500, 350), QColor(Qt::green));
    }

    // On X, where the view is a window of its own to Qt, a key that no widget of the viewer takes
    // reaches the host window's shortcut; one the viewer takes does not.
    void unusedKeysReachTheHost() {
        if (QApplication::platformName() != QLatin1String("xcb"))
            QSKIP("the view is embedded on X only");
        QAction quit(&host);
        quit.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
        host.addAction(&quit);
        int quits = 0;
        connect(&quit, &QAction::triggered, this, [&quits] { ++quits; });
        BcfQtUi view(area->winId());
        view.resize(400, 300);
        auto* issues = view.widget()->findChild<QWidget*>(QStringLiteral("twIssues"));
        QTest::keyClick(issues, Qt::Key_Q, Qt::ControlModifier);
        QTest::keyClick(issues, Qt::Key_Down);
        QCOMPARE(quits, 1);
        host.removeAction(&quit);
    }

    // The main window, in its scroll area, is the placeholder's one child in its layout. A new topic is an
    // unsaved change, which a cancelled save keeps; the view goes with its main window, exactly once.
    void viewHoldsMainWindowAndItsChanges() {
        int deletions = 0;
        {
            BcfQtUi view(host.winId());
            auto* scroll = view.widget()->findChild<QScrollArea*>(QString(), Qt::FindDirectChildrenOnly);
            QVERIFY(scroll);
            auto* mainWindow = qobject_cast<QMainWindow*>(scroll->widget());
            QVERIFY(mainWindow);
            QVERIFY(!mainWindow->isWindow() && mainWindow->isVisible() && view.widget()->isVisible());
            QCOMPARE(view.widget()->layout()->count(), 1);
            QCOMPARE(view.widget()->layout()->indexOf(scroll), 0);
            connect(mainWindow, &QObject::destroyed, this, [&deletions] { ++deletions; });
            QVERIFY(!view.hasUnsavedChanges());
            mainWindow->findChild<QPushButton*>(QStringLiteral("pbNewIssue"))->click();
            QVERIFY(view.hasUnsavedChanges());
            QTimer cancel; // rejects the save dialog as soon as it shows
            cancel.callOnTimeout([] {
                if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                    dialog->reject();
            });
            cancel.start(20);
            QVERIFY(!view.save());
            QVERIFY(view.hasUnsavedChanges());
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(deletions, 1);
        QCOMPARE(QApplication::topLevelWidgets(), QWidgetList{&host});
        QVERIFY(host.windowHandle()->handle() != nullptr);
    }
};

QTEST_MAIN(TestEmbed)
#include "test_embed.moc"
