#pragma once
// An instrument server factory that times every call its servers make: each
// call is told to an observer when it has returned (or raised), with the time
// it took on the host's clock. A desktop host uses it to tell the time spent
// inside synchronous instrument commands, which block by design, from the
// time its event loop was held up by anything else.
#include <functional>
#include <memory>
#include <string>

#include "host/services.h"
#include "platform/loader/forwarding_server.h"

namespace loader {

struct ServerCallTime {
    std::string call;     // "ExecSynch", "PollAsynch", "GetStatus", ...
    std::string command;  // the command text, for the calls that carry one
    double seconds = 0.0;
};

using ServerCallObserver = std::function<void(const ServerCallTime&)>;

class TimedInstruments final : public WrappingFactory {
  public:
    // inner and clock must outlive every server this factory made; each server
    // keeps its own copy of the observer.
    TimedInstruments(host::InstrumentServerFactory& inner, host::Clock& clock,
                     ServerCallObserver observer);
};

}  // namespace loader
