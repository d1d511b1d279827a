#pragma once
// The server adapter's sessions: each one client's server object, what the
// adapter tracks of it (calls under way, a started command, the lock), and
// the stream it lives on. However a session ends, its running command is
// stopped and its lock released (see ClientEnd); a session that neither runs
// nor locks anything makes no call on the instrument, so that the instrument
// sees no call its client did not make.
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include <grpcpp/grpcpp.h>

#include "host/instrument_server.h"
#include "orve/instrument/v1/instrument_server.grpc.pb.h"
#include "platform/remote/instrument_service.h"

namespace remote {

// The stream of a session: finishes it with a status. Called with the
// link's lock held.
class StreamEnd {
  public:
    virtual void FinishStream(const grpc::Status& status) noexcept = 0;

  protected:
    ~StreamEnd() = default;
};

// The stream of a session while gRPC has it.
struct StreamLink {
    std::mutex lock;
    StreamEnd* stream = nullptr;
    bool finished = false;
    // Finishes the stream once; nothing once it is done.
    void Finish(const grpc::Status& status) noexcept;
};

struct ServedSession {
    std::string id;
    int number = 0;                                  // for the log
    std::string who;                                 // peer and client, for the log
    std::shared_ptr<host::InstrumentServer> server;  // under the sessions' lock
    std::mutex calls;  // a host makes one call at a time; so does a session
    std::atomic<int> inFlight{0};
    std::atomic<bool> asynchRunning{false};
    std::atomic<bool> ended{false};
    // A Lock call and the end of the session take turns on it: an end either
    // comes first (the call then takes nothing) or finds the lock it must
    // give back marked here.
    std::mutex lockTurn;
    bool locked = false;               // under lockTurn
    std::string busy;                  // the busy reply, once asked
    std::shared_ptr<StreamLink> link;  // under the sessions' lock
};

class ServedSessions {
  public:
    // instruments must outlive this object.
    ServedSessions(host::InstrumentServerFactory& instruments, int maxSessions, ServiceLog log);

    // A session on a new server object; nullptr with the status to finish
    // the stream with when it is refused (shutting down, too many, the
    // instrument unreachable).
    std::shared_ptr<ServedSession> Open(const std::string& peer, const std::string& client,
                                        std::shared_ptr<StreamLink> link, grpc::Status& refused);
    // The session named id, counted as under a call (leave with --inFlight),
    // and its server object; nullptr when unknown or ended.
    std::shared_ptr<ServedSession> Enter(const std::string& id,
                                         std::shared_ptr<host::InstrumentServer>& server);
    std::shared_ptr<ServedSession> Find(const std::string& id) const;
    // Ends it once: stops its command, releases its lock, logs, finishes its stream.
    void End(const std::shared_ptr<ServedSession>& s, const std::string& why,
             const grpc::Status& status) noexcept;
    // Refuses new sessions from now on and ends every open one.
    void EndAll(const std::string& why, const grpc::Status& status) noexcept;
    int Count() const;
    void Log(const std::string& line) noexcept;

  private:
    host::InstrumentServerFactory& instruments_;
    const int maxSessions_;
    const ServiceLog log_;
    std::mutex logLock_;
    mutable std::mutex lock_;
    std::map<std::string, std::shared_ptr<ServedSession>> sessions_;
    int opened_ = 0;
    bool stopping_ = false;
};

}  // namespace remote
