// `orvevizari method new --plate N`, the whole process, at 96, 384 and 1536
// wells. The command types every position into the page as a person would,
// so a page that rebuilt all its result columns on every cell grew with the
// square of the positions.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// The command-line host beside this program's folder (build/<preset>/bench).
std::string Cli() {
    return (fs::canonical("/proc/self/exe").parent_path().parent_path() / "bin" / "orvevizari")
        .string();
}

void BM_MethodNewPlate(benchmark::State& state) {
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
BENCHMARK(BM_MethodNewPlate)
    ->Arg(96)
    ->Arg(384)
    ->Arg(1536)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
