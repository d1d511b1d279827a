// orvevizari measure as a lab runs it: real processes, stopped by the signals
// a scheduler, a shutdown or a closed terminal send, killed outright, run
// against files in the way and a disk that fills up.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/kvdova/acq_data_file.h"
#include "remote/process.h"

namespace {

namespace fs = std::filesystem;

const std::string kCli = std::string(ORVE_BINARY_DIR) + "/bin/orvevizari";
const std::string kExamples = std::string(ORVE_SOURCE_DIR) + "/examples/";

class MeasureCli : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("orve-measure-cli-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    struct Result {
        int exit = -1;
        std::string out, err;
    };
    // Runs orvevizari with its data folder in the test's own folder; standard
    // output and error apart, standard output a file (not a terminal).
    Result Cli(std::vector<std::string> args, const std::string& shellPrefix = "") {
        std::string cmd = shellPrefix + "ORVE_REGISTRY_DIR='" + Path("home") + "' '" + kCli + "'";
        for (const auto& a : args) cmd += " '" + a + "'";
        cmd += " >'" + Path("stdout") + "' 2>'" + Path("stderr") + "'";
        testproc::Process sh({"/bin/sh", "-c", cmd}, Path("sh.out"));
        Result r;
        r.exit = sh.Wait(120.0);
        r.out = testproc::ReadText(Path("stdout"));
        r.err = testproc::ReadText(Path("stderr"));
        return r;
    }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(Path(name), std::ios::binary) << text;
    }

    fs::path dir_;
};

const std::string kMethod = kExamples + "method-3pos.json";

// Outputs in the way are refused before anything is made, an input is never
// replaced, and a run that measured nothing leaves earlier outputs alone.
TEST_F(MeasureCli, NoCommandDestroysAFileItWasNotAskedToWrite) {
    fs::copy_file(kMethod, Path("m.json"));
    const std::string method = testproc::ReadText(Path("m.json"));
    Write("victim.txt", "keep me");
    struct Case {
        std::vector<std::string> args;
        const char* named;
    };
    const std::vector<Case> cases = {
        {{"measure", Path("m.json"), "--samples", "1", "--transcript", Path("m.json")}, "m.json"},
        {{"measure", Path("m.json"), "--samples", "1", "--transcript", Path("m.json"),
          "--overwrite"},
         "an input"},
        {{"measure", Path("m.json"), "--samples", "1", "--out", Path("m.json"), "--overwrite"},
         "an input"},
        {{"measure", Path("m.json"), "--samples", "1", "--transcript", Path("victim.txt"), "--out",
          Path("new.tsv")},
         "victim.txt"},
        {{"method", "new", "-o", Path("victim.txt")}, "victim.txt"},
        {{"results", "show", Path("m.json"), "--out", Path("m.json"), "--overwrite"}, "an input"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        const auto r = Cli(c.args);
        EXPECT_EQ(r.exit, 2) << r.err;
        EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
        EXPECT_EQ(testproc::ReadText(Path("m.json")), method);
        EXPECT_EQ(testproc::ReadText(Path("victim.txt")), "keep me");
        EXPECT_FALSE(fs::exists(Path("new.tsv")));
    }
    // A run that fails before its first reading keeps the earlier table and data.
    Write("old.tsv", "earlier table");
    Write("old.json", "earlier data");
    const auto failed =
        Cli({"measure", Path("m.json"), "--samples", "1", "--out", Path("old.tsv"), "--data",
             Path("old.json"), "--overwrite", "--sim-fault", "Enable Phos=Injected:refused"});
    EXPECT_EQ(failed.exit, 1) << failed.err;
    EXPECT_EQ(testproc::ReadText(Path("old.tsv")), "earlier table");
    EXPECT_EQ(testproc::ReadText(Path("old.json")), "earlier data");
    EXPECT_NE(failed.out.find("the run measured nothing"), std::string::npos) << failed.out;
}

// Without --out and --data nothing measured is lost: the data go to the runs
// folder (its path said), and the table to standard output when that is a file.
TEST_F(MeasureCli, NothingMeasuredIsThrownAway) {
    const auto r = Cli({"measure", kMethod, "--samples", "2"});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "Sample ID\tInt(1)\tInt(2)\tInt(3)");
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3) << r.out;
    const auto said = r.err.find("acquisition data: ");
    ASSERT_NE(said, std::string::npos) << r.err;
    const std::string data = r.err.substr(said + 18, r.err.find('\n', said) - said - 18);
    EXPECT_EQ(fs::path(data).parent_path(), fs::path(Path("home")) / "runs");
    EXPECT_EQ(kvdova::LoadAcqData(data)->ResultCount(), 6);
    EXPECT_FALSE(fs::exists(data + ".journal")) << "the journal goes once the data are saved";
}

