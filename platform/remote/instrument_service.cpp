#include "platform/remote/instrument_service.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <optional>
#include <system_error>
#include <thread>
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

namespace {

// The session's calls are under way on another thread; the call moves to the
// pool, where it may wait its turn.
struct NotNow {};

// What a completion on the service's queue resumes.
class Pending {
  public:
    // Never raises.
    virtual void Proceed(bool ok) noexcept = 0;

  protected:
    ~Pending() = default;
};

}  // namespace

// All calls arrive on one completion queue, served by one thread that both
// waits for the sockets and answers: a call that returns at once costs no
// hand-over between threads. What may wait (a synchronous command takes the
// instrument's seconds; a call of a session whose other call is under way
// waits its turn; the end of a session) runs on a thread of the pool.
struct InstrumentService::Impl final : public V1::AsyncService {
    Impl(host::InstrumentServerFactory& f, ServeOptions o, ServiceLog l)
        : options(std::move(o)), sessions(f, options.maxSessions, std::move(l)) {}

    // Runs one call of a session: NOT_FOUND for an unknown or ended one,
    // INVALID_ARGUMENT for a malformed request, the raised error in the
    // reply's failure field. Raises NotNow, before anything is done, when it
    // may not wait and the session's other call is under way.
    template <class Reply, class Body>
    grpc::Status Call(const std::string& id, Reply* reply, bool mayWait, Body&& body) {
        std::shared_ptr<host::InstrumentServer> server;
        auto s = sessions.Enter(id, server);
        if (!s) return Unknown();
        struct Leave {
            ServedSession& s;
            ~Leave() { --s.inFlight; }
        } leave{*s};
        std::unique_lock<std::mutex> one(s->calls, std::defer_lock);
        if (mayWait) {
            one.lock();
        } else if (!one.try_lock()) {
            throw NotNow{};
        }
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
    static grpc::Status Unknown() {
        return {grpc::StatusCode::NOT_FOUND, "no such session: it is unknown or has ended"};
    }
    // Answered on the pool: ending a session stops its command.
    grpc::Status CloseSession(const v1::SessionRef& q, v1::CloseSessionReply&, bool) {
        auto s = sessions.Find(q.session());
        if (!s) return Unknown();
        sessions.End(s, "closed by the client", grpc::Status::OK);
        return grpc::Status::OK;
    }
    static void CheckCommand(const std::string& command) {
        if (command.size() > kLongestCommand)
            throw Malformed{fmt::format("a command of {} bytes is longer than the {} allowed",
                                        command.size(), kLongestCommand)};
    }

    // The packet calls: the packet goes in as the client holds it and comes
    // back as the server left it, also when the call raised.
    grpc::Status PacketCall(const v1::PacketCall& q, v1::PacketReply& r, bool mayWait,
                            void (host::InstrumentServer::*op)(host::DataPacket&)) {
        return Call(q.session(), &r, mayWait, [&](ServedSession&, host::InstrumentServer& server) {
            qnserver::Packet packet;
            try {
                FromWire(q.packet(), packet);
            } catch (const host::Error& e) {
                throw Malformed{e.Text()};
            }
            try {
                (server.*op)(packet);
            } catch (...) {
                ToWire(packet, *r.mutable_packet());
                throw;
            }
            ToWire(packet, *r.mutable_packet());
        });
    }
    grpc::Status GetErrorList(const v1::PacketCall& q, v1::PacketReply& r, bool mayWait) {
        return PacketCall(q, r, mayWait, &host::InstrumentServer::GetErrorList);
    }
    grpc::Status SetInstInfo(const v1::PacketCall& q, v1::PacketReply& r, bool mayWait) {
        return PacketCall(q, r, mayWait, &host::InstrumentServer::SetInstInfo);
    }
    grpc::Status GetSetupDesc(const v1::PacketCall& q, v1::PacketReply& r, bool mayWait) {
        return PacketCall(q, r, mayWait, &host::InstrumentServer::GetSetupDesc);
    }
    grpc::Status GetCurrSetup(const v1::PacketCall& q, v1::PacketReply& r, bool mayWait) {
        return PacketCall(q, r, mayWait, &host::InstrumentServer::GetCurrSetup);
    }
    grpc::Status GetInstInfo(const v1::PacketCall& q, v1::PacketReply& r, bool mayWait) {
        return PacketCall(q, r, mayWait, &host::InstrumentServer::GetInstInfo);
    }
    grpc::Status SetCalibration(const v1::PacketCall& q, v1::PacketReply& r, bool mayWait) {
        return PacketCall(q, r, mayWait, &host::InstrumentServer::SetCalibration);
    }

    grpc::Status BusyReply(const v1::SessionRef& q, v1::TextReply& r, bool mayWait) {
        return Call(q.session(), &r, mayWait,
                    [&](ServedSession&, host::InstrumentServer& s) { r.set_reply(s.BusyReply()); });
    }
    grpc::Status EODReply(const v1::SessionRef& q, v1::TextReply& r, bool mayWait) {
        return Call(q.session(), &r, mayWait,
                    [&](ServedSession&, host::InstrumentServer& s) { r.set_reply(s.EODReply()); });
    }
    grpc::Status IsSimulation(const v1::SessionRef& q, v1::FlagReply& r, bool mayWait) {
        return Call(q.session(), &r, mayWait, [&](ServedSession&, host::InstrumentServer& s) {
            r.set_value(s.IsSimulation());
        });
    }
    grpc::Status IsLocked(const v1::SessionRef& q, v1::FlagReply& r, bool mayWait) {
        return Call(q.session(), &r, mayWait,
                    [&](ServedSession&, host::InstrumentServer& s) { r.set_value(s.IsLocked()); });
    }
    grpc::Status Reset(const v1::SessionRef& q, v1::EmptyReply& r, bool mayWait) {
        return Call(q.session(), &r, mayWait,
                    [&](ServedSession&, host::InstrumentServer& s) { s.Reset(); });
    }
    grpc::Status EmergencyStop(const v1::SessionRef& q, v1::EmptyReply& r, bool mayWait) {
        return Call(q.session(), &r, mayWait,
                    [&](ServedSession&, host::InstrumentServer& s) { s.EmergencyStop(); });
    }
    grpc::Status GetStatus(const v1::SessionRef& q, v1::StatusReply& r, bool mayWait) {
        return Call(q.session(), &r, mayWait, [&](ServedSession&, host::InstrumentServer& s) {
            std::int32_t status = 0;
            double intensity = 0.0, temperature = 0.0;
            s.GetStatus(status, intensity, temperature);
            r.set_status(status);
            r.set_intensity(intensity);
            r.set_temperature(temperature);
        });
    }
    grpc::Status Lock(const v1::LockRequest& q, v1::TextReply& r, bool mayWait) {
        return Call(
            q.session(), &r, mayWait, [&](ServedSession& session, host::InstrumentServer& s) {
                std::lock_guard<std::mutex> turn(session.lockTurn);
                if (session.ended) throw SessionEnded{};
                r.set_reply(s.Lock(q.lock()));
                if (!r.reply().empty() || std::exchange(session.locked, q.lock()) == q.lock())
                    return;
                sessions.Log(fmt::format("lock {} by session {} ({})",
                                         q.lock() ? "taken" : "released", session.number,
                                         session.who));
            });
    }
    grpc::Status ExecSynch(const v1::CommandRequest& q, v1::CommandReply& r, bool mayWait) {
        return Call(q.session(), &r, mayWait, [&](ServedSession&, host::InstrumentServer& s) {
            CheckCommand(q.command());
            std::string answer;
            r.set_reply(s.ExecSynch(q.command(), answer));
            r.set_answer(answer);
        });
    }
    grpc::Status StartAsynch(const v1::CommandRequest& q, v1::TextReply& r, bool mayWait) {
        return Call(q.session(), &r, mayWait,
                    [&](ServedSession& session, host::InstrumentServer& s) {
                        CheckCommand(q.command());
                        r.set_reply(s.StartAsynch(q.command()));
                        if (r.reply().empty()) session.asynchRunning = true;
                    });
    }
    grpc::Status PollAsynch(const v1::SessionRef& q, v1::CommandReply& r, bool mayWait) {
        return Call(q.session(), &r, mayWait,
                    [&](ServedSession& session, host::InstrumentServer& s) {
                        std::string answer;
                        r.set_reply(s.PollAsynch(answer));
                        r.set_answer(answer);
                        if (session.busy.empty()) session.busy = s.BusyReply();
                        if (r.reply() != session.busy) session.asynchRunning = false;
                    });
    }

    // Asks gRPC for the next call of a method, unless the queue is closing.
    template <class Ask>
    bool Await(Ask&& ask) {
        std::lock_guard<std::mutex> held(accepting);
        if (!accept) return false;
        ask(queue.get());
        return true;
    }
    void AwaitCalls();
    // Calls and streams gRPC has handed over and not yet taken back.
    void Started() {
        std::lock_guard<std::mutex> held(underWayLock);
        ++underWay;
    }
    void Ended() {
        std::lock_guard<std::mutex> held(underWayLock);
        if (--underWay == 0) noneUnderWay.notify_all();
    }
    void WaitForNoneUnderWay() {
        std::unique_lock<std::mutex> held(underWayLock);
        noneUnderWay.wait(held, [this] { return underWay == 0; });
    }
    // No call is asked for any more, and the queue ends once drained.
    void CloseQueue() {
        {
            std::lock_guard<std::mutex> held(accepting);
            accept = false;
        }
        queue->Shutdown();
    }
    void Serve() noexcept {
        void* tag = nullptr;
        bool ok = false;
        while (queue->Next(&tag, &ok)) static_cast<Pending*>(tag)->Proceed(ok);
    }

    const ServeOptions options;
    ServedSessions sessions;
    // Threads for synchronous commands, for calls waiting their session's
    // turn, and for ends of sessions (which never wait for a thread).
    std::unique_ptr<CallPool> pool = std::make_unique<CallPool>(options.maxSessions);
    std::string address;
    std::string socketPath;  // the Unix socket made, to remove it again
    ino_t socketInode = 0;
    std::unique_ptr<grpc::ServerCompletionQueue> queue;
    std::mutex underWayLock;
    std::condition_variable noneUnderWay;
    int underWay = 0;  // under underWayLock
    std::mutex accepting;
    bool accept = true;  // under accepting: false once the queue is to be shut down
    std::unique_ptr<grpc::Server> server;
    std::thread serving;
    std::once_flag shutdown;
};

namespace {

using Impl = InstrumentService::Impl;

// Where a call is answered: on a serving thread when it cannot wait, else on
// the pool; PoolAtOnce without waiting for a thread (the end of a session).
enum class Where { Queue, Pool, PoolAtOnce };

// One unary call of a method, from its arrival to its answer's delivery.
template <class Request, class Reply>
class UnaryCall final : public Pending {
  public:
    using Ask = void (V1::AsyncService::*)(grpc::ServerContext*, Request*,
                                           grpc::ServerAsyncResponseWriter<Reply>*,
                                           grpc::CompletionQueue*, grpc::ServerCompletionQueue*,
                                           void*);
    using Handler = grpc::Status (Impl::*)(const Request&, Reply&, bool);

