#pragma once
// The person in front of a context menu: the menu presenter of the forms
// runtime shows the menu's visible items at the mouse pointer and clicks the
// item the person chooses (UserClick), or nothing. An item's failure reaches
// whoever popped the menu up (let pass).
#include "platform/controls/context_menu.h"

namespace qtview {

controls::MenuPresenter QtMenuPresenter();

}  // namespace qtview
