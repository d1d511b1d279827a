#include "platform/remote/remote_factory.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include <fmt/format.h>
#include <grpcpp/alarm.h>
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

using Stub = v1::InstrumentServer::Stub;

const char* CodeText(grpc::StatusCode code) {
    switch (code) {
        case grpc::StatusCode::OK:
            return "ok";
        case grpc::StatusCode::CANCELLED:
            return "cancelled";
        case grpc::StatusCode::INVALID_ARGUMENT:
            return "invalid argument";
        case grpc::StatusCode::DEADLINE_EXCEEDED:
            return "deadline exceeded";
        case grpc::StatusCode::NOT_FOUND:
            return "not found";
        case grpc::StatusCode::PERMISSION_DENIED:
            return "permission denied";
        case grpc::StatusCode::RESOURCE_EXHAUSTED:
            return "resource exhausted";
        case grpc::StatusCode::UNIMPLEMENTED:
            return "unimplemented";
        case grpc::StatusCode::INTERNAL:
            return "internal";
        case grpc::StatusCode::UNAVAILABLE:
            return "unavailable";
        case grpc::StatusCode::UNAUTHENTICATED:
            return "unauthenticated";
        default:
            return "failed";
    }
}

std::chrono::system_clock::time_point After(double seconds) {
    return std::chrono::system_clock::now() +
           std::chrono::duration_cast<std::chrono::system_clock::duration>(
               std::chrono::duration<double>(seconds));
}

std::string DefaultClient() {
    return fmt::format("{} (pid {})", program_invocation_short_name, ::getpid());
}

// What a completion on the streams' queue resumes.
class Pending {
  public:
    virtual void Proceed(bool ok) = 0;

  protected:
    ~Pending() = default;
};

// The sessions' streams of the process's channels, watched by one thread. gRPC lets one
// thread at a time wait for the sockets and hands what it reads to the thread
// it is for, at the cost of a wake-up; so the watcher only glances at the
// sockets and its queue every 50 ms while a stream lives (enough for
// keepalive pings while the host is idle), and a caller waits for its own
// answer and reads it itself.
// While someone waits for a stream's event and no call is under way, the
// watcher waits for the sockets.
class StreamPump {
  public:
    StreamPump() : thread_([this] { Run(); }) {}
    ~StreamPump() {
        {
            std::lock_guard<std::mutex> held(lock_);
            quit_ = true;
            Kick();
        }
        changed_.notify_all();
        thread_.join();
        queue_.Shutdown();
        // What is left belongs to watches given up on (see RemoteServer's
        // end): nobody waits for them, and they may start nothing more.
        void* tag = nullptr;
        bool ok = false;
        while (queue_.Next(&tag, &ok)) {
        }
    }
    StreamPump(const StreamPump&) = delete;
    StreamPump& operator=(const StreamPump&) = delete;

    grpc::CompletionQueue& Queue() { return queue_; }

    // Brackets what the watcher must know of while it lasts, counted in
    // Count: a call under way (it then does not wait for the sockets), a
    // stream (without one it sleeps), a wait for a stream's event (it then
    // waits for the sockets, unless a call is under way).
    template <int StreamPump::*Count>
    class Hold {
      public:
        explicit Hold(StreamPump& pump) : pump_(pump) { pump_.Add(Count, 1); }
        ~Hold() { pump_.Add(Count, -1); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

      private:
        StreamPump& pump_;
    };

