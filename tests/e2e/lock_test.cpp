// A second host application on the instrument of a running measurement: it
// gets the lock error, and its ExitMeasurement and the release of its proxy
// leave the first host's run exactly as it would have been alone.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host/context.h"
#include "module/class_factory.h"
#include "platform/kvbase/progress.h"
#include "platform/kvdova/documents.h"
#include "platform/loader/host_session.h"
#include "platform/loader/reference_host.h"
#include "platform/qnserver/instrument.h"
#include "platform/qnserver/server_factory.h"
#include "scenario_fixture.h"

namespace {

const std::vector<Position> kWells = {
    {14.38, 11.24, 485, 520}, {23.38, 11.24, 480, 525}, {14.38, 20.24, 490, 515}};

// A host application of its own (services, documents, progress) on another
// host's instrument server: two programs on one instrument. It waits on the
// clock the instrument keeps, as both would in real time.
class SecondHost final : public loader::ReferenceHost {
  public:
    explicit SecondHost(loader::ReferenceHost& first)
        : loader::ReferenceHost(loader::HostOptions{}),
          instrument_(first.Simulator()),
          clock_(first.GetClock()),
          progress_(clock_, silent_, Errors()) {
        progress_.SetVerbose(false);
    }
    host::InstrumentServerFactory& Instruments() override { return instrument_; }
    host::Clock& GetClock() override { return clock_; }
    host::ProgressDisplay& Progress() override { return progress_; }

  private:
    qnserver::ServerFactory& instrument_;
    host::Clock& clock_;
    std::ostringstream silent_;
    kvbase::ConsoleProgress progress_;
};

// The module keeps its host per thread, so each further host runs on a thread
// of its own; the first host waits for it, as the instrument serves one
// request at a time.
void OnOwnThread(const std::function<void()>& body) {
    std::thread thread(body);
    thread.join();
}

// A control on h, configured as a host does before it measures.
std::shared_ptr<host::IUCVIZari> ReadyControl(const std::shared_ptr<loader::ReferenceHost>& h) {
    auto control = module::TheClassFactory().CreateInstance(h);
    auto cfg = kvdova::NewUserConfig();
    host::ParamDef d;
    d.id = "AutoClearResults";
    d.dataType = host::kTypeBoolean;
    cfg->Settings()->Add(d, host::Variant(true));
    EXPECT_EQ(control->SetupModule(cfg, kvdova::NewUserRights({{"CProcess", "Create"}})), 0);
    EXPECT_EQ(control->SetInstrument(1, loader::SimulatedInstrumentInfo(*h)), 0);
    EXPECT_EQ(control->UpdateConfigDisplay(), 0);
    control->ClearMethod();
    return control;
}

struct Intrusion {
    host::Status init = 0;
    host::Status exit = -1;
    host::Status locked = 0;  // the second host's number for the lock error reply
    std::string initText;
    std::string transcript;  // the instrument's lines while it ran
};

class Lock : public ScenarioTest {
  protected:
    // The second host's whole try: start, InitMeasurement, ExitMeasurement, end.
    Intrusion Intrude(const std::shared_ptr<host::MethodObject>& method) {
        Intrusion r;
        const std::size_t from = transcript_.str().size();
        OnOwnThread([&] {
            auto second = std::make_shared<SecondHost>(*host_);
            auto control = ReadyControl(second);
            EXPECT_EQ(control->LoadMethod(method), 0);
            r.init = control->InitMeasurement(method, second->NewAcqData());
            r.initText = second->Errors().MessageText(r.init);
            r.locked = second->Errors().StatusOf(second->Errors().CodeOfReply("Locked", ""));
            r.exit = control->ExitMeasurement(method);
            control.reset();  // its proxy releases "its" lock
            host::SetCurrentHost(nullptr);
        });
        r.transcript = transcript_.str().substr(from);
        return r;
    }

    // The same run by a host alone on a fresh instrument: the transcript and the readings.
    static std::pair<std::string, std::vector<double>> Alone(
        const std::shared_ptr<host::MethodObject>& m) {
        std::pair<std::string, std::vector<double>> out;
        OnOwnThread([&] {
            std::ostringstream transcript;
            auto h = std::make_shared<loader::ReferenceHost>(loader::HostOptions{});
            h->Simulator().GetInstrument().GetTranscript().SetStream(&transcript);
            auto control = ReadyControl(h);
            EXPECT_EQ(control->LoadMethod(m), 0);
            auto data = h->NewAcqData();
            EXPECT_EQ(control->InitMeasurement(m, data), 0);
            for (std::int32_t k = 1; k <= 2; ++k) {
                data->AddItem(host::ItemGroup::Type1, k, "S" + std::to_string(k));
                auto info = h->NewParamSet();
                host::ParamDef d;
                d.id = h->Environment().SampleIdKey();
                info->Add(d, host::Variant("S" + std::to_string(k)));
                EXPECT_EQ(control->MeasureSample(m, 1, k, info), 0);
            }
            EXPECT_EQ(control->ExitMeasurement(m), 0);
            for (std::int32_t k = 1; k <= data->ResultCount(); ++k)
                out.second.push_back(data->Result(k).record->Value(1));
            out.first = transcript.str();
            control.reset();
            host::SetCurrentHost(nullptr);
        });
        return out;
    }

    std::shared_ptr<host::MethodObject> RunMethod() { return Method(kWells, "Phos", false); }

