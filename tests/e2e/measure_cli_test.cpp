// orvevizari measure as a lab runs it: a real process, stopped by the signals
// a scheduler, a shutdown or a closed terminal send.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>

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

    fs::path dir_;
};

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
