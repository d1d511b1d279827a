#pragma once
// One item of a context menu: a caption and a check mark. A click on a
// disabled or hidden item is lost; handlers' failures reach the caller (let
// pass).
#include <cstdint>
#include <functional>
#include <string>

#include "platform/controls/control_base.h"

namespace controls {

class MenuItem final : public ControlBase<host::MenuItem> {
  public:
    explicit MenuItem(std::string name, std::int32_t index = -1, std::string parent = {});

    void OnClick(std::function<void()> handler) override;
    void UserClick() override;

    bool Checked() const { return props_.Bool("checked"); }

  private:
    Signal<> click_;
};

}  // namespace controls