// A saturated reading is said out loud: a warning naming the sample, position
// and well, a count in the run record, and exit 1 when asked to fail on it.
TEST_F(MeasureCli, SaturatedReadingsAreSaidOutLoud) {
    Write("plate.txt", "wells 96\nfill 0\nA2 100000000\n");
    ASSERT_EQ(Cli({"method", "new", "-o", Path("m.json"), "--positions",
                   "14.38,11.24,485,520;23.38,11.24,485,520"})
                  .exit,
              0);
    for (const bool fail : {false, true}) {
        std::vector<std::string> args = {
            "measure",         Path("m.json"), "--sample-id",  "Blank",   "--plate",
            Path("plate.txt"), "--data",       Path("d.json"), "--quiet", "--overwrite"};
        if (fail) args.push_back("--fail-on-overflow");
        const auto r = Cli(args);
        EXPECT_EQ(r.exit, fail ? 1 : 0) << r.err;
        EXPECT_NE(r.err.find("warning: 1 reading overflowed"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("Blank position 2 (A2)"), std::string::npos) << r.err;
    }
    const auto info = kvdova::LoadAcqData(Path("d.json"))->RunInfo();
    EXPECT_EQ(info.at("overflowCount"), "1");
}

// SIGTERM and SIGHUP end a real-time run as Ctrl-C does: the module stops the
// instrument, the reader is parked and unlocked, what was measured is saved,
// and the exit status names the signal.
TEST_F(MeasureCli, StopSignalsEndARunSafelyAndKeepWhatWasMeasured) {
    for (const int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        const std::string tag = std::to_string(signal);
        const std::string transcript = Path("t" + tag + ".txt"), data = Path("d" + tag + ".json");
        testproc::Process cli({kCli, "measure", kExamples + "method-3pos.json", "--samples", "3",
                               "--realtime", "--quiet", "--transcript", transcript, "--data", data,
                               "--out", Path("r" + tag + ".tsv")},
                              Path("out" + tag + ".txt"));
        ASSERT_TRUE(cli.Started());
        // The first reading has been delivered: the run is under way.
        ASSERT_TRUE(testproc::WaitUntil(
            [&] {
                return testproc::ReadText(transcript).find("> Get Int\n<") != std::string::npos;
            },
            60.0))
            << cli.Output();
        cli.Signal(signal);
        EXPECT_EQ(cli.Wait(60.0), 128 + signal) << cli.Output();
        const std::string t = testproc::ReadText(transcript);
        const auto park = t.rfind("> Park WPR");
        ASSERT_NE(park, std::string::npos) << t;
        EXPECT_NE(t.find("# Lock 0", park), std::string::npos);
        EXPECT_LT(t.rfind("> Set Lamp=Off"), park) << "the automatic lamp goes off first";
        ASSERT_TRUE(fs::exists(data)) << cli.Output();
        auto stored = kvdova::LoadAcqData(data);
        EXPECT_GE(stored->ResultCount(), 1);
        EXPECT_LT(stored->ResultCount(), 9);
        EXPECT_EQ(stored->RunInfo().at("outcome"),
                  signal == SIGTERM ? "aborted by SIGTERM" : "aborted by SIGHUP");
        EXPECT_NE(cli.Output().find("what was measured is kept"), std::string::npos)
            << cli.Output();
    }
}

}  // namespace
