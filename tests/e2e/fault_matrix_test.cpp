// Every command of representative runs, failed in every way that applies to
// it, against the policy of the step that sent it. The cases come from the
// transcript of a clean run, so a command the run gains joins by itself.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host/context.h"
#include "host/error.h"
#include "module/class_factory.h"
#include "module/ucvizari.h"
#include "platform/controls/file_dialogs.h"
#include "platform/kvbase/progress.h"
#include "platform/kvdova/documents.h"
#include "platform/loader/forwarding_server.h"
#include "platform/loader/host_session.h"
#include "platform/loader/reference_host.h"
#include "platform/qnserver/instrument.h"
#include "platform/qnserver/server_factory.h"
#include "platform/remote/instrument_service.h"
#include "platform/remote/remote_factory.h"
#include "platform/remote/serial_instruments.h"
#include "scenario_fixture.h"

namespace {

namespace fs = std::filesystem;

// Passes every call on and notes the commands that are started asynchronously.
class NotingServer final : public loader::ForwardingServer {
  public:
    NotingServer(std::shared_ptr<host::InstrumentServer> inner, std::set<std::string>& asynch)
        : ForwardingServer(std::move(inner)), asynch_(asynch) {}
    std::string StartAsynch(const std::string& command) override {
        asynch_.insert(command);
        return Inner().StartAsynch(command);
    }

  private:
    std::set<std::string>& asynch_;
};

// The host's simulator served over the instrument server protocol on a Unix
// socket, and the host's client of it: the remote path in one process.
struct RemotePath {
    RemotePath(host::InstrumentServerFactory& simulator, const std::string& socket)
        : service(Serving(simulator), Listen(socket)), client(Connect(socket)) {}
    remote::SerialInstruments& Serving(host::InstrumentServerFactory& simulator) {
        serial.Serve(simulator);
        return serial;
    }
    static remote::ServeOptions Listen(const std::string& socket) {
        remote::ServeOptions o;
        o.address = "unix:" + socket;
        return o;
    }
    static remote::ClientOptions Connect(const std::string& socket) {
        remote::ClientOptions o;
        o.address = "unix:" + socket;
        return o;
    }
    remote::SerialInstruments serial;
    remote::InstrumentService service;
    remote::RemoteInstrumentFactory client;
};

// The reference host, its instrument clients noting the asynchronous
// commands; with a socket, they reach its simulator through the protocol.
class NotingHost final : public loader::ReferenceHost {
  public:
    explicit NotingHost(const std::string& socket)
        : loader::ReferenceHost(loader::HostOptions{}),
          remote_(socket.empty() ? nullptr : std::make_unique<RemotePath>(Simulator(), socket)),
          factory_(
              remote_ ? remote_->client : static_cast<host::InstrumentServerFactory&>(Simulator()),
              [this](std::shared_ptr<host::InstrumentServer> inner) {
                  return std::make_shared<NotingServer>(std::move(inner), asynch_);
              }) {}
    host::InstrumentServerFactory& Instruments() override { return factory_; }
    const std::set<std::string>& Asynch() const { return asynch_; }

