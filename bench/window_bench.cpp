// bcf-window-bench: opens generated archives of growing size in the real main window (offscreen
// platform) through its open command, and prints the time until the issue list is painted, the
// times of scrolling, sorting, searching and adding an issue, and the memory of the process.
// Each archive is measured in a child process of its own, so that every peak is that size's alone.
//
//   bcf-window-bench [--topics N[,N...]] [--keep DIR]

#include "synthetic_archive.h"

#include "codec/archive.h"
#include "ui/bcfopen.h"
#include "ui/mainwindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

namespace {

constexpr std::size_t kSnapshotBytes = 512;

// A field of /proc/self/status ("VmRSS", "VmHWM") in MiB.
double statusMiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == std::string(field) + ":") {
            double kib = 0;
            status >> kib;
            return kib / 1024.0;
        }
        status.ignore(1 << 12, '\n');
    }
    return 0;
}

double msSince(const QElapsedTimer& clock) {
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Calls `action` on the first active modal widget of type T, from whatever event loop runs.
template <typename T> void whenModal(std::function<void(T*)> action) {
    auto* timer = new QTimer();
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto* widget = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(widget);
        }
    });
    timer->start(1);
}

// Counts the paint events of a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Processes events until `widget` has been painted once more than `before`.
void waitForPaint(PaintCounter& counter, int before) {
    while (counter.paints <= before)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Processes what an action left pending (delayed layouts, update requests, their paints).
void settle() {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

void click(QWidget* target, QPoint at) {
    QMouseEvent press(QEvent::MouseButtonPress, at, target->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, target->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

// The measurements in the window, printed as one line of "key=value" pairs.
int runWindow(const QString& path) {
    MainWindow window;
    window.resize(1400, 900);
    window.show();
    QApplication::processEvents();
    const double baseRss = statusMiB("VmRSS");
    auto* issues = window.findChild<QTreeWidget*>(QStringLiteral("twIssues"));
    PaintCounter painted;
    issues->viewport()->installEventFilter(&painted);

    QElapsedTimer clock;
    whenModal<BcfOpen>([path, &clock](BcfOpen* dialog) {
        whenModal<QFileDialog>([path, &clock](QFileDialog* files) {
            files->selectFile(path);
            clock.start(); // from the user's choice of the file on
            static_cast<QDialog*>(files)->accept();
        });
        dialog->findChild<QAbstractButton*>(QStringLiteral("pbOpen"))->click();
    });
    const int before = painted.paints;
    window.findChild<QToolButton*>(QStringLiteral("tbOpen"))->click();
    waitForPaint(painted, before);
    const double openMs = msSince(clock);
    const double openRss = statusMiB("VmRSS");
    if (issues->topLevelItemCount() == 0)
        return 1;

    // Scrolling: one page down per frame, each painted at once.
    QScrollBar* bar = issues->verticalScrollBar();
    const int pages = 40;
    clock.start();
    for (int i = 0; i < pages; ++i) {
        bar->setValue(bar->value() + bar->pageStep());
        issues->viewport()->repaint();
    }
    const double pageMs = msSince(clock) / pages;

    // Sorting by "Date created", as a click on its header section does.
    QHeaderView* header = issues->header();
    clock.start();
    click(header->viewport(), QPoint(header->sectionViewportPosition(3) + 5, header->height() / 2));
    settle();
    const double sortMs = msSince(clock);

    // Typing a search text, one key at a time; the slowest key counts.
    double keyMs = -1;
    if (auto* search = window.findChild<QLineEdit*>(QStringLiteral("leIssueSearch"))) {
        search->setFocus();
        for (const QChar c : QStringLiteral("beam 7")) {
            clock.start();
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(search, &press);
            settle();
            keyMs = std::max(keyMs, msSince(clock));
        }
        search->clear();
        QApplication::processEvents();
    }

    // "New issue" until its row is painted.
    clock.start();
    window.findChild<QAbstractButton*>(QStringLiteral("pbNewIssue"))->click();
    settle();
    const double newIssueMs = msSince(clock);

    std::printf("open_ms=%.0f page_ms=%.1f sort_ms=%.0f key_ms=%.0f new_issue_ms=%.0f base_mib=%.1f "
                "open_mib=%.1f peak_mib=%.1f\n",
                openMs, pageMs, sortMs, keyMs, newIssueMs, baseRss, openRss, statusMiB("VmHWM"));
    return 0;
}

// The codec alone: load time and the memory the model takes.
int runCodec(const QString& path) {
    const double baseRss = statusMiB("VmRSS");
    QElapsedTimer clock;
    clock.start();
    const bcf::BcfData data = bcf::loadArchive(path.toStdString()).data;
    const double loadMs = msSince(clock);
    std::printf("load_ms=%.0f model_mib=%.1f topics=%zu\n", loadMs, statusMiB("VmRSS") - baseRss,
                data.markups.size());
    return 0;
}

// The value of `key` in a child's "key=value" line.
QString field(const QString& line, const QString& key) {
    for (const QString& pair : line.split(QLatin1Char(' '))) {
        if (pair.startsWith(key + QLatin1Char('=')))
            return pair.mid(key.size() + 1);
    }
    return QStringLiteral("-");
}

QString runChild(const QString& mode, const QString& path) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {mode, path});
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        return {};
    return QString::fromUtf8(child.readAllStandardOutput()).trimmed();
}

int runParent(const QStringList& args) {
    QList<int> sizes{200, 2000, 20000};
    QString keep;
    for (int i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == QStringLiteral("--topics")) {
            sizes.clear();
            for (const QString& n : args[i + 1].split(QLatin1Char(',')))
                sizes.append(n.toInt());
        } else if (args[i] == QStringLiteral("--keep")) {
            keep = args[i + 1];
        } else {
            std::fprintf(stderr, "usage: bcf-window-bench [--topics N[,N...]] [--keep DIR]\n");
            return 2;
        }
    }
    QTemporaryDir temp;
    const QString dir = keep.isEmpty() ? temp.path() : keep;
    QDir().mkpath(dir);
    std::printf("%7s %9s %9s %8s %8s %8s %10s %10s %10s %10s\n", "topics", "load ms", "open ms", "page ms",
                "sort ms", "key ms", "new iss ms", "model MiB", "window MiB", "peak MiB");
    for (int topics : sizes) {
        const QString path = dir + QStringLiteral("/synthetic-%1.bcf").arg(topics);
        bcf::BcfDocument document{bcfbench::makeSyntheticModel(topics, kSnapshotBytes)};
        bcf::saveArchive(path.toStdString(), document, bcf::BcfVersion::V3_0);
        const QString codec = runChild(QStringLiteral("--codec"), path);
        const QString window = runChild(QStringLiteral("--window"), path);
        const double windowMiB = field(window, QStringLiteral("open_mib")).toDouble() -
                                 field(window, QStringLiteral("base_mib")).toDouble();
        std::printf("%7d %9s %9s %8s %8s %8s %10s %10s %10.1f %10s\n", topics,
                    qPrintable(field(codec, QStringLiteral("load_ms"))),
                    qPrintable(field(window, QStringLiteral("open_ms"))),
                    qPrintable(field(window, QStringLiteral("page_ms"))),
                    qPrintable(field(window, QStringLiteral("sort_ms"))),
                    qPrintable(field(window, QStringLiteral("key_ms"))),
                    qPrintable(field(window, QStringLiteral("new_issue_ms"))),
                    qPrintable(field(codec, QStringLiteral("model_mib"))), windowMiB,
                    qPrintable(field(window, QStringLiteral("peak_mib"))));
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments().mid(1);
    try {
        if (args.size() == 2 && args[0] == QStringLiteral("--window"))
            return runWindow(args[1]);
        if (args.size() == 2 && args[0] == QStringLiteral("--codec"))
            return runCodec(args[1]);
        return runParent(args);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bcf-window-bench: %s\n", error.what());
        return 1;
    }
}
