#include "placeholder.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QShortcut>
#include <QString>
#include <QWindow>

#include <cstdio>

#if defined(BCF_HAVE_XCB) && QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <cstdlib>
#endif

namespace bcf::platform {
namespace {

// Platforms whose QPA plugin can wrap and parent to windows of other toolkits or processes.
bool supportsForeignWindows() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform == QLatin1String("windows");
}

// False when the X server knows no window `id`. Qt's xcb plugin wraps any id without asking, and
// reparenting to a bad one would leave our window a stray top-level window.
bool isX11Window(WId id) {
#if defined(BCF_HAVE_XCB) && QT_CONFIG(xcb)
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) {
        return true;
    }
    xcb_connection_t* connection = x11->connection();
    xcb_generic_error_t* error = nullptr;
    // Asking for the reply with an error slot keeps a BadWindow out of Qt's error log.
    std::free(xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, static_cast<xcb_window_t>(id)), &error));
    const bool exists = error == nullptr;
    std::free(error);
    return exists;
#else
    Q_UNUSED(id);
    return true;
#endif
}

// Wraps `host` in a foreign QWindow, or returns null when the handle does not name a window.
std::unique_ptr<QWindow> wrapHostWindow(WId host) {
    if (host == 0 || !supportsForeignWindows()) {
        return nullptr;
    }
    if (QGuiApplication::platformName() == QLatin1String("xcb") && !isX11Window(host)) {
        return nullptr;
    }
    std::unique_ptr<QWindow> foreign(QWindow::fromWinId(host));
    // The Windows plugin refuses handles that name no window and leaves no platform window.
    if (!foreign || foreign->handle() == nullptr) {
        return nullptr;
    }
    return foreign;
}

// The object name of the embedded widget; Qt names its window after it, with "Window" added.
constexpr char kEmbeddedName[] = "bcfEmbeddedView";

QtMessageHandler previousHandler = nullptr;

// Every dialog, menu, combo box list and tooltip of the viewer asks Qt to make the viewer's
// window its transient parent, and Qt refuses with a warning because that window is a child of
// the host's. The refusal is right (the host's window stays the one the window manager knows) and
// the warning says nothing to anyone: it is dropped, every other message goes on as before.
void dropTransientParentWarning(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message.contains(QLatin1String("must be a top level window")) &&
        message.contains(QLatin1String(kEmbeddedName)))
        return;
    if (previousHandler != nullptr)
        previousHandler(type, context, message);
    else
        std::fputs(qPrintable(qFormatLogMessage(type, context, message) + QLatin1Char('\n')), stderr);
}

void quietTransientParentWarnings() {
    static const bool installed = [] {
        previousHandler = qInstallMessageHandler(dropTransientParentWarning);
        return true;
    }();
    Q_UNUSED(installed);
}

// A widget whose native window lives inside a foreign host window. It keeps the QWindow that
// wraps the host alive for as long as it is parented to it.
class EmbeddedWidget final : public QWidget {
public:
    explicit EmbeddedWidget(std::unique_ptr<QWindow> host) : hostWindow(std::move(host)) {
        setAttribute(Qt::WA_NativeWindow);
        setObjectName(QString::fromLatin1(kEmbeddedName));
        winId(); // creates the native window now, so that it can be reparented before it is shown
        windowHandle()->setParent(hostWindow.get());
        quietTransientParentWarnings();
    }

    ~EmbeddedWidget() override {
        // Deleting a QWindow deletes its child windows, and ours belongs to this widget: unhook it
        // (hidden, so the native window never appears on its own) before the host wrapper goes.
        if (QWindow* own = windowHandle(); own != nullptr && own->parent() == hostWindow.get()) {
            hide();
            own->setParent(nullptr);
        }
    }

    EmbeddedWidget(const EmbeddedWidget&) = delete;
    EmbeddedWidget& operator=(const EmbeddedWidget&) = delete;

protected:
    // A key that no widget of the viewer used reached the placeholder: it may be one of the host's
    // shortcuts (Ctrl+Q), which Qt matches only in the host's own window.
    void keyPressEvent(QKeyEvent* event) override {
        if (!forwardShortcut(QWidget::find(hostWindow->winId()), *event))
            QWidget::keyPressEvent(event);
    }

private:
    std::unique_ptr<QWindow> hostWindow;
};

} // namespace

bool forwardShortcut(QWidget* host, const QKeyEvent& event) {
    if (host == nullptr || event.key() == 0 || event.key() == Qt::Key_unknown)
        return false;
    const QKeySequence pressed(event.keyCombination());
    QWidget* hostWindow = host->window();
    const auto matches = [&](QAction* action) {
        return action->isEnabled() && action->shortcuts().contains(pressed);
    };
    for (QAction* action : hostWindow->findChildren<QAction*>()) {
        if (matches(action)) {
            action->trigger();
            return true;
        }
    }
    for (QAction* action : hostWindow->actions()) {
        if (matches(action)) {
            action->trigger();
            return true;
        }
    }
    for (QShortcut* shortcut : hostWindow->findChildren<QShortcut*>()) {
        if (shortcut->isEnabled() && shortcut->keys().contains(pressed)) {
            emit shortcut->activated();
            return true;
        }
    }
    return false;
}

std::unique_ptr<QWidget> createPlaceholderWidget(WId host) {
    if (auto hostWindow = wrapHostWindow(host)) {
        return std::make_unique<EmbeddedWidget>(std::move(hostWindow));
    }
    return std::make_unique<QWidget>();
}

} // namespace bcf::platform
