#pragma once
// Indexed list of parameter definitions; the instrument's setup description is one.
#include <memory>
#include <vector>

#include "host/param_set.h"

namespace kvdova {

// Raises host::Error on a bad index or a malformed packet and changes nothing then (let pass).
class ParamDefList final : public host::ParamDefList {
  public:
    std::int32_t Count() const override;
    std::shared_ptr<host::ParamDef> Item(std::int32_t i) const override;
    std::int32_t IndexOf(const std::string& id) const override;
    void Add(const host::ParamDef& def) override;
    void Clear() override;
    // Packet layout: count, then each definition (param_def_codec.h). Saving
    // replaces what the packet held; loading reads from the packet's start.
    void SaveTo(host::DataPacket& packet, std::int32_t option) const override;
    void LoadFrom(host::DataPacket& packet, std::int32_t option) override;

  private:
    std::vector<std::shared_ptr<host::ParamDef>> items_;
};

}  // namespace kvdova