  private:
    std::set<std::string> asynch_;
    std::unique_ptr<RemotePath> remote_;
    loader::WrappingFactory factory_;
};

// What a step does with a failure, and how the matrix fails a command.
enum class Phase { Setup, DarkCurrent, Sample, Exit };
enum class Kind { Reply, StartReply, Busy, Stall, Throw, StartThrow };
enum class Outcome { InitFails, SampleFails, RunsThrough };

const char* KindName(Kind k) {
    switch (k) {
        case Kind::Reply:
            return "reply";
        case Kind::StartReply:
            return "start reply";
        case Kind::Busy:
            return "busy+abort";
        case Kind::Stall:
            return "stall";
        case Kind::Throw:
            return "throw";
        case Kind::StartThrow:
            return "start throw";
    }
    return "?";
}
const char* OutcomeName(Outcome o) {
    switch (o) {
        case Outcome::InitFails:
            return "InitMeasurement fails";
        case Outcome::SampleFails:
            return "MeasureSample fails";
        case Outcome::RunsThrough:
            return "run goes on";
    }
    return "?";
}

constexpr const char* kInjected = "Injected:injected fault";

std::string RuleReply(Kind k) {
    switch (k) {
        case Kind::Reply:
            return kInjected;
        case Kind::StartReply:
            return std::string("start:") + kInjected;
        case Kind::Busy:
            return "busy";
        case Kind::Stall:
            return "stall";
        case Kind::Throw:
            return "throw";
        case Kind::StartThrow:
            return "start:throw";
    }
    return "";
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

std::vector<std::string> SentOf(const std::vector<std::string>& lines) {
    std::vector<std::string> sent;
    for (const auto& l : lines)
        if (l.rfind("> ", 0) == 0) sent.push_back(l.substr(2));
    return sent;
}

// The answers of the intensity reads that succeeded, in order.
std::vector<std::string> Readings(const std::vector<std::string>& lines) {
    std::vector<std::string> answers;
    for (std::size_t i = 0; i + 2 < lines.size(); ++i) {
        if (lines[i] != "> Get Int") continue;
        std::size_t j = i + 1;
        while (j < lines.size() && lines[j][0] == '#') ++j;  // notes between command and reply
        if (j + 1 < lines.size() && lines[j] == "<" && lines[j + 1].rfind("= ", 0) == 0)
            answers.push_back(lines[j + 1].substr(2));
    }
    return answers;
}

std::vector<std::string> SplitOn(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, sep)) parts.push_back(part);
    if (!text.empty() && text.back() == sep) parts.emplace_back();
    return parts;
}

struct Config {
    const char* name;
    const char* lumMode;
    bool autoLamp;
    bool remote = false;  // through the instrument server protocol
    int every = 1;        // runs every Nth case only
};
void PrintTo(const Config& c, std::ostream* os) {
    *os << c.name;
}

// Three wells of the built-in plate, each at its own wavelengths so every
// position moves the monochromators.
const std::vector<Position> kPositions = {
    {14.38, 11.24, 485, 520}, {23.38, 11.24, 480, 525}, {14.38, 20.24, 490, 515}};
const std::vector<std::string> kSampleIds = {"A1", "A2"};

// One host with its control, as a host has it before it measures.
class Rig {
  public:
    // With a socket, the instrument is reached through the protocol.
    explicit Rig(const std::string& socket = {}) {
        host_ = std::make_shared<NotingHost>(socket);
        host_->Simulator().GetInstrument().GetTranscript().SetStream(&transcript_);
        control_ = module::TheClassFactory().CreateInstance(host_);
        control_->Advise(&sink_);
        auto cfg = kvdova::NewUserConfig();
        host::ParamDef d;
        d.id = "AutoClearResults";
        d.dataType = host::kTypeBoolean;
        cfg->Settings()->Add(d, host::Variant(true));
        ready_ = control_->SetupModule(cfg, kvdova::NewUserRights({{"CProcess", "Create"}})) == 0 &&
                 control_->SetInstrument(1, loader::SimulatedInstrumentInfo(*host_)) == 0 &&
                 control_->UpdateConfigDisplay() == 0;
        control_->ClearMethod();
    }
    ~Rig() {
        control_->Advise(nullptr);
        control_.reset();
        host::SetCurrentHost(nullptr);
    }
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    bool Ready() const { return ready_; }
    NotingHost& Host() { return *host_; }
    host::IUCVIZari& Control() { return *control_; }
    host::KVSpread& Grid() { return *static_cast<module::UCVIZari&>(*control_).Page().kvsResult; }
    qnserver::Instrument& Instrument() { return host_->Simulator().GetInstrument(); }
    std::string Transcript() const { return transcript_.str(); }
    int NewData() const { return sink_.newData; }

