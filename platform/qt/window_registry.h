#pragma once
// The host's windows by handle: the module names its owner windows by the
// handles of its forms, and the save dialog's hook asks for rectangles and
// parents by handle. A widget that was destroyed is no longer found.
#include <map>

#include <QPointer>
#include <QWidget>

#include "host/forms.h"

namespace qtview {

class WindowRegistry {
  public:
    // Registering a handle again replaces its widget.
    void Register(host::WindowHandle handle, QWidget* widget);
    void Unregister(host::WindowHandle handle);
    // nullptr when the handle is unknown or its widget is gone.
    QWidget* Widget(host::WindowHandle handle) const;
    // 0 when the widget is not registered.
    host::WindowHandle HandleOf(const QWidget* widget) const;
    // A handle no window holds yet, for windows the host makes itself.
    host::WindowHandle NewHandle();

  private:
    std::map<host::WindowHandle, QPointer<QWidget>> windows_;
    host::WindowHandle next_ = 0x7E000000;
};

}  // namespace qtview
