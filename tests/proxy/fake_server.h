#pragma once
// A recording instrument server: it logs every call with its command text and
// answers from a script, so a test can assert on the exact exchange.
#include <array>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/error.h"
#include "host/instrument_server.h"
#include "platform/qnserver/data_packet.h"
#include "platform/qnserver/document_packets.h"

namespace proxytest {

inline constexpr host::Status kServerFailure = 4242;

struct Scripted {
    std::string reply;
    std::string answer;
};

class FakeServer : public host::InstrumentServer {
  public:
    std::vector<std::string> calls;
    std::map<std::string, Scripted> synch;  // by command; others answer "" with no answer
    std::deque<std::string> startReplies;   // "" when used up
    std::deque<Scripted> polls;             // a final "" when used up
    std::deque<std::int32_t> statuses{2};   // the last one repeats
    std::string busy = "Busy:running";
    std::string eod = "EOD:no more data";
    std::string lockReply;
    bool simulation = true;
    std::set<std::string> failing;  // names of the calls that raise
    std::vector<std::array<std::string, 3>> errorList;
    std::int32_t errorCount = -1;  // the count written; the list's size when negative
    std::vector<host::ParamDef> setupDesc;
    std::vector<std::pair<host::ParamDef, host::Variant>> instInfo;
    std::vector<std::pair<host::Variant, std::int32_t>> currSetup;
    std::vector<std::size_t> receivedPacketSizes;

    void GetErrorList(host::DataPacket& packet) override {
        Call("GetErrorList");
        packet.WriteCount(errorCount >= 0 ? errorCount
                                          : static_cast<std::int32_t>(errorList.size()));
        for (const auto& [source, key, message] : errorList) {
            packet.WriteString(source);
            packet.WriteString(key);
            packet.WriteString(message);
            packet.WriteLong(0);
        }
    }
    std::string BusyReply() override { return Call("BusyReply"), busy; }
    std::string EODReply() override { return Call("EODReply"), eod; }
    bool IsSimulation() override { return Call("IsSimulation"), simulation; }
    void SetInstInfo(host::DataPacket& packet) override { Received("SetInstInfo", packet); }
    void Reset() override { Call("Reset"); }
    void GetSetupDesc(host::DataPacket& packet) override {
        Call("GetSetupDesc");
        qnserver::WriteParamDefList(packet, setupDesc);
    }
    void GetCurrSetup(host::DataPacket& packet) override {
        Call("GetCurrSetup");
        for (const auto& [v, type] : currSetup) packet.WriteValue(v, type);
    }
    void GetInstInfo(host::DataPacket& packet) override {
        Call("GetInstInfo");
        qnserver::WriteParamSet(packet, instInfo);
    }
    void SetCalibration(host::DataPacket& packet) override { Received("SetCalibration", packet); }
    bool IsLocked() override { return Call("IsLocked"), locked; }
    void GetStatus(std::int32_t& status, double& intensity, double& temperature) override {
        Call("GetStatus");
        status = statuses.front();
        if (statuses.size() > 1) statuses.pop_front();
        intensity = 1.0;
        temperature = 25.0;
    }
    std::string Lock(bool lock) override {
        Call(lock ? "Lock 1" : "Lock 0");
        locked = lock;
        return lockReply;
    }
    void EmergencyStop() override { Call("EmergencyStop"); }
    std::string ExecSynch(const std::string& command, std::string& answer) override {
        Call("ExecSynch " + command);
        auto it = synch.find(command);
        answer = it == synch.end() ? "" : it->second.answer;
        return it == synch.end() ? "" : it->second.reply;
    }
    std::string StartAsynch(const std::string& command) override {
        Call("StartAsynch " + command);
        return Next(startReplies);
    }
    std::string PollAsynch(std::string& answer) override {
        Call("PollAsynch");
        if (polls.empty()) return answer = "", "";
        Scripted s = polls.front();
        polls.pop_front();
        answer = s.answer;
        return s.reply;
    }

    // The calls whose names start with prefix, in order.
    std::vector<std::string> CallsStartingWith(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& c : calls)
            if (c.rfind(prefix, 0) == 0) out.push_back(c);
        return out;
    }
    // The commands sent with ExecSynch or StartAsynch, in order.
    std::vector<std::string> Commands() const {
        std::vector<std::string> out;
        for (const auto& c : calls) {
            if (c.rfind("ExecSynch ", 0) == 0) out.push_back(c.substr(10));
            if (c.rfind("StartAsynch ", 0) == 0) out.push_back(c.substr(12));
        }
        return out;
    }

    bool locked = false;

  private:
    void Call(const std::string& name) {
        calls.push_back(name);
        std::string word = name.substr(0, name.find(' '));
        if (failing.count(word) || failing.count(name))
            throw host::Error(kServerFailure, name + " failed");
    }
    void Received(const char* name, host::DataPacket& packet) {
        Call(name);
        receivedPacketSizes.push_back(static_cast<qnserver::Packet&>(packet).Size());
    }
    static std::string Next(std::deque<std::string>& q) {
        if (q.empty()) return "";
        std::string s = q.front();
        q.pop_front();
        return s;
    }
};

class FakeFactory : public host::InstrumentServerFactory {
  public:
    explicit FakeFactory(std::shared_ptr<FakeServer> s) : server(std::move(s)) {}
    std::shared_ptr<host::InstrumentServer> CreateServer() override {
        if (unreachable) throw host::Error(kServerFailure, "no server program");
        return server;
    }
    std::shared_ptr<host::DataPacket> CreatePacket() override {
        return std::make_shared<qnserver::Packet>();
    }

    std::shared_ptr<FakeServer> server;
    bool unreachable = false;
};

}  // namespace proxytest
