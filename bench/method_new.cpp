// A plate method typed into the module's page as `orvevizari method new
// --plate N` does, at 96, 384 and 1536 wells: "Insert Pos" per row, then the
// cells that differ. Every insert and cell rebuilds the page's result columns
// and rewrites the row captions, so a page that redid all of them every time
// grew with the square of the positions. Also the whole command, process
// start and file included.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/loader/host_session.h"
#include "platform/loader/page_typing.h"
#include "platform/plates/plate_format.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::vector<loader::TypedPosition> PlatePositions(int wells) {
    std::vector<loader::TypedPosition> out;
    for (const auto& cells : plates::PlatePositions(*plates::FindFormat(wells), 485, 520))
        out.push_back({cells});
    return out;
}

void BM_TypePlateIntoThePage(benchmark::State& state) {
    const auto positions = PlatePositions(static_cast<int>(state.range(0)));
    loader::SessionOptions options;
    options.host.cataloguePath = "";
    loader::HostSession session(options);
    for (auto _ : state) {
        session.Control().ClearMethod();
        loader::TypePositions(session, positions);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TypePlateIntoThePage)->Arg(96)->Arg(384)->Arg(1536)->Unit(benchmark::kMillisecond);

// The command-line host beside this program's folder (build/<preset>/bench).
std::string Cli() {
    return (fs::canonical("/proc/self/exe").parent_path().parent_path() / "bin" / "orvevizari")
        .string();
}

void BM_MethodNewPlateCommand(benchmark::State& state) {
    const std::string cli = Cli();
    const std::string wells = std::to_string(state.range(0));
    const fs::path out =
        fs::temp_directory_path() / ("orve-bench-method-" + std::to_string(::getpid()) + ".json");
    for (auto _ : state) {
        fs::remove(out);
        std::vector<std::string> args = {cli,   "method", "new", "--plate", wells,       "--ex",
                                         "485", "--em",   "520", "-o",      out.string()};
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        const int rc = posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        int status = 0;
        if (rc != 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            state.SkipWithError("orvevizari method new failed");
            break;
        }
    }
    fs::remove(out);
}
BENCHMARK(BM_MethodNewPlateCommand)
    ->Arg(96)
    ->Arg(1536)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
