#pragma once
// The two clocks behind waits and the simulated instrument. Both count seconds
// from their creation and refuse a negative, infinite or NaN sleep with
// host::Error (kErrArgument): such a value is a caller's fault, never a wait.
#include <chrono>

#include "host/services.h"

namespace kvbase {

// Advances at once on Sleep: a long run takes no machine time yet reports the
// instrument time it would take.
class VirtualClock : public host::Clock {
  public:
    double Now() const override { return now_; }
    void Sleep(double seconds) override;

  private:
    double now_ = 0.0;
};

// Wall time from a steady clock; Sleep blocks the calling thread.
// A speed above 1 makes every physical time shorter (demos and tests of real
// processes): the clock's seconds pass that many times faster than the wall's.
class RealClock : public host::Clock {
  public:
    // Raises host::Error for a speed that is not a finite number above 0.
    explicit RealClock(double speed = 1.0);
    double Now() const override;
    void Sleep(double seconds) override;

  private:
    std::chrono::steady_clock::time_point start_;
    double speed_;
};

}  // namespace kvbase
