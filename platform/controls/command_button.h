#pragma once
// A dialog's command button. "default" makes Enter click it, "cancel" makes Esc
// click it (the form looks them up). A click on a disabled or hidden button is
// lost; handlers' failures reach the caller (let pass).
#include <cstdint>
#include <functional>
#include <string>

#include "platform/controls/control_base.h"

namespace controls {

class CommandButton final : public ControlBase<host::CommandButton> {
  public:
    explicit CommandButton(std::string name, std::int32_t index = -1, std::string parent = {});

    void OnClick(std::function<void()> handler) override;
    void UserClick() override;

    bool IsDefault() const { return props_.Bool("default"); }
    bool IsCancel() const { return props_.Bool("cancel"); }

  private:
    Signal<> click_;
};

}  // namespace controls
