#pragma once
// Data packets between the host's transfer object and the protocol's message.
#include "orve/instrument/v1/instrument_server.pb.h"
#include "platform/qnserver/data_packet.h"

namespace remote {

namespace v1 = orve::instrument::v1;

void ToWire(const qnserver::Packet& packet, v1::DataPacket& wire);
// Replaces packet's content; raises host::Error for an item outside the
// protocol's rules (no kind, a negative count, a value not of its data type,
// a position past the end) and leaves packet as it was then.
void FromWire(const v1::DataPacket& wire, qnserver::Packet& packet);

}  // namespace remote
