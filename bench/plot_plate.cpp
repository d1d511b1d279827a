// results plot of a 1536-well plate; the target is 200 ms for the whole
// command in a release build. In process: painting and encoding alone.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench/plate_data.h"
#include "platform/plates/plate_map.h"
#include "platform/qt/plate/plate_image.h"

namespace {

const std::string& Data() {
    static const std::string path = platebench::WriteData(
        1, (std::filesystem::temp_directory_path() / "bench-plate-plot.json").string());
    return path;
}

void BM_Plot1536WholeProcess(benchmark::State& state) {
    const std::string out = Data() + (state.range(0) ? ".svg" : ".png");
    for (auto _ : state) {
        if (platebench::Run({ORVE_BINARY_DIR "/bin/orvevizari", "results", "plot", Data(), "-o",
                             out, "--overwrite"}) != 0) {
            state.SkipWithError("results plot failed");
            break;
        }
    }
    std::filesystem::remove(out);
}
BENCHMARK(BM_Plot1536WholeProcess)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("svg")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_Paint1536(benchmark::State& state) {
    const auto results = plates::LoadResults(Data());
    const auto map = plates::MapOfSample(results, 0, plates::Scale::Linear);
    const auto kind = state.range(0) ? plateplot::ImageKind::Svg : plateplot::ImageKind::Png;
    for (auto _ : state) benchmark::DoNotOptimize(plateplot::RenderPlateImage(map, kind));
}
BENCHMARK(BM_Paint1536)->Arg(0)->Arg(1)->ArgName("svg")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
