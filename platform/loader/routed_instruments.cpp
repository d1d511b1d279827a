#include "platform/loader/routed_instruments.h"

#include <string>

namespace loader {
namespace {

class RoutedServer final : public host::InstrumentServer {
  public:
    RoutedServer(std::shared_ptr<host::InstrumentServer> inner, CallRunner runner)
        : inner_(std::move(inner)), runner_(std::move(runner)) {}
    // Releasing a remote server ends its session, a call of its own.
    ~RoutedServer() override {
        try {
            runner_([this] { inner_.reset(); });
        } catch (...) {
            inner_.reset();
        }
    }

    void GetErrorList(host::DataPacket& p) override {
        Run([&] { inner_->GetErrorList(p); });
    }
    std::string BusyReply() override {
        return Run([&] { return inner_->BusyReply(); });
    }
    std::string EODReply() override {
        return Run([&] { return inner_->EODReply(); });
    }
    bool IsSimulation() override {
        return Run([&] { return inner_->IsSimulation(); });
    }
    void SetInstInfo(host::DataPacket& p) override {
        Run([&] { inner_->SetInstInfo(p); });
    }
    void Reset() override {
        Run([&] { inner_->Reset(); });
    }
    void GetSetupDesc(host::DataPacket& p) override {
        Run([&] { inner_->GetSetupDesc(p); });
    }
    void GetCurrSetup(host::DataPacket& p) override {
        Run([&] { inner_->GetCurrSetup(p); });
    }
    void GetInstInfo(host::DataPacket& p) override {
        Run([&] { inner_->GetInstInfo(p); });
    }
    void SetCalibration(host::DataPacket& p) override {
        Run([&] { inner_->SetCalibration(p); });
    }
    bool IsLocked() override {
        return Run([&] { return inner_->IsLocked(); });
    }
    void GetStatus(std::int32_t& s, double& i, double& t) override {
        Run([&] { inner_->GetStatus(s, i, t); });
    }
    std::string Lock(bool lock) override {
        return Run([&] { return inner_->Lock(lock); });
    }
    void EmergencyStop() override {
        Run([&] { inner_->EmergencyStop(); });
    }
    std::string ExecSynch(const std::string& command, std::string& answer) override {
        return Run([&] { return inner_->ExecSynch(command, answer); });
    }
    std::string StartAsynch(const std::string& command) override {
        return Run([&] { return inner_->StartAsynch(command); });
    }
    std::string PollAsynch(std::string& answer) override {
        return Run([&] { return inner_->PollAsynch(answer); });
    }

  private:
    template <class F>
    auto Run(F&& call) -> decltype(call()) {
        if constexpr (std::is_void_v<decltype(call())>) {
            runner_(call);
        } else {
            decltype(call()) result{};
            runner_([&] { result = call(); });
            return result;
        }
    }

    std::shared_ptr<host::InstrumentServer> inner_;
    CallRunner runner_;
};

}  // namespace

std::shared_ptr<host::InstrumentServer> RoutedInstruments::CreateServer() {
    std::shared_ptr<host::InstrumentServer> inner;
    runner_([&] { inner = inner_.CreateServer(); });
    return std::make_shared<RoutedServer>(std::move(inner), runner_);
}

}  // namespace loader
