#include "platform/remote/instrument_service.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <random>

#include <fmt/format.h>
#include <grpcpp/grpcpp.h>

#include "host/error.h"
#include "orve/instrument/v1/instrument_server.grpc.pb.h"
#include "platform/qnserver/data_packet.h"
#include "platform/remote/address.h"
#include "platform/remote/errors.h"
#include "platform/remote/pem_file.h"
#include "platform/remote/wire.h"

namespace remote {
namespace {

constexpr std::size_t kLongestCommand = 4096;  // bytes of one command line
constexpr int kLargestMessage = 1 << 20;

// A request that breaks the protocol's rules; the call fails with INVALID_ARGUMENT.
struct Malformed {
    std::string text;
};

std::string NewSessionId() {
    static std::mutex lock;
    static std::random_device device;
    std::lock_guard<std::mutex> held(lock);
    return fmt::format("{:08x}{:08x}{:08x}{:08x}", device(), device(), device(), device());
}

// Refuses to take a Unix socket from a server that is still listening on it;
// a file left behind by one that died is taken over (gRPC replaces it).
void RequireFreeSocket(const Address& address) {
    sockaddr_un sa{};
    if (address.path.size() >= sizeof sa.sun_path)
        throw host::Error(kErrRemoteSetup,
                          fmt::format("the socket path of '{}' is too long", address.text));
    sa.sun_family = AF_UNIX;
    std::memcpy(sa.sun_path, address.path.c_str(), address.path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    const bool live = ::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0;
    ::close(fd);
    if (live)
        throw host::Error(kErrRemoteServe,
                          fmt::format("another instrument server listens at {}", address.text));
}

std::shared_ptr<grpc::ServerCredentials> Credentials(const ServeOptions& o, const Address& a) {
    if (o.certFile.empty() != o.keyFile.empty())
        throw host::Error(kErrRemoteSetup, "TLS needs both a certificate and its key");
    if (o.certFile.empty()) {
        if (!o.clientCaFile.empty())
            throw host::Error(
                kErrRemoteSetup,
                "client certificates need TLS: give the server's certificate and key");
        if (!a.Local() && !o.insecure)
            throw host::Error(
                kErrRemoteSetup,
                fmt::format("{} is reachable from other machines: give a TLS certificate and key, "
                            "or say --insecure to serve it in plain text",
                            a.text));
        return grpc::InsecureServerCredentials();
    }
    grpc::SslServerCredentialsOptions ssl(
        o.clientCaFile.empty() ? GRPC_SSL_DONT_REQUEST_CLIENT_CERTIFICATE
                               : GRPC_SSL_REQUEST_AND_REQUIRE_CLIENT_CERTIFICATE_AND_VERIFY);
    ssl.pem_key_cert_pairs.push_back(
        {ReadPem(o.keyFile, "TLS key"), ReadPem(o.certFile, "TLS certificate")});
    if (!o.clientCaFile.empty())
        ssl.pem_root_certs = ReadPem(o.clientCaFile, "client certificate authority");
    return grpc::SslServerCredentials(ssl);
}

}  // namespace

class SessionStream;

// The stream of a session, as long as it is not done.
struct StreamLink {
    std::mutex lock;
    SessionStream* stream = nullptr;
    bool finished = false;
};

// One client's server object and what the service knows of it.
struct ServedSession {
    std::string id;
    int number = 0;                                  // for the log
    std::string who;                                 // peer and client, for the log
    std::shared_ptr<host::InstrumentServer> server;  // under Impl::lock
    std::mutex calls;  // a host makes one call at a time; so does a session
    std::atomic<int> inFlight{0};
    std::atomic<bool> asynchRunning{false};
    std::atomic<bool> locked{false};
    std::atomic<bool> ended{false};
    std::string busy;                  // the busy reply, once asked
    std::shared_ptr<StreamLink> link;  // its stream
};

using V1 = orve::instrument::v1::InstrumentServer;
// Every call but ExecSynch returns at once: they run on gRPC's own threads.
// ExecSynch may take the instrument's seconds: it runs on the threads of the
// synchronous server, which grow with the calls under way.
using ServiceBase = V1::WithCallbackMethod_OpenSession<V1::WithCallbackMethod_CloseSession<
    V1::WithCallbackMethod_GetErrorList<V1::WithCallbackMethod_BusyReply<
        V1::WithCallbackMethod_EODReply<V1::WithCallbackMethod_IsSimulation<
            V1::WithCallbackMethod_SetInstInfo<V1::WithCallbackMethod_Reset<
                V1::WithCallbackMethod_GetSetupDesc<V1::WithCallbackMethod_GetCurrSetup<
                    V1::WithCallbackMethod_GetInstInfo<V1::WithCallbackMethod_SetCalibration<
                        V1::WithCallbackMethod_IsLocked<V1::WithCallbackMethod_GetStatus<
                            V1::WithCallbackMethod_Lock<V1::WithCallbackMethod_EmergencyStop<
                                V1::WithCallbackMethod_StartAsynch<
                                    V1::WithCallbackMethod_PollAsynch<V1::Service>>>>>>>>>>>>>>>>>>;

struct InstrumentService::Impl final : public ServiceBase {
    Impl(host::InstrumentServerFactory& f, ServeOptions o, ServiceLog l)
        : instruments(f), options(std::move(o)), log(std::move(l)) {}

