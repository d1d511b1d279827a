#pragma once
// How a parameter definition travels in a data packet. Parameter sets and
// definition lists both use it, and a packet filled by hand for them must
// follow it: the strings id, name, caption, unit, format, text1, text2, range
// and the longs dataType, ctrlType, locked, flag1, flag2, flag, in the order
//   id, dataType, name, caption, unit, ctrlType, format, text1, text2,
//   locked, flag1, flag2, range, flag
// (booleans as -1 / 0; any non-zero long reads as true).
#include "host/data_packet.h"
#include "host/param_def.h"

namespace kvdova {

void WriteParamDef(host::DataPacket& packet, const host::ParamDef& def);
// Raises host::Error when the packet does not hold a definition at its read position.
host::ParamDef ReadParamDef(host::DataPacket& packet);

// Raises unless dataType is one of the value types a packet can carry.
void CheckPacketType(std::int32_t dataType, const std::string& owner);

}  // namespace kvdova
