#include "platform/controls/option_button.h"

namespace controls {

OptionButton::OptionButton(std::string name, std::int32_t index, std::string parent)
    : ControlBase(host::ControlKind::OptionButton, std::move(name), index, std::move(parent),
                  {{"font", PropType::Any, {}},
                   {"backcolor", PropType::Any, {}},
                   {"tooltiptext", PropType::Text, std::string()}}) {}

void OptionButton::ClearSiblings() {
    auto form = form_.lock();
    if (!form) return;
    const host::OptionButton* self = this;
    for (const auto& control : form->Controls()) {
        auto other = host::As<host::OptionButton>(control);
        if (other && other.get() != self && host::IEquals(other->Name(), Name()) &&
            other->Value()) {
            other->SetValue(false);
        }
    }
}

void OptionButton::SetValue(bool v) {
    if (v) ClearSiblings();
    value_ = v;
    Changed();
}

void OptionButton::UserSelect() {
    if (!Interactive()) return;
    SetValue(true);
    click_.Raise();
}

void OptionButton::OnClick(std::function<void()> handler) {
    click_.Connect(std::move(handler));
}

bool OptionButton::ReadSpecial(const std::string& name, host::Variant& out) const {
    if (!host::IEquals(name, "value")) return false;
    out = value_;
    return true;
}

bool OptionButton::WriteSpecial(const std::string& name, const host::Variant& v) {
    if (!host::IEquals(name, "value")) return false;
    const bool selected = Bool(name, v);
    if (selected) ClearSiblings();
    value_ = selected;
    return true;
}

}  // namespace controls
