#pragma once
// Error numbers the controls raise. They lie in the platform's own block
// 0x7FFFxxxx, apart from the statuses of registered errors.
#include <string>
#include <utility>

#include <fmt/format.h>

#include "host/error.h"

namespace controls {

inline constexpr host::Status kErrUnknownProperty = 0x7FFF0801;  // no such property for the kind
inline constexpr host::Status kErrPropertyValue = 0x7FFF0802;    // value does not fit the property
inline constexpr host::Status kErrOutsideGrid = 0x7FFF0803;   // cell, row or column not in the grid
inline constexpr host::Status kErrInputRefused = 0x7FFF0804;  // a person's input was not taken
inline constexpr host::Status kErrNoControl = 0x7FFF0805;     // unknown control, kind or duplicate
inline constexpr host::Status kErrArgument = 0x7FFF0806;      // other bad argument

template <class... Args>
[[noreturn]] void Raise(host::Status number, fmt::format_string<Args...> text, Args&&... args) {
    throw host::Error(number, fmt::format(text, std::forward<Args>(args)...));
}

}  // namespace controls
