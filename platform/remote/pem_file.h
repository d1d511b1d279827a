#pragma once
#include <string>

namespace remote {

// The text of a PEM file (certificate or key). Raises host::Error
// (kErrRemoteSetup) naming what and the path when it cannot be read or holds
// no PEM block.
std::string ReadPem(const std::string& path, const char* what);

}  // namespace remote
