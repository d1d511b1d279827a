#pragma once
// Instrument server addresses in gRPC naming: "unix:PATH" (relative or
// absolute), "unix:///ABSOLUTE/PATH", or "HOST:PORT" ("127.0.0.1:50051",
// "[::1]:50051", "localhost:50051"; port 0 lets a server pick one).
#include <string>

namespace remote {

struct Address {
    enum class Kind { Unix, Tcp } kind = Kind::Unix;
    std::string text;  // as gRPC takes it
    std::string path;  // Unix: the socket's path
    std::string host;  // TCP: without brackets
    int port = 0;      // TCP
    // A Unix socket, or a TCP host that is this machine's loopback.
    bool Local() const;
};

// Raises host::Error (kErrRemoteSetup) naming what is wrong with text.
Address ParseAddress(const std::string& text);

// A server's default: orvevizari.sock in $XDG_RUNTIME_DIR, else
// /tmp/orvevizari-UID.sock.
std::string DefaultAddress();

}  // namespace remote
