// The platform layer of the embedding: turns a host's native window handle into a Qt widget.
#pragma once

#include <QWidget>

class QKeyEvent;

#include <memory>

namespace bcf::platform {

// A new widget without layout whose native window is a child of the native window `host`, so that
// resizing it and moving it to 0,0 makes it fill that area of the host window. Where the platform
// cannot parent to foreign windows (offscreen, minimal, wayland), or `host` is 0 or names no
// window, the result is a plain top-level widget. Never returns null.
std::unique_ptr<QWidget> createPlaceholderWidget(WId host);

// Runs the shortcut of the window of `host` (its actions, its menus' actions and its QShortcuts)
// that `event` presses; false when it has none, or `host` is null. The placeholder hands on the
// keys the viewer left unused this way, as Qt matches a window's shortcuts only in that window.
bool forwardShortcut(QWidget* host, const QKeyEvent& event);

} // namespace bcf::platform