  private:
    void Add(int StreamPump::*count, int by) {
        std::lock_guard<std::mutex> held(lock_);
        this->*count += by;
        if (calls_ > 0) Kick();
        changed_.notify_all();
    }
    // Ends the watcher's wait for the sockets; under the lock.
    void Kick() {
        if (!waiting_ || kickSet_) return;
        kickSet_ = true;
        kick_.Set(&queue_, std::chrono::system_clock::now(), &kicked_);
    }
    void Run() {
        while (true) {
            bool wait = false;
            {
                std::unique_lock<std::mutex> held(lock_);
                changed_.wait(held, [this] { return quit_ || streams_ > 0; });
                changed_.wait_for(held, std::chrono::milliseconds(50),
                                  [this] { return quit_ || (waiters_ > 0 && calls_ == 0); });
                if (quit_) return;
                wait = waiters_ > 0 && calls_ == 0;
                waiting_ = wait;
            }
            void* tag = nullptr;
            bool ok = false;
            const auto got = queue_.AsyncNext(
                &tag, &ok,
                std::chrono::system_clock::now() +
                    (wait ? std::chrono::milliseconds(500) : std::chrono::milliseconds(0)));
            {
                std::lock_guard<std::mutex> held(lock_);
                waiting_ = false;
                if (got == grpc::CompletionQueue::GOT_EVENT && tag == &kicked_) kickSet_ = false;
            }
            if (got == grpc::CompletionQueue::SHUTDOWN) return;
            if (got == grpc::CompletionQueue::GOT_EVENT && tag != &kicked_)
                static_cast<Pending*>(tag)->Proceed(ok);
        }
    }

    grpc::CompletionQueue queue_;
    std::mutex lock_;
    std::condition_variable changed_;
    int calls_ = 0;         // under lock_
    int waiters_ = 0;       // under lock_
    int streams_ = 0;       // under lock_
    bool quit_ = false;     // under lock_
    bool waiting_ = false;  // under lock_: the watcher waits for the sockets
    bool kickSet_ = false;  // under lock_
    grpc::Alarm kick_;
    char kicked_ = 0;  // the kick's tag
    std::thread thread_;

  public:
    using Call = Hold<&StreamPump::calls_>;
    using Watched = Hold<&StreamPump::streams_>;
    using Waiter = Hold<&StreamPump::waiters_>;
};

// One pump for every channel of the process: gRPC's one thread waiting for
// the sockets is the process's, so another channel's watcher waiting would
// read this channel's answers.
std::shared_ptr<StreamPump> SharedPump() {
    static std::mutex lock;
    static std::weak_ptr<StreamPump> shared;
    std::lock_guard<std::mutex> held(lock);
    auto pump = shared.lock();
    if (!pump) {
        pump = std::make_shared<StreamPump>();
        shared = pump;
    }
    return pump;
}

// The session's stream: it stays open while the session lives; the server
// learns from its end that the client is gone.
class SessionWatch final {
  public:
    explicit SessionWatch(StreamPump& pump) : pump_(pump), watched_(pump) {}

    void Start(Stub& stub, const std::string& client) {
        request_.set_client(client);
        stream_ = stub.PrepareAsyncOpenSession(&context_, request_, &pump_.Queue());
        stream_->StartCall(static_cast<Pending*>(&started_));
    }
    // The session's ID once the server sent it, or empty when the stream
    // ended first or nothing came by the deadline (then cancelled).
    std::string WaitOpened(double seconds) {
        StreamPump::Waiter waiter(pump_);
        std::unique_lock<std::mutex> held(lock_);
        if (!changed_.wait_until(held, After(seconds), [&] { return !id_.empty() || ended_; })) {
            held.unlock();
            context_.TryCancel();
            held.lock();
            timedOut_ = true;
        }
        return id_;
    }
    // Cancels the stream and waits until gRPC is done with this object;
    // false when it was not done in time (the object must then be left alone).
    bool Stop() {
        StreamPump::Waiter waiter(pump_);
        context_.TryCancel();
        std::unique_lock<std::mutex> held(lock_);
        return changed_.wait_for(held, std::chrono::seconds(5), [&] { return done_; });
    }
    // Why the stream ended, for a message; empty while it runs. A call just
    // refused for an unknown session gives its end a moment to arrive.
    std::string Ending(bool expected = false) {
        std::optional<StreamPump::Waiter> waiter;
        if (expected) waiter.emplace(pump_);
        std::unique_lock<std::mutex> held(lock_);
        if (expected)
            changed_.wait_for(held, std::chrono::milliseconds(200), [&] { return done_; });
        if (timedOut_) return "no answer";
        if (!done_) return ended_ ? "the session ended" : "";
        return fmt::format("{}: {}", CodeText(status_.error_code()), status_.error_message());
    }