    // Session lifetime (definitions below the stream).
    std::shared_ptr<ServedSession> Open(const std::string& peer, const std::string& client,
                                        std::shared_ptr<StreamLink> link, grpc::Status& refused);
    // Stops the session's command, releases its lock, finishes its stream with status.
    void End(const std::shared_ptr<ServedSession>& s, const std::string& why,
             const grpc::Status& status) noexcept;
    void Finish(const std::shared_ptr<StreamLink>& link, const grpc::Status& status) noexcept;
    void StreamDone() {
        std::lock_guard<std::mutex> held(lock);
        --streams;
        streamsDone.notify_all();
    }
    void Log(const std::string& line) noexcept {
        if (!log) return;
        std::lock_guard<std::mutex> held(logLock);
        try {
            log(line);
        } catch (...) {
        }
    }

    grpc::ServerWriteReactor<v1::SessionEvent>* OpenSession(
        grpc::CallbackServerContext* context, const v1::OpenSessionRequest* request) override;
    grpc::ServerUnaryReactor* CloseSession(grpc::CallbackServerContext* context,
                                           const v1::SessionRef* request,
                                           v1::CloseSessionReply*) override {
        std::shared_ptr<ServedSession> s;
        {
            std::lock_guard<std::mutex> held(lock);
            auto it = sessions.find(request->session());
            if (it == sessions.end()) return Done(context, Unknown());
            s = it->second;
        }
        End(s, "closed by the client", grpc::Status::OK);
        return Done(context, grpc::Status::OK);
    }

    // Runs one call of a session: NOT_FOUND for an unknown or ended one,
    // INVALID_ARGUMENT for a malformed request, the raised error in the
    // reply's failure field.
    template <class Reply, class Body>
    grpc::Status Call(const std::string& id, Reply* reply, Body&& body) {
        std::shared_ptr<ServedSession> s;
        std::shared_ptr<host::InstrumentServer> server;
        {
            std::lock_guard<std::mutex> held(lock);
            auto it = sessions.find(id);
            if (it == sessions.end()) return Unknown();
            s = it->second;
            server = s->server;
            ++s->inFlight;
        }
        struct Leave {
            ServedSession& s;
            ~Leave() { --s.inFlight; }
        } leave{*s};
        std::lock_guard<std::mutex> one(s->calls);
        if (s->ended) return Unknown();
        auto fail = [&](host::Status number, const std::string& text) {
            reply->mutable_failure()->set_number(number);
            reply->mutable_failure()->set_text(text);
        };
        try {
            body(*s, *server);
        } catch (const Malformed& m) {
            return {grpc::StatusCode::INVALID_ARGUMENT, m.text};
        } catch (const host::Error& e) {
            fail(e.Number(), e.Text());
        } catch (const std::exception& e) {
            fail(host::kErrUnexpected, e.what());
        } catch (...) {
            fail(host::kErrUnexpected, "the instrument server failed unexpectedly");
        }
        return grpc::Status::OK;
    }
    // Answers a call of gRPC's own threads with status.
    static grpc::ServerUnaryReactor* Done(grpc::CallbackServerContext* context,
                                          const grpc::Status& status) {
        auto* reactor = context->DefaultReactor();
        reactor->Finish(status);
        return reactor;
    }
    static grpc::Status Unknown() {
        return {grpc::StatusCode::NOT_FOUND, "no such session: it is unknown or has ended"};
    }
    static void CheckCommand(const std::string& command) {
        if (command.size() > kLongestCommand)
            throw Malformed{fmt::format("a command of {} bytes is longer than the {} allowed",
                                        command.size(), kLongestCommand)};
    }

