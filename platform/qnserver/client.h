#pragma once
// One client of the simulated instrument: what the host's creatable class
// hands out. Every client talks to the same Instrument; destroying a client
// releases its lock and drops its running command, as a closed connection would.
#include <memory>

#include "host/instrument_server.h"
#include "platform/qnserver/instrument.h"

namespace qnserver {

class Client final : public host::InstrumentServer {
  public:
    explicit Client(std::shared_ptr<Instrument> instrument);
    ~Client() override;
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    Instrument::ClientId Id() const { return id_; }
    // Ends this client now, as destroying it does: for a server program whose
    // client has gone while one of its calls may still be under way.
    void Disconnect() noexcept { instrument_->Disconnect(id_); }

    void GetErrorList(host::DataPacket& packet) override { instrument_->WriteErrorList(packet); }
    std::string BusyReply() override { return Instrument::BusyReply(); }
    std::string EODReply() override { return Instrument::EODReply(); }
    bool IsSimulation() override { return true; }
    void SetInstInfo(host::DataPacket& packet) override { instrument_->TakeInstInfo(packet); }
    void Reset() override { instrument_->Reset(id_); }
    void GetSetupDesc(host::DataPacket& packet) override { instrument_->WriteSetupDesc(packet); }
    void GetCurrSetup(host::DataPacket& packet) override { instrument_->WriteCurrSetup(packet); }
    void GetInstInfo(host::DataPacket& packet) override { instrument_->WriteInstInfo(packet); }
    void SetCalibration(host::DataPacket& packet) override { instrument_->TakeCalibration(packet); }
    bool IsLocked() override { return instrument_->IsLocked(); }
    void GetStatus(std::int32_t& status, double& intensity, double& temperature) override {
        instrument_->GetStatus(status, intensity, temperature);
    }
    std::string Lock(bool lock) override { return instrument_->Lock(id_, lock); }
    void EmergencyStop() override { instrument_->EmergencyStop(id_); }
    std::string ExecSynch(const std::string& command, std::string& answer) override {
        return instrument_->ExecSynch(id_, command, answer);
    }
    std::string StartAsynch(const std::string& command) override {
        return instrument_->StartAsynch(id_, command);
    }
    std::string PollAsynch(std::string& answer) override {
        return instrument_->PollAsynch(id_, answer);
    }

  private:
    std::shared_ptr<Instrument> instrument_;
    Instrument::ClientId id_;
};

}  // namespace qnserver
