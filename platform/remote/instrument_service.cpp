#include "platform/remote/instrument_service.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <utility>

#include <fmt/format.h>
#include <grpcpp/grpcpp.h>

#include "host/error.h"
#include "orve/instrument/v1/instrument_server.grpc.pb.h"
#include "platform/qnserver/data_packet.h"
#include "platform/remote/address.h"
#include "platform/remote/call_pool.h"
#include "platform/remote/errors.h"
#include "platform/remote/listen_checks.h"
#include "platform/remote/served_sessions.h"
#include "platform/remote/wire.h"

namespace remote {
namespace {

constexpr std::size_t kLongestCommand = 4096;  // bytes of one command line
constexpr int kLargestMessage = 1 << 20;

// A request that breaks the protocol's rules; the call fails with INVALID_ARGUMENT.
struct Malformed {
    std::string text;
};

// The session ended while the call ran; the call fails with NOT_FOUND.
struct SessionEnded {};

}  // namespace

using V1 = orve::instrument::v1::InstrumentServer;
// Every call but ExecSynch returns at once: they run on gRPC's own threads.
// ExecSynch may take the instrument's seconds: it runs on a thread of the
// service's pool.
using ServiceBase = V1::WithCallbackMethod_OpenSession<V1::WithCallbackMethod_CloseSession<
    V1::WithCallbackMethod_GetErrorList<V1::WithCallbackMethod_BusyReply<
        V1::WithCallbackMethod_EODReply<V1::WithCallbackMethod_IsSimulation<
            V1::WithCallbackMethod_SetInstInfo<V1::WithCallbackMethod_Reset<
                V1::WithCallbackMethod_GetSetupDesc<V1::WithCallbackMethod_GetCurrSetup<
                    V1::WithCallbackMethod_GetInstInfo<V1::WithCallbackMethod_SetCalibration<
                        V1::WithCallbackMethod_IsLocked<V1::WithCallbackMethod_GetStatus<
                            V1::WithCallbackMethod_Lock<V1::WithCallbackMethod_EmergencyStop<
                                V1::WithCallbackMethod_StartAsynch<
                                    V1::WithCallbackMethod_PollAsynch<
                                        V1::WithCallbackMethod_ExecSynch<
                                            V1::Service>>>>>>>>>>>>>>>>>>>;

struct InstrumentService::Impl final : public ServiceBase {
    Impl(host::InstrumentServerFactory& f, ServeOptions o, ServiceLog l)
        : options(std::move(o)), sessions(f, options.maxSessions, std::move(l)) {}

    grpc::ServerWriteReactor<v1::SessionEvent>* OpenSession(
        grpc::CallbackServerContext* context, const v1::OpenSessionRequest* request) override;
    grpc::ServerUnaryReactor* CloseSession(grpc::CallbackServerContext* context,
                                           const v1::SessionRef* request,
                                           v1::CloseSessionReply*) override {
        auto s = sessions.Find(request->session());
        if (!s) return Done(context, Unknown());
        sessions.End(s, "closed by the client", grpc::Status::OK);
        return Done(context, grpc::Status::OK);
    }

    // Runs one call of a session: NOT_FOUND for an unknown or ended one,
    // INVALID_ARGUMENT for a malformed request, the raised error in the
    // reply's failure field.
    template <class Reply, class Body>
    grpc::Status Call(const std::string& id, Reply* reply, Body&& body) {
        std::shared_ptr<host::InstrumentServer> server;
        auto s = sessions.Enter(id, server);
        if (!s) return Unknown();
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
        } catch (const SessionEnded&) {
            return Unknown();
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
                std::lock_guard<std::mutex> turn(session.lockTurn);
                if (session.ended) throw SessionEnded{};
                r->set_reply(s.Lock(q->lock()));
                if (!r->reply().empty() || std::exchange(session.locked, q->lock()) == q->lock())
                    return;
                sessions.Log(fmt::format("lock {} by session {} ({})",
                                         q->lock() ? "taken" : "released", session.number,
                                         session.who));
            }));
    }
    grpc::ServerUnaryReactor* ExecSynch(grpc::CallbackServerContext* context,
                                        const v1::CommandRequest* q, v1::CommandReply* r) override {
        auto* reactor = context->DefaultReactor();
        // The request and the reply live until the call is finished.
        pool->Run([this, reactor, q, r] {
            reactor->Finish(Call(q->session(), r, [&](ServedSession&, host::InstrumentServer& s) {
                CheckCommand(q->command());
                std::string answer;
                r->set_reply(s.ExecSynch(q->command(), answer));
                r->set_answer(answer);
            }));
        });
        return reactor;
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

    const ServeOptions options;
    ServedSessions sessions;
    // One thread per session at most: its calls are serial.
    std::unique_ptr<CallPool> pool = std::make_unique<CallPool>(options.maxSessions);
    std::string address;
    std::string socketPath;  // the Unix socket made, to remove it again
    ino_t socketInode = 0;
    std::unique_ptr<grpc::Server> server;
    std::once_flag shutdown;
};