    // The packet calls: the packet goes in as the client holds it and comes
    // back as the server left it, also when the call raised.
    grpc::Status PacketCall(const v1::PacketCall* request, v1::PacketReply* reply,
                            void (host::InstrumentServer::*op)(host::DataPacket&)) {
        return Call(request->session(), reply, [&](ServedSession&, host::InstrumentServer& server) {
            qnserver::Packet packet;
            try {
                FromWire(request->packet(), packet);
            } catch (const host::Error& e) {
                throw Malformed{e.Text()};
            }
            try {
                (server.*op)(packet);
            } catch (...) {
                ToWire(packet, *reply->mutable_packet());
                throw;
            }
            ToWire(packet, *reply->mutable_packet());
        });
    }
    grpc::ServerUnaryReactor* GetErrorList(grpc::CallbackServerContext* context,
                                           const v1::PacketCall* q, v1::PacketReply* r) override {
        return Done(context, PacketCall(q, r, &host::InstrumentServer::GetErrorList));
    }
    grpc::ServerUnaryReactor* SetInstInfo(grpc::CallbackServerContext* context,
                                          const v1::PacketCall* q, v1::PacketReply* r) override {
        return Done(context, PacketCall(q, r, &host::InstrumentServer::SetInstInfo));
    }
    grpc::ServerUnaryReactor* GetSetupDesc(grpc::CallbackServerContext* context,
                                           const v1::PacketCall* q, v1::PacketReply* r) override {
        return Done(context, PacketCall(q, r, &host::InstrumentServer::GetSetupDesc));
    }
    grpc::ServerUnaryReactor* GetCurrSetup(grpc::CallbackServerContext* context,
                                           const v1::PacketCall* q, v1::PacketReply* r) override {
        return Done(context, PacketCall(q, r, &host::InstrumentServer::GetCurrSetup));
    }
    grpc::ServerUnaryReactor* GetInstInfo(grpc::CallbackServerContext* context,
                                          const v1::PacketCall* q, v1::PacketReply* r) override {
        return Done(context, PacketCall(q, r, &host::InstrumentServer::GetInstInfo));
    }
    grpc::ServerUnaryReactor* SetCalibration(grpc::CallbackServerContext* context,
                                             const v1::PacketCall* q, v1::PacketReply* r) override {
        return Done(context, PacketCall(q, r, &host::InstrumentServer::SetCalibration));
    }

