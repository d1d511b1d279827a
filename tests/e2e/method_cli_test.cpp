// orvevizari method new | show, run as a person runs them.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/kvbase/atomic_file.h"
#include "platform/kvdova/method_file.h"
#include "platform/loader/reference_host.h"

namespace {

namespace fs = std::filesystem;

struct CliRun {
    int exit = -1;
    std::string output;  // stdout and stderr
};

class MethodCli : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("orve-method-cli-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    CliRun Cli(const std::string& args) const {
        const std::string cmd = std::string(ORVE_BINARY_DIR) + "/bin/orvevizari " + args + " 2>&1";
        CliRun run;
        FILE* pipe = ::popen(cmd.c_str(), "r");
        if (!pipe) return run;
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;)
            run.output.append(buf, n);
        const int status = ::pclose(pipe);
        run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return run;
    }

    fs::path dir_;
};

double CellOf(const host::MethodObject& m, int col, int row) {
    return m.Cell(1, col, row).ToDouble();
}

TEST_F(MethodCli, PlateLaysOutEveryWellRowByRowAndWritesTheSameFileTwice) {
    for (const char* name : {"a.json", "b.json"}) {
        const CliRun run = Cli("method new --plate 96 --ex 485 --em 520 -o " + Path(name));
        ASSERT_EQ(run.exit, 0) << run.output;
    }
    auto a = kvdova::LoadMethod(Path("a.json"));
    ASSERT_EQ(a->RowCount(1), 96);
    const double a12[] = {113.38, 11.24, 485, 520};  // column 12 of row A
    const double b1[] = {14.38, 20.24, 485, 520};
    const double h12[] = {113.38, 74.24, 485, 520};
    for (int c = 1; c <= 4; ++c) {
        EXPECT_DOUBLE_EQ(CellOf(*a, c, 12), a12[c - 1]);
        EXPECT_DOUBLE_EQ(CellOf(*a, c, 13), b1[c - 1]);
        EXPECT_DOUBLE_EQ(CellOf(*a, c, 96), h12[c - 1]);
    }
    EXPECT_EQ(a->Params()->ValueOf("ExWl").ToDouble(), 485);  // the display follows position 1

    // The simulated instrument reports the time of the run as its last
    // validation; everything else must be byte for byte the same.
    loader::ReferenceHost host(loader::HostOptions{});
    const std::string validated = host.Environment().LastValidationKey();
    auto b = kvdova::LoadMethod(Path("b.json"));
    for (auto* m : {a.get(), b.get()})
        m->Instrument(1)->SetValueOf(validated, host::Variant(host::Date{1.0}));
    EXPECT_EQ(kvdova::MethodToJson(*a), kvdova::MethodToJson(*b));
}

TEST_F(MethodCli, NewTakesEverySettingAndShowReadsItBack) {
    const std::string file = Path("three.json");
    const CliRun made = Cli(
        "method new --positions '12.5,4,485,520; 21.5,4,485,520; 30.5,13,490,530;' --int-time 0.5 "
        "--ex-slit 5 --gain low --auto-lamp Off --lum-mode Phos --name 'Three wells' -o " +
        file);
    ASSERT_EQ(made.exit, 0) << made.output;

    auto m = kvdova::LoadMethod(file);
    auto p = m->Params();
    EXPECT_EQ(m->Name(), "Three wells");
    EXPECT_EQ(m->RowCount(1), 3);
    EXPECT_EQ(CellOf(*m, 4, 3), 530);
    EXPECT_EQ(p->ValueOf("LumMode").ToString(), "Phos");
    EXPECT_EQ(p->ValueOf("AutoLamp").ToString(), "Off");
    EXPECT_EQ(p->ValueOf("IntTime").ToDouble(), 0.5);
    EXPECT_EQ(p->ValueOf("ExSlit").ToDouble(), 5);
    EXPECT_EQ(p->ValueOf("Voltage").ToDouble(), 650);
    EXPECT_EQ(p->ValueOf("EmWl").ToDouble(), 520);

    const CliRun shown = Cli("method show " + file);
    ASSERT_EQ(shown.exit, 0) << shown.output;
    for (const char* text : {"Method: Three wells", "Gain:", "Low", "Phos", "650 V",
                             "Positions (3)", "30.5", "Copy Method:\n", "\tPhos\n", "\t0.500\n"}) {
        EXPECT_NE(shown.output.find(text), std::string::npos) << text << "\n" << shown.output;
    }
}

