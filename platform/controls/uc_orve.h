#pragma once
// The instrument setup display: the instrument it works with, the instrument's
// setup description (a ParamDefList) and the setup it shows (a ParamSet keyed
// by the items' IDs).
//
// - A description item's default value is ParamDef::text1 as text, read as the
//   item's data type (an empty text: 0, false or ""). An item without an ID,
//   an ID listed twice or a default that does not read as its type raises
//   host::Error and leaves the shown setup as it was.
// - SetSetupDescription and Update build the shown setup: one entry per
//   description item, in the description's order; an item the setup already
//   held keeps its value, a new one starts at its default. Keys the setup held
//   beyond the description (taken by LoadSetup or SetSetupValue) stay, after
//   the described ones, so a configuration refresh loses no loaded value.
// - Reset shows the default setup: every described item at its default and
//   nothing beyond the description.
// - LoadSetup takes the values by key and adds the keys it does not know;
//   SetSetupValue sets one value, adding the key when absent. Code never raises
//   setup-changed; only UserEditValue does, after a person's edit that it
//   checked against the item's type and range (refusals raise host::Error).
// - Localize gives every shown item the catalogue's text for its ID as its
//   name (the name itself when the catalogue has none), now and on rebuilds.
//   SetItemName names one shown item (a host lists an item it took from a
//   method under the caption of the entry it belongs to).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/services.h"
#include "platform/controls/control_base.h"

namespace controls {

class UCORVE final : public ControlBase<host::UCORVE> {
  public:
    // texts serves Localize; it must outlive the display.
    UCORVE(std::string name, std::int32_t index, std::string parent,
           const host::TextCatalog& texts);

    void Reset() override;
    void LoadSetup(const host::ParamSet& setup) override;
    std::shared_ptr<host::ParamSet> CurrentSetup() const override;
    void SetSetupValue(const std::string& key, const host::Variant& v) override;
    void SetInstrumentInfo(std::shared_ptr<host::InstrumentInfo> info) override;
    void Update() override;
    void SetSetupDescription(std::shared_ptr<host::ParamDefList> desc) override;
    void SetMode(std::int32_t mode) override;
    std::int32_t Mode() const override { return mode_; }
    void Localize() override;
    void OnSetupChanged(std::function<void()> handler) override;
    void UserEditValue(const std::string& key, const host::Variant& v) override;

    std::shared_ptr<host::InstrumentInfo> InstrumentInfo() const { return info_; }
    std::shared_ptr<host::ParamDefList> SetupDescription() const { return description_; }
    // Raises host::Error for a key the display does not show.
    void SetItemName(const std::string& key, const std::string& name);
    // A description item's default value (see above).
    static host::Variant DefaultOf(const host::ParamDef& def);

  private:
    bool ReadSpecial(const std::string& name, host::Variant& out) const override;
    bool WriteSpecial(const std::string& name, const host::Variant& v) override;
    bool ReleaseExtender() override;
    // The described items; with keepValues, current values win over defaults
    // and keys beyond the description are kept.
    std::shared_ptr<host::ParamSet> Build(bool keepValues) const;
    void Rebuild(bool keepValues);

    const host::TextCatalog& texts_;
    std::shared_ptr<host::InstrumentInfo> info_;
    std::shared_ptr<host::ParamDefList> description_;
    std::shared_ptr<host::ParamSet> setup_;
    std::int32_t mode_ = 0;
    bool localized_ = false;
    Signal<> setupChanged_;
};

}  // namespace controls
