#include "platform/qnserver/server_factory.h"

#include "host/error.h"
#include "platform/qnserver/client.h"
#include "platform/qnserver/data_packet.h"

namespace qnserver {

ServerFactory::ServerFactory(host::Clock& clock, InstrumentOptions options)
    : instrument_(std::make_shared<Instrument>(clock, options)) {}

ServerFactory::ServerFactory(std::shared_ptr<Instrument> instrument)
    : instrument_(std::move(instrument)) {
    if (!instrument_) throw host::Error(kErrServerCall, "a server factory needs an instrument");
}

std::shared_ptr<host::InstrumentServer> ServerFactory::CreateServer() {
    if (!reachable_)
        throw host::Error(kErrServerCall, "the instrument server program cannot be reached");
    return std::make_shared<Client>(instrument_);
}

std::shared_ptr<host::DataPacket> ServerFactory::CreatePacket() {
    return std::make_shared<Packet>();
}

}  // namespace qnserver
