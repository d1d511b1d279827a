// The proxy turning an instrument server's reply text into a status.
//
// Input: the reply text, as the server answers a lock, an end-of-data query
// and a command.
//
// Checked: only the empty reply is success; one reply gives one status
// whichever operation received it; the error key decides the status, ignoring
// its case and whatever message follows; a failed command is reported.
#include <memory>
#include <string>

#include "fuzz/base_host.h"
#include "fuzz/fuzz_support.h"
#include "host/instrument_server.h"
#include "proxy/corve_proxy.h"

namespace {

using fuzz::Expect;

// Answers every exchange with the same reply; the proxy needs nothing else here.
class ReplyServer : public host::InstrumentServer {
  public:
    explicit ReplyServer(std::string reply) : reply_(std::move(reply)) {}
    void SetReply(std::string reply) { reply_ = std::move(reply); }

    void GetErrorList(host::DataPacket&) override { Unused(); }
    std::string BusyReply() override { return "Busy:Command is running"; }
    std::string EODReply() override { return reply_; }
    bool IsSimulation() override { return false; }
    void SetInstInfo(host::DataPacket&) override { Unused(); }
    void Reset() override {}
    void GetSetupDesc(host::DataPacket&) override { Unused(); }
    void GetCurrSetup(host::DataPacket&) override { Unused(); }
    void GetInstInfo(host::DataPacket&) override { Unused(); }
    void SetCalibration(host::DataPacket&) override { Unused(); }
    bool IsLocked() override { return false; }
    void GetStatus(std::int32_t& status, double& intensity, double& temperature) override {
        status = 2;
        intensity = temperature = 0.0;
    }
    std::string Lock(bool) override { return reply_; }
    void EmergencyStop() override {}
    std::string ExecSynch(const std::string&, std::string&) override { return reply_; }
    std::string StartAsynch(const std::string&) override { return reply_; }
    std::string PollAsynch(std::string&) override { return reply_; }

  private:
    [[noreturn]] static void Unused() {
        throw host::Error(host::kErrUnexpected, "not part of a reply exchange");
    }
    std::string reply_;
};

class ReplyFactory : public host::InstrumentServerFactory {
  public:
    explicit ReplyFactory(std::shared_ptr<ReplyServer> server) : server_(std::move(server)) {}
    std::shared_ptr<host::InstrumentServer> CreateServer() override { return server_; }
    std::shared_ptr<host::DataPacket> CreatePacket() override {
        throw host::Error(host::kErrUnexpected, "no packets in a reply exchange");
    }

  private:
    std::shared_ptr<ReplyServer> server_;
};

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::Run([&] {
        fuzz::HostScope scope;
        const std::string reply(reinterpret_cast<const char*>(data), size);
        auto server = std::make_shared<ReplyServer>(reply);
        ReplyFactory factory(server);
        scope.Host().SetInstruments(&factory);
        proxy::CORVEProxy proxy;

        const host::Status lockStatus = proxy.SetLock(true);
        Expect((lockStatus == 0) == reply.empty(),
               reply.empty() ? "the empty reply is a failure" : "an error reply is success");
        Expect(proxy.ErrCodeEOD() == lockStatus, "one reply gives two statuses");

        std::string answer;
        const host::Status commandStatus = proxy.ExecCommandSynch("Get Int", answer);
        Expect((commandStatus == 0) == reply.empty(), "a command's reply status is wrong");
        const auto failed = scope.Host().Errors().FailedCommands();
        Expect(reply.empty() == failed.empty(), "a failed command is not reported, or vice versa");

        const auto colon = reply.find(':');
        if (reply.empty()) return;
        const std::string key = reply.substr(0, colon);
        server->SetReply(Upper(key) + ":another message");
        Expect(proxy.SetLock(true) == lockStatus, "the key's case or message changes the status");
    });
}
