#include "platform/kvdova/param_set.h"

#include <fmt/format.h>

#include "platform/kvdova/doc_error.h"
#include "platform/kvdova/param_def_codec.h"

namespace kvdova {
namespace {

constexpr const char* kWhat = "parameter";

// The conversion a packet applies on write, done up front so that a value that
// does not convert is refused before the packet is touched.
void CheckConvertible(const host::Variant& v, std::int32_t dataType) {
    switch (dataType) {
        case host::kTypeBoolean:
            (void)v.ToBool();
            break;
        case host::kTypeNumber:
            (void)v.ToDouble();
            break;
        case host::kTypeDate:
            (void)v.ToDate();
            break;
        default:
            break;
    }
}

}  // namespace

std::int32_t ParamSet::Count() const {
    return static_cast<std::int32_t>(entries_.size());
}

void ParamSet::SetCount(std::int32_t n) {
    CheckCount(kWhat, n);
    const auto size = static_cast<std::size_t>(n);
    if (size < entries_.size()) {
        entries_.resize(size);
        return;
    }
    while (entries_.size() < size) entries_.push_back({std::make_shared<host::ParamDef>(), {}});
}

std::shared_ptr<host::ParamDef> ParamSet::Def(std::int32_t i) const {
    CheckIndex(kWhat, i, entries_.size());
    return entries_[At(i)].def;
}

void ParamSet::SetDef(std::int32_t i, const host::ParamDef& def) {
    CheckIndex(kWhat, i, entries_.size());
    // Assigned in place so that a definition handed out before stays the entry's.
    *entries_[At(i)].def = def;
}

host::Variant ParamSet::Value(std::int32_t i) const {
    CheckIndex(kWhat, i, entries_.size());
    return entries_[At(i)].value;
}

void ParamSet::SetValue(std::int32_t i, const host::Variant& v) {
    CheckIndex(kWhat, i, entries_.size());
    entries_[At(i)].value = v;
}

std::int32_t ParamSet::IndexOf(const std::string& key) const {
    for (std::size_t k = 0; k < entries_.size(); ++k) {
        if (host::IEquals(entries_[k].def->id, key)) return static_cast<std::int32_t>(k + 1);
    }
    return 0;
}

std::int32_t ParamSet::Require(const std::string& key) const {
    std::int32_t i = IndexOf(key);
    if (i == 0) Fail(fmt::format("parameter '{}' not found", key));
    return i;
}

host::Variant ParamSet::ValueOf(const std::string& key) const {
    return entries_[At(Require(key))].value;
}

void ParamSet::SetValueOf(const std::string& key, const host::Variant& v) {
    entries_[At(Require(key))].value = v;
}

void ParamSet::Add(const host::ParamDef& def, const host::Variant& v) {
    CheckCount(kWhat, Count() + 1);
    entries_.push_back({std::make_shared<host::ParamDef>(def), v});
}

void ParamSet::TakeValues(const host::ParamSet& other) {
    // Looked up first and assigned after, so taking from itself is harmless.
    std::vector<std::pair<std::size_t, host::Variant>> taken;
    for (std::size_t k = 0; k < entries_.size(); ++k) {
        const std::string& key = entries_[k].def->id;
        if (key.empty()) continue;
        if (std::int32_t j = other.IndexOf(key); j > 0) taken.emplace_back(k, other.Value(j));
    }
    for (auto& [k, v] : taken) entries_[k].value = std::move(v);
}

std::shared_ptr<host::ParamSet> ParamSet::Copy() const {
    auto copy = std::make_shared<ParamSet>();
    copy->entries_.reserve(entries_.size());
    for (const auto& e : entries_) {
        copy->entries_.push_back({std::make_shared<host::ParamDef>(*e.def), e.value});
    }
    return copy;
}

void ParamSet::SaveTo(host::DataPacket& packet, std::int32_t /*option*/) const {
    for (const auto& e : entries_) {
        const std::string owner = fmt::format("parameter '{}'", e.def->id);
        CheckPacketType(e.def->dataType, owner);
        try {
            CheckConvertible(e.value, e.def->dataType);
        } catch (const host::Error& err) {
            throw host::Error(err.Number(), fmt::format("{}: {}", owner, err.what()));
        }
    }
    packet.Clear();
    packet.WriteCount(Count());
    for (const auto& e : entries_) {
        WriteParamDef(packet, *e.def);
        packet.WriteValue(e.value, e.def->dataType);
    }
}

void ParamSet::LoadFrom(host::DataPacket& packet, std::int32_t /*option*/) {
    std::vector<Entry> loaded;
    std::int32_t n = 0;
    try {
        packet.Rewind();
        n = packet.ReadCount();
        CheckCount(kWhat, n);
        for (std::int32_t i = 1; i <= n; ++i) {
            auto def = std::make_shared<host::ParamDef>(ReadParamDef(packet));
            CheckPacketType(def->dataType, fmt::format("parameter {} ('{}')", i, def->id));
            host::Variant value = packet.ReadValue(def->dataType);
            loaded.push_back({std::move(def), std::move(value)});
        }
    } catch (const host::Error& err) {
        throw host::Error(err.Number(), fmt::format("parameter set packet: {}", err.what()));
    }
    entries_ = std::move(loaded);
}

}  // namespace kvdova
