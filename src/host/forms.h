#pragma once
// Forms runtime: a form holds controls (the module's page surface, or a modal
// dialog form), the control factory creates controls from their design, the
// clipboard holds plain text.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/control.h"
#include "host/variant.h"

namespace host {

using WindowHandle = std::intptr_t;

class ORVE_API Form {
  public:
    virtual ~Form() = default;
    virtual std::string Name() const = 0;
    virtual WindowHandle Handle() const = 0;
    virtual std::string Caption() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    // The background colour as a colour number 0x00BBGGRR; empty for the
    // host's default. Setting a value that is no colour number raises.
    virtual Variant BackColor() const = 0;
    virtual void SetBackColor(const Variant& color) = 0;
    virtual std::int32_t Width() const = 0;
    virtual std::int32_t Height() const = 0;
    // Resizing by code raises no notification; UserResize does.
    virtual void SetSize(std::int32_t width, std::int32_t height) = 0;
    virtual void OnResize(std::function<void()> handler) = 0;
    virtual void UserResize(std::int32_t width, std::int32_t height) = 0;

    virtual void AddControl(std::shared_ptr<Control> control) = 0;
    // Constituent controls, flat, in creation order, counted from 0.
    virtual std::vector<std::shared_ptr<Control>> Controls() const = 0;
    // Raises host::Error when there is no such control.
    virtual std::shared_ptr<Control> Find(const std::string& name,
                                          std::int32_t index = -1) const = 0;

    // Modal dialogs: shows the form and returns once it is hidden.
    virtual void ShowModal(WindowHandle owner) = 0;
    virtual void Hide() = 0;
    virtual bool IsShown() const = 0;
    // Enter and Esc click the default and the cancel command button; closing
    // the window raises the close notification.
    virtual void OnClose(std::function<void()> handler) = 0;
    virtual void UserPressEnter() = 0;
    virtual void UserPressEscape() = 0;
    virtual void UserClose() = 0;
};

class ORVE_API ControlFactory {
  public:
    virtual ~ControlFactory() = default;
    // Creates a control from its design; raises for an unknown kind or a bad property.
    virtual std::shared_ptr<Control> Create(const ControlDesc& desc) = 0;
    virtual std::shared_ptr<Form> CreateForm(const std::string& name, const std::string& caption,
                                             std::int32_t width, std::int32_t height) = 0;
};

class ORVE_API Clipboard {
  public:
    virtual ~Clipboard() = default;
    virtual void Clear() = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual std::string Text() const = 0;
};

template <class T>
std::shared_ptr<T> As(const std::shared_ptr<Control>& c) {
    return std::dynamic_pointer_cast<T>(c);
}

}  // namespace host
