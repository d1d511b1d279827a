#pragma once
// Ordered parameter set: entries of a definition and a value, keys compare
// ignoring case. Indexes count from 1. Every operation raises host::Error on a
// bad index or an absent key.
#include <cstdint>
#include <memory>
#include <string>

#include "host/data_packet.h"
#include "host/param_def.h"
#include "host/variant.h"

namespace host {

class ORVE_API ParamSet {
  public:
    virtual ~ParamSet() = default;
    virtual std::int32_t Count() const = 0;
    // Grows with blank entries or drops entries from the end.
    virtual void SetCount(std::int32_t n) = 0;
    // The entry's definition, shared: changing it changes the entry.
    virtual std::shared_ptr<ParamDef> Def(std::int32_t i) const = 0;
    virtual void SetDef(std::int32_t i, const ParamDef& def) = 0;
    virtual Variant Value(std::int32_t i) const = 0;
    virtual void SetValue(std::int32_t i, const Variant& v) = 0;
    // Index of the entry whose definition ID is key (ignoring case); 0 when absent.
    virtual std::int32_t IndexOf(const std::string& key) const = 0;
    // Value of key; raises host::Error naming the key when absent.
    virtual Variant ValueOf(const std::string& key) const = 0;
    // Sets the value of key; raises when absent.
    virtual void SetValueOf(const std::string& key, const Variant& v) = 0;
    virtual void Add(const ParamDef& def, const Variant& v) = 0;
    // Takes the values of every entry of other whose key this set holds.
    virtual void TakeValues(const ParamSet& other) = 0;
    virtual std::shared_ptr<ParamSet> Copy() const = 0;
    virtual void SaveTo(DataPacket& packet, std::int32_t option) const = 0;
    // Replaces the content with what the packet holds; raises on a malformed packet.
    virtual void LoadFrom(DataPacket& packet, std::int32_t option) = 0;
};

// Indexed list of parameter definitions (from 1); the instrument's setup
// description is one.
class ORVE_API ParamDefList {
  public:
    virtual ~ParamDefList() = default;
    virtual std::int32_t Count() const = 0;
    // Shared: changing the returned definition changes the list's item.
    virtual std::shared_ptr<ParamDef> Item(std::int32_t i) const = 0;
    // Index of the ID (ignoring case); 0 when absent.
    virtual std::int32_t IndexOf(const std::string& id) const = 0;
    virtual void Add(const ParamDef& def) = 0;
    virtual void Clear() = 0;
    virtual void SaveTo(DataPacket& packet, std::int32_t option) const = 0;
    virtual void LoadFrom(DataPacket& packet, std::int32_t option) = 0;
};

class ORVE_API ResultDefList {
  public:
    virtual ~ResultDefList() = default;
    virtual std::int32_t Count() const = 0;
    virtual std::shared_ptr<ResultDef> Item(std::int32_t i) const = 0;
    virtual void Add(const ResultDef& def) = 0;
};

}  // namespace host