  private:
    struct Sink : host::IUCVIZariEvents {
        int newData = 0;
        void GraphSelected(std::int32_t) override {}
        void SpreadSelected(std::int32_t) override {}
        void NewDataAvail() override { ++newData; }
    } sink_;
    std::ostringstream transcript_;
    std::shared_ptr<NotingHost> host_;
    std::shared_ptr<host::IUCVIZari> control_;
    bool ready_ = false;
};

// One run in the host's order: InitMeasurement, a MeasureSample per sample
// until one fails, ExitMeasurement (also after a failure), the table saved.
struct RunRecord {
    host::Status init = 0;
    std::vector<host::Status> samples;
    host::Status exit = -1;
    std::shared_ptr<host::AcqData> data;
    std::int32_t firstRow = 1;       // the run's first grid row
    std::vector<std::string> lines;  // its transcript
    std::size_t darkAt = SIZE_MAX;   // commands sent before the dark current began
    std::vector<std::size_t> sampleAt;
    std::size_t exitAt = 0;
    int newData = 0;
    std::string table;    // the saved table; empty when no file was written
    std::string message;  // a message the save showed
    bool hung = false;    // the busy command had to be ended by the safety stop
    bool aborted = false;
};

RunRecord RunHost(Rig& rig, const std::shared_ptr<host::MethodObject>& method,
                  const std::function<std::shared_ptr<host::ParamSet>(const std::string&)>& sample,
                  const fs::path& tablePath, std::size_t abortWhenRunning = SIZE_MAX) {
    RunRecord r;
    auto& h = rig.Host();
    auto& console = h.Console();
    console.ClearAbort();  // the host clears an earlier abort before a run
    const std::size_t start = rig.Transcript().size();
    const int newDataBefore = rig.NewData();
    auto sentSoFar = [&] { return SentOf(Lines(rig.Transcript().substr(start))).size(); };
    EXPECT_EQ(rig.Control().LoadMethod(method), 0);
    r.firstRow = rig.Grid().RowCount() + 1;
    const std::string darkText = h.Texts().Text("Measure dark current", "");
    const double deadline = h.GetClock().Now() + 3600.0;
    console.SetObserver([&] {
        if (r.darkAt == SIZE_MAX && console.LastProgress() == darkText) r.darkAt = sentSoFar();
        if (abortWhenRunning == SIZE_MAX || console.AbortRequested()) return;
        auto lines = Lines(rig.Transcript().substr(start));
        if (SentOf(lines).size() == abortWhenRunning + 1 && lines.back().rfind("> ", 0) == 0) {
            console.RequestAbort();  // the person presses abort while the command is busy
            r.aborted = true;
        } else if (h.GetClock().Now() > deadline) {
            console.RequestAbort();
            r.hung = true;
        }
    });
    r.data = h.NewAcqData();
    r.data->SetText("Run");
    r.init = rig.Control().InitMeasurement(method, r.data);
    for (std::size_t k = 0; r.init == 0 && k < kSampleIds.size(); ++k) {
        const auto no = static_cast<std::int32_t>(k + 1);
        r.data->AddItem(host::ItemGroup::Type1, no, kSampleIds[k]);
        r.sampleAt.push_back(sentSoFar());
        r.samples.push_back(rig.Control().MeasureSample(method, 1, no, sample(kSampleIds[k])));
        if (r.samples.back() != 0) break;
    }
    r.exitAt = sentSoFar();
    r.exit = rig.Control().ExitMeasurement(method);
    console.SetObserver(nullptr);
    r.newData = rig.NewData() - newDataBefore;
    r.lines = Lines(rig.Transcript().substr(start));

    const std::string messageBefore = console.LastMessage();
    h.HeadlessDialogs().AnswerPath(tablePath.string());
    rig.Grid().UserSaveRequest();
    if (console.LastMessage() != messageBefore) r.message = console.LastMessage();
    if (std::ifstream in{tablePath}) {
        std::ostringstream text;
        text << in.rdbuf();
        r.table = text.str();
    }
    return r;
}

