#include "placeholder.h"

#include <QGuiApplication>
#include <QString>
#include <QWindow>

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

// A widget whose native window lives inside a foreign host window. It keeps the QWindow that
// wraps the host alive for as long as it is parented to it.
class EmbeddedWidget final : public QWidget {
public:
    explicit EmbeddedWidget(std::unique_ptr<QWindow> host) : hostWindow(std::move(host)) {
        setAttribute(Qt::WA_NativeWindow);
        winId(); // creates the native window now, so that it can be reparented before it is shown
        windowHandle()->setParent(hostWindow.get());
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

private:
    std::unique_ptr<QWindow> hostWindow;
};

} // namespace

std::unique_ptr<QWidget> createPlaceholderWidget(WId host) {
    if (auto hostWindow = wrapHostWindow(host)) {
        return std::make_unique<EmbeddedWidget>(std::move(hostWindow));
    }
    return std::make_unique<QWidget>();
}

} // namespace bcf::platform
