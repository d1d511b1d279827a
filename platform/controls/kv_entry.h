#pragma once
// The labelled entry: a caption, a value, a unit, a range and the codes of its
// data type (1 boolean, 2 number, 4 text, 5 date) and control type (1 edit
// field, 3 check box, 5 list).
//
// - A list entry reads back item text: the value's text, spelt as the range's
//   item when it matches one ignoring case.
// - SetValue (code) stores the value as given and raises nothing. UserSetValue
//   (a person) is refused with host::Error when the entry is disabled, hidden
//   or locked, or, with "forcevalid" set, when the value would be invalid; it
//   takes a text that reads as the data type as that type (a view hands over
//   typed text), stores it and raises value-changed.
// - IsValid: an empty value is invalid for numbers, booleans and dates; a
//   number must read as a finite number, a boolean as a boolean; the value so
//   read must lie in the range, and a malformed range makes the entry invalid.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/controls/control_base.h"

namespace controls {

class KVEntry final : public ControlBase<host::KVEntry> {
  public:
    explicit KVEntry(std::string name, std::int32_t index = -1, std::string parent = {});

    host::Variant Value() const override;
    void SetValue(const host::Variant& v) override;
    std::string Range() const override { return props_.Text("range"); }
    void SetRange(const std::string& range) override { SetProperty("range", range); }
    std::int32_t CtrlType() const override { return props_.Int("ctrltype"); }
    std::int32_t DataType() const override { return props_.Int("datatype"); }
    std::string Id() const override { return props_.Text("id"); }
    void SetId(const std::string& id) override { SetProperty("id", id); }
    host::ParamDef Definition() const override;
    bool IsValid() const override;
    void OnValueChanged(std::function<void()> handler) override;
    void UserSetValue(const host::Variant& v) override;

    std::string Unit() const { return props_.Text("unit"); }
    std::string OutFormat() const { return props_.Text("outformat"); }
    bool Locked() const { return props_.Bool("locked"); }

  private:
    bool ReadSpecial(const std::string& name, host::Variant& out) const override;
    bool WriteSpecial(const std::string& name, const host::Variant& v) override;
    bool ReleaseExtender() override;
    std::string Refusal(const host::Variant& v) const;

    host::Variant value_;
    Signal<> valueChanged_;
};

}  // namespace controls
