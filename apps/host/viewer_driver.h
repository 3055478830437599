// Drives the embedded viewer as a user would: opens an archive through its dialogs, selects the
// first issue and snapshot, and saves a screenshot of the host window.
#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class HostWindow;

struct DriverOptions {
    QString archive; // archive to open through the viewer's open command; empty: none
    bool selectFirst = false;
    QString screenshot; // PNG file to save the host window to, then quit; empty: keep running
};

class ViewerDriver final : public QObject {
    Q_OBJECT

public:
    ViewerDriver(HostWindow& window, DriverOptions options);

    // Runs the steps the options ask for; call once the host window is shown and the event loop runs.
    void start();

private:
    using ModalMatch = std::function<bool(QWidget*)>;
    using ModalAction = std::function<void(QWidget*)>;

    // Calls `act` on the active modal widget once `matches` holds for it, polling from whatever event
    // loop runs (the modal dialogs' nested ones included). Gives up at `deadline`.
    void whenModal(ModalMatch matches, ModalAction act, const QString& what, QDeadlineTimer deadline);
    void openArchive();
    void selectFirst();
    void saveScreenshotAndQuit();
    void fail(const QString& message);
    template <class T> T* viewerChild(const char* objectName) const;

    HostWindow& window;
    DriverOptions options;
    QStringList failures;
};
