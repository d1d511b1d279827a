// Cost of the module, the proxy and the simulator per measured position, on
// the virtual clock (the simulated instrument takes no machine time), and the
// process's sleep during real-time waits.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <memory>

#include "host/context.h"
#include "module/class_factory.h"
#include "platform/kvdova/documents.h"
#include "platform/loader/host_session.h"
#include "platform/loader/reference_host.h"

namespace {

struct Bench {
    explicit Bench(std::int32_t positions, bool realtime = false) {
        loader::HostOptions o;
        o.realtime = realtime;
        host = std::make_shared<loader::ReferenceHost>(o);
        control = module::TheClassFactory().CreateInstance(host);
        auto cfg = kvdova::NewUserConfig();
        host::ParamDef d;
        d.id = "AutoClearResults";
        d.dataType = host::kTypeBoolean;
        cfg->Settings()->Add(d, host::Variant(true));
        control->SetupModule(cfg, kvdova::NewUserRights({{"CProcess", "Create"}}));
        control->SetInstrument(1, loader::SimulatedInstrumentInfo(*host));
        control->UpdateConfigDisplay();
        control->ClearMethod();
        method = host->NewMethodObject();
        control->UpdateMethod(method);
        method->SetRowCount(1, positions);
        for (std::int32_t r = 1; r <= positions; ++r) {
            method->SetCell(1, 1, r, 10.0 + (r - 1) % 48 * 2.25);
            method->SetCell(1, 2, r, 8.0 + (r - 1) / 48 * 2.25);
            method->SetCell(1, 3, r, 485.0);
            method->SetCell(1, 4, r, 520.0);
        }
        method->Params()->SetValueOf("IntTime", host::Variant(0.01));
        control->LoadMethod(method);
        data = host->NewAcqData();
        control->InitMeasurement(method, data);
    }
    ~Bench() {
        control->ExitMeasurement(method);
        control.reset();
        host::SetCurrentHost(nullptr);
    }
    host::Status Sample(std::int32_t n) {
        data->AddItem(host::ItemGroup::Type1, n, "S" + std::to_string(n));
        auto info = host->NewParamSet();
        host::ParamDef d;
        d.id = host->Environment().SampleIdKey();
        info->Add(d, host::Variant("S" + std::to_string(n)));
        return control->MeasureSample(method, 1, n, info);
    }
    std::shared_ptr<loader::ReferenceHost> host;
    std::shared_ptr<host::IUCVIZari> control;
    std::shared_ptr<host::MethodObject> method;
    std::shared_ptr<host::AcqData> data;
};

void BM_MeasureSamplePerPosition(benchmark::State& state) {
    const auto positions = static_cast<std::int32_t>(state.range(0));
    Bench b(positions);
    std::int32_t n = 0;
    for (auto _ : state) {
        if (b.Sample(++n) != 0) state.SkipWithError("MeasureSample failed");
    }
    // Seconds per position (shown with an SI prefix: 12u = 12 microseconds).
    state.counters["per_position"] =
        benchmark::Counter(static_cast<double>(positions) * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MeasureSamplePerPosition)
    ->Arg(96)
    ->Arg(384)
    ->Arg(1536)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

// A real-time run sleeps through its waits: CPU time against wall time.
void BM_RealtimeCpuShare(benchmark::State& state) {
    Bench b(8, /*realtime=*/true);
    std::int32_t n = 0;
    for (auto _ : state) {
        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        auto t0 = std::chrono::steady_clock::now();
        b.Sample(++n);
        auto wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        getrusage(RUSAGE_SELF, &after);
        auto cpu = [](const rusage& r) {
            return r.ru_utime.tv_sec + r.ru_stime.tv_sec +
                   (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
        };
        state.counters["cpu_percent_of_wall"] = 100.0 * (cpu(after) - cpu(before)) / wall;
        state.counters["wall_s"] = wall;
    }
}
BENCHMARK(BM_RealtimeCpuShare)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// Peak memory of a long run: 100 samples of 1536 positions.
void BM_LongRunPeakMemory(benchmark::State& state) {
    for (auto _ : state) {
        Bench b(1536);
        for (std::int32_t n = 1; n <= 100; ++n) b.Sample(n);
        rusage r{};
        getrusage(RUSAGE_SELF, &r);
        state.counters["peak_rss_mb"] = r.ru_maxrss / 1024.0;
        state.counters["results"] = b.data->ResultCount();
    }
}
BENCHMARK(BM_LongRunPeakMemory)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
