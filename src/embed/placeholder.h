// The platform layer of the embedding: turns a host's native window handle into a Qt widget.
#pragma once

#include <QWidget>

#include <memory>

namespace bcf::platform {

// A new widget without layout whose native window is a child of the native window `host`, so that
// resizing it and moving it to 0,0 makes it fill that area of the host window. Where the platform
// cannot parent to foreign windows (offscreen, minimal, wayland), or `host` is 0 or names no
// window, the result is a plain top-level widget. Never returns null.
std::unique_ptr<QWidget> createPlaceholderWidget(WId host);

} // namespace bcf::platform
