#pragma once
// Error numbers that the base services raise for bad arguments. They lie in the
// platform's own block 0x7FFFxxxx, apart from the statuses of registered errors.
#include "host/types.h"

namespace kvbase {

inline constexpr host::Status kErrArgument = 0x7FFF0401;  // a value outside what an operation takes
inline constexpr host::Status kErrRegistry = 0x7FFF0402;  // unknown error code, bad registration
inline constexpr host::Status kErrCatalogue = 0x7FFF0501;  // catalogue file unreadable or malformed
inline constexpr host::Status kErrNumberText = 0x7FFF0601;  // number, pattern or data type refused
inline constexpr host::Status kErrListText = 0x7FFF0701;  // list text without braces, bad separator

}  // namespace kvbase
