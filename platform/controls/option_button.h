#pragma once
// An option button. Option buttons of one form that share a name form a group
// in which at most one is selected: selecting one, by code or by a person,
// clears the others (without notifying them). UserSelect on a disabled or
// hidden button is lost; otherwise it selects the button and raises its click.
// Handlers' failures reach the caller (let pass).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/forms.h"
#include "platform/controls/control_base.h"

namespace controls {

class OptionButton final : public ControlBase<host::OptionButton> {
  public:
    explicit OptionButton(std::string name, std::int32_t index = -1, std::string parent = {});

    bool Value() const override { return value_; }
    void SetValue(bool v) override;
    void UserSelect() override;
    void OnClick(std::function<void()> handler) override;

    // The form whose same-named option buttons form the group; the form calls it.
    void JoinForm(std::weak_ptr<host::Form> form) { form_ = std::move(form); }

  private:
    bool ReadSpecial(const std::string& name, host::Variant& out) const override;
    bool WriteSpecial(const std::string& name, const host::Variant& v) override;
    void ClearSiblings();

    bool value_ = false;
    std::weak_ptr<host::Form> form_;
    Signal<> click_;
};

}  // namespace controls