    static void Await(Impl& impl, Ask ask, Handler handler, Where where) {
        auto* call = new UnaryCall(impl, ask, handler, where);
        if (!impl.Await([&](grpc::ServerCompletionQueue* q) {
                (impl.*ask)(&call->context_, &call->request_, &call->responder_, q, q,
                            static_cast<Pending*>(call));
            }))
            delete call;
    }

    void Proceed(bool ok) noexcept override {
        if (!ok && !answered_) {  // the server is shutting down
            delete this;
            return;
        }
        if (answered_) {  // the answer went, or the call was cancelled
            impl_.Ended();
            delete this;
            return;
        }
        answered_ = true;
        impl_.Started();
        Await(impl_, ask_, handler_, where_);
        if (where_ != Where::Queue) return OnPool();
        try {
            Answer(false);
        } catch (const NotNow&) {
            OnPool();
        }
    }

  private:
    UnaryCall(Impl& impl, Ask ask, Handler handler, Where where)
        : impl_(impl), ask_(ask), handler_(handler), where_(where), responder_(&context_) {}

    void Answer(bool mayWait) {
        grpc::Status status;
        try {
            status = (impl_.*handler_)(request_, reply_, mayWait);
        } catch (const NotNow&) {
            throw;
        } catch (const std::exception& e) {
            status = {grpc::StatusCode::INTERNAL, e.what()};
        }
        responder_.Finish(reply_, status, static_cast<Pending*>(this));
    }
    void OnPool() {
        impl_.pool->Run([this] { Answer(true); },
                        where_ == Where::PoolAtOnce ? CallPool::kAtOnce : CallPool::kInTurn);
    }

