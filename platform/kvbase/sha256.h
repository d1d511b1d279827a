#pragma once
// SHA-256 of a byte string, as lower-case hex: the run record's fingerprint of
// the method file as given.
#include <string>

namespace kvbase {

std::string Sha256Hex(const std::string& bytes);

}  // namespace kvbase
