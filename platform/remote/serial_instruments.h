#pragma once
// Serves the servers of a factory that is not safe across threads (the
// simulator) to a server program that calls from many: one call at a time
// reaches the instrument. Calls that are not safe to hold up behind a long
// command do not wait for it: the instrument sleeps on Clock(), and while it
// sleeps the other calls go in.
//
// Clock(): the real time divided by the speed (a speed of 10 makes every
// physical time a tenth). Its Sleep is made inside a call and leaves the
// instrument to the others for its time; it ends early when a call stops
// commands (EmergencyStop, Reset, the end of a server object), so a stopped
// synchronous command returns at once. The instrument sleeps again for what
// remains when its command was not stopped.
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "host/instrument_server.h"
#include "host/services.h"

namespace remote {

class SerialInstruments final : public host::InstrumentServerFactory {
  public:
    // Raises host::Error (kErrRemoteSetup) for a speed that is not a finite number above 0.
    explicit SerialInstruments(double speed = 1.0);
    ~SerialInstruments() override;
    SerialInstruments(const SerialInstruments&) = delete;
    SerialInstruments& operator=(const SerialInstruments&) = delete;

    // The clock for the served instrument; lives as long as this object.
    host::Clock& Clock();
    // The factory served; it must outlive every server made. Set before CreateServer.
    void Serve(host::InstrumentServerFactory& inner) { inner_ = &inner; }

    std::shared_ptr<host::InstrumentServer> CreateServer() override;
    std::shared_ptr<host::DataPacket> CreatePacket() override;

    struct Monitor;  // the one lock in front of the instrument

  private:
    std::shared_ptr<Monitor> monitor_;
    host::InstrumentServerFactory* inner_ = nullptr;
};

}  // namespace remote
