// orvevizari measure as a lab runs it: real processes, stopped by the signals
// a scheduler, a shutdown or a closed terminal send, killed outright, run
// against files in the way and a disk that fills up.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/error.h"
#include "platform/kvdova/acq_data_file.h"
#include "platform/loader/run_journal.h"
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
        {{"instrument", "send", "--transcript", Path("m.json"), "Get Lamp"}, "m.json"},
        {{"results", "show", Path("m.json"), "--out", Path("m.json"), "--overwrite"}, "an input"},
        // The catalogue every command reads, and the run's own journal.
        {{"measure", Path("m.json"), "--samples", "1", "--catalogue", Path("victim.txt"), "--out",
          Path("victim.txt"), "--overwrite"},
         "an input"},
        {{"method", "new", "-o", Path("victim.txt"), "--catalogue", Path("victim.txt"),
          "--overwrite", "--plate", "96"},
         "the catalogue"},
        {{"measure", Path("m.json"), "--samples", "1", "--data", Path("d.json"), "--out",
          Path("d.json.journal")},
         "the run's journal"},
        // Refused after the session opened: the transcript it began goes again.
        {{"measure", Path("m.json"), "--sample-id", "a", "--sample-id", "A", "--transcript",
          Path("new.tsv")},
         "Duplicate ID detected"},
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

// A plate file that does not describe the method's plate is refused with its
// line before the instrument moves: nothing is measured, no file is made.
TEST_F(MeasureCli, APlateFileForAnotherPlateIsRefusedByLine) {
    ASSERT_EQ(Cli({"method", "new", "-o", Path("m96.json"), "--plate", "96"}).exit, 0);
    Write("p384.txt", "# the wrong plate\nwells 384\nA1 5\n");
    Write("plain.txt", "A1 5\n");  // no "wells" line: a 96-well plate
    Write("twice.txt", "wells 96\nA1 5\nB2 3\na1 7\n");
    ASSERT_EQ(Cli({"method", "new", "-o", Path("m384.json"), "--plate", "384"}).exit, 0);
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{Path("m96.json"), Path("p384.txt")},
         "p384.txt, line 2: a 384-well plate, but the method '" + Path("m96.json") +
             "' reads the wells of a 96-well plate"},
        {{Path("m384.json"), Path("plain.txt")},
         "plain.txt: a 96-well plate (it has no \"wells\" line), but"},
        {{Path("m96.json"), Path("twice.txt")},
         "twice.txt, line 4: a1 is listed twice (first on line 2)"},
    };
    for (const auto& [files, message] : cases) {
        const auto r = Cli({"measure", files[0], "--samples", "1", "--plate", files[1], "--data",
                            Path("d.json"), "--transcript", Path("t.txt")});
        EXPECT_EQ(r.exit, 2) << r.err;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(Path("d.json")));
        EXPECT_FALSE(fs::exists(Path("t.txt")));
    }
    EXPECT_EQ(Cli({"measure", Path("m96.json"), "--samples", "1", "--quiet", "--plate",
                   Path("plain.txt"), "--data", Path("ok.json")})
                  .exit,
              0);
}

