#pragma once
// The host's side of the instrument server protocol: an instrument server
// factory whose servers are sessions on a server program reached over gRPC.
// The module, the proxy and the hosts use it as they use the embedded
// simulator; only the failures of the way itself are new: every call that
// fails on its way raises host::Error (kErrRemoteCall) naming the address and
// the transport's reason, e.g. "instrument server unix:orvevizari.sock:
// unavailable: ... Connection refused". A call that the server's instrument
// raised raises the same number and text here.
//
// Deadlines: every call has one (see ClientOptions). Nothing that could run
// twice on the instrument is retried; gRPC resends only calls that never left
// this process.
#include <memory>
#include <string>

#include "host/instrument_server.h"

namespace remote {

struct ClientOptions {
    std::string address;            // "unix:PATH" or "HOST:PORT"; empty: no server
    std::string caFile;             // TLS: trust servers certified by this authority
    std::string certFile, keyFile;  // TLS: this client's certificate, for servers that ask
    double connectSeconds = 5.0;    // opening a session
    double callSeconds = 5.0;       // every call that returns at once
    // ExecSynch: the instrument's longest synchronous command (10 s) and a margin.
    double synchSeconds = 30.0;
    std::string client;  // told to the server for its log; empty: this program and its pid

    // TLS is used when an authority or a client certificate is given.
    bool Tls() const { return !caFile.empty() || !certFile.empty(); }
};

class RemoteInstrumentFactory final : public host::InstrumentServerFactory {
  public:
    // Raises host::Error (kErrRemoteSetup) for a malformed address, an
    // unreadable TLS file or a deadline that is not above 0. Does not connect.
    explicit RemoteInstrumentFactory(ClientOptions options);
    ~RemoteInstrumentFactory() override;

    // Opens a session; raises host::Error (kErrRemoteCall) when it cannot.
    std::shared_ptr<host::InstrumentServer> CreateServer() override;
    // The packets its servers carry; a packet made elsewhere is refused by them.
    std::shared_ptr<host::DataPacket> CreatePacket() override;

    const std::string& Address() const;

    struct Channel;

  private:
    std::shared_ptr<Channel> channel_;
};

}  // namespace remote
