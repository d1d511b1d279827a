#pragma once
// Designed properties of one control, kept by their persisted names (ignoring
// case). Each kind declares the names it knows and the type a value is held
// as, so a value that does not fit is refused when it is set rather than when
// it is used. Every operation raises host::Error naming the control and the
// property (let pass).
#include <cstdint>
#include <string>
#include <vector>

#include "host/variant.h"

namespace controls {

enum class PropType { Any, Bool, Int, Text };

struct PropSpec {
    std::string name;  // persisted name
    PropType type = PropType::Any;
    host::Variant initial;  // value before anything was designed
};

class PropertyStore {
  public:
    PropertyStore(std::string owner, std::vector<PropSpec> specs);

    bool Knows(const std::string& name) const;
    host::Variant Get(const std::string& name) const;
    // Stores v converted to the declared type and returns what was stored.
    host::Variant Set(const std::string& name, const host::Variant& v);

    std::string Text(const std::string& name) const { return Get(name).ToString(); }
    bool Bool(const std::string& name) const;
    std::int32_t Int(const std::string& name) const;

    // Converts v to a property type; raises naming owner and property.
    static host::Variant Convert(const std::string& owner, const std::string& name, PropType type,
                                 const host::Variant& v);

  private:
    struct Slot {
        PropSpec decl;
        host::Variant value;
    };
    std::size_t Find(const std::string& name) const;

    std::string owner_;
    std::vector<Slot> slots_;
};

}  // namespace controls
