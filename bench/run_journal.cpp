// What the run journal costs and what a long kinetic run holds, on the
// virtual clock (the simulated instrument takes no machine time):
//  - a 1536-well plate measured as the command-line host does, with and
//    without its journal; the difference per reading is the journal's cost;
//  - a 1536-well x 100-cycle run (153,600 readings): its peak memory;
//  - reading back a journal of that size, as `results recover` does.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/kvbase/atomic_file.h"
#include "platform/kvdova/acq_data.h"
#include "platform/kvdova/method_file.h"
#include "platform/kvdova/result_record.h"
#include "platform/loader/host_session.h"
#include "platform/loader/measurement_run.h"
#include "platform/loader/page_typing.h"
#include "platform/loader/run_journal.h"
#include "platform/plates/plate_format.h"

namespace {

namespace fs = std::filesystem;

fs::path Folder() {
    static const fs::path dir = [] {
        fs::path d =
            fs::temp_directory_path() / ("orve-bench-journal-" + std::to_string(::getpid()));
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

// A 1536-well method as `orvevizari method new --plate 1536` writes it.
std::string PlateMethod() {
    static const std::string path = [] {
        loader::SessionOptions options;
        options.host.cataloguePath = "";
        loader::HostSession session(options);
        std::vector<loader::TypedPosition> positions;
        for (const auto& cells : plates::PlatePositions(*plates::FindFormat(1536), 485, 520))
            positions.push_back({cells});
        session.Control().ClearMethod();
        loader::TypePositions(session, positions);
        auto method = session.Host().NewMethodObject();
        session.Require(session.Control().UpdateMethod(method), "UpdateMethod");
        const std::string file = (Folder() / "plate1536.json").string();
        kvdova::SaveMethod(*method, file);
        return file;
    }();
    return path;
}

loader::RunReport Run(std::int32_t cycles, bool journal, const std::string& data) {
    const std::string method = PlateMethod();  // its own session, before the run's
    loader::SessionOptions options;
    options.host.cataloguePath = "";
    loader::HostSession session(options);
    loader::RunOptions o;
    o.methodPath = method;
    o.sampleIds = {"Plate"};
    o.cycles = cycles;
    o.dataPath = data;
    o.overwrite = true;
    o.progress = false;
    o.journal = journal;
    std::ostringstream progress;
    return loader::RunMeasurement(session, o, progress);
}

// arg 0: no journal; 1: journalled. per_reading: seconds of the whole run per
// reading (session start and the data file included).
void BM_PlateRunPerReading(benchmark::State& state) {
    const bool journal = state.range(0) != 0;
    const std::string data = (Folder() / "plate-run.json").string();
    std::int64_t readings = 0;
    for (auto _ : state) {
        const auto report = Run(1, journal, data);
        if (report.outcome != loader::RunReport::Outcome::Completed || !report.dataSaved) {
            state.SkipWithError("the run failed");
            break;
        }
        readings += report.data->ResultCount();
    }
    state.counters["per_reading"] = benchmark::Counter(
        static_cast<double>(readings), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PlateRunPerReading)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The 1536 x 100 kinetic run; peak_rss_MB is the process's peak resident size
// after it (a high-water mark: run it alone, --benchmark_filter=Kinetic).
void BM_Kinetic1536x100(benchmark::State& state) {
    const std::string data = (Folder() / "kinetic.json").string();
    PlateMethod();  // made before the peak is looked at
    for (auto _ : state) {
        const auto report = Run(100, true, data);
        if (report.outcome != loader::RunReport::Outcome::Completed || !report.dataSaved ||
            report.data->ResultCount() != 153'600) {
            state.SkipWithError("the run failed");
            break;
        }
    }
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    state.counters["data_file_MB"] = static_cast<double>(fs::file_size(data)) / 1e6;
}
BENCHMARK(BM_Kinetic1536x100)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// A journal of 153,600 readings (a 1536 x 100 run killed just before its end)
// read back as `results recover` does.
void BM_RecoverKineticJournal(benchmark::State& state) {
    const std::string path = (Folder() / "kinetic.json.journal").string();
    fs::remove(path);
    {
        kvdova::AcqData start;
        start.SetText("Kinetic");
        start.SetRunInfo("method", kvbase::ReadFile(PlateMethod()));
        loader::RunJournal journal(path);
        journal.Start(start);
        kvdova::ResultRecord record;
        record.Init(4);
        double t = 0;
        for (std::int32_t cycle = 1; cycle <= 100; ++cycle) {
            journal.Item(host::ItemGroup::Type1, cycle, "Plate@" + std::to_string(cycle));
            for (std::int32_t p = 1; p <= 1536; ++p) {
                t += 1.17;
                record.SetValue(1, 1000.0 + p * 0.37);
                record.SetValue(2, 49'800.0 + cycle);
                record.SetValue(3, 0.0);
                record.SetValue(4, t);
                journal.Reading(cycle, p, 1, record, t, t);
            }
            journal.SampleEnd(host::ItemGroup::Type1, cycle, true, 0, "");
        }
    }
    for (auto _ : state) {
        const auto run = loader::RecoverJournal(path);
        if (run.readings != 153'600) state.SkipWithError("readings lost");
        benchmark::DoNotOptimize(run.data);
    }
    state.counters["journal_MB"] = static_cast<double>(fs::file_size(path)) / 1e6;
}
BENCHMARK(BM_RecoverKineticJournal)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(Folder(), ec);
}
