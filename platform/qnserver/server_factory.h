#pragma once
// The server program's creatable class as the host registers it: every
// CreateServer is a new client of the one instrument; CreatePacket gives the
// program's transfer object.
#include <memory>

#include "host/instrument_server.h"
#include "platform/qnserver/instrument.h"

namespace qnserver {

class ServerFactory final : public host::InstrumentServerFactory {
  public:
    // A new instrument on that clock (which must outlive every client).
    explicit ServerFactory(host::Clock& clock, InstrumentOptions options = {});
    explicit ServerFactory(std::shared_ptr<Instrument> instrument);

    // Raises host::Error while the program is unreachable.
    std::shared_ptr<host::InstrumentServer> CreateServer() override;
    std::shared_ptr<host::DataPacket> CreatePacket() override;

    Instrument& GetInstrument() { return *instrument_; }
    std::shared_ptr<Instrument> SharedInstrument() const { return instrument_; }
    // Models a server program that is not running.
    void SetReachable(bool reachable) { reachable_ = reachable; }

  private:
    std::shared_ptr<Instrument> instrument_;
    bool reachable_ = true;
};

}  // namespace qnserver
