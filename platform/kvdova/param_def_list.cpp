#include "platform/kvdova/param_def_list.h"

#include <fmt/format.h>

#include "platform/kvdova/doc_error.h"
#include "platform/kvdova/param_def_codec.h"

namespace kvdova {
namespace {
constexpr const char* kWhat = "definition";
}  // namespace

std::int32_t ParamDefList::Count() const {
    return static_cast<std::int32_t>(items_.size());
}

std::shared_ptr<host::ParamDef> ParamDefList::Item(std::int32_t i) const {
    CheckIndex(kWhat, i, items_.size());
    return items_[At(i)];
}

std::int32_t ParamDefList::IndexOf(const std::string& id) const {
    for (std::size_t k = 0; k < items_.size(); ++k) {
        if (host::IEquals(items_[k]->id, id)) return static_cast<std::int32_t>(k + 1);
    }
    return 0;
}

void ParamDefList::Add(const host::ParamDef& def) {
    CheckCount(kWhat, Count() + 1);
    items_.push_back(std::make_shared<host::ParamDef>(def));
}

void ParamDefList::Clear() {
    items_.clear();
}

void ParamDefList::SaveTo(host::DataPacket& packet, std::int32_t /*option*/) const {
    packet.Clear();
    packet.WriteCount(Count());
    for (const auto& def : items_) WriteParamDef(packet, *def);
}

void ParamDefList::LoadFrom(host::DataPacket& packet, std::int32_t /*option*/) {
    std::vector<std::shared_ptr<host::ParamDef>> loaded;
    try {
        packet.Rewind();
        std::int32_t n = packet.ReadCount();
        CheckCount(kWhat, n);
        for (std::int32_t i = 1; i <= n; ++i) {
            loaded.push_back(std::make_shared<host::ParamDef>(ReadParamDef(packet)));
        }
    } catch (const host::Error& err) {
        throw host::Error(err.Number(), fmt::format("definition list packet: {}", err.what()));
    }
    items_ = std::move(loaded);
}

}  // namespace kvdova
