#pragma once
// An instrument server factory whose servers hand every call (and their own
// creation and release) to a runner that makes it. A desktop host's runner
// makes the call on another thread and keeps its event loop running until it
// returns, so the window never freezes while the instrument works.
#include <functional>
#include <memory>

#include "host/instrument_server.h"

namespace loader {

// Makes call and returns when it has returned; what call raises, the runner
// raises to its caller. One call at a time: calls never overlap.
using CallRunner = std::function<void(const std::function<void()>& call)>;

class RoutedInstruments final : public host::InstrumentServerFactory {
  public:
    // inner must outlive every server this factory made.
    RoutedInstruments(host::InstrumentServerFactory& inner, CallRunner runner)
        : inner_(inner), runner_(std::move(runner)) {}
    std::shared_ptr<host::InstrumentServer> CreateServer() override;
    std::shared_ptr<host::DataPacket> CreatePacket() override { return inner_.CreatePacket(); }

  private:
    host::InstrumentServerFactory& inner_;
    CallRunner runner_;
};

}  // namespace loader
