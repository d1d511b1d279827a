// LoadAcqData of 100 samples at 96, 384 and 1536 positions into the headless
// grid: the time should grow linearly with the number of stored results.
#include <benchmark/benchmark.h>

#include <memory>

#include "method/result_table.h"
#include "platform/controls/kv_spread.h"
#include "platform/kvbase/number_format.h"
#include "platform/kvdova/documents.h"
#include "tests/ui/fake_host.h"

namespace {

constexpr int kSamples = 100;

std::shared_ptr<host::AcqData> StoredData(int positions) {
    auto data = kvdova::NewAcqData();
    data->SetText("Bench");
    auto record = kvdova::NewResultRecord();
    record->Init(3);
    for (int s = 1; s <= kSamples; ++s)
        data->AddItem(host::ItemGroup::Type1, s, "S" + std::to_string(s));
    for (int s = 1; s <= kSamples; ++s) {
        for (int p = 1; p <= positions; ++p) {
            record->SetValue(1, s * 10000.0 + p);
            data->AddResult(s, p, 1, *record, 0);
        }
    }
    return data;
}

void BM_LoadAcqData(benchmark::State& state) {
    const int positions = static_cast<int>(state.range(0));
    testhost::ScopedHost host;
    kvbase::Numbers numbers;
    controls::KVSpread result("KVSResult", -1, "PnlResult", numbers);
    controls::KVSpread scan("KVSScan", -1, "PnlSetup", numbers);
    bool noAutoClear = true;
    std::shared_ptr<host::AcqData> current;
    method::ResultTable table(*host, result, scan, {noAutoClear, current, 0});
    table.InitResultTable();
    scan.SetColumnCount(4);
    scan.SetRowCount(positions);
    table.SetResultColumns();
    const auto data = StoredData(positions);

    for (auto _ : state) {
        if (table.LoadAcqData(data) != 0 || result.RowCount() != kSamples) {
            state.SkipWithError("the data did not load");
            break;
        }
    }
    state.SetComplexityN(static_cast<benchmark::IterationCount>(kSamples) * positions);
    state.counters["results"] = kSamples * positions;
}

BENCHMARK(BM_LoadAcqData)
    ->Arg(96)
    ->Arg(384)
    ->Arg(1536)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
