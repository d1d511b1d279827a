// How long the desktop host's event loop is held up during a real-time run
// of the simulated instrument. A timer ticks every 5 ms; the longest gap
// between two ticks, less the time spent inside synchronous instrument
// commands (which block by design), is the figure; the target is 50 ms at
// most, and a run over it is reported as an error. The synchronous commands
// are reported apart: the longest and their total.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include <QApplication>

#include "platform/kvbase/clock.h"
#include "platform/qt/stall_meter.h"
#include "platform/qt/studio_window.h"

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

// range(0): samples; range(1): 0 for the 3-position method, 1 for the whole 96-well plate.
void BM_StudioRealTimeRun(benchmark::State& state) {
    App();
    const int samples = static_cast<int>(state.range(0));
    const char* method = state.range(1) == 0 ? ORVE_SOURCE_DIR "/examples/method-3pos.json"
                                             : ORVE_SOURCE_DIR "/examples/plate-96.json";
    qtview::StallReport report;
    bool completed = false;
    for (auto _ : state) {
        kvbase::RealClock clock;
        qtview::StallMeter meter(clock);
        qtview::StudioOptions options;
        options.serverCalls = [&meter](const loader::ServerCallTime& call) {
            if (call.call == "ExecSynch") meter.BlockedFor(call.seconds, call.command);
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
    if (report.longestStall > 0.050)
        state.SkipWithError("the event loop stalled for more than 50 ms");
    state.counters["longest_stall_ms"] = report.longestStall * 1000.0;
    state.counters["stall_at_s"] = report.longestStallAt;
    state.counters["longest_synch_ms"] = report.longestBlocked * 1000.0;
    state.counters["synch_commands"] = static_cast<double>(report.blockedCount);
    state.counters["synch_total_s"] = report.blockedTotal;
    state.counters["ticks"] = static_cast<double>(report.ticks);
    state.counters["run_s"] = report.span;
    state.SetLabel("longest synchronous: " + report.longestBlockedWhat);
}
BENCHMARK(BM_StudioRealTimeRun)
    ->Args({3, 0})
    ->Args({1, 1})
    ->ArgNames({"samples", "plate96"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