    grpc::ServerUnaryReactor* BusyReply(grpc::CallbackServerContext* context,
                                        const v1::SessionRef* q, v1::TextReply* r) override {
        return Done(context, Call(q->session(), r, [&](ServedSession&, host::InstrumentServer& s) {
                        r->set_reply(s.BusyReply());
                    }));
    }
    grpc::ServerUnaryReactor* EODReply(grpc::CallbackServerContext* context,
                                       const v1::SessionRef* q, v1::TextReply* r) override {
        return Done(context, Call(q->session(), r, [&](ServedSession&, host::InstrumentServer& s) {
                        r->set_reply(s.EODReply());
                    }));
    }
    grpc::ServerUnaryReactor* IsSimulation(grpc::CallbackServerContext* context,
                                           const v1::SessionRef* q, v1::FlagReply* r) override {
        return Done(context, Call(q->session(), r, [&](ServedSession&, host::InstrumentServer& s) {
                        r->set_value(s.IsSimulation());
                    }));
    }
    grpc::ServerUnaryReactor* IsLocked(grpc::CallbackServerContext* context,
                                       const v1::SessionRef* q, v1::FlagReply* r) override {
        return Done(context, Call(q->session(), r, [&](ServedSession&, host::InstrumentServer& s) {
                        r->set_value(s.IsLocked());
                    }));
    }
    grpc::ServerUnaryReactor* Reset(grpc::CallbackServerContext* context, const v1::SessionRef* q,
                                    v1::EmptyReply* r) override {
        return Done(context, Call(q->session(), r,
                                  [&](ServedSession&, host::InstrumentServer& s) { s.Reset(); }));
    }
    grpc::ServerUnaryReactor* EmergencyStop(grpc::CallbackServerContext* context,
                                            const v1::SessionRef* q, v1::EmptyReply* r) override {
        return Done(context, Call(q->session(), r, [&](ServedSession&, host::InstrumentServer& s) {
                        s.EmergencyStop();
                    }));
    }
    grpc::ServerUnaryReactor* GetStatus(grpc::CallbackServerContext* context,
                                        const v1::SessionRef* q, v1::StatusReply* r) override {
        return Done(context, Call(q->session(), r, [&](ServedSession&, host::InstrumentServer& s) {
                        std::int32_t status = 0;
                        double intensity = 0.0, temperature = 0.0;
                        s.GetStatus(status, intensity, temperature);
                        r->set_status(status);
                        r->set_intensity(intensity);
                        r->set_temperature(temperature);
                    }));
    }
    grpc::ServerUnaryReactor* Lock(grpc::CallbackServerContext* context, const v1::LockRequest* q,
                                   v1::TextReply* r) override {
        return Done(
            context, Call(q->session(), r, [&](ServedSession& session, host::InstrumentServer& s) {
                r->set_reply(s.Lock(q->lock()));
                if (!r->reply().empty()) return;
                if (q->lock() && session.ended) {  // taken after the session ended: given back
                    s.Lock(false);
                    return;
                }
                if (q->lock() && !session.locked.exchange(true))
                    Log(fmt::format("lock taken by session {} ({})", session.number, session.who));
                if (!q->lock() && session.locked.exchange(false))
                    Log(fmt::format("lock released by session {} ({})", session.number,
                                    session.who));
            }));
    }
    grpc::Status ExecSynch(grpc::ServerContext*, const v1::CommandRequest* q,
                           v1::CommandReply* r) override {
        return Call(q->session(), r, [&](ServedSession&, host::InstrumentServer& s) {
            CheckCommand(q->command());
            std::string answer;
            r->set_reply(s.ExecSynch(q->command(), answer));
            r->set_answer(answer);
        });
    }
    grpc::ServerUnaryReactor* StartAsynch(grpc::CallbackServerContext* context,
                                          const v1::CommandRequest* q, v1::TextReply* r) override {
        return Done(context,
                    Call(q->session(), r, [&](ServedSession& session, host::InstrumentServer& s) {
                        CheckCommand(q->command());
                        r->set_reply(s.StartAsynch(q->command()));
                        if (r->reply().empty()) session.asynchRunning = true;
                    }));
    }
    grpc::ServerUnaryReactor* PollAsynch(grpc::CallbackServerContext* context,
                                         const v1::SessionRef* q, v1::CommandReply* r) override {
        return Done(context,
                    Call(q->session(), r, [&](ServedSession& session, host::InstrumentServer& s) {
                        std::string answer;
                        r->set_reply(s.PollAsynch(answer));
                        r->set_answer(answer);
                        if (session.busy.empty()) session.busy = s.BusyReply();
                        if (r->reply() != session.busy) session.asynchRunning = false;
                    }));
    }

    host::InstrumentServerFactory& instruments;
    const ServeOptions options;
    const ServiceLog log;
    std::mutex logLock;
    std::string address;
    ino_t socketInode = 0;  // the Unix socket made, to remove it again
    std::unique_ptr<grpc::Server> server;

