#include "platform/kvdova/param_def_codec.h"

#include <fmt/format.h>

#include "platform/kvdova/doc_error.h"

namespace kvdova {
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

host::ParamDef ReadParamDef(host::DataPacket& packet) {
    host::ParamDef def;
    def.id = packet.ReadString();
    def.dataType = packet.ReadLong();
    def.name = packet.ReadString();
    def.caption = packet.ReadString();
    def.unit = packet.ReadString();
    def.ctrlType = packet.ReadLong();
    def.format = packet.ReadString();
    def.text1 = packet.ReadString();
    def.text2 = packet.ReadString();
    def.locked = packet.ReadLong() != 0;
    def.flag1 = packet.ReadLong() != 0;
    def.flag2 = packet.ReadLong() != 0;
    def.range = packet.ReadString();
    def.flag = packet.ReadLong() != 0;
    return def;
}

void CheckPacketType(std::int32_t dataType, const std::string& owner) {
    switch (dataType) {
        case host::kTypeBoolean:
        case host::kTypeNumber:
        case host::kTypeText:
        case host::kTypeDate:
            return;
        default:
            Fail(fmt::format("{} has the unknown data type {}", owner, dataType));
    }
}

}  // namespace kvdova
