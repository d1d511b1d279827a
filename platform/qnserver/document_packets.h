#pragma once
// The server's side of the host documents' packet layout: a parameter
// definition list is a count and the definitions; a parameter set is a count
// and per entry its definition and its value in the definition's data type.
// A definition is written as the strings and longs
//   id, dataType, name, caption, unit, ctrlType, format, text1, text2,
//   locked, flag1, flag2, range, flag          (booleans as -1 / 0)
// which is the order the host's documents read it in.
#include <string>
#include <utility>
#include <vector>

#include "host/data_packet.h"
#include "host/param_def.h"
#include "host/variant.h"

namespace qnserver {

void WriteParamDef(host::DataPacket& packet, const host::ParamDef& def);
// Replaces what the packet held.
void WriteParamDefList(host::DataPacket& packet, const std::vector<host::ParamDef>& defs);
void WriteParamSet(host::DataPacket& packet,
                   const std::vector<std::pair<host::ParamDef, host::Variant>>& entries);

}  // namespace qnserver
