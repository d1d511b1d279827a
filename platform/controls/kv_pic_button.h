#pragma once
// The picture button: a caption and a picture. UserClick raises the click only
// while the button is enabled and visible; otherwise the press is lost, as on
// screen. Click handlers' failures reach the caller (let pass).
#include <cstdint>
#include <functional>
#include <string>

#include "platform/controls/control_base.h"

namespace controls {

class KVPicButton final : public ControlBase<host::KVPicButton> {
  public:
    explicit KVPicButton(std::string name, std::int32_t index = -1, std::string parent = {});

    void OnClick(std::function<void()> handler) override;
    void UserClick() override;

  private:
    bool ReleaseExtender() override;

    Signal<> click_;
};

}  // namespace controls
