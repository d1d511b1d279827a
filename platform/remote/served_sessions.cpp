#include "platform/remote/served_sessions.h"

#include <random>
#include <utility>

#include <fmt/format.h>

namespace remote {
namespace {

std::string NewSessionId() {
    static std::mutex lock;
    static std::random_device device;
    std::lock_guard<std::mutex> held(lock);
    return fmt::format("{:08x}{:08x}{:08x}{:08x}", device(), device(), device(), device());
}

const char* const kShuttingDown = "the instrument server is shutting down";

}  // namespace

void StreamLink::Finish(const grpc::Status& status) noexcept {
    std::lock_guard<std::mutex> held(lock);
    if (finished || stream == nullptr) return;
    finished = true;
    stream->FinishStream(status);
}

ServedSessions::ServedSessions(host::InstrumentServerFactory& instruments, int maxSessions,
                               ServiceLog log)
    : instruments_(instruments), maxSessions_(maxSessions), log_(std::move(log)) {}

std::shared_ptr<ServedSession> ServedSessions::Open(const std::string& peer,
                                                    const std::string& client,
                                                    std::shared_ptr<StreamLink> link,
                                                    grpc::Status& refused) {
    auto s = std::make_shared<ServedSession>();
    s->id = NewSessionId();
    s->who = client.empty() ? peer : fmt::format("{}, {}", peer, client.substr(0, 200));
    {
        std::lock_guard<std::mutex> held(lock_);
        if (stopping_) {
            refused = {grpc::StatusCode::UNAVAILABLE, kShuttingDown};
            return nullptr;
        }
        if (static_cast<int>(sessions_.size()) >= maxSessions_) {
            refused = {grpc::StatusCode::RESOURCE_EXHAUSTED,
                       fmt::format("the instrument server has {} sessions open already",
                                   sessions_.size())};
            return nullptr;
        }
    }
    try {
        s->server = instruments_.CreateServer();
    } catch (const std::exception& e) {
        refused = {grpc::StatusCode::UNAVAILABLE,
                   fmt::format("the instrument cannot be reached: {}", e.what())};
        return nullptr;
    }
    {
        std::lock_guard<std::mutex> held(lock_);
        if (stopping_) {
            refused = {grpc::StatusCode::UNAVAILABLE, kShuttingDown};
            return nullptr;
        }
        s->number = ++opened_;
        s->link = std::move(link);
        sessions_[s->id] = s;
    }
    Log(fmt::format("session {} opened by {}", s->number, s->who));
    return s;
}

std::shared_ptr<ServedSession> ServedSessions::Enter(
    const std::string& id, std::shared_ptr<host::InstrumentServer>& server) {
    std::lock_guard<std::mutex> held(lock_);
    auto it = sessions_.find(id);
    if (it == sessions_.end()) return nullptr;
    server = it->second->server;
    ++it->second->inFlight;
    return it->second;
}

std::shared_ptr<ServedSession> ServedSessions::Find(const std::string& id) const {
    std::lock_guard<std::mutex> held(lock_);
    auto it = sessions_.find(id);
    return it == sessions_.end() ? nullptr : it->second;
}

void ServedSessions::End(const std::shared_ptr<ServedSession>& s, const std::string& why,
                         const grpc::Status& status) noexcept {
    if (s->ended.exchange(true)) return;
    std::shared_ptr<host::InstrumentServer> server;
    std::shared_ptr<StreamLink> link;
    {
        std::lock_guard<std::mutex> held(lock_);
        sessions_.erase(s->id);
        server = std::move(s->server);
        link = std::move(s->link);
    }
    bool held = false;
    {
        std::lock_guard<std::mutex> turn(s->lockTurn);
        held = server && std::exchange(s->locked, false);
    }
    // An emergency stop halts the instrument for every client unless the
    // lock is held: only then is what runs this session's own.
    if (held && (s->inFlight > 0 || s->asynchRunning)) {
        try {
            server->EmergencyStop();
        } catch (...) {
        }
    }
    if (auto* end = dynamic_cast<ClientEnd*>(server.get())) {
        end->EndClient();
    } else if (held) {
        try {
            server->Lock(false);
        } catch (...) {
        }
    }
    if (held)
        Log(fmt::format("lock released by session {} ({}): the session ended", s->number, s->who));
    Log(fmt::format("session {} closed ({}): {}", s->number, s->who, why));
    if (link) link->Finish(status);
}

void ServedSessions::EndAll(const std::string& why, const grpc::Status& status) noexcept {
    std::map<std::string, std::shared_ptr<ServedSession>> open;
    {
        std::lock_guard<std::mutex> held(lock_);
        stopping_ = true;
        open = sessions_;
    }
    for (auto& [id, s] : open) End(s, why, status);
}

int ServedSessions::Count() const {
    std::lock_guard<std::mutex> held(lock_);
    return static_cast<int>(sessions_.size());
}

void ServedSessions::Log(const std::string& line) noexcept {
    if (!log_) return;
    std::lock_guard<std::mutex> held(logLock_);
    try {
        log_(line);
    } catch (...) {
    }
}

}  // namespace remote
