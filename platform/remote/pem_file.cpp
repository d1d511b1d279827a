#include "platform/remote/pem_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include <fmt/format.h>

#include "host/error.h"
#include "platform/remote/errors.h"

namespace remote {

std::string ReadPem(const std::string& path, const char* what) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw host::Error(kErrRemoteSetup, fmt::format("cannot read the {} '{}': {}", what, path,
                                                       std::strerror(errno)));
    std::ostringstream text;
    text << in.rdbuf();
    if (text.str().find("-----BEGIN ") == std::string::npos)
        throw host::Error(kErrRemoteSetup,
                          fmt::format("the {} '{}' holds no PEM block", what, path));
    return text.str();
}

}  // namespace remote