  private:
    struct Step final : Pending {
        SessionWatch* watch = nullptr;
        void (SessionWatch::*on)(bool) = nullptr;
        Step(SessionWatch* w, void (SessionWatch::*o)(bool)) : watch(w), on(o) {}
        void Proceed(bool ok) override { (watch->*on)(ok); }
    };

    void OnStarted(bool ok) {
        if (ok) {
            stream_->Read(&event_, static_cast<Pending*>(&read_));
        } else {
            End();
        }
    }
    void OnRead(bool ok) {
        if (!ok) return End();
        {
            std::lock_guard<std::mutex> held(lock_);
            if (id_.empty() && event_.has_opened()) id_ = event_.opened().session();
            changed_.notify_all();
        }
        stream_->Read(&event_, static_cast<Pending*>(
                                   &read_));  // later events are not known in this version; read on
    }
    void End() {
        {
            std::lock_guard<std::mutex> held(lock_);
            ended_ = true;
            changed_.notify_all();
        }
        stream_->Finish(&status_, static_cast<Pending*>(&finished_));
    }
    void OnFinished(bool) {
        std::lock_guard<std::mutex> held(lock_);
        done_ = ended_ = true;
        changed_.notify_all();
    }

    StreamPump& pump_;
    StreamPump::Watched watched_;
    grpc::ClientContext context_;
    v1::OpenSessionRequest request_;
    v1::SessionEvent event_;
    std::unique_ptr<grpc::ClientAsyncReader<v1::SessionEvent>> stream_;
    Step started_{this, &SessionWatch::OnStarted};
    Step read_{this, &SessionWatch::OnRead};
    Step finished_{this, &SessionWatch::OnFinished};
    std::mutex lock_;
    std::condition_variable changed_;
    std::string id_;
    bool ended_ = false, done_ = false, timedOut_ = false;
    grpc::Status status_;  // once done_
};

}  // namespace

struct RemoteInstrumentFactory::Channel {
    ClientOptions options;
    std::shared_ptr<grpc::Channel> channel;
    std::unique_ptr<Stub> stub;
    std::shared_ptr<StreamPump> pump = SharedPump();

    [[noreturn]] void Fail(const grpc::Status& status, double seconds,
                           const std::string& ending = {}) const {
        std::string text = fmt::format("instrument server {}: {}: {}", options.address,
                                       CodeText(status.error_code()), status.error_message());
        if (status.error_code() == grpc::StatusCode::DEADLINE_EXCEEDED)
            text += fmt::format(" (no answer within {} s)", seconds);
        if (!ending.empty()) text += fmt::format(" (the session's stream: {})", ending);
        throw host::Error(kErrRemoteCall, text);
    }
};

namespace {

class RemoteServer final : public host::InstrumentServer {
  public:
    explicit RemoteServer(std::shared_ptr<RemoteInstrumentFactory::Channel> channel)
        : channel_(std::move(channel)), watch_(new SessionWatch(*channel_->pump)) {}

    void Open() {
        const auto& o = channel_->options;
        watch_->Start(*channel_->stub, o.client.empty() ? DefaultClient() : o.client);
        session_ = watch_->WaitOpened(o.connectSeconds);
        if (session_.empty()) {
            watch_->Stop();
            const std::string ending = watch_->Ending();
            throw host::Error(
                kErrRemoteCall,
                fmt::format("instrument server {}: {}", o.address,
                            ending == "no answer"
                                ? fmt::format("no session within {} s", o.connectSeconds)
                                : ending));
        }
    }

    ~RemoteServer() override {
        if (!session_.empty()) {
            // Ends the session at once rather than when the stream's end is noticed.
            v1::SessionRef ref;
            ref.set_session(session_);
            v1::CloseSessionReply reply;
            grpc::ClientContext context;
            context.set_deadline(After(std::min(channel_->options.callSeconds, 1.0)));
            StreamPump::Call call(*channel_->pump);
            (void)channel_->stub->CloseSession(&context, ref, &reply);
        }
        if (!watch_->Stop()) (void)watch_.release();  // gRPC still holds it
    }

