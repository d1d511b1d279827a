// What the plate view costs the desktop host's event loop per reading of a
// 1536-well plate: the result grid takes the reading, the view repaints at
// once (its full cost: rebuilding the picture from the grids and painting
// it). The target is 2 ms. Readings of a plate come in no order of size
// (range(1) 0): most leave the colour scale as it is, and the view repaints
// one well; readings that rise without end (1) widen the scale every time
// and make it repaint every well, the worst case.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>

#include <QApplication>

#include "platform/controls/kv_spread.h"
#include "platform/kvbase/number_format.h"
#include "platform/plates/plate_format.h"
#include "platform/qt/plate_view.h"

namespace {

QApplication& App() {
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "bench_studio_plate";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return *app;
}

void BM_PlateViewUpdatePerReading(benchmark::State& state) {
    App();
    const auto& format = *plates::FindFormat(static_cast<int>(state.range(0)));
    kvbase::Numbers numbers;
    auto scan = std::make_shared<controls::KVSpread>("KVSScan", -1, "PnlSetup", numbers);
    auto results = std::make_shared<controls::KVSpread>("KVSResult", -1, "PnlResult", numbers);
    const auto cells = plates::PlatePositions(format, 485, 520);
    host::ParamDef def;
    def.id = "X";
    for (int c = 0; c < 4; ++c) scan->AddColumn(def, 1000);
    scan->SetRowCount(format.wells);
    for (int i = 0; i < format.wells; ++i)
        for (int c = 0; c < 2; ++c)
            scan->SetCell(c + 1, i + 1, host::Variant(std::stod(cells[i][c])));
    def.id = "SampleID";
    results->AddColumn(def, 2000);
    def.id = "Int";
    def.unit = "#";
    for (int i = 0; i < format.wells; ++i) results->AddColumn(def, 1000);

    qtview::PlateView view(results, scan);
    view.resize(460, 620);
    view.show();
    QApplication::processEvents();
    int position = format.wells;
    int row = 0;
    const bool rising = state.range(1) != 0;
    std::uint64_t seed = 20261208;
    for (auto _ : state) {
        if (position == format.wells) {
            state.PauseTiming();
            results->SetRowCount(++row);
            results->SetCell(1, row, host::Variant("S" + std::to_string(row)));
            position = 0;
            state.ResumeTiming();
        }
        ++position;
        // A fixed pseudo-random series, so every run of the benchmark sees the same plate.
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        const double value =
            rising ? 1000.0 * position + row : 100.0 + static_cast<double>((seed >> 24) % 1000000);
        results->SetCell(1 + position, row, host::Variant(value));
        view.repaint();
    }
    state.SetLabel(std::to_string(format.wells) + " wells, " +
                   (rising ? "every reading widens the scale" : "readings in no order"));
}
BENCHMARK(BM_PlateViewUpdatePerReading)
    ->Args({96, 0})
    ->Args({1536, 0})
    ->Args({1536, 1})
    ->ArgNames({"wells", "rising"})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
