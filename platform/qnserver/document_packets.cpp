#include "platform/qnserver/document_packets.h"

namespace qnserver {
namespace {

std::int32_t LongOf(bool b) {
    return b ? -1 : 0;
}

}  // namespace

void WriteParamDef(host::DataPacket& packet, const host::ParamDef& def) {
    packet.WriteString(def.id);
    packet.WriteLong(def.dataType);
    packet.WriteString(def.name);
    packet.WriteString(def.caption);
    packet.WriteString(def.unit);
    packet.WriteLong(def.ctrlType);
    packet.WriteString(def.format);
    packet.WriteString(def.text1);
    packet.WriteString(def.text2);
    packet.WriteLong(LongOf(def.locked));
    packet.WriteLong(LongOf(def.flag1));
    packet.WriteLong(LongOf(def.flag2));
    packet.WriteString(def.range);
    packet.WriteLong(LongOf(def.flag));
}

void WriteParamDefList(host::DataPacket& packet, const std::vector<host::ParamDef>& defs) {
    packet.Clear();
    packet.WriteCount(static_cast<std::int32_t>(defs.size()));
    for (const auto& def : defs) WriteParamDef(packet, def);
}

void WriteParamSet(host::DataPacket& packet,
                   const std::vector<std::pair<host::ParamDef, host::Variant>>& entries) {
    packet.Clear();
    packet.WriteCount(static_cast<std::int32_t>(entries.size()));
    for (const auto& [def, value] : entries) {
        WriteParamDef(packet, def);
        packet.WriteValue(value, def.dataType);
    }
}

}  // namespace qnserver
