#pragma once
// The picture box: a container that reports mouse presses. A press on a
// disabled or hidden panel is lost, as on screen; a button code other than
// 1 (left), 2 (right) or 4 (middle) raises host::Error. Handlers' failures
// reach the caller (let pass).
#include <cstdint>
#include <functional>
#include <string>

#include "platform/controls/control_base.h"

namespace controls {

class Panel final : public ControlBase<host::Panel> {
  public:
    explicit Panel(std::string name, std::int32_t index = -1, std::string parent = {});

    void OnMouseDown(
        std::function<void(std::int32_t, std::int32_t, std::int32_t)> handler) override;
    void UserMouseDown(std::int32_t button, std::int32_t x, std::int32_t y) override;

  private:
    Signal<std::int32_t, std::int32_t, std::int32_t> mouseDown_;
};

}  // namespace controls