// The stream a session lives on. It finishes once: when the client goes, when
// the session is closed, or when the service shuts down.
class SessionStream final : public grpc::ServerWriteReactor<v1::SessionEvent> {
  public:
    SessionStream(InstrumentService::Impl& impl, grpc::CallbackServerContext* context,
                  const v1::OpenSessionRequest* request)
        : impl_(impl), link_(std::make_shared<StreamLink>()) {
        // Held until the first write is under way: an end of the session on
        // another thread (a shutdown) finishes the stream only after it.
        std::unique_lock<std::mutex> first(link_->lock);
        link_->stream = this;
        grpc::Status refused;
        session_ = impl_.sessions.Open(context->peer(), request->client(), link_, refused);
        if (!session_) {
            link_->finished = true;
            Finish(refused);
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
        if (session_) impl_.sessions.End(session_, "its stream ended", grpc::Status::OK);
        {
            std::lock_guard<std::mutex> held(link_->lock);
            link_->stream = nullptr;
        }
        impl_.sessions.StreamDone();
        delete this;
    }

  private:
    void Gone() {
        if (session_) impl_.sessions.End(session_, "the client is gone", grpc::Status::CANCELLED);
        link_->Finish(grpc::Status::CANCELLED);
    }

    InstrumentService::Impl& impl_;
    std::shared_ptr<StreamLink> link_;
    std::shared_ptr<ServedSession> session_;
    v1::SessionEvent event_;
};

grpc::ServerWriteReactor<v1::SessionEvent>* InstrumentService::Impl::OpenSession(
    grpc::CallbackServerContext* context, const v1::OpenSessionRequest* request) {
    sessions.StreamStarted();
    return new SessionStream(*this, context, request);
}

InstrumentService::InstrumentService(host::InstrumentServerFactory& instruments,
                                     ServeOptions options, ServiceLog log)
    : impl_(std::make_unique<Impl>(instruments, std::move(options), std::move(log))) {
    auto& o = impl_->options;
    const remote::Address address = ParseAddress(o.address);
    auto credentials = ListenCredentials(o, address);
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
        if (::stat(address.path.c_str(), &st) == 0) {
            impl_->socketPath = address.path;
            impl_->socketInode = st.st_ino;
        }
    } else if (address.host.find(':') != std::string::npos) {
        impl_->address = fmt::format("[{}]:{}", address.host, port);
    } else {
        impl_->address = fmt::format("{}:{}", address.host, port);
    }
}

InstrumentService::~InstrumentService() {
    Shutdown();
    // The calls' threads end before the server, the server before the service.
    impl_->pool.reset();
    impl_->server.reset();
}

const std::string& InstrumentService::Address() const {
    return impl_->address;
}

int InstrumentService::Sessions() const {
    return impl_->sessions.Count();
}

void InstrumentService::Shutdown() noexcept {
    auto& impl = *impl_;
    std::call_once(impl.shutdown, [&impl] {
        // Sessions first: the server's shutdown waits for every call under way.
        impl.sessions.EndAll(
            "the server is shutting down",
            {grpc::StatusCode::UNAVAILABLE, "the instrument server is shutting down"});
        impl.server->Shutdown(std::chrono::system_clock::now() + std::chrono::seconds(2));
        impl.sessions.WaitForStreams(5.0);
        struct stat st {};
        if (!impl.socketPath.empty() && ::stat(impl.socketPath.c_str(), &st) == 0 &&
            st.st_ino == impl.socketInode)
            ::unlink(impl.socketPath.c_str());
    });
}

}  // namespace remote
