#include "platform/controls/kv_pic_button.h"

namespace controls {

KVPicButton::KVPicButton(std::string name, std::int32_t index, std::string parent)
    : ControlBase(host::ControlKind::KVPicButton, std::move(name), index, std::move(parent),
                  {{"caption", PropType::Text, std::string()},
                   {"picture", PropType::Any, {}},
                   {"picleft", PropType::Int, 0},
                   {"labelleft", PropType::Int, 0},
                   {"font", PropType::Any, {}},
                   {"_extentx", PropType::Any, {}},
                   {"_extenty", PropType::Any, {}}}) {}

void KVPicButton::OnClick(std::function<void()> handler) {
    click_.Connect(std::move(handler));
}

void KVPicButton::UserClick() {
    if (Interactive()) click_.Raise();
}

bool KVPicButton::ReleaseExtender() {
    click_.Clear();
    DropStateListeners();
    return true;
}

}  // namespace controls
