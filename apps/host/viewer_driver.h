// Drives the embedded viewer from the command line through its host API, and as a user would
// where the API has no call for it: opens an archive, selects the first issue and snapshot, makes a
// new snapshot of the model view and shows it, and saves a screenshot of the host window.
#pragma once

#include "bcfviewpoint.h"

#include <QObject>
#include <QString>
#include <QStringList>

class HostWindow;
class QWidget;

struct DriverOptions {
    QString archive; // archive to open; empty: none
    bool selectFirst = false;
    // Selects and colours components of the model view, runs the viewer's New Snapshot and selects
    // the new snapshot.
    bool newSnapshot = false;
    QString screenshot; // PNG file to save the host window to, then quit; empty: keep running
};

class ViewerDriver final : public QObject {
    Q_OBJECT

public:
    ViewerDriver(HostWindow& window, DriverOptions options);

    // Runs the steps the options ask for; call once the host window is shown and the event loop runs.
    void start();

private:
    void openArchive();
    void selectFirst();
    void newSnapshot();
    void saveScreenshotAndQuit();
    void fail(const QString& message);
    template <class T> T* viewerChild(const char* objectName) const;

    HostWindow& window;
    DriverOptions options;
    QStringList failures;
    // The model view as the host window starts: its own camera on its own building.
    BcfViewpoint home;
};