    // The first host's run; between(k) runs after sample k.
    std::vector<double> Run(const std::shared_ptr<host::MethodObject>& m,
                            const std::function<void(std::int32_t)>& between) {
        EXPECT_EQ(control_->LoadMethod(m), 0);
        auto data = host_->NewAcqData();
        EXPECT_EQ(control_->InitMeasurement(m, data), 0);
        for (std::int32_t k = 1; k <= 2; ++k) {
            data->AddItem(host::ItemGroup::Type1, k, "S" + std::to_string(k));
            EXPECT_EQ(control_->MeasureSample(m, 1, k, Sample("S" + std::to_string(k))), 0);
            between(k);
        }
        EXPECT_EQ(control_->ExitMeasurement(m), 0);
        std::vector<double> readings;
        for (std::int32_t k = 1; k <= data->ResultCount(); ++k)
            readings.push_back(data->Result(k).record->Value(1));
        return readings;
    }

    // What the second host did on the instrument: every command refused with
    // the lock error, nothing started.
    static void ExpectOnlyRefusals(const std::string& lines) {
        std::istringstream in(lines);
        std::vector<std::string> sent, replies, notes;
        for (std::string l; std::getline(in, l);) {
            if (l.rfind("> ", 0) == 0) sent.push_back(l.substr(2));
            if (l.rfind("<", 0) == 0) replies.push_back(l);
            if (l.rfind("#", 0) == 0) notes.push_back(l);
        }
        // InitMeasurement's lock, ExitMeasurement's unlock and the proxy's release.
        EXPECT_EQ(notes, (std::vector<std::string>{"# Lock 1", "# Lock 0", "# Lock 0"})) << lines;
        EXPECT_EQ(sent, (std::vector<std::string>{"Park WPR"})) << lines;
        ASSERT_EQ(replies.size(), sent.size()) << lines;
        for (const auto& reply : replies) EXPECT_EQ(reply.rfind("< Locked:", 0), 0u) << reply;
    }

    std::string Without(const std::string& text, const std::string& part) {
        auto at = text.find(part);
        EXPECT_NE(at, std::string::npos);
        return at == std::string::npos ? text : text.substr(0, at) + text.substr(at + part.size());
    }
};

TEST_F(Lock, SecondHostBetweenSamples_GetsTheLockErrorAndChangesNothing) {
    auto m = RunMethod();
    Intrusion intrusion;
    qnserver::Instrument& instrument = host_->Simulator().GetInstrument();
    auto readings = Run(m, [&](std::int32_t k) {
        if (k != 1) return;
        const auto owner = instrument.LockOwner();
        const auto lampBefore = instrument.GetHardware().Properties().Get("Lamp");
        intrusion = Intrude(m);
        EXPECT_EQ(instrument.LockOwner(), owner);
        EXPECT_NE(owner, 0);
        EXPECT_EQ(instrument.GetHardware().Properties().Get("Lamp"), lampBefore);
    });

    EXPECT_NE(intrusion.init, 0);
    EXPECT_EQ(intrusion.init, intrusion.locked) << intrusion.initText;
    EXPECT_NE(intrusion.initText.find("locked"), std::string::npos) << intrusion.initText;
    EXPECT_EQ(intrusion.exit, 0);
    ExpectOnlyRefusals(intrusion.transcript);

    // The first host's run, less the second host's lines, is the run it makes alone.
    auto alone = Alone(m);
    EXPECT_EQ(Without(transcript_.str(), intrusion.transcript), alone.first);
    EXPECT_EQ(readings, alone.second);
    ASSERT_EQ(readings.size(), 6u);
    EXPECT_EQ(instrument.LockOwner(), 0);
}

TEST_F(Lock, SecondHostWhileTheWavelengthsMove_LeavesTheMoveAndTheRunAlone) {
    auto m = RunMethod();
    Intrusion intrusion;
    bool intruded = false;
    host_->Console().SetObserver([&] {
        // The first host waits for the second position's wavelength move.
        const std::string t = transcript_.str();
        if (intruded || t.size() < 2 ||
            t.compare(t.rfind('\n', t.size() - 2) + 1, std::string::npos,
                      "> SetM WL=480.0;525.0\n") != 0)
            return;
        intruded = true;
        intrusion = Intrude(m);
    });
    auto readings = Run(m, [](std::int32_t) {});
    host_->Console().SetObserver(nullptr);

    ASSERT_TRUE(intruded);
    EXPECT_EQ(intrusion.init, intrusion.locked) << intrusion.initText;
    EXPECT_EQ(intrusion.exit, 0);
    ExpectOnlyRefusals(intrusion.transcript);
    // The move the second host arrived in finishes as it would have.
    auto alone = Alone(m);
    EXPECT_EQ(Without(transcript_.str(), intrusion.transcript), alone.first);
    EXPECT_EQ(readings, alone.second);
}

TEST_F(Lock, AfterTheRunTheSecondHostMayMeasure) {
    auto m = RunMethod();
    Run(m, [](std::int32_t) {});
    OnOwnThread([&] {
        auto second = std::make_shared<SecondHost>(*host_);
        auto control = ReadyControl(second);
        EXPECT_EQ(control->LoadMethod(m), 0);
        EXPECT_EQ(control->InitMeasurement(m, second->NewAcqData()), 0);
        EXPECT_NE(host_->Simulator().GetInstrument().LockOwner(), 0);
        EXPECT_EQ(control->ExitMeasurement(m), 0);
        control.reset();
        host::SetCurrentHost(nullptr);
    });
    EXPECT_EQ(host_->Simulator().GetInstrument().LockOwner(), 0);
}

}  // namespace