// One command as the clean run sent it, and what failing it must do.
struct Occurrence {
    std::string command;
    std::string prefix;  // the text before "=": a fault rule's prefix cannot hold one
    std::int32_t nth = 0;
    std::size_t index = 0;  // among the run's commands, from 0
    Phase phase = Phase::Setup;
    std::size_t sample = 0;  // from 1, in a sample phase
    bool asynch = false;
    std::size_t readingsBefore = 0;
    // A lamp switch whose refusal is looked into: the restore after the dark
    // current and a sample's automatic lamp-on. The run goes on only when the
    // lamp read back is as wanted anyway (a restore to "Off" right after the
    // lamp was switched off).
    bool verified = false;
    bool asWantedAnyway = false;

    // The run's steps that only note a failure: the lamp read and switch
    // around the dark current, the simulated signal and the automatic lamp-off
    // of a sample, and everything of ExitMeasurement.
    bool Ignored() const {
        if (verified) return asWantedAnyway;
        switch (phase) {
            case Phase::Setup:
                return false;
            case Phase::DarkCurrent:
                return host::IStartsWith(command, "Get Lamp") ||
                       host::IStartsWith(command, "Set Lamp=");
            case Phase::Sample:
                return host::IStartsWith(command, "Set SimFactor=") ||
                       host::IStartsWith(command, "Set Lamp=");
            case Phase::Exit:
                return true;
        }
        return false;
    }
    std::vector<Kind> Kinds() const {
        if (asynch)
            return {Kind::Reply, Kind::StartReply, Kind::Busy, Kind::Throw, Kind::StartThrow};
        return {Kind::Reply, Kind::Stall, Kind::Throw};
    }
    std::string Rule(Kind k) const {
        return prefix + "#" + std::to_string(nth) + "=" + RuleReply(k);
    }
};

std::vector<Occurrence> OccurrencesOf(const RunRecord& clean, const std::set<std::string>& asynch) {
    const auto sent = SentOf(clean.lines);
    std::vector<Occurrence> out;
    std::size_t readings = 0;
    for (std::size_t i = 0; i < sent.size(); ++i) {
        Occurrence o;
        o.command = sent[i];
        o.prefix = sent[i].substr(0, sent[i].find('='));
        for (std::size_t j = 0; j <= i; ++j)
            if (host::IStartsWith(sent[j], o.prefix)) ++o.nth;
        o.index = i;
        o.asynch = asynch.count(sent[i]) > 0;
        o.readingsBefore = readings;
        if (i >= clean.exitAt) {
            o.phase = Phase::Exit;
        } else if (!clean.sampleAt.empty() && i >= clean.sampleAt.front()) {
            o.phase = Phase::Sample;
            for (std::size_t k = 0; k < clean.sampleAt.size(); ++k)
                if (i >= clean.sampleAt[k]) o.sample = k + 1;
        } else {
            o.phase = i >= clean.darkAt ? Phase::DarkCurrent : Phase::Setup;
        }
        if (sent[i] == "Get Int") ++readings;
        const bool restore = o.phase == Phase::DarkCurrent && i > 0 && sent[i - 1] == "Run SubDC" &&
                             host::IStartsWith(sent[i], "Set Lamp=");
        const bool lampOn = o.phase == Phase::Sample && sent[i] == "Set Lamp=On";
        o.verified = restore || lampOn;
        o.asWantedAnyway = restore && sent[i] == "Set Lamp=Off";
        out.push_back(o);
    }
    return out;
}

class FaultMatrix : public ScenarioTest, public ::testing::WithParamInterface<Config> {
  protected:
    void SetUp() override {
        ScenarioTest::SetUp();
        dir_ = fs::temp_directory_path() /
               ("orve-fault-matrix-" + std::to_string(::getpid()) + "-" + GetParam().name);
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        fs::remove_all(dir_);
        ScenarioTest::TearDown();
    }

    std::string Socket() const { return GetParam().remote ? (dir_ / "rig.sock").string() : ""; }

