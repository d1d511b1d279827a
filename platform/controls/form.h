#pragma once
// A form: the module's page surface or a modal dialog. It holds its
// constituent controls flat, in the order they were added (menus and their
// items included), and finds them by name and control-array index.
//
// - AddControl refuses a null control and a second control of the same name
//   and index. A menu item whose container is a context menu of the form joins
//   that menu's items; option buttons join the form's groups (which needs the
//   form held by a std::shared_ptr, as CreateForm gives it).
// - ShowModal shows the form and hands it to the modal runner, which plays a
//   person's actions and ends by hiding it. A runner that returns with the
//   form still shown, or no runner at all, counts as the person closing the
//   window (close notification, then hidden). A runner's failure hides the
//   form and reaches the caller (let pass). A form already shown refuses.
// - UserPressEnter / UserPressEscape click the first enabled and visible
//   command button marked "default" / "cancel"; without one nothing happens.
// - SetBackColor takes a colour number 0x00BBGGRR, a system colour (top bit
//   set) or empty (the host's default); anything else is refused.
// - SetSize (code) raises nothing; UserResize raises resize. Sizes are twips
//   and must not be negative.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/forms.h"
#include "platform/controls/signal.h"

namespace controls {

using ModalRunner = std::function<void(host::Form&)>;

class Form final : public host::Form, public std::enable_shared_from_this<Form> {
  public:
    Form(std::string name, std::string caption, std::int32_t width, std::int32_t height,
         ModalRunner runner = {});

    std::string Name() const override { return name_; }
    host::WindowHandle Handle() const override { return handle_; }
    std::string Caption() const override { return caption_; }
    void SetCaption(const std::string& caption) override;
    host::Variant BackColor() const override { return backColor_; }
    void SetBackColor(const host::Variant& color) override;
    std::int32_t Width() const override { return width_; }
    std::int32_t Height() const override { return height_; }
    void SetSize(std::int32_t width, std::int32_t height) override;
    void OnResize(std::function<void()> handler) override;
    void UserResize(std::int32_t width, std::int32_t height) override;

    void AddControl(std::shared_ptr<host::Control> control) override;
    std::vector<std::shared_ptr<host::Control>> Controls() const override { return controls_; }
    std::shared_ptr<host::Control> Find(const std::string& name,
                                        std::int32_t index = -1) const override;

    void ShowModal(host::WindowHandle owner) override;
    void Hide() override;
    bool IsShown() const override { return shown_; }
    void OnClose(std::function<void()> handler) override;
    void UserPressEnter() override;
    void UserPressEscape() override;
    void UserClose() override;

    void SetModalRunner(ModalRunner runner) { runner_ = std::move(runner); }
    // The owner handed to the last ShowModal; 0 before.
    host::WindowHandle Owner() const { return owner_; }
    std::int32_t ShowCount() const { return showCount_; }
    // Any change of the form's own state (caption, colour, size, shown).
    void OnStateChanged(std::function<void()> listener) {
        stateChanged_.Connect(std::move(listener));
    }

  private:
    void CheckSize(std::int32_t width, std::int32_t height) const;
    void ClickButton(bool isDefault);
    void Adopt(const std::shared_ptr<host::Control>& control);

    std::string name_;
    std::string caption_;
    host::Variant backColor_;
    std::int32_t width_;
    std::int32_t height_;
    host::WindowHandle handle_;
    host::WindowHandle owner_ = 0;
    std::vector<std::shared_ptr<host::Control>> controls_;
    bool shown_ = false;
    std::int32_t showCount_ = 0;
    ModalRunner runner_;
    Signal<> resize_;
    Signal<> close_;
    Signal<> stateChanged_;
};

}  // namespace controls
