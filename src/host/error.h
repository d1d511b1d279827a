#pragma once
// The one exception type used for raising an error: an error number and a text.
#include <stdexcept>
#include <string>

#include "host/types.h"

namespace host {

class ORVE_API Error : public std::runtime_error {
  public:
    Error(Status number, const std::string& text) : std::runtime_error(text), number_(number) {}
    Status Number() const noexcept { return number_; }
    std::string Text() const { return what(); }

  private:
    Status number_;
};

// Error number used when a failure that is not a host::Error is trapped (a
// standard exception escaping an outside call).
inline constexpr Status kErrUnexpected = 0x7FFF0001;
// Error number when the host hands back no object where one was asked for.
inline constexpr Status kErrNoHostObject = 0x7FFF0003;

}  // namespace host