    void GetErrorList(host::DataPacket& p) override { PacketCall(&Stub::GetErrorList, p); }
    // Constant for a session's life: asked once (the proxy asks before every
    // asynchronous command).
    std::string BusyReply() override {
        if (!busy_) busy_ = Text(&Stub::BusyReply);
        return *busy_;
    }
    std::string EODReply() override {
        if (!eod_) eod_ = Text(&Stub::EODReply);
        return *eod_;
    }
    bool IsSimulation() override { return Flag(&Stub::IsSimulation); }
    void SetInstInfo(host::DataPacket& p) override { PacketCall(&Stub::SetInstInfo, p); }
    void Reset() override {
        v1::EmptyReply reply;
        Invoke(&Stub::Reset, Ref(), reply);
    }
    void GetSetupDesc(host::DataPacket& p) override { PacketCall(&Stub::GetSetupDesc, p); }
    void GetCurrSetup(host::DataPacket& p) override { PacketCall(&Stub::GetCurrSetup, p); }
    void GetInstInfo(host::DataPacket& p) override { PacketCall(&Stub::GetInstInfo, p); }
    void SetCalibration(host::DataPacket& p) override { PacketCall(&Stub::SetCalibration, p); }
    bool IsLocked() override { return Flag(&Stub::IsLocked); }
    void GetStatus(std::int32_t& status, double& intensity, double& temperature) override {
        v1::StatusReply reply;
        Invoke(&Stub::GetStatus, Ref(), reply);
        status = reply.status();
        intensity = reply.intensity();
        temperature = reply.temperature();
    }
    std::string Lock(bool lock) override {
        v1::LockRequest request;
        request.set_session(session_);
        request.set_lock(lock);
        v1::TextReply reply;
        Invoke(&Stub::Lock, request, reply);
        return reply.reply();
    }
    void EmergencyStop() override {
        v1::EmptyReply reply;
        Invoke(&Stub::EmergencyStop, Ref(), reply);
    }
    std::string ExecSynch(const std::string& command, std::string& answer) override {
        v1::CommandReply reply;
        Invoke(&Stub::ExecSynch, Command(command), reply, channel_->options.synchSeconds);
        answer = reply.answer();
        return reply.reply();
    }
    std::string StartAsynch(const std::string& command) override {
        v1::TextReply reply;
        Invoke(&Stub::StartAsynch, Command(command), reply);
        return reply.reply();
    }
    std::string PollAsynch(std::string& answer) override {
        v1::CommandReply reply;
        Invoke(&Stub::PollAsynch, Ref(), reply);
        answer = reply.answer();
        return reply.reply();
    }

  private:
    v1::SessionRef Ref() const {
        v1::SessionRef ref;
        ref.set_session(session_);
        return ref;
    }
    v1::CommandRequest Command(const std::string& command) const {
        v1::CommandRequest request;
        request.set_session(session_);
        request.set_command(command);
        return request;
    }

    template <class Request, class Reply>
    using Method = grpc::Status (Stub::*)(grpc::ClientContext*, const Request&, Reply*);

