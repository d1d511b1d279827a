// The protocol as a client in any language meets it: requests that break its
// rules, sessions that are unknown or ended, a second client while the first
// one's synchronous command runs, and a client written in Python.
#include <grpcpp/generic/generic_stub.h>
#include <grpcpp/grpcpp.h>
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "host/error.h"
#include "orve/instrument/v1/instrument_server.grpc.pb.h"
#include "platform/qnserver/instrument.h"
#include "platform/remote/remote_factory.h"
#include "remote_fixture.h"

namespace {

namespace v1 = orve::instrument::v1;

class Protocol : public RemoteTest {
  protected:
    void Connect() {
        channel_ = grpc::CreateChannel(Socket(), grpc::InsecureChannelCredentials());
        stub_ = v1::InstrumentServer::NewStub(channel_);
    }

    // A session held open by its stream, as the protocol asks.
    struct Held {
        grpc::ClientContext context;
        std::unique_ptr<grpc::ClientReader<v1::SessionEvent>> stream;
        std::string id;
        ~Held() {
            context.TryCancel();
            (void)stream->Finish();
        }
    };
    std::unique_ptr<Held> Open(const std::string& client) {
        auto held = std::make_unique<Held>();
        v1::OpenSessionRequest request;
        request.set_client(client);
        held->stream = stub_->OpenSession(&held->context, request);
        v1::SessionEvent event;
        EXPECT_TRUE(held->stream->Read(&event));
        held->id = event.opened().session();
        EXPECT_FALSE(held->id.empty());
        return held;
    }

    grpc::Status Exec(const std::string& session, const std::string& command,
                      v1::CommandReply& reply) {
        v1::CommandRequest request;
        request.set_session(session);
        request.set_command(command);
        grpc::ClientContext context;
        context.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(30));
        return stub_->ExecSynch(&context, request, &reply);
    }
    grpc::Status Close(const std::string& session) {
        v1::SessionRef ref;
        ref.set_session(session);
        v1::CloseSessionReply reply;
        grpc::ClientContext context;
        return stub_->CloseSession(&context, ref, &reply);
    }
    grpc::Status SendPacket(const std::string& session, const v1::DataPacket& packet) {
        v1::PacketCall request;
        request.set_session(session);
        *request.mutable_packet() = packet;
        v1::PacketReply reply;
        grpc::ClientContext context;
        return stub_->SetInstInfo(&context, request, &reply);
    }

    std::shared_ptr<grpc::Channel> channel_;
    std::unique_ptr<v1::InstrumentServer::Stub> stub_;
};

