#pragma once
// The server's side of the host documents' packet layout: a parameter
// definition list is a count and the definitions; a parameter set is a count
// and per entry its definition and its value in the definition's data type.
// A definition is written by the documents' own codec (kvdova), so both sides
// share one field order.
#include <string>
#include <utility>
#include <vector>

#include "host/data_packet.h"
#include "host/param_def.h"
#include "host/variant.h"

namespace qnserver {

// Replaces what the packet held.
void WriteParamDefList(host::DataPacket& packet, const std::vector<host::ParamDef>& defs);
void WriteParamSet(host::DataPacket& packet,
                   const std::vector<std::pair<host::ParamDef, host::Variant>>& entries);

}  // namespace qnserver