    Impl& impl_;
    const Ask ask_;
    const Handler handler_;
    const Where where_;
    bool answered_ = false;
    grpc::ServerContext context_;
    Request request_;
    Reply reply_;
    grpc::ServerAsyncResponseWriter<Reply> responder_;
};

template <class Request, class Reply>
void AwaitUnary(Impl& impl, typename UnaryCall<Request, Reply>::Ask ask,
                typename UnaryCall<Request, Reply>::Handler handler, Where where = Where::Queue) {
    UnaryCall<Request, Reply>::Await(impl, ask, handler, where);
}

// The stream a session lives on. It finishes once: when the client goes, when
// the session is closed, or when the service shuts down. Its state is under
// the link's lock; it is deleted once gRPC has returned every operation on it.
class SessionStream final : public Pending, public StreamEnd {
  public:
    static void Await(Impl& impl) {
        auto* stream = new SessionStream(impl);
        stream->context_.AsyncNotifyWhenDone(&stream->done_);
        if (!impl.Await([&](grpc::ServerCompletionQueue* q) {
                impl.RequestOpenSession(&stream->context_, &stream->request_, &stream->writer_, q,
                                        q, stream);
            }))
            delete stream;
    }

    // The request, the first write or the finish came back.
    void Proceed(bool ok) noexcept override {
        std::unique_lock<std::mutex> held(link_->lock);
        if (!started_) {
            // gRPC returns the done tag only for a call that started.
            if (!ok) {
                held.unlock();
                delete this;
                return;
            }
            started_ = true;
            ++operations_;  // the done tag
            held.unlock();
            impl_.Started();
            Await(impl_);
            Start();
            return Release();
        }
        const bool wrote = std::exchange(writing_, false);
        if (wrote && pendingFinish_) {
            Finish(*pendingFinish_);
            pendingFinish_.reset();
        }
        held.unlock();
        if (wrote && !ok) Gone();
        Release();
    }
    void FinishStream(const grpc::Status& status) noexcept override {
        if (writing_) {
            pendingFinish_ = status;
        } else {
            Finish(status);
        }
    }