TEST_F(MethodCli, BadInputIsRefusedAndNoFileIsWritten) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"--positions ''", "no positions given"},
        {"--positions '1,2,300,400;;3,4,300,400'", "position 2 is empty"},
        {"--positions '1,2,300'", "has 3 values"},
        {"--positions '1,2,x,500'", "ex 'x' is not a number"},
        {"--positions '10,10,100,500'",
         "Ex.Wl of position 1 does not take 100 nm (range 200..900)"},
        {"--int-time 20", "Invalid entry detected"},
        {"--int-time soon", "Invalid entry detected"},
        {"--gain Huge", "'Huge' is not one of"},
        {"--gain Custom", "--gain Custom: give the detector voltage with --voltage V"},
        {"--gain Custom --voltage 2000",
         "--voltage: \"Detector voltage\" does not take '2000' (range 250..1000)"},
        {"--voltage 7OO", "--voltage: '7OO' is not a number"},
        {"--gain Custom --voltage 775", "775 V is the gain 'Medium'"},
        {"--gain Medium --voltage 700", "700 V is the gain 'Custom'"},
        {"--positions '10,10,300,500;127,90,300,500'",
         "Y-Pos of position 2: 90 mm lies outside the stage travel 0 to 85.48 mm"},
        {"--ex-slit 50", "--ex-slit"},
        {"--lum-mode Glow",
         "--lum-mode: \"Luminescence mode\" does not take 'Glow' (range {Fluor;Phos;Lum})"},
        {"--library /nonexistent/lib.so", "/nonexistent/lib.so"},
        {"--plate 96 --positions '1,2,300,400'", "excludes"},
        {"--ex 485", "requires"},
    };
    for (const auto& [args, message] : cases) {
        const std::string file = Path("bad.json");
        const CliRun run = Cli("method new " + args + " -o " + file);
        EXPECT_EQ(run.exit, 2) << args << "\n" << run.output;
        EXPECT_NE(run.output.find(message), std::string::npos) << args << "\n" << run.output;
        EXPECT_FALSE(fs::exists(file)) << args;
    }
}

// Show and measure refuse alike, naming the file and a cell as the page shows it.
TEST_F(MethodCli, ShowAndMeasureRefuseADocumentTheModuleCannotUse) {
    const std::string good = Path("good.json");
    ASSERT_EQ(Cli("method new --positions '10,10,400,500;20,10,400,500' -o " + good).exit, 0);
    auto twoColumns = kvdova::LoadMethod(good);
    twoColumns->SetColumnCount(1, 2);
    kvdova::SaveMethod(*twoColumns, Path("two.json"));
    auto textCell = kvdova::LoadMethod(good);
    textCell->SetCell(1, 2, 2, host::Variant("ten"));
    kvdova::SaveMethod(*textCell, Path("text.json"));
    auto none = kvdova::LoadMethod(good);
    none->SetRowCount(1, 0);
    kvdova::SaveMethod(*none, Path("none.json"));
    kvbase::WriteFileAtomic(Path("torn.json"), "{\"format\": ");
    // A number cell that holds text (hand-edited) fails while the file is read.
    std::string json = kvbase::ReadFile(good);
    const auto at = json.find("\"value\": 10.0", json.find("\"rows\""));
    ASSERT_NE(at, std::string::npos);
    kvbase::WriteFileAtomic(Path("hand.json"), json.replace(at, 14, "\"value\": \"10 mm\""));

    const std::vector<std::pair<std::string, std::string>> cases = {
        {"two.json", "2 columns"},
        {"torn.json", "torn.json"},
        {"missing.json", "missing.json"},
        {"text.json", "text.json' cannot be used: Y-Pos of position 2 holds 'ten', which is no"},
        {"hand.json", "hand.json: X-Pos of position 1: expected a number"},
    };
    for (const auto& [file, message] : cases) {
        for (const std::string command : {"method show ", "measure --samples 1 --quiet "}) {
            const CliRun run = Cli(command + Path(file));
            EXPECT_EQ(run.exit, 2) << command << file << "\n" << run.output;
            EXPECT_NE(run.output.find(message), std::string::npos) << command << run.output;
            EXPECT_EQ(run.output.find("Positions"), std::string::npos) << run.output;
            EXPECT_EQ(run.output.find("samples measured"), std::string::npos) << run.output;
        }
    }
    const CliRun empty = Cli("measure --samples 1 " + Path("none.json"));
    EXPECT_EQ(empty.exit, 2) << empty.output;
    EXPECT_NE(empty.output.find("it has no positions to measure"), std::string::npos)
        << empty.output;
}

