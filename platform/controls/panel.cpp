#include "platform/controls/panel.h"

namespace controls {

Panel::Panel(std::string name, std::int32_t index, std::string parent)
    : ControlBase(host::ControlKind::Panel, std::move(name), index, std::move(parent),
                  {{"backcolor", PropType::Any, {}},
                   {"borderstyle", PropType::Int, 0},
                   {"appearance", PropType::Int, 0},
                   {"font", PropType::Any, {}},
                   {"tooltiptext", PropType::Text, std::string()}}) {}

void Panel::OnMouseDown(std::function<void(std::int32_t, std::int32_t, std::int32_t)> handler) {
    mouseDown_.Connect(std::move(handler));
}

void Panel::UserMouseDown(std::int32_t button, std::int32_t x, std::int32_t y) {
    if (button != 1 && button != 2 && button != 4) {
        Raise(kErrArgument, "mouse button {} on '{}' is not 1 (left), 2 (right) or 4 (middle)",
              button, Label());
    }
    if (Interactive()) mouseDown_.Raise(button, x, y);
}

}  // namespace controls
