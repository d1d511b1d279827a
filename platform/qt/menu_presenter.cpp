#include "platform/qt/menu_presenter.h"

#include <memory>
#include <vector>

#include <QCursor>
#include <QMenu>

#include "platform/qt/view_support.h"

namespace qtview {

controls::MenuPresenter QtMenuPresenter() {
    return [](host::ContextMenu& menu, std::int32_t, std::int32_t) {
        // The menu opens where the pointer is: the module pops it up from a
        // mouse press, and its coordinates name no particular widget.
        QMenu popup;
        popup.setObjectName(Q(menu.Name()));
        std::vector<std::pair<QAction*, std::shared_ptr<host::MenuItem>>> actions;
        for (const auto& item : menu.Items()) {
            if (!item->Visible()) continue;
            QAction* action = popup.addAction(Q(TextProperty(*item, "caption")));
            action->setObjectName(Q(item->Name()));
            action->setEnabled(item->Enabled());
            if (BoolProperty(*item, "checked", false)) {
                action->setCheckable(true);
                action->setChecked(true);
            }
            actions.emplace_back(action, item);
        }
        if (actions.empty()) return;
        // The item is clicked once the menu has closed, outside Qt's signal
        // delivery, so that its failure reaches the caller as it should.
        QAction* chosen = nullptr;
        QObject::connect(&popup, &QMenu::triggered,
                         [&chosen](QAction* action) { chosen = action; });
        popup.exec(QCursor::pos());
        for (const auto& [action, item] : actions)
            if (action == chosen) item->UserClick();
    };
}

}  // namespace qtview
