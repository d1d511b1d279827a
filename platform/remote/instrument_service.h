#pragma once
// The server adapter: serves any instrument server factory (the simulator
// today, a real reader's driver later) over gRPC, as the protocol in
// proto/orve/instrument/v1 describes. Each session is one server object of the
// factory, made when the session opens and released when it ends; a session
// ends when its client closes it, cancels or drops its stream, stops answering
// keepalive pings, or the service shuts down. An ending session's running
// command is stopped and its lock released.
//
// Threads: calls of different sessions reach the factory's servers from
// several threads at once (a session's own calls one at a time), and the end
// of a session may call EmergencyStop, Lock(false) and ClientEnd::EndClient
// while one of its calls runs. A factory that cannot take that is served
// through SerialInstruments.
//
// The service's one serving thread reads the sockets and answers every call
// that returns at once; ExecSynch, CloseSession, the end of a session and a
// call whose session has another call under way run on threads of their own.
// The calls answered on the serving thread (and CreateServer, when a session
// opens) must return at once, as the simulator's do: while one blocks, no
// session is answered, and one that blocks for longer than the keepalive time
// lets every client's connection drop. A second serving thread would cost
// each call a hand-over between the two (about half again the server's CPU
// per call on a two-core machine).
#include <functional>
#include <memory>
#include <string>

#include "host/instrument_server.h"

namespace remote {

// What a served server object may offer beyond the host's calls: ends its
// client at once, as releasing the object does (that client's own commands
// stopped, its lock released), also while one of its calls still runs. An
// ending session is ended through it; a server object without it has its
// commands stopped only by an emergency stop while its session holds the lock
// (unlocked, that would stop other clients' commands too), else by its
// release once its calls have returned.
class ClientEnd {
  public:
    virtual ~ClientEnd() = default;
    virtual void EndClient() noexcept = 0;
};

struct ServeOptions {
    std::string address;                     // "unix:PATH" or "HOST:PORT" (port 0: any free one)
    std::string certFile, keyFile;           // TLS: the server's certificate chain and key (PEM)
    std::string clientCaFile;                // TLS: clients must show a certificate from this CA
    bool insecure = false;                   // plain text on an address that is not loopback
    std::string name = "orvevizari-server";  // told to clients when a session opens
    int maxSessions = 256;
    int keepaliveMs = 1000;  // a quiet client is pinged after this, and given up as long after
};

// Every line the service has to tell: sessions opened and closed, the lock
// taken and released, each with the peer. Called from the service's threads.
using ServiceLog = std::function<void(const std::string&)>;

class InstrumentService {
  public:
    // Listens at once. Raises host::Error: kErrRemoteSetup for an unusable
    // address or TLS file, or plain text on a non-loopback address without
    // insecure; kErrRemoteServe when it cannot listen (the port taken, another
    // server at the Unix socket). instruments must outlive this object.
    InstrumentService(host::InstrumentServerFactory& instruments, ServeOptions options,
                      ServiceLog log = {});
    ~InstrumentService();
    InstrumentService(const InstrumentService&) = delete;
    InstrumentService& operator=(const InstrumentService&) = delete;

    // Where it listens, with the port it picked when given port 0.
    const std::string& Address() const;
    int Sessions() const;
    // Stops accepting, stops the sessions' running commands, ends every
    // session and waits for the calls under way. Idempotent; never raises.
    void Shutdown() noexcept;

    struct Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace remote
