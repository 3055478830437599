// BcfQtUi: the BCF issue viewer embedded in a native window of a Qt Widgets host application.
#pragma once

#include <QWidget>
#include <QtGlobal>

#include <memory>

#if defined(BCFQTUI_LIBRARY)
#define BCFQTUI_EXPORT Q_DECL_EXPORT
#else
#define BCFQTUI_EXPORT Q_DECL_IMPORT
#endif

class MainWindow;

// One embedded view: a placeholder widget inside the host's native window, holding the BCF main
// window. Construct, resize and destroy it on the GUI thread, after the QApplication exists.
class BCFQTUI_EXPORT BcfQtUi {
public:
    // Embeds a new main window in the native window `host` and shows it; throws if that fails.
    explicit BcfQtUi(WId host);
    // Deletes the placeholder and with it the main window.
    ~BcfQtUi();

    BcfQtUi(const BcfQtUi&) = delete;
    BcfQtUi& operator=(const BcfQtUi&) = delete;

    // Sets the view's size in pixels and puts it at 0,0 of the host window.
    void resize(int width, int height);

    // Whether the view holds changes that no save has written yet; a host asks before destroying it.
    bool hasUnsavedChanges() const;
    // Runs the view's save command (save dialog, then the save); false when the user cancelled or
    // saving failed, in which case the view has shown why.
    bool save();

    // The widget inside the host window; owns the layout and the main window as Qt children.
    std::unique_ptr<QWidget> placeholder;
    // The main window shown in the placeholder; owned by the placeholder, never deleted through this.
    MainWindow* mainWindow = nullptr;
};
