#include "platform/controls/form.h"

#include <atomic>

#include "platform/controls/command_button.h"
#include "platform/controls/control_errors.h"
#include "platform/controls/option_button.h"

namespace controls {
namespace {

host::WindowHandle NextHandle() {
    // Handles stay unique for the life of the process, across threads.
    static std::atomic<host::WindowHandle> next{0x10000};
    return next.fetch_add(4);
}

std::string ControlLabel(const std::string& name, std::int32_t index) {
    return index < 0 ? name : name + "(" + std::to_string(index) + ")";
}

}  // namespace

Form::Form(std::string name, std::string caption, std::int32_t width, std::int32_t height,
           ModalRunner runner)
    : name_(std::move(name)),
      caption_(std::move(caption)),
      width_(width),
      height_(height),
      handle_(NextHandle()),
      runner_(std::move(runner)) {
    CheckSize(width, height);
}

void Form::CheckSize(std::int32_t width, std::int32_t height) const {
    if (width < 0 || height < 0) {
        Raise(kErrArgument, "form '{}': size {} x {} is negative", name_, width, height);
    }
}

void Form::SetCaption(const std::string& caption) {
    caption_ = caption;
    stateChanged_.Raise();
}

void Form::SetBackColor(const host::Variant& color) {
    if (!color.IsEmpty()) {
        std::int32_t value = 0;
        try {
            value = color.ToInt32();
        } catch (const host::Error&) {
            Raise(kErrPropertyValue, "form '{}': the back colour is no colour number", name_);
        }
        // 0x00BBGGRR, or a system colour with its top bit set.
        if (value > 0xFFFFFF) {
            Raise(kErrPropertyValue, "form '{}': {:#x} is no colour number", name_, value);
        }
    }
    backColor_ = color;
    stateChanged_.Raise();
}

void Form::SetSize(std::int32_t width, std::int32_t height) {
    CheckSize(width, height);
    width_ = width;
    height_ = height;
    stateChanged_.Raise();
}

void Form::OnResize(std::function<void()> handler) {
    resize_.Connect(std::move(handler));
}

void Form::UserResize(std::int32_t width, std::int32_t height) {
    SetSize(width, height);
    resize_.Raise();
}

void Form::Adopt(const std::shared_ptr<host::Control>& control) {
    if (auto option = std::dynamic_pointer_cast<OptionButton>(control)) {
        option->JoinForm(weak_from_this());
    }
    // A menu item and its context menu meet whichever of them comes first.
    if (auto item = host::As<host::MenuItem>(control)) {
        for (const auto& c : controls_) {
            auto menu = host::As<host::ContextMenu>(c);
            if (menu && !control->ParentName().empty() &&
                host::IEquals(menu->Name(), control->ParentName())) {
                menu->AddItem(item);
            }
        }
    }
    if (auto menu = host::As<host::ContextMenu>(control)) {
        for (const auto& c : controls_) {
            auto item = host::As<host::MenuItem>(c);
            if (item && host::IEquals(item->ParentName(), menu->Name())) menu->AddItem(item);
        }
    }
}

void Form::AddControl(std::shared_ptr<host::Control> control) {
    if (!control) Raise(kErrArgument, "form '{}': no control was given", name_);
    const std::int32_t index = control->InArray() ? control->ArrayIndex() : -1;
    for (const auto& c : controls_) {
        const std::int32_t other = c->InArray() ? c->ArrayIndex() : -1;
        if (host::IEquals(c->Name(), control->Name()) && other == index) {
            Raise(kErrNoControl, "form '{}' already holds a control '{}'", name_,
                  ControlLabel(control->Name(), index));
        }
    }
    controls_.push_back(control);
    Adopt(control);
}

std::shared_ptr<host::Control> Form::Find(const std::string& name, std::int32_t index) const {
    const std::int32_t wanted = index < 0 ? -1 : index;
    for (const auto& c : controls_) {
        const std::int32_t own = c->InArray() ? c->ArrayIndex() : -1;
        if (own == wanted && host::IEquals(c->Name(), name)) return c;
    }
    Raise(kErrNoControl, "form '{}' has no control '{}'", name_, ControlLabel(name, wanted));
}

void Form::ShowModal(host::WindowHandle owner) {
    if (shown_) Raise(kErrArgument, "form '{}' is already shown", name_);
    owner_ = owner;
    shown_ = true;
    ++showCount_;
    stateChanged_.Raise();
    if (runner_) {
        try {
            runner_(*this);
        } catch (...) {
            Hide();
            throw;
        }
    }
    if (shown_) UserClose();
}

void Form::Hide() {
    if (!shown_) return;
    shown_ = false;
    stateChanged_.Raise();
}

void Form::OnClose(std::function<void()> handler) {
    close_.Connect(std::move(handler));
}

void Form::ClickButton(bool isDefault) {
    for (const auto& c : controls_) {
        auto button = std::dynamic_pointer_cast<CommandButton>(c);
        if (!button || !button->Enabled() || !button->Visible()) continue;
        if (isDefault ? button->IsDefault() : button->IsCancel()) {
            button->UserClick();
            return;
        }
    }
}

void Form::UserPressEnter() {
    ClickButton(true);
}

void Form::UserPressEscape() {
    ClickButton(false);
}

void Form::UserClose() {
    try {
        close_.Raise();
    } catch (...) {
        Hide();
        throw;
    }
    Hide();
}

}  // namespace controls
