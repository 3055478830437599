// BcfQtUi under the offscreen platform: ownership, layout, resizing and the fallback placeholder.
#include "bcfqtui.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QDialog>
#include <QLayout>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <memory>

class TestEmbed : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void mainWindowIsChildOfPlaceholder();
    void mainWindowFillsPlaceholderLayout();
    void resizeMovesToOrigin_data();
    void resizeMovesToOrigin();
    void resizeToNothingAndBack();
    void destructionDeletesMainWindowOnce();
    void nullHandleFallsBack();
    void viewsAreIndependent();
    void unsavedChangesAndSave();

private:
    std::unique_ptr<QWidget> host;
};

void TestEmbed::init() {
    host = std::make_unique<QWidget>();
    host->setAttribute(Qt::WA_NativeWindow);
    host->resize(800, 600);
    host->show();
}

void TestEmbed::cleanup() {
    host.reset();
}

void TestEmbed::mainWindowIsChildOfPlaceholder() {
    BcfQtUi view(host->winId());
    QVERIFY(view.placeholder);
    QVERIFY(view.mainWindow != nullptr);
    QCOMPARE(view.mainWindow->parentWidget(), view.placeholder.get());
    QVERIFY(!view.mainWindow->isWindow());
    QVERIFY(!QApplication::topLevelWidgets().contains(view.mainWindow));
    QVERIFY(view.placeholder->isVisible());
    QVERIFY(view.mainWindow->isVisible());
}

void TestEmbed::mainWindowFillsPlaceholderLayout() {
    BcfQtUi view(host->winId());
    auto* layout = qobject_cast<QVBoxLayout*>(view.placeholder->layout());
    QVERIFY(layout != nullptr);
    QCOMPARE(layout->count(), 1);
    QCOMPARE(layout->indexOf(view.mainWindow), 0);
    view.resize(700, 500);
    QTRY_COMPARE(view.mainWindow->geometry(), layout->contentsRect());
}

void TestEmbed::resizeMovesToOrigin_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("host size") << QSize(800, 600);
    QTest::newRow("smaller than the main window's minimum") << QSize(40, 30);
    QTest::newRow("nothing") << QSize(0, 0);
    QTest::newRow("larger than the host") << QSize(1900, 1200);
}

void TestEmbed::resizeMovesToOrigin() {
    QFETCH(QSize, size);
    BcfQtUi view(host->winId());
    view.placeholder->move(37, 41);
    for (int call = 0; call < 2; ++call) {
        view.resize(size.width(), size.height());
        QCOMPARE(view.placeholder->size(), size);
        QCOMPARE(view.placeholder->pos(), QPoint(0, 0));
    }
}

void TestEmbed::resizeToNothingAndBack() {
    BcfQtUi view(host->winId());
    view.resize(640, 480);
    view.resize(0, 0);
    QCOMPARE(view.placeholder->size(), QSize(0, 0));
    view.placeholder->move(5, 9);
    view.resize(640, 480);
    QCOMPARE(view.placeholder->size(), QSize(640, 480));
    QCOMPARE(view.placeholder->pos(), QPoint(0, 0));
    QTRY_COMPARE(view.mainWindow->geometry(), view.placeholder->layout()->contentsRect());
}

void TestEmbed::destructionDeletesMainWindowOnce() {
    const auto windowsBefore = QApplication::topLevelWidgets().size();
    int mainWindowDeletions = 0;
    QPointer<QWidget> mainWindow;
    QPointer<QWidget> placeholder;
    {
        BcfQtUi view(host->winId());
        mainWindow = view.mainWindow;
        placeholder = view.placeholder.get();
        connect(view.mainWindow, &QObject::destroyed, this,
                [&mainWindowDeletions] { ++mainWindowDeletions; });
    }
    QCOMPARE(mainWindowDeletions, 1);
    QVERIFY(mainWindow.isNull());
    QVERIFY(placeholder.isNull());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(mainWindowDeletions, 1);
    QCOMPARE(QApplication::topLevelWidgets().size(), windowsBefore);
}

void TestEmbed::nullHandleFallsBack() {
    BcfQtUi view(0);
    QVERIFY(view.placeholder);
    QVERIFY(view.placeholder->isWindow());
    QCOMPARE(view.mainWindow->parentWidget(), view.placeholder.get());
    view.resize(300, 200);
    QCOMPARE(view.placeholder->size(), QSize(300, 200));
    QCOMPARE(view.placeholder->pos(), QPoint(0, 0));
}

void TestEmbed::viewsAreIndependent() {
    BcfQtUi first(host->winId());
    BcfQtUi second(host->winId());
    QVERIFY(first.placeholder != second.placeholder);
    QVERIFY(first.mainWindow != second.mainWindow);
    first.resize(100, 80);
    second.resize(300, 200);
    QCOMPARE(first.placeholder->size(), QSize(100, 80));
    QCOMPARE(second.placeholder->size(), QSize(300, 200));
}

void TestEmbed::unsavedChangesAndSave() {
    BcfQtUi view(host->winId());
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

QTEST_MAIN(TestEmbed)
#include "test_embed.moc"
