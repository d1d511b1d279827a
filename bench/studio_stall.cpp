// How long the desktop host's event loop is held up during a real-time run,
// on the embedded simulator and through the server program. A timer ticks
// every 5 ms; the longest gap between two ticks, synchronous instrument
// commands included (they run off the event loop), is the figure; the target
// is 100 ms at most, and a run over it is reported as an error. The longest
// synchronous command and their total are reported beside it.
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>

#include <QApplication>

#include "platform/kvbase/clock.h"
#include "platform/qt/stall_meter.h"
#include "platform/qt/studio_window.h"
#include "server_program.h"

namespace {

QApplication& App() {
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "bench_studio_stall";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return *app;
}

// range(0): samples; range(1): 0 for the 3-position method, 1 for the whole
// 96-well plate; range(2): 1 through the server program.
void BM_StudioRealTimeRun(benchmark::State& state) {
    App();
    const int samples = static_cast<int>(state.range(0));
    const char* method = state.range(1) == 0 ? ORVE_SOURCE_DIR "/examples/method-3pos.json"
                                             : ORVE_SOURCE_DIR "/examples/plate-96.json";
    std::unique_ptr<ServerProgram> server;
    if (state.range(2) == 1) {
        server = std::make_unique<ServerProgram>();
        if (server->Address().empty()) {
            state.SkipWithError("the server program did not start");
            return;
        }
    }
    qtview::StallReport report;
    double longestSynch = 0.0, synchTotal = 0.0;
    int synchCommands = 0;
    std::string longestWhat;
    bool completed = false;
    for (auto _ : state) {
        kvbase::RealClock clock;
        qtview::StallMeter meter(clock);
        qtview::StudioOptions options;
        if (server) options.server.address = server->Address();
        options.serverCalls = [&](const loader::ServerCallTime& call) {
            if (call.call != "ExecSynch") return;
            ++synchCommands;
            synchTotal += call.seconds;
            if (call.seconds > longestSynch) {
                longestSynch = call.seconds;
                longestWhat = call.command;
            }
        };
        qtview::StudioWindow window(options);
        window.SetReportSink(
            [&state](const std::string& text) { state.SkipWithError(text.c_str()); });
        window.resize(900, 640);
        window.show();
        if (!window.OpenMethod(method)) return;
        QApplication::processEvents();
        meter.Start();
        completed = window.Measure(samples).completed;
        meter.Stop();
        report = meter.Report();
    }
    if (!completed) state.SkipWithError("the run did not complete");
    if (report.longestStall > 0.100)
        state.SkipWithError("the event loop stalled for more than 100 ms");
    state.counters["longest_stall_ms"] = report.longestStall * 1000.0;
    state.counters["stall_at_s"] = report.longestStallAt;
    state.counters["longest_synch_ms"] = longestSynch * 1000.0;
    state.counters["synch_commands"] = synchCommands;
    state.counters["synch_total_s"] = synchTotal;
    state.counters["ticks"] = static_cast<double>(report.ticks);
    state.counters["run_s"] = report.span;
    state.SetLabel("longest synchronous: " + longestWhat);
}
BENCHMARK(BM_StudioRealTimeRun)
    ->Args({3, 0, 0})
    ->Args({3, 0, 1})
    ->Args({1, 1, 0})
    ->ArgNames({"samples", "plate96", "server"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
