#include "platform/remote/serial_instruments.h"

#include <chrono>
#include <cmath>
#include <thread>

#include <fmt/format.h>

#include "host/error.h"
#include "platform/qnserver/client.h"
#include "platform/remote/errors.h"
#include "platform/remote/instrument_service.h"

namespace remote {

struct SerialInstruments::Monitor final : host::Clock {
    using SteadyClock = std::chrono::steady_clock;
    explicit Monitor(double s) : speed(s), start(SteadyClock::now()) {}

    double Now() const override {
        return std::chrono::duration<double>(SteadyClock::now() - start).count() * speed;
    }
    void Sleep(double seconds) override {
        if (!std::isfinite(seconds) || seconds < 0.0)
            throw host::Error(kErrRemoteSetup, fmt::format("cannot sleep for {} seconds", seconds));
        const auto until = SteadyClock::now() + std::chrono::duration_cast<SteadyClock::duration>(
                                                    std::chrono::duration<double>(seconds / speed));
        if (holder != std::this_thread::get_id()) {  // outside a call: nobody to let in
            std::this_thread::sleep_until(until);
            return;
        }
        // Inside a call this thread holds the lock: the wait lets it go.
        std::unique_lock<std::mutex> held(lock, std::adopt_lock);
        const std::uint64_t seen = wakes;
        woken.wait_until(held, until, [&] { return wakes != seen; });
        holder = std::this_thread::get_id();
        held.release();
    }
    // Ends every sleep; called with the lock held.
    void Wake() {
        ++wakes;
        woken.notify_all();
    }

    const double speed;
    const SteadyClock::time_point start;
    std::mutex lock;
    std::thread::id holder;  // the thread in a call, while one is
    std::condition_variable woken;
    std::uint64_t wakes = 0;
};

namespace {

using Monitor = SerialInstruments::Monitor;

class SerialServer final : public host::InstrumentServer, public ClientEnd {
  public:
    SerialServer(std::shared_ptr<Monitor> monitor, std::shared_ptr<host::InstrumentServer> inner)
        : monitor_(std::move(monitor)), inner_(std::move(inner)) {}
    ~SerialServer() override {
        std::lock_guard<std::mutex> held(monitor_->lock);
        inner_.reset();
        monitor_->Wake();
    }

    void GetErrorList(host::DataPacket& p) override {
        Serial([&] { inner_->GetErrorList(p); });
    }
    std::string BusyReply() override {
        return Serial([&] { return inner_->BusyReply(); });
    }
    std::string EODReply() override {
        return Serial([&] { return inner_->EODReply(); });
    }
    bool IsSimulation() override {
        return Serial([&] { return inner_->IsSimulation(); });
    }
    void SetInstInfo(host::DataPacket& p) override {
        Serial([&] { inner_->SetInstInfo(p); });
    }
    void Reset() override {
        Serial([&] { inner_->Reset(); }, true);
    }
    void GetSetupDesc(host::DataPacket& p) override {
        Serial([&] { inner_->GetSetupDesc(p); });
    }
    void GetCurrSetup(host::DataPacket& p) override {
        Serial([&] { inner_->GetCurrSetup(p); });
    }
    void GetInstInfo(host::DataPacket& p) override {
        Serial([&] { inner_->GetInstInfo(p); });
    }
    void SetCalibration(host::DataPacket& p) override {
        Serial([&] { inner_->SetCalibration(p); });
    }
    bool IsLocked() override {
        return Serial([&] { return inner_->IsLocked(); });
    }
    void GetStatus(std::int32_t& s, double& i, double& t) override {
        Serial([&] { inner_->GetStatus(s, i, t); });
    }
    std::string Lock(bool lock) override {
        return Serial([&] { return inner_->Lock(lock); });
    }
    void EmergencyStop() override {
        Serial([&] { inner_->EmergencyStop(); }, true);
    }
    std::string ExecSynch(const std::string& command, std::string& answer) override {
        return Serial([&] { return inner_->ExecSynch(command, answer); });
    }
    std::string StartAsynch(const std::string& command) override {
        return Serial([&] { return inner_->StartAsynch(command); });
    }
    std::string PollAsynch(std::string& answer) override {
        return Serial([&] { return inner_->PollAsynch(answer); });
    }
    void EndClient() noexcept override {
        try {
            Serial(
                [&] {
                    if (auto* end = dynamic_cast<ClientEnd*>(inner_.get())) {
                        end->EndClient();
                    } else if (auto* client = dynamic_cast<qnserver::Client*>(inner_.get())) {
                        client->Disconnect();
                    }
                    ended_ = true;
                },
                true);
        } catch (...) {  // ended already; else the client ends when the object goes
        }
    }

  private:
    // A call that may stop commands wakes the sleepers, whether it returned or
    // raised. After EndClient every call raises: one that was on its way when
    // the session ended must not start anything on the instrument.
    template <class F>
    auto Serial(F&& call, bool stops = false) -> decltype(call()) {
        std::lock_guard<std::mutex> held(monitor_->lock);
        if (ended_) throw host::Error(kErrRemoteCall, "the session of this client has ended");
        struct Leave {
            Monitor& monitor;
            bool wake;
            ~Leave() {
                monitor.holder = {};
                if (wake) monitor.Wake();
            }
        } leave{*monitor_, stops};
        monitor_->holder = std::this_thread::get_id();
        return call();
    }

    std::shared_ptr<Monitor> monitor_;
    std::shared_ptr<host::InstrumentServer> inner_;
    bool ended_ = false;  // under the monitor's lock
};

}  // namespace

SerialInstruments::SerialInstruments(double speed) {
    if (!std::isfinite(speed) || speed <= 0.0)
        throw host::Error(kErrRemoteSetup,
                          fmt::format("a speed of {} is not possible: it must be above 0", speed));
    monitor_ = std::make_shared<Monitor>(speed);
}

SerialInstruments::~SerialInstruments() = default;

host::Clock& SerialInstruments::Clock() {
    return *monitor_;
}

std::shared_ptr<host::InstrumentServer> SerialInstruments::CreateServer() {
    if (inner_ == nullptr) throw host::Error(kErrRemoteSetup, "no instrument is served yet");
    std::shared_ptr<host::InstrumentServer> inner;
    {
        std::lock_guard<std::mutex> held(monitor_->lock);
        inner = inner_->CreateServer();
    }
    return std::make_shared<SerialServer>(monitor_, std::move(inner));
}

std::shared_ptr<host::DataPacket> SerialInstruments::CreatePacket() {
    if (inner_ == nullptr) throw host::Error(kErrRemoteSetup, "no instrument is served yet");
    std::lock_guard<std::mutex> held(monitor_->lock);
    return inner_->CreatePacket();
}

}  // namespace remote
