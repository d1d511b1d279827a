#include "platform/controls/command_button.h"

namespace controls {

CommandButton::CommandButton(std::string name, std::int32_t index, std::string parent)
    : ControlBase(host::ControlKind::CommandButton, std::move(name), index, std::move(parent),
                  {{"default", PropType::Bool, false},
                   {"cancel", PropType::Bool, false},
                   {"font", PropType::Any, {}},
                   {"backcolor", PropType::Any, {}},
                   {"tooltiptext", PropType::Text, std::string()}}) {}

void CommandButton::OnClick(std::function<void()> handler) {
    click_.Connect(std::move(handler));
}

void CommandButton::UserClick() {
    if (Interactive()) click_.Raise();
}

}  // namespace controls
