#pragma once
// What a server settles before it listens: the credentials its address and
// options call for, and that no other server still holds its Unix socket.
#include <memory>

#include <grpcpp/security/server_credentials.h>

#include "platform/remote/address.h"
#include "platform/remote/instrument_service.h"

namespace remote {

// Plain text on a Unix socket or loopback, TLS elsewhere or when given; plain
// text elsewhere only with options.insecure. Raises host::Error
// (kErrRemoteSetup) for what is refused or cannot be read.
std::shared_ptr<grpc::ServerCredentials> ListenCredentials(const ServeOptions& options,
                                                           const Address& address);

// Raises host::Error (kErrRemoteServe) when a server answers on the Unix
// socket; a file left behind by one that died is taken over (gRPC replaces it).
void RequireFreeSocket(const Address& address);

}  // namespace remote
