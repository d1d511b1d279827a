#pragma once
// A context menu: its items, and a popup that the host's menu presenter serves.
// The presenter stands for the person in front of the menu: it is called with
// the menu and the position, and clicks the chosen item (UserClick) or nothing.
// Without a presenter a popup chooses nothing. Popups are counted either way.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/control_base.h"

namespace controls {

using MenuPresenter = std::function<void(host::ContextMenu&, std::int32_t x, std::int32_t y)>;

class ContextMenu final : public ControlBase<host::ContextMenu> {
  public:
    explicit ContextMenu(std::string name, std::int32_t index = -1, std::string parent = {},
                         MenuPresenter presenter = {});

    // An item already held is not added twice; a null item raises host::Error.
    void AddItem(std::shared_ptr<host::MenuItem> item) override;
    std::vector<std::shared_ptr<host::MenuItem>> Items() const override { return items_; }
    // The presenter's failures reach the caller (let pass).
    void Popup(std::int32_t x, std::int32_t y) override;
    std::int32_t PopupCount() const override { return popupCount_; }

    void SetPresenter(MenuPresenter presenter) { presenter_ = std::move(presenter); }
    // Where the last popup opened, in twips.
    std::int32_t LastPopupX() const { return lastX_; }
    std::int32_t LastPopupY() const { return lastY_; }

  private:
    std::vector<std::shared_ptr<host::MenuItem>> items_;
    MenuPresenter presenter_;
    std::int32_t popupCount_ = 0;
    std::int32_t lastX_ = 0;
    std::int32_t lastY_ = 0;
};

}  // namespace controls
