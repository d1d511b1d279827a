#pragma once
// Pieces for hosts and tests that stand between the module and the instrument
// server: a server that passes every call to another one (a subclass changes
// only the calls it cares about), and a factory whose servers are another
// factory's, each wrapped on creation.
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "host/instrument_server.h"

namespace loader {

class ForwardingServer : public host::InstrumentServer {
  public:
    explicit ForwardingServer(std::shared_ptr<host::InstrumentServer> inner)
        : inner_(std::move(inner)) {}

    void GetErrorList(host::DataPacket& p) override { inner_->GetErrorList(p); }
    std::string BusyReply() override { return inner_->BusyReply(); }
    std::string EODReply() override { return inner_->EODReply(); }
    bool IsSimulation() override { return inner_->IsSimulation(); }
    void SetInstInfo(host::DataPacket& p) override { inner_->SetInstInfo(p); }
    void Reset() override { inner_->Reset(); }
    void GetSetupDesc(host::DataPacket& p) override { inner_->GetSetupDesc(p); }
    void GetCurrSetup(host::DataPacket& p) override { inner_->GetCurrSetup(p); }
    void GetInstInfo(host::DataPacket& p) override { inner_->GetInstInfo(p); }
    void SetCalibration(host::DataPacket& p) override { inner_->SetCalibration(p); }
    bool IsLocked() override { return inner_->IsLocked(); }
    void GetStatus(std::int32_t& s, double& i, double& t) override { inner_->GetStatus(s, i, t); }
    std::string Lock(bool lock) override { return inner_->Lock(lock); }
    void EmergencyStop() override { inner_->EmergencyStop(); }
    std::string ExecSynch(const std::string& command, std::string& answer) override {
        return inner_->ExecSynch(command, answer);
    }
    std::string StartAsynch(const std::string& command) override {
        return inner_->StartAsynch(command);
    }
    std::string PollAsynch(std::string& answer) override { return inner_->PollAsynch(answer); }

  protected:
    host::InstrumentServer& Inner() { return *inner_; }

  private:
    std::shared_ptr<host::InstrumentServer> inner_;
};

class WrappingFactory : public host::InstrumentServerFactory {
  public:
    using Wrap = std::function<std::shared_ptr<host::InstrumentServer>(
        std::shared_ptr<host::InstrumentServer>)>;
    // inner must outlive this factory.
    WrappingFactory(host::InstrumentServerFactory& inner, Wrap wrap)
        : inner_(inner), wrap_(std::move(wrap)) {}
    std::shared_ptr<host::InstrumentServer> CreateServer() override {
        return wrap_(inner_.CreateServer());
    }
    std::shared_ptr<host::DataPacket> CreatePacket() override { return inner_.CreatePacket(); }

  private:
    host::InstrumentServerFactory& inner_;
    Wrap wrap_;
};

}  // namespace loader
