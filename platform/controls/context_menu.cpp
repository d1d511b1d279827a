#include "platform/controls/context_menu.h"

#include <algorithm>

namespace controls {

ContextMenu::ContextMenu(std::string name, std::int32_t index, std::string parent,
                         MenuPresenter presenter)
    : ControlBase(host::ControlKind::ContextMenu, std::move(name), index, std::move(parent), {}),
      presenter_(std::move(presenter)) {}

void ContextMenu::AddItem(std::shared_ptr<host::MenuItem> item) {
    if (!item) Raise(kErrArgument, "no menu item was given to '{}'", Label());
    if (std::find(items_.begin(), items_.end(), item) != items_.end()) return;
    items_.push_back(std::move(item));
    Changed();
}

void ContextMenu::Popup(std::int32_t x, std::int32_t y) {
    ++popupCount_;
    lastX_ = x;
    lastY_ = y;
    Changed();
    if (presenter_) presenter_(*this, x, y);
}

}  // namespace controls