// A custom gain is its voltage: stored, shown as "Custom" on the page and as
// the voltage in Copy Method; the automatic lamp goes under its caption.
TEST_F(MethodCli, CustomGainKeepsTheVoltageGiven) {
    const std::string file = Path("custom.json");
    const CliRun made = Cli("method new --gain Custom --voltage 700 -o " + file);
    ASSERT_EQ(made.exit, 0) << made.output;
    EXPECT_EQ(kvdova::LoadMethod(file)->Params()->ValueOf("Voltage").ToDouble(), 700);
    const CliRun shown = Cli("method show " + file);
    ASSERT_EQ(shown.exit, 0) << shown.output;
    const std::string setup = shown.output.substr(0, shown.output.find("Copy Method:"));
    for (const char* text : {"Gain:                     Custom", "Detector voltage:         700 V",
                             "\nInstrument setup:\n", "  Auto Lamp:                On\n"}) {
        EXPECT_NE(setup.find(text), std::string::npos) << text << "\n" << shown.output;
    }
    EXPECT_EQ(setup.find("AutoLampOff"), std::string::npos) << shown.output;
    EXPECT_NE(shown.output.find("Detector voltage\t700\n", setup.size()), std::string::npos)
        << shown.output;
}

}  // namespace

namespace {

// A table named without an extension is written as ".txt", and that is the
// name both commands print.
TEST_F(MethodCli, MeasureAndShowNameTheTableFileTheyWrote) {
    const std::string method = std::string(ORVE_SOURCE_DIR) + "/examples/method-3pos.json";
    const CliRun run = Cli("measure " + method + " --samples 1 --quiet --out " + Path("run") +
                           " --data " + Path("run.json"));
    ASSERT_EQ(run.exit, 0) << run.output;
    EXPECT_NE(run.output.find("result table: " + Path("run.txt") + "\n"), std::string::npos)
        << run.output;
    EXPECT_TRUE(fs::exists(Path("run.txt")));
    EXPECT_FALSE(fs::exists(Path("run")));

    const CliRun show = Cli("results show " + Path("run.json") + " --quiet --out " + Path("again"));
    ASSERT_EQ(show.exit, 0) << show.output;
    EXPECT_NE(show.output.find("result table: " + Path("again.txt")), std::string::npos)
        << show.output;
    EXPECT_TRUE(fs::exists(Path("again.txt")));

    // Refusals say why.
    const CliRun again =
        Cli("results show " + Path("run.json") + " --quiet --out " + Path("again"));
    EXPECT_EQ(again.exit, 2);
    EXPECT_NE(again.output.find("exists already; give --overwrite"), std::string::npos)
        << again.output;
    const CliRun nowhere =
        Cli("results show " + Path("run.json") + " --quiet --out " + Path("none/x.txt"));
    EXPECT_EQ(nowhere.exit, 2);
    EXPECT_NE(nowhere.output.find("does not exist"), std::string::npos) << nowhere.output;
}

}  // namespace