    mutable std::mutex lock;
    std::map<std::string, std::shared_ptr<ServedSession>> sessions;
    int opened = 0;
    int streams = 0;  // session streams not yet done
    std::condition_variable streamsDone;
    bool stopping = false;
    std::once_flag shutdown;
};

// The stream a session lives on. It finishes once: when the client goes, when
// the session is closed, or when the service shuts down.
class SessionStream final : public grpc::ServerWriteReactor<v1::SessionEvent> {
  public:
    SessionStream(InstrumentService::Impl& impl, grpc::CallbackServerContext* context,
                  const v1::OpenSessionRequest* request)
        : impl_(impl), link_(std::make_shared<StreamLink>()) {
        link_->stream = this;
        grpc::Status refused;
        session_ = impl_.Open(context->peer(), request->client(), link_, refused);
        if (!session_) {
            impl_.Finish(link_, refused);
            return;
        }
        auto& opened = *event_.mutable_opened();
        opened.set_session(session_->id);
        opened.set_server(impl_.options.name);
        StartWrite(&event_);
    }
    void OnWriteDone(bool ok) override {
        if (!ok) Gone();
    }
    void OnCancel() override { Gone(); }
    void OnDone() override {
        if (session_) impl_.End(session_, "its stream ended", grpc::Status::OK);
        {
            std::lock_guard<std::mutex> held(link_->lock);
            link_->stream = nullptr;
        }
        impl_.StreamDone();
        delete this;
    }

  private:
    void Gone() {
        if (session_) impl_.End(session_, "the client is gone", grpc::Status::CANCELLED);
        impl_.Finish(link_, grpc::Status::CANCELLED);
    }