    std::shared_ptr<host::MethodObject> RunMethod() {
        return Method(kPositions, GetParam().lumMode, GetParam().autoLamp);
    }
    std::function<std::shared_ptr<host::ParamSet>(const std::string&)> Samples() {
        return [this](const std::string& id) { return Sample(id); };
    }

    // The data, the grid and the saved table hold exactly the readings the
    // transcript shows, and nothing else. A sample that failed at its lamp-on
    // ended before it had a row.
    static void ExpectReadingsEverywhere(Rig& rig, const RunRecord& r, std::size_t expected,
                                         bool lastHasNoRow = false) {
        const auto answers = Readings(r.lines);
        ASSERT_EQ(answers.size(), expected);
        ASSERT_EQ(r.data->ResultCount(), static_cast<std::int32_t>(expected));
        auto& grid = rig.Grid();
        const auto n = static_cast<std::int32_t>(kPositions.size());
        const auto rows = static_cast<std::int32_t>(r.samples.size()) - (lastHasNoRow ? 1 : 0);
        ASSERT_EQ(grid.RowCount(), r.firstRow - 1 + rows);
        for (std::size_t k = 0; k < expected; ++k) {
            const auto result = r.data->Result(static_cast<std::int32_t>(k + 1));
            const auto fields = SplitOn(answers[k], ',');
            ASSERT_EQ(fields.size(), 3u) << answers[k];
            EXPECT_DOUBLE_EQ(result.record->Value(1), std::strtod(fields[0].c_str(), nullptr));
            EXPECT_DOUBLE_EQ(result.record->Value(2), std::strtod(fields[1].c_str(), nullptr));
            EXPECT_EQ(result.record->Value(3), host::IEquals(fields[2], "1") ? -1.0 : 0.0);
            EXPECT_EQ(result.item, static_cast<std::int32_t>(k) / n + 1);
            EXPECT_EQ(result.position, static_cast<std::int32_t>(k) % n + 1);
        }
        // Grid: a row per sample tried, the ID and the readings taken, the rest empty.
        for (std::int32_t s = 1; s <= rows; ++s) {
            const std::int32_t row = r.firstRow - 1 + s;
            EXPECT_EQ(grid.Cell(1, row).ToString(), kSampleIds[s - 1]);
            for (std::int32_t i = 1; i <= n; ++i) {
                const auto k = static_cast<std::size_t>((s - 1) * n + i);
                if (k <= expected) {
                    EXPECT_EQ(grid.Cell(1 + i, row).ToDouble(),
                              r.data->Result(static_cast<std::int32_t>(k)).record->Value(1));
                } else {
                    EXPECT_TRUE(grid.Cell(1 + i, row).IsEmpty()) << "row " << row << " col " << i;
                }
            }
        }
        // The saved table: the header, then the grid's rows as the grid shows them.
        EXPECT_EQ(r.message, "");
        const auto lines = Lines(r.table);
        ASSERT_EQ(lines.size(), static_cast<std::size_t>(grid.RowCount() + 1)) << r.table;
        auto& numbers = rig.Host().Numbers();
        for (std::int32_t s = 1; s <= rows; ++s) {
            const std::int32_t row = r.firstRow - 1 + s;
            const auto cells = SplitOn(lines[static_cast<std::size_t>(row)], '\t');
            ASSERT_EQ(cells.size(), static_cast<std::size_t>(n + 1)) << lines[row];
            EXPECT_EQ(cells[0], kSampleIds[s - 1]);
            for (std::int32_t i = 1; i <= n; ++i) {
                const auto v = grid.Cell(1 + i, row);
                const std::string want =
                    v.IsEmpty()
                        ? ""
                        : numbers.DoubleToText(v.ToDouble(), grid.ColumnDef(1 + i).format, 0);
                EXPECT_EQ(cells[static_cast<std::size_t>(i)], want);
            }
        }
    }