// A misspelt word is answered with the word meant, a number that is none with
// "not a number"; the common options work after the command too.
TEST_F(MeasureCli, MistypedWordsAreNamedWithWhatWasMeant) {
    const std::string de = kExamples + "catalogue-de.json";
    struct Case {
        std::vector<std::string> args;
        int exit;
        std::string said;  // on standard error, or standard output for exit 0
    };
    const std::vector<Case> cases = {
        {{"mesure", kMethod}, 2, "unknown command 'mesure'; did you mean 'measure'?"},
        {{"method", "shwo", kMethod}, 2, "unknown command 'shwo'; did you mean 'show'?"},
        {{"results", "exprot", "d.json"}, 2, "unknown command 'exprot'; did you mean 'export'?"},
        {{"instrument", "sned", "Get Lamp"}, 2, "did you mean 'send'?"},
        {{"measure", kMethod, "--sampels", "2"},
         2,
         "unknown option '--sampels'; did you mean '--samples'?"},
        {{"--catalgue", de, "info"}, 2, "did you mean '--catalogue'?"},
        {{"measure", kMethod, "--catalgue", de}, 2, "did you mean '--catalogue'?"},
        {{"frobnicate"}, 2, "unknown command 'frobnicate'; the commands here are: info,"},
        {{"method"}, 2, "'method' needs one of its commands: new, show"},
        {{"measure", kMethod, "--samples", "x"}, 2, "--samples: 'x' is not a number"},
        {{"measure", kMethod, "--samples", "1", "--cycles", "1.5"},
         2,
         "--cycles: '1.5' is not a whole number"},
        {{"measure", kMethod, "--samples", "0"}, 2, "--samples: '0' is outside the range 1 to"},
        {{"measure", kMethod, "--samples", "1", "--realtime", "--speed", "fast"},
         2,
         "--speed: 'fast' is not a number"},
        {{"method", "show", kMethod, "--catalogue", de}, 0, "Lampe auto.:"},
        {{"measure", kMethod, "--samples", "1", "--library", Path("none.so")}, 2, "none.so"},
        {{"info", "--library", Path("none.so"), "--catalogue", de},
         2,
         "die Komponentenbibliothek '" + Path("none.so") + "' gibt es nicht"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        const auto r = Cli(c.args);
        EXPECT_EQ(r.exit, c.exit) << r.err;
        EXPECT_NE((c.exit == 0 ? r.out : r.err).find(c.said), std::string::npos) << r.out << r.err;
    }
}

// With the German catalogue the program's own texts are German, from the page
// to a run's summary, warnings and refusals; the exit statuses stay the same.
TEST_F(MeasureCli, TheGermanCatalogueSpeaksGermanWithTheSameExitStatuses) {
    const std::string de = kExamples + "catalogue-de.json";
    const auto show = Cli({"method", "show", kMethod, "--catalogue", de});
    ASSERT_EQ(show.exit, 0) << show.err;
    for (const char* heading :
         {"Methode: Three positions\n\nEingaben:\n", "\nGeräteeinstellungen:\n",
          "\nPositionen (3):\n", "\nMethode kopieren:\n"})
        EXPECT_NE(show.out.find(heading), std::string::npos) << heading << "\n" << show.out;

    const std::vector<std::string> run = {"measure",     kMethod,
                                          "--samples",   "2",
                                          "--out",       Path("t.tsv"),
                                          "--sim-fault", "Park WPR=Stage:stage blocked",
                                          "--catalogue", de};
    const auto measured = Cli(run);
    ASSERT_EQ(measured.exit, 0) << measured.err;
    EXPECT_EQ(measured.out.rfind("2 von 2 Proben gemessen; Gerätezeit ", 0), 0u) << measured.out;
    EXPECT_NE(measured.out.find(" s\nErgebnistabelle: " + Path("t.tsv") + "\nMessdaten: "),
              std::string::npos)
        << measured.out;
    EXPECT_NE(measured.err.find("Probe 2 von 2, Position 3 von 3, vergangen"), std::string::npos)
        << measured.err;
    EXPECT_NE(measured.err.find(
                  "orvevizari: Warnung: das Gerät hat \"Park WPR\" abgelehnt: stage blocked\n"),
              std::string::npos)
        << measured.err;

    const std::string table = testproc::ReadText(Path("t.tsv"));
    const auto again = Cli(run);
    EXPECT_EQ(again.exit, 2);
    EXPECT_EQ(again.err, "orvevizari: die Ergebnistabelle '" + Path("t.tsv") +
                             "' existiert bereits; zum Ersetzen --overwrite angeben\n");
    EXPECT_EQ(testproc::ReadText(Path("t.tsv")), table);

    const auto mistyped = Cli({"measure", kMethod, "--samples", "x", "--catalogue", de});
    EXPECT_EQ(mistyped.exit, 2);
    EXPECT_EQ(mistyped.err,
              "orvevizari: --samples: 'x' ist keine Zahl\nWeitere Informationen gibt es mit "
              "--help.\n");
}

// --- Runs that lose nothing: killed outright, journals cut short, a full disk ---

// Intensity and reference of every reading the instrument delivered, in order,
// as the transcript shows them.
std::vector<std::pair<double, double>> Delivered(const std::string& transcript) {
    std::vector<std::pair<double, double>> out;
    std::istringstream in(transcript);
    std::string line, command;
    while (std::getline(in, line)) {
        if (line.rfind("> ", 0) == 0) command = line.substr(2);
        if (command == "Get Int" && line.rfind("= ", 0) == 0)
            out.emplace_back(std::stod(line.substr(2)), std::stod(line.substr(line.find(',') + 1)));
    }
    return out;
}

std::vector<std::pair<double, double>> Stored(const host::AcqData& data) {
    std::vector<std::pair<double, double>> out;
    for (std::int32_t k = 1; k <= data.ResultCount(); ++k) {
        const auto r = data.Result(k);
        out.emplace_back(r.record->Value(1), r.record->Value(2));
    }
    return out;
}

class KilledRuns : public MeasureCli {
  protected:
    // A 96-well method, quick readings.
    void SetUp() override {
        MeasureCli::SetUp();
        ASSERT_EQ(
            Cli({"method", "new", "-o", Path("p96.json"), "--plate", "96", "--int-time", "0.1"})
                .exit,
            0);
    }
    // Starts a sped-up real-time run and kills it with SIGKILL once the
    // instrument has delivered `readings` readings. Returns the transcript.
    std::string KillAfter(int readings, const std::string& data, const std::string& method = "",
                          int samples = 1) {
        const std::string transcript = data + ".transcript";
        testproc::Process cli({kCli, "measure", method.empty() ? Path("p96.json") : method,
                               "--samples", std::to_string(samples), "--realtime", "--speed", "40",
                               "--quiet", "--transcript", transcript, "--data", data},
                              data + ".out", {"ORVE_REGISTRY_DIR=" + Path("home")});
        EXPECT_TRUE(cli.Started());
        const bool reached = testproc::WaitUntil(
            [&] {
                return static_cast<int>(Delivered(testproc::ReadText(transcript)).size()) >=
                       readings;
            },
            60.0);
        EXPECT_TRUE(reached) << cli.Output();
        cli.Signal(SIGKILL);
        EXPECT_EQ(cli.Wait(30.0), -SIGKILL) << cli.Output();
        return testproc::ReadText(transcript);
    }
};

// Killed at twenty points of a run, the journal gives back every reading the
// instrument delivered before the kill, at most the one in flight missing,
// and none it did not deliver.
TEST_F(KilledRuns, RecoveryGivesBackEveryDeliveredReading) {
    for (int point = 0; point < 20; ++point) {
        const int after = 1 + point * 5;  // readings 1 … 96
        SCOPED_TRACE("killed after reading " + std::to_string(after));
        const std::string data = Path("d" + std::to_string(point) + ".json");
        const auto delivered = Delivered(KillAfter(after, data));
        const auto r = Cli({"results", "recover", data + ".journal"});
        ASSERT_EQ(r.exit, 0) << r.err;
        EXPECT_NE(r.out.find("(interrupted and recovered)"), std::string::npos) << r.out;
        const auto recovered = kvdova::LoadAcqData(data);
        const auto stored = Stored(*recovered);
        ASSERT_GE(delivered.size(), static_cast<std::size_t>(after));
        EXPECT_GE(stored.size() + 1, delivered.size());
        ASSERT_LE(stored.size(), delivered.size());
        for (std::size_t i = 0; i < stored.size(); ++i) {
            EXPECT_EQ(stored[i].first, delivered[i].first) << "reading " << i + 1;
            EXPECT_EQ(stored[i].second, delivered[i].second) << "reading " << i + 1;
        }
        EXPECT_EQ(recovered->RunInfo().at("outcome"), "interrupted and recovered");
        // The journal of the interrupted run blocks a new run onto the same data.
        const auto again = Cli({"measure", Path("p96.json"), "--samples", "1", "--data", data,
                                "--overwrite", "--quiet"});
        EXPECT_EQ(again.exit, 2);
        EXPECT_NE(again.err.find("orvevizari results recover " + data + ".journal"),
                  std::string::npos)
            << again.err;
    }
}

// Cut at any byte of its last three lines, a journal recovers, its torn last
// line dropped; a malformed line before the last is refused with its number.
TEST_F(KilledRuns, AJournalCutAnywhereRecoversOrIsRefusedByLine) {
    const std::string data = Path("d.json");
    // A sample's end among the last lines.
    KillAfter(5, data, kMethod, 3);
    const std::string text = testproc::ReadText(data + ".journal");
    ASSERT_FALSE(text.empty());
    ASSERT_EQ(text.back(), '\n');
    std::size_t cutFrom = text.size() - 1;
    for (int lines = 0; lines < 3; ++lines) cutFrom = text.rfind('\n', cutFrom - 1);
    const auto whole = loader::ReadJournal(text, "j");
    for (std::size_t n = cutFrom + 1; n <= text.size(); ++n) {
        const auto cut = loader::ReadJournal(text.substr(0, n), "j");
        EXPECT_EQ(cut.tornLastLine, text[n - 1] != '\n') << n;
        EXPECT_LE(cut.readings, whole.readings);
        EXPECT_GE(cut.readings, whole.readings - 3);
        EXPECT_EQ(cut.data->ResultCount(), cut.readings);
    }
    // Lines that are whole but cannot be what a run wrote.
    const std::string start = text.substr(0, text.find('\n') + 1);
    const std::string item = R"({"event":"item","group":"type1","id":"A","number":1})"
                             "\n";
    const std::string reading =
        R"({"event":"reading","item":1,"position":1,"type":1,"values":[1,2,0,3],"seconds":3,)"
        R"("instrumentSeconds":3,"utc":"x"})"
        "\n";
    for (const auto& [lines, why] : std::vector<std::pair<std::string, std::string>>{
             {reading, "line 2: item: no sample 1"},
             {item + item, "line 3: number: sample 1 comes after sample 1"},
             {item + R"({"event":"reading","item":1,"position":1,"type":1,"values":[],)"
                     R"("seconds":3,"instrumentSeconds":3,"utc":"x"})"
                     "\n",
              "line 3: values"},
             {"", "no run start"}}) {
        try {
            loader::ReadJournal((lines.empty() ? "" : start) + lines, "j");
            ADD_FAILURE() << "taken: " << lines;
        } catch (const host::Error& e) {
            EXPECT_NE(e.Text().find(why), std::string::npos) << e.Text();
        }
    }
    std::string broken = text;
    const std::size_t line5 = [&] {
        std::size_t at = 0;
        for (int i = 0; i < 4; ++i) at = broken.find('\n', at) + 1;
        return at;
    }();
    broken.insert(line5, "{\"event\":\"reading\",\"item\":1,");
    try {
        loader::ReadJournal(broken, "j");
        ADD_FAILURE() << "a malformed fifth line was taken";
    } catch (const host::Error& e) {
        EXPECT_EQ(e.Number(), loader::kErrJournal);
        EXPECT_NE(e.Text().find("line 5"), std::string::npos) << e.Text();
    }
}

// The table of a recovery is refused when it exists, as every output is, also
// when the data file is the empty one a killed run reserved.
TEST_F(KilledRuns, RecoveryNeverWritesOverATable) {
    const std::string data = Path("d.json");
    KillAfter(2, data, kMethod, 1);
    Write("d.json", "");
    Write("precious.tsv", "precious");
    const auto refused =
        Cli({"results", "recover", data + ".journal", "--out", Path("precious.tsv")});
    EXPECT_EQ(refused.exit, 2) << refused.err;
    EXPECT_EQ(testproc::ReadText(Path("precious.tsv")), "precious");
    const auto r = Cli({"results", "recover", data + ".journal", "--out", Path("new.tsv")});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(kvdova::LoadAcqData(data)->RunInfo().at("outcome"), "interrupted and recovered");
}

// A journal that cannot be written stops the run before the next position:
// the reader parked, the lamp off, and the journal holding whole lines only.
TEST_F(KilledRuns, AFullDiskStopsTheRunParkedAndDark) {
    const std::string data = Path("d.json");
    // The journal reaches the file size limit after some readings; the
    // transcript stays below it.
    const auto r = Cli({"measure", Path("p96.json"), "--samples", "1", "--quiet", "--data", data,
                        "--transcript", Path("t.txt")},
                       "ulimit -f 80; ");
    EXPECT_EQ(r.exit, 1) << r.err;
    EXPECT_NE(r.err.find("cannot write the run journal"), std::string::npos) << r.err;
    const std::string t = testproc::ReadText(Path("t.txt"));
    const auto delivered = Delivered(t);
    ASSERT_GT(delivered.size(), 1u);
    ASSERT_LT(delivered.size(), 96u);
    const auto lastRead = t.rfind("> Get Int");
    EXPECT_NE(t.find("> Set Lamp=Off", lastRead), std::string::npos) << t.substr(lastRead);
    EXPECT_NE(t.find("> Park WPR", lastRead), std::string::npos) << t.substr(lastRead);
    const std::string journal = testproc::ReadText(data + ".journal");
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ(journal.back(), '\n');
    const auto recovered = loader::ReadJournal(journal, "j");
    EXPECT_FALSE(recovered.tornLastLine);
    EXPECT_EQ(static_cast<std::size_t>(recovered.readings) + 1, delivered.size());
    // The one reading in neither the journal nor the data is on the screen.
    EXPECT_NE(
        r.err.find(fmt::format("a reading saved nowhere (neither journal nor data): S1 "
                               "position {}: {} {}",
                               delivered.size(), delivered.back().first, delivered.back().second)),
        std::string::npos)
        << r.err;
}

// --- Kinetic runs ---

TEST_F(MeasureCli, KineticCyclesCarryTheirNumberAndTime) {
    const auto r = Cli({"measure", kMethod, "--samples", "2", "--cycles", "3", "--interval", "60",
                        "--data", Path("k.json"), "--quiet"});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.out.find("6 of 6 samples measured in 3 of 3 cycles"), std::string::npos) << r.out;
    const auto data = kvdova::LoadAcqData(Path("k.json"));
    std::vector<std::string> ids;
    for (std::int32_t i = 1; i <= data->ItemCount(host::ItemGroup::Type1); ++i)
        ids.push_back(data->ItemId(host::ItemGroup::Type1, i));
    EXPECT_EQ(ids, (std::vector<std::string>{"S1@1", "S2@1", "S1@2", "S2@2", "S1@3", "S2@3"}));
    ASSERT_EQ(data->ResultCount(), 18);
    for (std::int32_t k = 1; k <= 18; ++k) {
        // Each cycle starts 60 s after the one before and takes less than that.
        const double seconds = data->Result(k).record->Value(4);
        const double cycleStart = 60.0 * ((k - 1) / 6);
        EXPECT_GT(seconds, cycleStart) << k;
        EXPECT_LT(seconds, cycleStart + 60.0) << k;
    }
    const auto info = data->RunInfo();
    EXPECT_EQ(info.at("cyclesAsked"), "3");
    EXPECT_EQ(info.at("cyclesDone"), "3");
    EXPECT_EQ(std::stod(info.at("intervalAchieved")), 60.0);

    // Cycles longer than the interval start at once, and say so.
    const auto late = Cli({"measure", kMethod, "--samples", "1", "--cycles", "2", "--interval", "1",
                           "--quiet", "--data", Path("late.json")});
    EXPECT_EQ(late.exit, 0) << late.err;
    EXPECT_NE(late.err.find("warning: cycle 2 started"), std::string::npos) << late.err;

    // A plan that makes no sense is refused before anything is made.
    for (const auto& bad :
         std::vector<std::vector<std::string>>{{"--cycles", "0"},
                                               {"--interval", "-1"},
                                               {"--interval", "abc"},
                                               {"--cycles", "200000", "--samples", "100"}}) {
        std::vector<std::string> args = {"measure", kMethod, "--data", Path("bad.json")};
        args.insert(args.end(), bad.begin(), bad.end());
        if (bad.size() < 4) args.insert(args.end(), {"--samples", "1"});
        const auto refused = Cli(args);
        EXPECT_EQ(refused.exit, 2) << bad.back();
        EXPECT_FALSE(refused.err.empty());
        EXPECT_FALSE(fs::exists(Path("bad.json")));
    }
}

