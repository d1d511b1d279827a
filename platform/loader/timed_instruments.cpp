#include "platform/loader/timed_instruments.h"

namespace loader {
namespace {

class TimedServer final : public host::InstrumentServer {
  public:
    TimedServer(std::shared_ptr<host::InstrumentServer> inner, host::Clock& clock,
                ServerCallObserver observer)
        : inner_(std::move(inner)), clock_(clock), observer_(std::move(observer)) {}

    void GetErrorList(host::DataPacket& p) override {
        Timed("GetErrorList", {}, [&] { inner_->GetErrorList(p); });
    }
    std::string BusyReply() override {
        return Timed("BusyReply", {}, [&] { return inner_->BusyReply(); });
    }
    std::string EODReply() override {
        return Timed("EODReply", {}, [&] { return inner_->EODReply(); });
    }
    bool IsSimulation() override {
        return Timed("IsSimulation", {}, [&] { return inner_->IsSimulation(); });
    }
    void SetInstInfo(host::DataPacket& p) override {
        Timed("SetInstInfo", {}, [&] { inner_->SetInstInfo(p); });
    }
    void Reset() override {
        Timed("Reset", {}, [&] { inner_->Reset(); });
    }
    void GetSetupDesc(host::DataPacket& p) override {
        Timed("GetSetupDesc", {}, [&] { inner_->GetSetupDesc(p); });
    }
    void GetCurrSetup(host::DataPacket& p) override {
        Timed("GetCurrSetup", {}, [&] { inner_->GetCurrSetup(p); });
    }
    void GetInstInfo(host::DataPacket& p) override {
        Timed("GetInstInfo", {}, [&] { inner_->GetInstInfo(p); });
    }
    void SetCalibration(host::DataPacket& p) override {
        Timed("SetCalibration", {}, [&] { inner_->SetCalibration(p); });
    }
    bool IsLocked() override {
        return Timed("IsLocked", {}, [&] { return inner_->IsLocked(); });
    }
    void GetStatus(std::int32_t& status, double& intensity, double& temperature) override {
        Timed("GetStatus", {}, [&] { inner_->GetStatus(status, intensity, temperature); });
    }
    std::string Lock(bool lock) override {
        return Timed("Lock", {}, [&] { return inner_->Lock(lock); });
    }
    void EmergencyStop() override {
        Timed("EmergencyStop", {}, [&] { inner_->EmergencyStop(); });
    }
    std::string ExecSynch(const std::string& command, std::string& answer) override {
        return Timed("ExecSynch", command, [&] { return inner_->ExecSynch(command, answer); });
    }
    std::string StartAsynch(const std::string& command) override {
        return Timed("StartAsynch", command, [&] { return inner_->StartAsynch(command); });
    }
    std::string PollAsynch(std::string& answer) override {
        return Timed("PollAsynch", {}, [&] { return inner_->PollAsynch(answer); });
    }

  private:
    // The observer hears of the call whether it returned or raised; what the
    // observer raises is dropped, so timing never changes what the call did.
    template <class F>
    auto Timed(const char* call, const std::string& command, F&& f) -> decltype(f()) {
        struct Told {
            TimedServer& self;
            const char* call;
            const std::string& command;
            double start;
            ~Told() {
                if (!self.observer_) return;
                try {
                    self.observer_({call, command, self.clock_.Now() - start});
                } catch (...) {
                }
            }
        } told{*this, call, command, clock_.Now()};
        return f();
    }

    std::shared_ptr<host::InstrumentServer> inner_;
    host::Clock& clock_;
    ServerCallObserver observer_;
};

}  // namespace

TimedInstruments::TimedInstruments(host::InstrumentServerFactory& inner, host::Clock& clock,
                                   ServerCallObserver observer)
    : WrappingFactory(inner, [&clock, observer = std::move(observer)](
                                 std::shared_ptr<host::InstrumentServer> server) {
          return std::make_shared<TimedServer>(std::move(server), clock, observer);
      }) {}

}  // namespace loader