    // The number the host must get for a fault of this kind.
    static host::Status ExpectedError(Rig& rig, Kind kind) {
        auto& errors = rig.Host().Errors();
        switch (kind) {
            case Kind::Reply:
            case Kind::StartReply:
                return errors.StatusOf(errors.CodeOfReply("Injected", "injected fault"));
            case Kind::Busy:
                return errors.StatusOf(errors.CodeOfReply("Stopped", ""));
            case Kind::Stall:
                return errors.StatusOf(errors.CodeOfReply("Stalled", ""));
            case Kind::Throw:
            case Kind::StartThrow:
                return qnserver::kErrServerCall;
        }
        return 0;
    }

    // A step that ignores its failure: the whole run, command for command (and
    // the lamp read back after a refused switch that is verified).
    void ExpectRunGoesOn(Rig& rig, const RunRecord& r, const Occurrence* o = nullptr) {
        EXPECT_EQ(r.init, 0);
        EXPECT_EQ(r.samples, (std::vector<host::Status>{0, 0}));
        auto sent = cleanSent_;
        if (o && o->verified)
            sent.insert(sent.begin() + static_cast<long>(o->index) + 1, "Get Lamp");
        EXPECT_EQ(SentOf(r.lines), sent);
        EXPECT_EQ(r.newData, 2);
        ExpectReadingsEverywhere(rig, r, kSampleIds.size() * kPositions.size());
    }

    // A raising step: its operation ends there and hands the number to the
    // host, which goes to ExitMeasurement; a sample's automatic lamp goes off.
    Outcome ExpectRunEndsAt(Rig& rig, const RunRecord& r, const Occurrence& o, Kind kind) {
        const host::Status expected = ExpectedError(rig, kind);
        EXPECT_NE(expected, 0);
        const bool inInit = o.phase == Phase::Setup || o.phase == Phase::DarkCurrent;
        if (inInit) {
            EXPECT_EQ(r.init, expected) << rig.Host().Errors().MessageText(r.init);
            EXPECT_TRUE(r.samples.empty());
        } else {
            EXPECT_EQ(r.init, 0);
            std::vector<host::Status> want(o.sample - 1, 0);
            want.push_back(expected);
            EXPECT_EQ(r.samples, want) << rig.Host().Errors().MessageText(r.samples.back());
        }
        EXPECT_FALSE(rig.Host().Errors().MessageText(expected).empty());
        std::vector<std::string> sent(cleanSent_.begin(),
                                      cleanSent_.begin() + static_cast<long>(o.index) + 1);
        if (o.verified) sent.push_back("Get Lamp");
        if (!inInit && GetParam().autoLamp) sent.push_back("Set Lamp=Off");
        sent.push_back("Park WPR");
        EXPECT_EQ(SentOf(r.lines), sent);
        // Samples before the failing one are complete; the failing one is not.
        EXPECT_EQ(r.newData, inInit ? 0 : static_cast<int>(o.sample) - 1);
        for (std::size_t k = 1; k <= r.samples.size(); ++k) {
            EXPECT_EQ(r.data->ItemFlag(host::ItemGroup::Type1, static_cast<std::int32_t>(k)),
                      k < o.sample)
                << "sample " << k;
        }
        ExpectReadingsEverywhere(rig, r, o.readingsBefore, o.verified && o.phase == Phase::Sample);
        return inInit ? Outcome::InitFails : Outcome::SampleFails;
    }

    std::vector<std::string> cleanSent_;
    fs::path dir_;
};

