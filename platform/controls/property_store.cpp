#include "platform/controls/property_store.h"

#include "platform/controls/control_errors.h"

namespace controls {

PropertyStore::PropertyStore(std::string owner, std::vector<PropSpec> specs)
    : owner_(std::move(owner)) {
    slots_.reserve(specs.size());
    for (auto& decl : specs) {
        host::Variant initial = decl.initial;
        slots_.push_back({std::move(decl), std::move(initial)});
    }
}

bool PropertyStore::Knows(const std::string& name) const {
    for (const auto& s : slots_)
        if (host::IEquals(s.decl.name, name)) return true;
    return false;
}

std::size_t PropertyStore::Find(const std::string& name) const {
    for (std::size_t i = 0; i < slots_.size(); ++i)
        if (host::IEquals(slots_[i].decl.name, name)) return i;
    Raise(kErrUnknownProperty, "'{}' has no property '{}'", owner_, name);
}

host::Variant PropertyStore::Get(const std::string& name) const {
    return slots_[Find(name)].value;
}

host::Variant PropertyStore::Set(const std::string& name, const host::Variant& v) {
    auto& slot = slots_[Find(name)];
    slot.value = Convert(owner_, slot.decl.name, slot.decl.type, v);
    return slot.value;
}

bool PropertyStore::Bool(const std::string& name) const {
    const auto v = Get(name);
    return v.IsEmpty() ? false : v.ToBool();
}

std::int32_t PropertyStore::Int(const std::string& name) const {
    const auto v = Get(name);
    return v.IsEmpty() ? 0 : v.ToInt32();
}

host::Variant PropertyStore::Convert(const std::string& owner, const std::string& name,
                                     PropType type, const host::Variant& v) {
    try {
        switch (type) {
            case PropType::Any:
                return v;
            case PropType::Bool:
                return host::Variant(v.ToBool());
            case PropType::Int:
                return host::Variant(v.ToInt32());
            case PropType::Text:
                return host::Variant(v.ToString());
        }
    } catch (const host::Error& e) {
        Raise(kErrPropertyValue, "property '{}' of '{}': {}", name, owner, e.Text());
    }
    return v;
}

}  // namespace controls
