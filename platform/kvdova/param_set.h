#pragma once
// The host's parameter set: an ordered list of (definition, value) entries.
#include <memory>
#include <vector>

#include "host/param_set.h"

namespace kvdova {

// Every operation raises host::Error on a bad index, an absent key or a bad
// packet and changes nothing then (let pass).
class ParamSet final : public host::ParamSet {
  public:
    std::int32_t Count() const override;
    void SetCount(std::int32_t n) override;
    std::shared_ptr<host::ParamDef> Def(std::int32_t i) const override;
    void SetDef(std::int32_t i, const host::ParamDef& def) override;
    host::Variant Value(std::int32_t i) const override;
    void SetValue(std::int32_t i, const host::Variant& v) override;
    std::int32_t IndexOf(const std::string& key) const override;
    host::Variant ValueOf(const std::string& key) const override;
    void SetValueOf(const std::string& key, const host::Variant& v) override;
    void Add(const host::ParamDef& def, const host::Variant& v) override;
    void TakeValues(const host::ParamSet& other) override;
    std::shared_ptr<host::ParamSet> Copy() const override;
    // Packet layout: count, then per entry the definition (param_def_codec.h)
    // and the value written with the definition's data type. Saving replaces
    // what the packet held, so a reused packet carries this set only; loading
    // reads from the packet's start.
    void SaveTo(host::DataPacket& packet, std::int32_t option) const override;
    void LoadFrom(host::DataPacket& packet, std::int32_t option) override;

  private:
    struct Entry {
        std::shared_ptr<host::ParamDef> def;
        host::Variant value;
    };
    std::int32_t Require(const std::string& key) const;

    std::vector<Entry> entries_;
};

}  // namespace kvdova