    // The call's own failure raises host::Error (kErrRemoteCall); the
    // instrument's, carried in the reply, its number and text.
    template <class Request, class Reply>
    void Invoke(Method<Request, Reply> method, const Request& request, Reply& reply,
                double seconds = 0.0, qnserver::Packet* packet = nullptr) {
        if (seconds <= 0.0) seconds = channel_->options.callSeconds;
        grpc::ClientContext context;
        context.set_deadline(After(seconds));
        grpc::Status status;
        {
            StreamPump::Call call(*channel_->pump);
            status = ((*channel_->stub).*method)(&context, request, &reply);
        }
        if (!status.ok()) {
            std::string ending;
            if (status.error_code() == grpc::StatusCode::NOT_FOUND) ending = watch_->Ending(true);
            channel_->Fail(status, seconds, ending);
        }
        if constexpr (std::is_same_v<Reply, v1::PacketReply>) {
            try {
                FromWire(reply.packet(), *packet);
            } catch (const host::Error& e) {
                throw host::Error(kErrRemoteCall,
                                  fmt::format("instrument server {}: a malformed packet came "
                                              "back: {}",
                                              channel_->options.address, e.Text()));
            }
        }
        if (reply.has_failure())
            throw host::Error(reply.failure().number(), reply.failure().text());
    }
    std::string Text(Method<v1::SessionRef, v1::TextReply> method) {
        v1::TextReply reply;
        Invoke(method, Ref(), reply);
        return reply.reply();
    }
    bool Flag(Method<v1::SessionRef, v1::FlagReply> method) {
        v1::FlagReply reply;
        Invoke(method, Ref(), reply);
        return reply.value();
    }
    void PacketCall(Method<v1::PacketCall, v1::PacketReply> method, host::DataPacket& p) {
        auto* packet = dynamic_cast<qnserver::Packet*>(&p);
        if (packet == nullptr)
            throw host::Error(kErrRemoteSetup,
                              "the data packet was not made by the instrument server's factory");
        v1::PacketCall request;
        request.set_session(session_);
        ToWire(*packet, *request.mutable_packet());
        v1::PacketReply reply;
        Invoke(method, request, reply, 0.0, packet);
    }

    std::shared_ptr<RemoteInstrumentFactory::Channel> channel_;
    std::unique_ptr<SessionWatch> watch_;
    std::string session_;
    std::optional<std::string> busy_, eod_;
};

std::shared_ptr<grpc::ChannelCredentials> Credentials(const ClientOptions& o) {
    if (!o.Tls()) return grpc::InsecureChannelCredentials();
    if (o.certFile.empty() != o.keyFile.empty())
        throw host::Error(kErrRemoteSetup,
                          "a client certificate needs its key, and a key its "
                          "certificate");
    grpc::SslCredentialsOptions ssl;
    if (!o.caFile.empty()) ssl.pem_root_certs = ReadPem(o.caFile, "certificate authority");
    if (!o.certFile.empty()) {
        ssl.pem_private_key = ReadPem(o.keyFile, "TLS key");
        ssl.pem_cert_chain = ReadPem(o.certFile, "TLS certificate");
    }
    return grpc::SslCredentials(ssl);
}

}  // namespace

RemoteInstrumentFactory::RemoteInstrumentFactory(ClientOptions options)
    : channel_(std::make_shared<Channel>()) {
    auto& c = *channel_;
    c.options = std::move(options);
    const remote::Address address = ParseAddress(c.options.address);
    for (double s : {c.options.connectSeconds, c.options.callSeconds, c.options.synchSeconds}) {
        if (!std::isfinite(s) || s <= 0.0)
            throw host::Error(kErrRemoteSetup,
                              fmt::format("a deadline of {} s is not possible", s));
    }
    grpc::ChannelArguments args;
    // Keepalive pings find a server that is gone while a long command runs;
    // the server takes pings every 500 ms at most.
    args.SetInt(GRPC_ARG_KEEPALIVE_TIME_MS, 2000);
    args.SetInt(GRPC_ARG_KEEPALIVE_TIMEOUT_MS, 2000);
    args.SetInt(GRPC_ARG_KEEPALIVE_PERMIT_WITHOUT_CALLS, 1);
    args.SetInt(GRPC_ARG_HTTP2_MAX_PINGS_WITHOUT_DATA, 0);
    c.channel = grpc::CreateCustomChannel(address.text, Credentials(c.options), args);
    c.stub = v1::InstrumentServer::NewStub(c.channel);
}

RemoteInstrumentFactory::~RemoteInstrumentFactory() = default;

std::shared_ptr<host::InstrumentServer> RemoteInstrumentFactory::CreateServer() {
    auto server = std::make_shared<RemoteServer>(channel_);
    server->Open();
    return server;
}

std::shared_ptr<host::DataPacket> RemoteInstrumentFactory::CreatePacket() {
    return std::make_shared<qnserver::Packet>();
}

const std::string& RemoteInstrumentFactory::Address() const {
    return channel_->options.address;
}

}  // namespace remote
