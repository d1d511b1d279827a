// The instrument server program seen from its clients: one call's round trip
// (Unix socket and TCP loopback), the host's cost per measured position
// through it when physics takes no time, its CPU while a client waits on a
// real-time run, its memory over 100 sessions, and how soon a second client
// is answered while a long synchronous command runs. Targets: round trip
// median <= 100 us (Unix socket) and <= 200 us (TCP); <= 1 ms per position;
// <= 1 % CPU; memory flat; <= 100 ms for the second client.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/kvdova/documents.h"
#include "platform/kvdova/method_file.h"
#include "platform/loader/host_session.h"
#include "platform/loader/measurement_run.h"
#include "platform/remote/remote_factory.h"
#include "server_program.h"

namespace {

using Seconds = std::chrono::duration<double>;

double Median(std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

remote::ClientOptions Client(const std::string& address) {
    remote::ClientOptions o;
    o.address = address;
    return o;
}

// range(0): 0 Unix socket, 1 TCP loopback.
void BM_RoundTrip(benchmark::State& state) {
    ServerProgram server({}, state.range(0) == 1);
    if (server.Address().empty()) return state.SkipWithError("the server did not start");
    remote::RemoteInstrumentFactory factory(Client(server.Address()));
    auto instrument = factory.CreateServer();
    for (int i = 0; i < 100; ++i) (void)instrument->IsLocked();  // connection warm
    std::vector<double> times;
    const double cpu = server.CpuSeconds();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(instrument->IsLocked());
        times.push_back(Seconds(std::chrono::steady_clock::now() - start).count());
    }
    // The server's own CPU per call: what sets the figure on an idle machine.
    state.counters["server_cpu_us"] =
        (server.CpuSeconds() - cpu) / static_cast<double>(times.size()) * 1e6;
    state.counters["median_us"] = Median(times) * 1e6;
    std::sort(times.begin(), times.end());
    state.counters["p99_us"] = times[times.size() * 99 / 100] * 1e6;
    state.SetLabel(state.range(0) == 1 ? "TCP loopback" : "Unix socket");
}
BENCHMARK(BM_RoundTrip)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("tcp")
    ->Iterations(5000)
    ->Unit(benchmark::kMicrosecond);

// A host measuring a 96-position method through the server, whose physics
// takes no time: what the host and the way cost per position.
void BM_PerPositionThroughServer(benchmark::State& state) {
    ServerProgram server({"--speed", "1000000"});
    if (server.Address().empty()) return state.SkipWithError("the server did not start");
    loader::SessionOptions options;
    options.host.server = Client(server.Address());
    loader::HostSession session(options);
    auto method = kvdova::LoadMethod(ORVE_SOURCE_DIR "/examples/plate-96.json");
    auto& control = session.Control();
    if (control.LoadMethod(method) != 0) return state.SkipWithError("LoadMethod failed");
    auto data = session.Host().NewAcqData();
    if (control.InitMeasurement(method, data) != 0)
        return state.SkipWithError("InitMeasurement failed");
    const std::int32_t positions = method->RowCount(1);
    std::vector<double> perPosition;
    std::int32_t n = 0;
    for (auto _ : state) {
        ++n;
        data->AddItem(host::ItemGroup::Type1, n, "S" + std::to_string(n));
        auto info = session.Host().NewParamSet();
        host::ParamDef id;
        id.id = session.Host().Environment().SampleIdKey();
        info->Add(id, host::Variant("S" + std::to_string(n)));
        const auto start = std::chrono::steady_clock::now();
        if (control.MeasureSample(method, 1, n, info) != 0)
            state.SkipWithError("MeasureSample failed");
        perPosition.push_back(Seconds(std::chrono::steady_clock::now() - start).count() /
                              positions);
    }
    control.ExitMeasurement(method);
    state.counters["median_per_position_us"] = Median(perPosition) * 1e6;
    state.counters["positions"] = positions;
}
BENCHMARK(BM_PerPositionThroughServer)->Iterations(10)->Unit(benchmark::kMillisecond);

// The server's CPU while a host measures on the real clock: it mostly waits
// for the instrument, polling every 0.1 s.
void BM_ServerCpuWhileAClientWaits(benchmark::State& state) {
    ServerProgram server;
    if (server.Address().empty()) return state.SkipWithError("the server did not start");
    double cpu = 0.0, wall = 0.0;
    for (auto _ : state) {
        loader::SessionOptions options;
        options.host.server = Client(server.Address());
        loader::HostSession session(options);
        loader::RunOptions run;
        run.methodPath = ORVE_SOURCE_DIR "/examples/method-3pos.json";
        run.sampleIds = {"S1"};
        run.progress = false;
        std::ostringstream log;
        const double cpuBefore = server.CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        auto report = loader::RunMeasurement(session, run, log);
        wall = Seconds(std::chrono::steady_clock::now() - start).count();
        cpu = server.CpuSeconds() - cpuBefore;
        if (report.outcome != loader::RunReport::Outcome::Completed)
            state.SkipWithError("the run did not complete");
    }
    state.counters["server_cpu_percent"] = 100.0 * cpu / wall;
    state.counters["run_s"] = wall;
}
BENCHMARK(BM_ServerCpuWhileAClientWaits)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The server's resident memory over sessions opened and closed, after a
// first hundred that lets its allocators settle: over the next 100, and over
// the next 1000 (flat: no more than over 100).
void BM_ServerMemoryOver100Sessions(benchmark::State& state) {
    ServerProgram server;
    if (server.Address().empty()) return state.SkipWithError("the server did not start");
    remote::RemoteInstrumentFactory factory(Client(server.Address()));
    auto hundred = [&] {
        for (int i = 0; i < 100; ++i) {
            auto instrument = factory.CreateServer();
            (void)instrument->Lock(true);
            (void)instrument->Lock(false);
        }
    };
    hundred();
    long settled = 0, after = 0, last = 0;
    for (auto _ : state) {
        settled = server.RssKb();
        hundred();
        after = server.RssKb();
        for (int i = 0; i < 9; ++i) hundred();
        last = server.RssKb();
    }
    state.counters["rss_kb"] = static_cast<double>(settled);
    state.counters["growth_100_kb"] = static_cast<double>(after - settled);
    state.counters["growth_1000_kb"] = static_cast<double>(last - settled);
}
BENCHMARK(BM_ServerMemoryOver100Sessions)->Iterations(1)->Unit(benchmark::kSecond);

// A second client's call while the first one's 5-second reading runs.
void BM_SecondClientDuringASynchronousCommand(benchmark::State& state) {
    ServerProgram server;
    if (server.Address().empty()) return state.SkipWithError("the server did not start");
    remote::RemoteInstrumentFactory factory(Client(server.Address()));
    auto first = factory.CreateServer();
    auto second = factory.CreateServer();
    std::string answer;
    (void)first->Lock(true);
    (void)first->ExecSynch("Set IntTime=5", answer);
    std::vector<double> times;
    for (auto _ : state) {
        std::thread reading([&] {
            std::string a;
            (void)first->ExecSynch("Get Int", a);
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        for (int i = 0; i < 20; ++i) {
            const auto start = std::chrono::steady_clock::now();
            (void)second->ExecSynch("Get Lamp", answer);  // answered "Locked"
            times.push_back(Seconds(std::chrono::steady_clock::now() - start).count());
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        reading.join();
    }
    (void)first->Lock(false);
    state.counters["median_ms"] = Median(times) * 1e3;
    state.counters["longest_ms"] = *std::max_element(times.begin(), times.end()) * 1e3;
}
BENCHMARK(BM_SecondClientDuringASynchronousCommand)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