TEST_F(Protocol, BrokenRequestsAndUnknownOrEndedSessionsAreRefusedAndOthersServed) {
    auto& server = StartServer({});
    Connect();
    auto first = Open("first");
    auto other = Open("other");
    v1::CommandReply reply;

    EXPECT_EQ(Exec("0123456789abcdef", "Get Lamp", reply).error_code(),
              grpc::StatusCode::NOT_FOUND);
    EXPECT_EQ(Exec(first->id, std::string(5000, 'x'), reply).error_code(),
              grpc::StatusCode::INVALID_ARGUMENT);
    EXPECT_EQ(Exec(first->id, std::string(2 << 20, 'x'), reply).error_code(),
              grpc::StatusCode::RESOURCE_EXHAUSTED);

    v1::DataPacket packet;
    packet.add_items();  // an item of no kind
    EXPECT_EQ(SendPacket(first->id, packet).error_code(), grpc::StatusCode::INVALID_ARGUMENT);
    packet.Clear();
    auto* value = packet.add_items()->mutable_value();
    value->set_data_type(2);  // a number, holding a text
    value->set_text("1.5");
    EXPECT_EQ(SendPacket(first->id, packet).error_code(), grpc::StatusCode::INVALID_ARGUMENT);
    packet.Clear();
    packet.add_items()->set_count(1);
    packet.set_position(2);  // past its one item
    EXPECT_EQ(SendPacket(first->id, packet).error_code(), grpc::StatusCode::INVALID_ARGUMENT);

    // Bytes that are no message at all.
    grpc::GenericStub generic(channel_);
    grpc::ClientContext context;
    const char garbage[] = "\xff\xff\xff\xff\xff\xff\xff\xff";
    grpc::Slice slice(garbage, sizeof garbage - 1);
    grpc::ByteBuffer request(&slice, 1), response;
    std::promise<grpc::Status> done;
    generic.UnaryCall(&context, "/orve.instrument.v1.InstrumentServer/ExecSynch", {}, &request,
                      &response, [&](grpc::Status s) { done.set_value(s); });
    auto answered = done.get_future();
    ASSERT_EQ(answered.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_FALSE(answered.get().ok());

    ASSERT_TRUE(Close(first->id).ok());
    EXPECT_EQ(Exec(first->id, "Get Lamp", reply).error_code(), grpc::StatusCode::NOT_FOUND);
    EXPECT_EQ(Close(first->id).error_code(), grpc::StatusCode::NOT_FOUND);

    ASSERT_TRUE(Exec(other->id, "Get Lamp", reply).ok());
    EXPECT_EQ(reply.reply(), "");
    EXPECT_FALSE(reply.answer().empty());
    EXPECT_TRUE(server.WaitForOutput("session 1 closed (unix:, first): closed by the client", 10));
}

TEST_F(Protocol, OthersAreAnsweredWhileACommandRunsAndItsSessionsEndStopsIt) {
    // The reading runs until something stops it, however slow the machine.
    StartServer({"--transcript", Path("server.txt"), "--sim-fault", "Get Int=hold"});
    Connect();
    auto first = Open("first");
    v1::LockRequest lock;
    lock.set_session(first->id);
    lock.set_lock(true);
    v1::TextReply locked;
    grpc::ClientContext lockContext;
    ASSERT_TRUE(stub_->Lock(&lockContext, lock, &locked).ok());
    ASSERT_EQ(locked.reply(), "");
    std::atomic<bool> returned{false};
    v1::CommandReply reading;
    std::thread running([&] {
        (void)Exec(first->id, "Get Int", reading);
        returned = true;
    });
    struct Join {
        std::thread& t;
        ~Join() { t.join(); }
    } join{running};
    ASSERT_TRUE(testproc::WaitUntil(
        [&] {
            const auto lines = TextLines(testproc::ReadText(Path("server.txt")));
            return !lines.empty() && lines.back() == "> Get Int";
        },
        30.0));

    // The host's own client, answered while the reading runs.
    remote::ClientOptions options;
    options.address = Socket();
    remote::RemoteInstrumentFactory factory(options);
    auto second = factory.CreateServer();
    std::string answer;
    EXPECT_EQ(second->ExecSynch("Get Lamp", answer).rfind("Locked:", 0), 0u);
    EXPECT_TRUE(second->IsLocked());
    EXPECT_EQ(second->Lock(true).rfind("Locked:", 0), 0u);
    try {
        second->Reset();
        ADD_FAILURE() << "a reset under another client's lock went through";
    } catch (const host::Error& e) {  // the instrument's own failure, as in the process
        EXPECT_EQ(e.Number(), qnserver::kErrServerCall);
        EXPECT_NE(e.Text().find("locked by another client"), std::string::npos) << e.Text();
    }
    EXPECT_FALSE(returned) << "the reading ended before the other client was answered";

    // The first client's session ends: its reading stops and its lock goes.
    ASSERT_TRUE(Close(first->id).ok());
    ASSERT_TRUE(testproc::WaitUntil([&] { return returned.load(); }, 30.0));
    EXPECT_EQ(reading.reply().rfind("Stopped", 0), 0u) << reading.reply();
    EXPECT_EQ(second->Lock(true), "");
    EXPECT_EQ(second->Lock(false), "");
}

// A host that makes no call for a while (a person reading the screen) keeps
// its session and its lock: its client still answers the server's keepalive
// pings (one a second, given up after another) while nothing is asked.
TEST_F(Protocol, AnIdleClientKeepsItsSessionAndLock) {
    auto& server = StartServer({});
    remote::ClientOptions options;
    options.address = Socket();
    remote::RemoteInstrumentFactory factory(options);
    auto idle = factory.CreateServer();
    ASSERT_EQ(idle->Lock(true), "");
    std::this_thread::sleep_for(std::chrono::milliseconds(3500));
    EXPECT_EQ(server.Output().find("closed"), std::string::npos) << server.Output();
    EXPECT_TRUE(idle->IsLocked());
    std::string answer;
    EXPECT_EQ(idle->ExecSynch("Get Lamp", answer), "");
    EXPECT_EQ(idle->Lock(false), "");
}

// Without the lock, the end of a session stops its own command only: an
// emergency stop would end every other session's command too.
TEST_F(Protocol, TheEndOfAnUnlockedSessionLeavesOtherSessionsCommandsRunning) {
    auto& server = StartServer({"--transcript", Path("server.txt"), "--sim-fault", "Get Int=hold"});
    Connect();
    auto first = Open("first");
    auto second = Open("second");
    std::atomic<int> returned{0};
    v1::CommandReply firstReading, secondReading;
    auto read = [&](const std::string& session, v1::CommandReply& reading, int mark) {
        (void)Exec(session, "Get Int", reading);
        returned |= mark;
    };
    std::thread firstRead(read, first->id, std::ref(firstReading), 1);
    struct Join {
        std::thread& t;
        ~Join() {
            if (t.joinable()) t.join();
        }
    } joinFirst{firstRead};
    ASSERT_TRUE(
        testproc::WaitUntil([&] { return LastLineIs(Path("server.txt"), "> Get Int"); }, 30.0));
    std::thread secondRead(read, second->id, std::ref(secondReading), 2);
    Join joinSecond{secondRead};
    ASSERT_TRUE(testproc::WaitUntil(
        [&] { return CountOf(testproc::ReadText(Path("server.txt")), "> Get Int") == 2; }, 30.0));

    ASSERT_TRUE(Close(first->id).ok());
    firstRead.join();
    EXPECT_EQ(firstReading.reply().rfind("Stopped", 0), 0u) << firstReading.reply();
    ASSERT_TRUE(server.WaitForOutput("session 1 closed", 10.0)) << server.Output();
    EXPECT_EQ(returned, 1) << "the other session's reading ended with the first session";
    EXPECT_EQ(testproc::ReadText(Path("server.txt")).find("# EmergencyStop"), std::string::npos);

    ASSERT_TRUE(Close(second->id).ok());
    secondRead.join();
    EXPECT_EQ(secondReading.reply().rfind("Stopped", 0), 0u) << secondReading.reply();
}

TEST_F(Protocol, APythonClientLocksReadsTheLampAndUnlocks) {
    auto& server = StartServer({});
    const std::string python = "/usr/bin/python3";
    ASSERT_TRUE(std::filesystem::exists(python)) << python << ": scripts/bootstrap installs it";
    std::vector<std::string> argv{
        python, std::string(ORVE_SOURCE_DIR) + "/examples/python/get_lamp.py", Socket()};
    // Without the generated modules it says what is missing, not a traceback.
    testproc::Process bare(argv, Path("bare.out"), {"PYTHONPATH=" + Path("none")});
    EXPECT_EQ(bare.Wait(60.0), 1) << bare.Output();
    EXPECT_NE(bare.Output().find("No module named 'orve': it needs"), std::string::npos)
        << bare.Output();
    EXPECT_EQ(bare.Output().find("Traceback"), std::string::npos) << bare.Output();
    testproc::Process client(argv, Path("python.out"),
                             {"PYTHONPATH=" + std::string(ORVE_BINARY_DIR) + "/python"});
    EXPECT_EQ(client.Wait(60.0), 0) << client.Output();
    EXPECT_NE(client.Output().find("Get Lamp: "), std::string::npos) << client.Output();
    const std::string log = server.Output();
    EXPECT_NE(log.find("lock taken by session 1 (unix:, get_lamp.py)"), std::string::npos) << log;
    EXPECT_NE(log.find("lock released by session 1"), std::string::npos) << log;
    EXPECT_NE(log.find("closed by the client"), std::string::npos) << log;
}

}  // namespace
