// The server program and the command-line host as separate processes on a
// Unix socket: the same run as on the embedded simulator, and the faults of
// the way between them (no server, either side killed or frozen, two hosts
// on one instrument, the server stopped).
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>

#include "host/error.h"
#include "platform/kvdova/acq_data_file.h"
#include "platform/remote/listen_checks.h"
#include "remote_fixture.h"

namespace {

const std::string kMethod = std::string(ORVE_SOURCE_DIR) + "/examples/method-3pos.json";

// The answers of the intensity reads in a transcript, in order.
std::vector<std::string> Readings(const std::string& transcript) {
    std::vector<std::string> readings;
    const auto lines = TextLines(transcript);
    for (std::size_t i = 0; i + 2 < lines.size(); ++i) {
        if (lines[i] == "> Get Int" && lines[i + 1] == "<" && lines[i + 2].rfind("= ", 0) == 0)
            readings.push_back(lines[i + 2].substr(2));
    }
    return readings;
}

// The first value of each reading, as the result table holds it.
std::vector<double> Intensities(const std::string& dataPath) {
    auto data = kvdova::LoadAcqData(dataPath);
    std::vector<double> values;
    for (std::int32_t k = 1; k <= data->ResultCount(); ++k)
        values.push_back(data->Result(k).record->Value(1));
    return values;
}

std::vector<double> Intensities(const std::vector<std::string>& readings) {
    std::vector<double> values;
    for (const auto& r : readings) values.push_back(std::strtod(r.c_str(), nullptr));
    return values;
}

using RemoteRun = RemoteTest;

TEST_F(RemoteRun, SameTranscriptAndReadingsAsTheEmbeddedSimulator) {
    ASSERT_EQ(RunCli({"measure", kMethod, "--samples", "2", "--out", Path("embedded.tsv"), "--data",
                      Path("embedded.json"), "--transcript", Path("embedded.txt"), "--quiet"},
                     nullptr, false),
              0);
    auto& server = StartServer({"--speed", "1000", "--transcript", Path("server.txt")});
    std::string text;
    ASSERT_EQ(RunCli({"measure", kMethod, "--samples", "2", "--out", Path("remote.tsv"), "--data",
                      Path("remote.json"), "--quiet"},
                     &text),
              0)
        << text;

    EXPECT_EQ(testproc::ReadText(Path("server.txt")), testproc::ReadText(Path("embedded.txt")));
    EXPECT_EQ(Readings(testproc::ReadText(Path("server.txt"))).size(), 6u);
    EXPECT_EQ(testproc::ReadText(Path("remote.tsv")), testproc::ReadText(Path("embedded.tsv")));
    EXPECT_EQ(Intensities(Path("remote.json")), Intensities(Path("embedded.json")));

    server.Signal(SIGTERM);
    EXPECT_EQ(server.Wait(20.0), 0) << server.Output();
    const std::string log = server.Output();
    EXPECT_EQ(CountOf(log, "opened by"), CountOf(log, "closed ("));
    EXPECT_EQ(CountOf(log, "lock taken"), 1) << log;
    EXPECT_EQ(CountOf(log, "lock released"), 1) << log;
    EXPECT_FALSE(std::filesystem::exists(Path("server.sock")));
}

TEST_F(RemoteRun, NoServerOrSimulatorSettingsWithOneAreRefused) {
    std::string text;
    EXPECT_EQ(RunCli({"--server", "unix:" + Path("none.sock"), "measure", kMethod, "--samples", "1",
                      "--data", Path("none.json")},
                     &text, false),
              1);
    EXPECT_NE(text.find("instrument server unix:" + Path("none.sock") + ": unavailable"),
              std::string::npos)
        << text;
    EXPECT_FALSE(std::filesystem::exists(Path("none.json")));

    StartServer({});
    EXPECT_EQ(RunCli({"measure", kMethod, "--samples", "1", "--sim-fault", "Get Int=stall"}, &text),
              2);
    EXPECT_NE(text.find("give them to the server"), std::string::npos) << text;
    EXPECT_EQ(RunCli({"--server", "unix://relative.sock", "info"}, &text, false), 2);
    EXPECT_NE(text.find("after unix:// the path must be absolute"), std::string::npos) << text;
}

TEST_F(RemoteRun, ServerKilledMidRunEndsItAndKeepsWhatWasMeasured) {
    // The fourth reading runs until the kill.
    auto& server = StartServer(
        {"--speed", "1000", "--transcript", Path("server.txt"), "--sim-fault", "Get Int#4=hold"});
    auto& cli = StartCli({"measure", kMethod, "--samples", "2", "--out", Path("run.tsv"), "--data",
                          Path("run.json"), "--quiet"},
                         "cli.out");
    ASSERT_TRUE(testproc::WaitUntil(
        [&] { return CountOf(testproc::ReadText(Path("server.txt")), "> Get Int") == 4; }, 60.0));
    server.Signal(SIGKILL);
    EXPECT_EQ(cli.Wait(60.0), 1) << cli.Output();
    EXPECT_NE(cli.Output().find("instrument server " + Socket() + ": unavailable"),
              std::string::npos)
        << cli.Output();

    // Every reading that reached the host is in the data file and the table,
    // in the order the instrument gave them.
    const auto measured = Intensities(Path("run.json"));
    EXPECT_EQ(measured.size(), 3u);
    EXPECT_EQ(measured, Intensities(Readings(testproc::ReadText(Path("server.txt")))));
    const auto table = TextLines(testproc::ReadText(Path("run.tsv")));
    ASSERT_GE(table.size(), 2u);
    EXPECT_EQ(table[1].rfind("S1\t", 0), 0u) << table[1];
}

TEST_F(RemoteRun, KilledClientLosesItsLockAndItsCommand) {
    // The first lamp switch runs until it is stopped: the kill lands while
    // it runs, however slow the machine.
    auto& server =
        StartServer({"--transcript", Path("server.txt"), "--sim-fault", "Set Lamp=On#1=hold"});
    auto& first = StartCli({"measure", kMethod, "--samples", "1", "--quiet"}, "first.out");
    // Killed while a synchronous command runs.
    ASSERT_TRUE(
        testproc::WaitUntil([&] { return LastLineIs(Path("server.txt"), "> Set Lamp=On"); }, 60.0));
    first.Signal(SIGKILL);
    const auto killed = std::chrono::steady_clock::now();
    ASSERT_TRUE(server.WaitForOutput("lock released by session 2", 10.0)) << server.Output();
    std::cout << "[ remote   ] the killed client's lock was released after "
              << std::chrono::duration<double>(std::chrono::steady_clock::now() - killed).count()
              << " s\n";
    ASSERT_TRUE(server.WaitForOutput("session 2 closed", 10.0));
    const std::string transcript = testproc::ReadText(Path("server.txt"));
    const auto after = transcript.substr(transcript.rfind("> Set Lamp=On"));
    EXPECT_NE(after.find("# EmergencyStop"), std::string::npos) << after;
    EXPECT_NE(after.find("< Stopped"), std::string::npos) << after;

    std::string text;
    EXPECT_EQ(RunCli({"measure", kMethod, "--samples", "1", "--quiet"}, &text), 0) << text;
}

TEST_F(RemoteRun, AFrozenClientIsDroppedByKeepalive) {
    // Its first reading runs until it is stopped: the client is frozen mid-run.
    auto& server = StartServer(
        {"--speed", "1000", "--transcript", Path("server.txt"), "--sim-fault", "Get Int#1=hold"});
    auto& first = StartCli({"measure", kMethod, "--samples", "3", "--quiet"}, "first.out");
    ASSERT_TRUE(
        testproc::WaitUntil([&] { return LastLineIs(Path("server.txt"), "> Get Int"); }, 60.0));
    ASSERT_TRUE(server.WaitForOutput("lock taken by session 2", 60.0)) << server.Output();
    // Stopped, it keeps its connection open but answers no ping: as when the
    // network between them is gone.
    first.Signal(SIGSTOP);
    const auto frozen = std::chrono::steady_clock::now();
    ASSERT_TRUE(server.WaitForOutput("lock released by session 2", 15.0)) << server.Output();
    std::cout << "[ remote   ] the frozen client was dropped after "
              << std::chrono::duration<double>(std::chrono::steady_clock::now() - frozen).count()
              << " s\n";
    std::string text;
    EXPECT_EQ(RunCli({"measure", kMethod, "--samples", "1", "--quiet"}, &text), 0) << text;
    first.Signal(SIGKILL);
}

// Transcript lines of a refused second host between those of a run: its lock
// notes, and its commands with the "Locked" reply.
bool OnlyRefusedLinesBetween(const std::vector<std::string>& alone,
                             const std::vector<std::string>& both, std::string* why) {
    std::size_t a = 0;
    for (std::size_t b = 0; b < both.size(); ++b) {
        if (a < alone.size() && both[b] == alone[a]) {
            ++a;
        } else if (both[b] == "# Lock 1" || both[b] == "# Lock 0") {
        } else if (both[b].rfind("> ", 0) == 0 && b + 1 < both.size() &&
                   both[b + 1].rfind("< Locked:", 0) == 0) {
            ++b;
        } else {
            *why = "line " + std::to_string(b + 1) + ": " + both[b];
            return false;
        }
    }
    if (a != alone.size()) *why = "the run's line " + std::to_string(a + 1) + " is missing";
    return a == alone.size();
}

TEST_F(RemoteRun, SecondMeasureGetsTheLockedErrorAndTheFirstRunsAsAlone) {
    ASSERT_EQ(RunCli({"measure", kMethod, "--samples", "2", "--out", Path("alone.tsv"),
                      "--transcript", Path("alone.txt"), "--quiet"},
                     nullptr, false),
              0);
    auto& server = StartServer({"--speed", "4", "--transcript", Path("server.txt")});
    auto& first = StartCli(
        {"measure", kMethod, "--samples", "2", "--out", Path("first.tsv"), "--quiet"}, "first.out");
    ASSERT_TRUE(server.WaitForOutput("lock taken by session 2", 60.0)) << server.Output();
    std::string text;
    EXPECT_EQ(RunCli({"measure", kMethod, "--samples", "1", "--out", Path("second.tsv")}, &text),
              1);
    EXPECT_NE(text.find("locked by another client"), std::string::npos) << text;
    EXPECT_TRUE(first.Running()) << "the first run ended before the second tried";
    EXPECT_EQ(first.Wait(120.0), 0) << first.Output();

    EXPECT_EQ(testproc::ReadText(Path("first.tsv")), testproc::ReadText(Path("alone.tsv")));
    std::string why;
    EXPECT_TRUE(OnlyRefusedLinesBetween(TextLines(testproc::ReadText(Path("alone.txt"))),
                                        TextLines(testproc::ReadText(Path("server.txt"))), &why))
        << why;
}

TEST_F(RemoteRun, SigtermStopsTheRunningCommandEndsTheSessionsAndExitsZero) {
    auto& server =
        StartServer({"--transcript", Path("server.txt"), "--sim-fault", "Set Lamp=On#1=hold"});
    auto& cli = StartCli({"measure", kMethod, "--samples", "1", "--quiet"}, "cli.out");
    ASSERT_TRUE(
        testproc::WaitUntil([&] { return LastLineIs(Path("server.txt"), "> Set Lamp=On"); }, 60.0));
    server.Signal(SIGTERM);
    EXPECT_EQ(server.Wait(20.0), 0) << server.Output();
    EXPECT_NE(server.Output().find("session 2 closed"), std::string::npos) << server.Output();
    const std::string transcript = testproc::ReadText(Path("server.txt"));
    EXPECT_NE(transcript.substr(transcript.rfind("> Set Lamp=On")).find("# EmergencyStop"),
              std::string::npos)
        << transcript;
    // The client hears of it either as the stopped command's reply or, when
    // the session ended first, as the transport's error: both end its run.
    EXPECT_EQ(cli.Wait(60.0), 1) << cli.Output();
    const std::string said = cli.Output();
    EXPECT_TRUE(said.find("instrument server " + Socket()) != std::string::npos ||
                said.find("emergency stop") != std::string::npos)
        << said;
}

TEST_F(RemoteRun, TheServerRefusesAnOpenOrTakenAddressAndAnExistingTranscript) {
    // Settled before anything listens, so no address other machines reach is
    // ever opened here: plain text elsewhere than loopback only when asked.
    remote::ServeOptions plain;
    const auto open = remote::ParseAddress("lab-pc.example:50051");
    try {
        remote::ListenCredentials(plain, open);
        ADD_FAILURE() << "plain text to other machines was taken";
    } catch (const host::Error& e) {
        EXPECT_NE(e.Text().find("--insecure"), std::string::npos) << e.Text();
    }
    plain.insecure = true;
    EXPECT_NE(remote::ListenCredentials(plain, open), nullptr);

    // An existing transcript is no more replaced than the command line's outputs.
    const std::string transcript = Path("kept.txt");
    std::ofstream(transcript) << "kept\n";
    auto& refused = Start("orvevizari-server", {"--listen", Socket(), "--transcript", transcript},
                          "refused.out");
    EXPECT_EQ(refused.Wait(20.0), 2);
    EXPECT_NE(refused.Output().find("exists already; give --overwrite"), std::string::npos)
        << refused.Output();
    EXPECT_EQ(testproc::ReadText(transcript), "kept\n");

    StartServer({});
    auto& second = Start("orvevizari-server", {"--listen", Socket()}, "second.out");
    EXPECT_EQ(second.Wait(20.0), 1);
    EXPECT_NE(second.Output().find("another instrument server listens at " + Socket()),
              std::string::npos)
        << second.Output();
    std::string text;
    EXPECT_EQ(RunCli({"instrument", "send", "Get Lamp"}, &text), 0) << text;
}

}  // namespace