    InstrumentService::Impl& impl_;
    std::shared_ptr<StreamLink> link_;
    std::shared_ptr<ServedSession> session_;
    v1::SessionEvent event_;
};

grpc::ServerWriteReactor<v1::SessionEvent>* InstrumentService::Impl::OpenSession(
    grpc::CallbackServerContext* context, const v1::OpenSessionRequest* request) {
    {
        std::lock_guard<std::mutex> held(lock);
        ++streams;
    }
    return new SessionStream(*this, context, request);
}

std::shared_ptr<ServedSession> InstrumentService::Impl::Open(const std::string& peer,
                                                             const std::string& client,
                                                             std::shared_ptr<StreamLink> link,
                                                             grpc::Status& refused) {
    auto s = std::make_shared<ServedSession>();
    s->id = NewSessionId();
    s->who = client.empty() ? peer : fmt::format("{}, {}", peer, client.substr(0, 200));
    {
        std::lock_guard<std::mutex> held(lock);
        if (stopping) {
            refused = {grpc::StatusCode::UNAVAILABLE, "the instrument server is shutting down"};
            return nullptr;
        }
        if (static_cast<int>(sessions.size()) >= options.maxSessions) {
            refused = {
                grpc::StatusCode::RESOURCE_EXHAUSTED,
                fmt::format("the instrument server has {} sessions open already", sessions.size())};
            return nullptr;
        }
    }
    try {
        s->server = instruments.CreateServer();
    } catch (const std::exception& e) {
        refused = {grpc::StatusCode::UNAVAILABLE,
                   fmt::format("the instrument cannot be reached: {}", e.what())};
        return nullptr;
    }
    {
        std::lock_guard<std::mutex> held(lock);
        if (stopping) {
            refused = {grpc::StatusCode::UNAVAILABLE, "the instrument server is shutting down"};
            return nullptr;
        }
        s->number = ++opened;
        s->link = std::move(link);
        sessions[s->id] = s;
    }
    Log(fmt::format("session {} opened by {}", s->number, s->who));
    return s;
}

void InstrumentService::Impl::End(const std::shared_ptr<ServedSession>& s, const std::string& why,
                                  const grpc::Status& status) noexcept {
    if (s->ended.exchange(true)) return;
    std::shared_ptr<host::InstrumentServer> server;
    std::shared_ptr<StreamLink> link;
    {
        std::lock_guard<std::mutex> held(lock);
        sessions.erase(s->id);
        server = std::move(s->server);
        link = std::move(s->link);
    }
    // Nothing of a gone client may keep running or keep the instrument; a
    // session that neither runs nor locks anything is left alone, so that the
    // instrument sees no call its client did not make.
    if (server && (s->inFlight > 0 || s->asynchRunning)) {
        try {
            server->EmergencyStop();
        } catch (...) {
        }
    }
    if (server && s->locked.exchange(false)) {
        try {
            server->Lock(false);
        } catch (...) {
        }
        Log(fmt::format("lock released by session {} ({}): the session ended", s->number, s->who));
    }
    Log(fmt::format("session {} closed ({}): {}", s->number, s->who, why));
    if (link) Finish(link, status);
}

void InstrumentService::Impl::Finish(const std::shared_ptr<StreamLink>& link,
                                     const grpc::Status& status) noexcept {
    std::lock_guard<std::mutex> held(link->lock);
    if (link->finished || link->stream == nullptr) return;
    link->finished = true;
    link->stream->Finish(status);
}

InstrumentService::InstrumentService(host::InstrumentServerFactory& instruments,
                                     ServeOptions options, ServiceLog log)
    : impl_(std::make_unique<Impl>(instruments, std::move(options), std::move(log))) {
    auto& o = impl_->options;
    const remote::Address address = ParseAddress(o.address);
    auto credentials = Credentials(o, address);
    if (address.kind == remote::Address::Kind::Unix) RequireFreeSocket(address);

    grpc::ServerBuilder builder;
    int port = 0;
    builder.AddListeningPort(address.text, credentials, &port);
    builder.RegisterService(impl_.get());
    builder.SetMaxReceiveMessageSize(kLargestMessage);
    builder.AddChannelArgument(GRPC_ARG_KEEPALIVE_TIME_MS, o.keepaliveMs);
    builder.AddChannelArgument(GRPC_ARG_KEEPALIVE_TIMEOUT_MS, o.keepaliveMs);
    builder.AddChannelArgument(GRPC_ARG_KEEPALIVE_PERMIT_WITHOUT_CALLS, 1);
    builder.AddChannelArgument(GRPC_ARG_HTTP2_MAX_PINGS_WITHOUT_DATA, 0);
    builder.AddChannelArgument(GRPC_ARG_HTTP2_MIN_RECV_PING_INTERVAL_WITHOUT_DATA_MS, 500);
    impl_->server = builder.BuildAndStart();
    if (impl_->server && address.kind == remote::Address::Kind::Tcp && port == 0) {
        impl_->server->Shutdown();
        impl_->server.reset();
    }
    if (!impl_->server)
        throw host::Error(kErrRemoteServe,
                          fmt::format("cannot listen at {}: the address is taken or not this "
                                      "machine's",
                                      address.text));
    if (address.kind == remote::Address::Kind::Unix) {
        impl_->address = address.text;
        struct stat st {};
        if (::stat(address.path.c_str(), &st) == 0) impl_->socketInode = st.st_ino;
    } else if (address.host.find(':') != std::string::npos) {
        impl_->address = fmt::format("[{}]:{}", address.host, port);
    } else {
        impl_->address = fmt::format("{}:{}", address.host, port);
    }
}

InstrumentService::~InstrumentService() {
    Shutdown();
    impl_->server.reset();  // before the service it serves and what its callbacks use
}

const std::string& InstrumentService::Address() const {
    return impl_->address;
}

int InstrumentService::Sessions() const {
    std::lock_guard<std::mutex> held(impl_->lock);
    return static_cast<int>(impl_->sessions.size());
}

void InstrumentService::Shutdown() noexcept {
    auto& impl = *impl_;
    std::call_once(impl.shutdown, [&impl] {
        std::map<std::string, std::shared_ptr<ServedSession>> sessions;
        {
            std::lock_guard<std::mutex> held(impl.lock);
            impl.stopping = true;
            sessions = impl.sessions;
        }
        // Streams first: the server's shutdown waits for every call under way.
        for (auto& [id, s] : sessions) {
            impl.End(s, "the server is shutting down",
                     {grpc::StatusCode::UNAVAILABLE, "the instrument server is shutting down"});
        }
        impl.server->Shutdown(std::chrono::system_clock::now() + std::chrono::seconds(2));
        std::unique_lock<std::mutex> held(impl.lock);
        impl.streamsDone.wait_for(held, std::chrono::seconds(5),
                                  [&impl] { return impl.streams == 0; });
        held.unlock();
        const remote::Address address = ParseAddress(impl.options.address);
        struct stat st {};
        if (address.kind == remote::Address::Kind::Unix && impl.socketInode != 0 &&
            ::stat(address.path.c_str(), &st) == 0 && st.st_ino == impl.socketInode)
            ::unlink(address.path.c_str());
    });
}

}  // namespace remote
