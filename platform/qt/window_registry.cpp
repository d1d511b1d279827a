#include "platform/qt/window_registry.h"

namespace qtview {

void WindowRegistry::Register(host::WindowHandle handle, QWidget* widget) {
    windows_[handle] = widget;
}

void WindowRegistry::Unregister(host::WindowHandle handle) {
    windows_.erase(handle);
}

QWidget* WindowRegistry::Widget(host::WindowHandle handle) const {
    const auto it = windows_.find(handle);
    return it == windows_.end() ? nullptr : it->second.data();
}

host::WindowHandle WindowRegistry::HandleOf(const QWidget* widget) const {
    if (widget == nullptr) return 0;
    for (const auto& [handle, w] : windows_)
        if (w.data() == widget) return handle;
    return 0;
}

host::WindowHandle WindowRegistry::NewHandle() {
    while (windows_.count(next_) != 0) ++next_;
    return next_++;
}

}  // namespace qtview