  private:
    // The call is over: finished, or cancelled by the client or the network.
    struct Done final : Pending {
        SessionStream* stream = nullptr;
        void Proceed(bool) noexcept override { stream->OnDone(); }
    };

    explicit SessionStream(Impl& impl)
        : impl_(impl), link_(std::make_shared<StreamLink>()), writer_(&context_) {
        done_.stream = this;
    }

    void Start() {
        {
            std::lock_guard<std::mutex> held(link_->lock);
            link_->stream = this;
        }
        grpc::Status refused;
        auto session = impl_.sessions.Open(context_.peer(), request_.client(), link_, refused);
        std::lock_guard<std::mutex> held(link_->lock);
        session_ = session;
        if (!session) {
            link_->finished = true;
            Finish(refused);
            return;
        }
        if (link_->finished) return;  // ended already (a shutdown)
        auto& opened = *event_.mutable_opened();
        opened.set_session(session->id);
        opened.set_server(impl_.options.name);
        writing_ = true;
        ++operations_;
        writer_.Write(event_, static_cast<Pending*>(this));
    }
    // Under the link's lock.
    void Finish(const grpc::Status& status) {
        ++operations_;
        writer_.Finish(status, static_cast<Pending*>(this));
    }
    void OnDone() {
        {
            std::lock_guard<std::mutex> held(link_->lock);
            over_ = true;
        }
        if (context_.IsCancelled()) Gone();
        End("its stream ended", grpc::Status::OK);
        Release();
    }
    // The client went: its session ends.
    void Gone() {
        End("the client is gone", grpc::Status::CANCELLED);
        link_->Finish(grpc::Status::CANCELLED);
    }
    // Ends the session, once, on a thread of the pool: stopping its command
    // may take a moment.
    void End(const char* why, const grpc::Status& status) {
        std::shared_ptr<ServedSession> session;
        {
            std::lock_guard<std::mutex> held(link_->lock);
            if (ending_ || !session_) return;
            ending_ = true;
            session = session_;
        }
        if (session->ended) return;
        impl_.pool->Run([&sessions = impl_.sessions, session, why,
                         status] { sessions.End(session, why, status); },
                        CallPool::kAtOnce);
    }
    // One operation came back; the last one deletes the stream.
    void Release() {
        {
            std::lock_guard<std::mutex> held(link_->lock);
            if (--operations_ > 0 || !over_) return;
            link_->stream = nullptr;
        }
        auto& impl = impl_;
        delete this;
        impl.Ended();
    }

