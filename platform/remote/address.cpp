#include "platform/remote/address.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include <fmt/format.h>

#include "host/error.h"
#include "platform/remote/errors.h"

namespace remote {
namespace {

[[noreturn]] void Refuse(const std::string& text, const std::string& why) {
    throw host::Error(kErrRemoteSetup,
                      fmt::format("'{}' is not an instrument server address: {}; give unix:PATH "
                                  "or HOST:PORT",
                                  text, why));
}

bool IsLoopbackHost(const std::string& host) {
    if (host == "localhost" || host == "::1") return true;
    // 127.0.0.0/8, written as a dotted quad.
    unsigned a = 0, b = 0, c = 0, d = 0;
    char tail = 0;
    return std::sscanf(host.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) == 4 && a == 127 &&
           b < 256 && c < 256 && d < 256;
}

}  // namespace

bool Address::Local() const {
    return kind == Kind::Unix || IsLoopbackHost(host);
}

Address ParseAddress(const std::string& text) {
    Address a;
    a.text = text;
    if (text.empty()) Refuse(text, "it is empty");
    if (text.rfind("unix:", 0) == 0) {
        a.kind = Address::Kind::Unix;
        std::string rest = text.substr(5);
        if (rest.rfind("//", 0) == 0) {
            // "unix://relative" would read the part after "//" as an authority.
            if (rest.rfind("///", 0) != 0) Refuse(text, "after unix:// the path must be absolute");
            rest = rest.substr(2);
        }
        if (rest.empty()) Refuse(text, "the socket's path is missing");
        a.path = rest;
        return a;
    }
    a.kind = Address::Kind::Tcp;
    std::string port;
    if (text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string::npos || close + 1 >= text.size() || text[close + 1] != ':')
            Refuse(text, "an IPv6 address is written [ADDRESS]:PORT");
        a.host = text.substr(1, close - 1);
        port = text.substr(close + 2);
    } else {
        const auto colon = text.rfind(':');
        if (colon == std::string::npos) Refuse(text, "the port is missing");
        a.host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (a.host.find(':') != std::string::npos)
            Refuse(text, "an IPv6 address is written [ADDRESS]:PORT");
    }
    if (a.host.empty()) Refuse(text, "the host is missing");
    if (port.empty() || port.size() > 5 ||
        port.find_first_not_of("0123456789") != std::string::npos)
        Refuse(text, "the port must be a number from 0 to 65535");
    a.port = std::atoi(port.c_str());
    if (a.port > 65535) Refuse(text, "the port must be a number from 0 to 65535");
    return a;
}

std::string DefaultAddress() {
    if (const char* dir = std::getenv("XDG_RUNTIME_DIR"); dir && *dir)
        return fmt::format("unix:{}/orvevizari.sock", dir);
    return fmt::format("unix:/tmp/orvevizari-{}.sock", ::getuid());
}

}  // namespace remote