// Ctrl-C while the run waits for its next cycle ends it at once as an abort,
// with the cycles done kept.
TEST_F(MeasureCli, CtrlCBetweenCyclesEndsTheRunAtOnce) {
    const std::string transcript = Path("t.txt"), data = Path("d.json");
    testproc::Process cli(
        {kCli, "measure", kMethod, "--samples", "1", "--cycles", "2", "--interval", "2000",
         "--realtime", "--speed", "20", "--quiet", "--transcript", transcript, "--data", data},
        Path("out.txt"), {"ORVE_REGISTRY_DIR=" + Path("home")});
    // The sample's lamp goes off when its last reading is in: the run now
    // waits 100 s of wall time for the second cycle.
    ASSERT_TRUE(testproc::WaitUntil(
        [&] {
            const std::string t = testproc::ReadText(transcript);
            return Delivered(t).size() == 3 && t.rfind("> Set Lamp=Off") > t.rfind("> Get Int");
        },
        60.0))
        << cli.Output();
    cli.Signal(SIGINT);
    EXPECT_EQ(cli.Wait(30.0), 130) << cli.Output();
    EXPECT_EQ(Delivered(testproc::ReadText(transcript)).size(), 3u);
    const auto stored = kvdova::LoadAcqData(data);
    EXPECT_EQ(stored->ResultCount(), 3);
    EXPECT_EQ(stored->RunInfo().at("outcome"), "aborted by SIGINT");
    EXPECT_EQ(stored->RunInfo().at("cyclesDone"), "1");
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