    Impl& impl_;
    std::shared_ptr<StreamLink> link_;
    std::shared_ptr<ServedSession> session_;
    grpc::ServerContext context_;
    v1::OpenSessionRequest request_;
    grpc::ServerAsyncWriter<v1::SessionEvent> writer_;
    v1::SessionEvent event_;
    Done done_;
    // Under the link's lock.
    int operations_ = 1;  // the request
    bool started_ = false, writing_ = false, over_ = false, ending_ = false;
    std::optional<grpc::Status> pendingFinish_;
};

}  // namespace

void InstrumentService::Impl::AwaitCalls() {
    using A = V1::AsyncService;
    SessionStream::Await(*this);
    AwaitUnary<v1::SessionRef, v1::CloseSessionReply>(*this, &A::RequestCloseSession,
                                                      &Impl::CloseSession, Where::PoolAtOnce);
    AwaitUnary<v1::PacketCall, v1::PacketReply>(*this, &A::RequestGetErrorList,
                                                &Impl::GetErrorList);
    AwaitUnary<v1::SessionRef, v1::TextReply>(*this, &A::RequestBusyReply, &Impl::BusyReply);
    AwaitUnary<v1::SessionRef, v1::TextReply>(*this, &A::RequestEODReply, &Impl::EODReply);
    AwaitUnary<v1::SessionRef, v1::FlagReply>(*this, &A::RequestIsSimulation, &Impl::IsSimulation);
    AwaitUnary<v1::PacketCall, v1::PacketReply>(*this, &A::RequestSetInstInfo, &Impl::SetInstInfo);
    AwaitUnary<v1::SessionRef, v1::EmptyReply>(*this, &A::RequestReset, &Impl::Reset);
    AwaitUnary<v1::PacketCall, v1::PacketReply>(*this, &A::RequestGetSetupDesc,
                                                &Impl::GetSetupDesc);
    AwaitUnary<v1::PacketCall, v1::PacketReply>(*this, &A::RequestGetCurrSetup,
                                                &Impl::GetCurrSetup);
    AwaitUnary<v1::PacketCall, v1::PacketReply>(*this, &A::RequestGetInstInfo, &Impl::GetInstInfo);
    AwaitUnary<v1::PacketCall, v1::PacketReply>(*this, &A::RequestSetCalibration,
                                                &Impl::SetCalibration);
    AwaitUnary<v1::SessionRef, v1::FlagReply>(*this, &A::RequestIsLocked, &Impl::IsLocked);
    AwaitUnary<v1::SessionRef, v1::StatusReply>(*this, &A::RequestGetStatus, &Impl::GetStatus);
    AwaitUnary<v1::LockRequest, v1::TextReply>(*this, &A::RequestLock, &Impl::Lock);
    AwaitUnary<v1::SessionRef, v1::EmptyReply>(*this, &A::RequestEmergencyStop,
                                               &Impl::EmergencyStop);
    AwaitUnary<v1::CommandRequest, v1::TextReply>(*this, &A::RequestStartAsynch,
                                                  &Impl::StartAsynch);
    AwaitUnary<v1::SessionRef, v1::CommandReply>(*this, &A::RequestPollAsynch, &Impl::PollAsynch);
    AwaitUnary<v1::CommandRequest, v1::CommandReply>(*this, &A::RequestExecSynch, &Impl::ExecSynch,
                                                     Where::Pool);
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
    impl_->queue = builder.AddCompletionQueue();
    impl_->server = builder.BuildAndStart();
    if (impl_->server && address.kind == remote::Address::Kind::Tcp && port == 0) {
        impl_->server->Shutdown();
        impl_->server.reset();
    }
    if (!impl_->server) {
        impl_->CloseQueue();
        impl_->Serve();  // drains it
        throw host::Error(kErrRemoteServe,
                          fmt::format("cannot listen at {}: the address is taken or not this "
                                      "machine's",
                                      address.text));
    }
    impl_->AwaitCalls();
    try {
        impl_->serving = std::thread([impl = impl_.get()] { impl->Serve(); });
    } catch (const std::system_error& e) {
        impl_->server->Shutdown();
        impl_->CloseQueue();
        impl_->Serve();
        impl_->server.reset();
        throw host::Error(kErrRemoteServe, fmt::format("cannot start serving: {}", e.what()));
    }
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
    // The server goes before the service it serves.
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
        // Every call handed over answers before the queue closes: its answer
        // goes through the queue.
        impl.WaitForNoneUnderWay();
        impl.CloseQueue();
        impl.serving.join();
        impl.pool.reset();
        struct stat st {};
        if (!impl.socketPath.empty() && ::stat(impl.socketPath.c_str(), &st) == 0 &&
            st.st_ino == impl.socketInode)
            ::unlink(impl.socketPath.c_str());
    });
}

}  // namespace remote
