#pragma once
// Makes the view of one control model by its kind. Menus and menu items have
// no view of their own: the menu presenter shows them when they pop up.
#include <memory>

#include "platform/qt/control_view.h"

namespace qtview {

// nullptr for menus, menu items and a model that lacks its kind's interface.
ControlView* CreateControlView(const std::shared_ptr<host::Control>& model,
                               const ViewContext& context, QWidget* parent);

}  // namespace qtview