TEST_P(FaultMatrix, EveryFaultKeepsTheFailingStepsPolicy) {
    const Config& config = GetParam();
    auto method = RunMethod();

    // The clean run the cases come from.
    std::vector<Occurrence> occurrences;
    {
        Rig rig(Socket());
        ASSERT_TRUE(rig.Ready());
        auto clean = RunHost(rig, method, Samples(), dir_ / "clean.txt");
        ASSERT_EQ(clean.init, 0);
        ASSERT_EQ(clean.samples, (std::vector<host::Status>{0, 0}));
        ASSERT_NE(clean.darkAt == SIZE_MAX, std::string(config.lumMode) != "Fluor");
        ExpectReadingsEverywhere(rig, clean, kSampleIds.size() * kPositions.size());
        ASSERT_FALSE(rig.Host().Asynch().empty());
        occurrences = OccurrencesOf(clean, rig.Host().Asynch());
        cleanSent_ = SentOf(clean.lines);
    }

    std::map<Outcome, int> outcomes;
    std::map<Kind, int> kinds;
    int cases = 0;
    for (const auto& o : occurrences) {
        for (Kind kind : o.Kinds()) {
            if (++cases % config.every != 0) continue;
            const std::string rule = o.Rule(kind);
            SCOPED_TRACE(std::string(config.name) + " case " + std::to_string(cases) + ": " + rule +
                         " (" + KindName(kind) + ", command " + std::to_string(o.index + 1) + ")");
            Rig rig(Socket());
            ASSERT_TRUE(rig.Ready());
            rig.Instrument().AddFaultRule(rule);
            auto r =
                RunHost(rig, method, Samples(), dir_ / ("case" + std::to_string(cases) + ".txt"),
                        kind == Kind::Busy ? o.index : SIZE_MAX);
            ++kinds[kind];

            EXPECT_FALSE(r.hung);
            EXPECT_EQ(r.aborted, kind == Kind::Busy);
            // ExitMeasurement gives 0, and parks and unlocks whatever happened.
            EXPECT_EQ(r.exit, 0);
            ASSERT_FALSE(r.lines.empty());
            EXPECT_EQ(SentOf(r.lines).back(), "Park WPR");
            EXPECT_EQ(r.lines.back(), "# Lock 0");
            EXPECT_EQ(rig.Instrument().LockOwner(), 0);
            if (o.Ignored()) {
                ++outcomes[Outcome::RunsThrough];
                ExpectRunGoesOn(rig, r, &o);
            } else {
                ++outcomes[ExpectRunEndsAt(rig, r, o, kind)];
            }

            // The next run on the same control measures everything.
            rig.Instrument().ClearFaultRules();
            ExpectRunGoesOn(rig, RunHost(rig, method, Samples(),
                                         dir_ / ("again" + std::to_string(cases) + ".txt")));
            EXPECT_EQ(rig.Instrument().LockOwner(), 0);

            if (HasFailure()) {  // one case's transcript says more than a flood of cases
                std::string t;
                for (const auto& l : r.lines) t += l + "\n";
                FAIL() << "transcript of the failing run:\n" << t;
            }
        }
    }
    EXPECT_EQ(kinds.size(), 6u) << "a kind of fault was left out";
    std::cout << "[ matrix   ] " << config.name << ": " << occurrences.size()
              << " command occurrences, " << cases / config.every << " cases;";
    for (const auto& [k, n] : kinds) std::cout << " " << KindName(k) << " " << n << ",";
    std::cout << "\n[ matrix   ] " << config.name << " outcomes:";
    for (const auto& [out, n] : outcomes) std::cout << " " << OutcomeName(out) << " " << n << ",";
    std::cout << "\n";
}

INSTANTIATE_TEST_SUITE_P(Runs, FaultMatrix,
                         ::testing::Values(Config{"PhosAutoLamp", "Phos", true, false, 1},
                                           Config{"PhosManualLamp", "Phos", false, false, 1},
                                           Config{"FluorAutoLamp", "Fluor", true, false, 1},
                                           Config{"FluorManualLamp", "Fluor", false, false, 1}),
                         [](const ::testing::TestParamInfo<Config>& info) {
                             return std::string(info.param.name);
                         });

// The remote path: every second case of one configuration is enough to show
// that the protocol passes each kind of fault on unchanged.
INSTANTIATE_TEST_SUITE_P(Remote, FaultMatrix,
                         ::testing::Values(Config{"RemotePhosAutoLamp", "Phos", true, true, 2}),
                         [](const ::testing::TestParamInfo<Config>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
