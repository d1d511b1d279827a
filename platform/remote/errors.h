#pragma once
// Error numbers of the instrument server's transport, in the platform's block.
#include "host/types.h"

namespace remote {

// A call to the instrument server failed on its way: no server at the address,
// the connection lost, a deadline passed, the call refused (unknown session,
// malformed request). The text names the address and the transport's reason.
inline constexpr host::Status kErrRemoteCall = 0x7FFF1501;
// The address or the TLS files given are not usable.
inline constexpr host::Status kErrRemoteSetup = 0x7FFF1502;
// A server cannot listen at the address given.
inline constexpr host::Status kErrRemoteServe = 0x7FFF1503;

}  // namespace remote
