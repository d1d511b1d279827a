#include "platform/kvbase/clock.h"

#include <cmath>
#include <thread>

#include <fmt/format.h>

#include "host/error.h"
#include "platform/kvbase/error_numbers.h"

namespace kvbase {
namespace {

void CheckDuration(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0.0) {
        throw host::Error(kErrArgument,
                          fmt::format("cannot sleep for {} seconds: a duration must be a finite "
                                      "number of seconds, 0 or more",
                                      seconds));
    }
}

}  // namespace

void VirtualClock::Sleep(double seconds) {
    CheckDuration(seconds);
    now_ += seconds;
}

RealClock::RealClock(double speed) : start_(std::chrono::steady_clock::now()), speed_(speed) {
    if (!std::isfinite(speed) || speed <= 0.0) {
        throw host::Error(kErrArgument,
                          fmt::format("a clock speed of {} is not a number above 0", speed));
    }
}

double RealClock::Now() const {
    return speed_ *
           std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void RealClock::Sleep(double seconds) {
    CheckDuration(seconds);
    seconds /= speed_;
    // In slices of a day: a huge duration converted to nanoseconds at once would overflow.
    constexpr double kSlice = 86400.0;
    while (seconds > 0.0) {
        double slice = seconds < kSlice ? seconds : kSlice;
        std::this_thread::sleep_for(std::chrono::duration<double>(slice));
        seconds -= slice;
    }
}

}  // namespace kvbase
