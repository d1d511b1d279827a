// results export --layout long of 100 samples of a 1536-well plate (153,600
// readings); the target is 1 s for the whole command. The parts in process:
// reading the data file, laying out the table.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench/plate_data.h"
#include "platform/plates/output_file.h"
#include "platform/plates/plate_export.h"

namespace {

const std::string& Data() {
    static const std::string path = platebench::WriteData(
        100, (std::filesystem::temp_directory_path() / "bench-plate-export.json").string());
    return path;
}

void BM_ExportLongWholeProcess(benchmark::State& state) {
    const std::string out = Data() + ".long.csv";
    for (auto _ : state) {
        if (platebench::Run({ORVE_BINARY_DIR "/bin/orvevizari", "results", "export", Data(),
                             "--layout", "long", "-o", out, "--overwrite"}) != 0) {
            state.SkipWithError("results export failed");
            break;
        }
    }
    state.counters["readings"] = 100 * 1536;
    std::filesystem::remove(out);
}
BENCHMARK(BM_ExportLongWholeProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadResults(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(plates::LoadResults(Data()));
}
BENCHMARK(BM_LoadResults)->Unit(benchmark::kMillisecond);

void BM_ExportLongText(benchmark::State& state) {
    const auto results = plates::LoadResults(Data());
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text =
            plates::ExportResults(results, plates::Layout::Long, plates::TextFormat::Csv);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ExportLongText)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
