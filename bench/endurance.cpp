// Endurance of the control's life: 1,000 cycles of create -> measure -> abort
// -> destroy of UCVIZari on one host, as a long-lived host application runs
// them. Memory must stay flat: the resident set and its peak after 10 cycles
// and after 1,000 are reported side by side.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "e2e/method_document.h"
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

// A plate of kPositions wells row by row, with the dark current (phosphorescence).
std::shared_ptr<host::MethodObject> PlateMethod(loader::ReferenceHost& h) {
    std::vector<Position> wells;
    for (std::int32_t r = 1; r <= kPositions; ++r)
        wells.push_back(
            {14.38 + (r - 1) % 12 * 9.0, 11.24 + (r - 1) / 12 * 9.0, 480.0 + r % 3 * 5.0, 520.0});
    MethodSetup setup;
    setup.exWl = 485.0;
    setup.emWl = 520.0;
    setup.lumMode = "Phos";
    setup.name = "Endurance";
    return MethodDocument(h, wells, setup);
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
            const std::string sampleId = fmt::format("S{}", n);
            data->AddItem(host::ItemGroup::Type1, n, sampleId);
            auto sample = h->NewParamSet();
            host::ParamDef id;
            id.id = h->Environment().SampleIdKey();
            sample->Add(id, host::Variant(sampleId));
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
