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

RealClock::RealClock() : start_(std::chrono::steady_clock::now()) {}

double RealClock::Now() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void RealClock::Sleep(double seconds) {
    CheckDuration(seconds);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

}  // namespace kvbase
