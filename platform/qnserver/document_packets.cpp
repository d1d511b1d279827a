#include "platform/qnserver/document_packets.h"

#include "platform/kvdova/param_def_codec.h"

namespace qnserver {
void WriteParamDefList(host::DataPacket& packet, const std::vector<host::ParamDef>& defs) {
    packet.Clear();
    packet.WriteCount(static_cast<std::int32_t>(defs.size()));
    for (const auto& def : defs) kvdova::WriteParamDef(packet, def);
}

void WriteParamSet(host::DataPacket& packet,
                   const std::vector<std::pair<host::ParamDef, host::Variant>>& entries) {
    packet.Clear();
    packet.WriteCount(static_cast<std::int32_t>(entries.size()));
    for (const auto& [def, value] : entries) {
        kvdova::WriteParamDef(packet, def);
        packet.WriteValue(value, def.dataType);
    }
}

}  // namespace qnserver
