#include "platform/controls/menu_item.h"

namespace controls {

MenuItem::MenuItem(std::string name, std::int32_t index, std::string parent)
    : ControlBase(host::ControlKind::MenuItem, std::move(name), index, std::move(parent),
                  {{"checked", PropType::Bool, false}, {"shortcut", PropType::Any, {}}}) {}

void MenuItem::OnClick(std::function<void()> handler) {
    click_.Connect(std::move(handler));
}

void MenuItem::UserClick() {
    if (Interactive()) click_.Raise();
}

}  // namespace controls
