// Endurance of the control's life: 1,000 cycles of create -> measure -> abort
// -> destroy of UCVIZari on one host, as a long-lived host application runs
// them. Memory must stay flat: the resident set and its peak after 10 cycles
// and after 1,000 are reported side by side.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "host/context.h"
#include "module/class_factory.h"
#include "module/ucvizari.h"
#include "platform/kvbase/progress.h"
#include "platform/kvdova/documents.h"
#include "platform/loader/host_session.h"
#include "platform/loader/reference_host.h"

namespace {

constexpr std::int32_t kPositions = 24;

// "VmRSS" or "VmHWM" (the peak) of this process, in kB.
double ProcStatusKb(const std::string& key) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key + ":", 0) == 0) return std::stod(line.substr(key.size() + 1));
    return -1.0;
}

std::shared_ptr<host::MethodObject> PlateMethod(loader::ReferenceHost& h) {
    auto m = h.NewMethodObject();
    auto add = [&](const char* id, std::int32_t type, const host::Variant& v) {
        host::ParamDef d;
        d.id = id;
        d.dataType = type;
        m->Params()->Add(d, v);
    };
    add("ExWl", host::kTypeNumber, 485.0);
    add("EmWl", host::kTypeNumber, 520.0);
    add("ExSlit", host::kTypeNumber, 10.0);
    add("EmSlit", host::kTypeNumber, 10.0);
    add("IntTime", host::kTypeNumber, 0.1);
    add("Voltage", host::kTypeNumber, 775.0);
    add("Lamp", host::kTypeText, "On");
    add("EmMirror", host::kTypeText, "In");
    add("LumMode", host::kTypeText, "Phos");  // with the dark current
    add("AutoLamp", host::kTypeText, "On");
    m->SetMethodType("FLVIZari");
    m->SetName("Endurance");
    m->SetTableCount(1);
    m->SetColumnCount(1, 4);
    m->SetRowCount(1, kPositions);
    for (std::int32_t r = 1; r <= kPositions; ++r) {
        m->SetCell(1, 1, r, 14.38 + (r - 1) % 12 * 9.0);
        m->SetCell(1, 2, r, 11.24 + (r - 1) / 12 * 9.0);
        m->SetCell(1, 3, r, 480.0 + r % 3 * 5.0);
        m->SetCell(1, 4, r, 520.0);
    }
    return m;
}

// One cycle: a new control is set up and measures until the person aborts
// after `waits` waits of the run, then it is ended and released. False when
// the run was not ended by the abort or a control outlived its release.
bool Cycle(const std::shared_ptr<loader::ReferenceHost>& h,
           const std::shared_ptr<host::InstrumentInfo>& info,
           const std::shared_ptr<host::MethodObject>& method, int waits) {
    auto& console = h->Console();
    console.ClearAbort();
    int seen = 0;
    console.SetObserver([&] {
        if (++seen == waits) console.RequestAbort();
    });
    bool aborted = false;
    {
        auto control = module::TheClassFactory().CreateInstance(h);
        auto cfg = kvdova::NewUserConfig();
        host::ParamDef d;
        d.id = "AutoClearResults";
        d.dataType = host::kTypeBoolean;
        cfg->Settings()->Add(d, host::Variant(true));
        control->SetupModule(cfg, kvdova::NewUserRights({{"CProcess", "Create"}}));
        control->SetInstrument(1, info);
        control->UpdateConfigDisplay();
        control->LoadMethod(method);
        auto data = h->NewAcqData();
        host::Status status = control->InitMeasurement(method, data);
        for (std::int32_t n = 1; status == 0 && n <= 3; ++n) {
            data->AddItem(host::ItemGroup::Type1, n, "S" + std::to_string(n));
            auto sample = h->NewParamSet();
            host::ParamDef id;
            id.id = h->Environment().SampleIdKey();
            sample->Add(id, host::Variant("S" + std::to_string(n)));
            status = control->MeasureSample(method, 1, n, sample);
        }
        aborted = status != 0 && console.AbortRequested();
        control->ExitMeasurement(method);
        control->Terminate();
        control->ReleaseExtender();
    }
    console.SetObserver(nullptr);
    return aborted && module::UCVIZari::LiveCount() == 0;
}

void BM_CreateMeasureAbortDestroy(benchmark::State& state) {
    auto h = std::make_shared<loader::ReferenceHost>(loader::HostOptions{});
    auto info = loader::SimulatedInstrumentInfo(*h);
    auto method = PlateMethod(*h);
    std::int64_t cycle = 0;
    for (auto _ : state) {
        ++cycle;
        // The abort lands anywhere from the dark current to the third sample.
        if (!Cycle(h, info, method, 3 + static_cast<int>(cycle * 37 % 120))) {
            state.SkipWithError("a cycle did not end by the abort, or a control outlived it");
            break;
        }
        if (cycle == 10) {
            state.counters["rss_kb_at_10"] = ProcStatusKb("VmRSS");
            state.counters["peak_kb_at_10"] = ProcStatusKb("VmHWM");
        }
    }
    state.counters["rss_kb_at_" + std::to_string(cycle)] = ProcStatusKb("VmRSS");
    state.counters["peak_kb_at_" + std::to_string(cycle)] = ProcStatusKb("VmHWM");
    host::SetCurrentHost(nullptr);
}
BENCHMARK(BM_CreateMeasureAbortDestroy)->Iterations(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
