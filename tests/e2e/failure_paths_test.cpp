// Failure paths outside the measurement commands, against the real platform
// stand-ins: a method document that refuses a write, the adjust dialog's
// moves and white light on a failing instrument, the lamp around the dark
// current when its state cannot be read, and the command-line host's run
// record and exports when a run fails or a file is in the way.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "host/error.h"
#include "platform/controls/control_factory.h"
#include "platform/kvbase/atomic_file.h"
#include "platform/kvbase/progress.h"
#include "platform/kvbase/sha256.h"
#include "platform/kvdova/acq_data_file.h"
#include "platform/kvdova/method_file.h"
#include "platform/loader/measurement_run.h"
#include "platform/qnserver/command.h"
#include "platform/qnserver/instrument.h"
#include "scenario_fixture.h"

namespace {

constexpr host::Status kErrRefused = 0x7FFF0E01;

// A method document that passes every call on to a real one and refuses
// one chosen write ("SetCell#7": the seventh SetCell), noting every write.
class RefusingMethod final : public host::MethodObject {
  public:
    RefusingMethod(std::shared_ptr<host::MethodObject> inner, std::string refuse)
        : inner_(std::move(inner)), refuse_(std::move(refuse)) {}
    const std::vector<std::string>& Writes() const { return writes_; }
    host::MethodObject& Inner() { return *inner_; }

    std::string Name() const override { return inner_->Name(); }
    void SetName(const std::string& n) override { Write("SetName"), inner_->SetName(n); }
    std::string MethodType() const override { return inner_->MethodType(); }
    void SetMethodType(const std::string& t) override {
        Write("SetMethodType"), inner_->SetMethodType(t);
    }
    std::string VersionTag() const override { return inner_->VersionTag(); }
    void SetVersionTag(const std::string& t) override {
        Write("SetVersionTag"), inner_->SetVersionTag(t);
    }
    std::int32_t InstrumentCount() const override { return inner_->InstrumentCount(); }
    void SetInstrumentCount(std::int32_t n) override {
        Write("SetInstrumentCount"), inner_->SetInstrumentCount(n);
    }
    std::shared_ptr<host::ParamSet> Instrument(std::int32_t i) const override {
        return inner_->Instrument(i);
    }
    void SetInstrument(std::int32_t i, std::shared_ptr<host::ParamSet> p) override {
        Write("SetInstrument"), inner_->SetInstrument(i, std::move(p));
    }
    std::shared_ptr<host::ParamSet> Params() const override { return inner_->Params(); }
    std::int32_t TableCount() const override { return inner_->TableCount(); }
    void SetTableCount(std::int32_t n) override {
        Write("SetTableCount"), inner_->SetTableCount(n);
    }
    std::int32_t ColumnCount(std::int32_t t) const override { return inner_->ColumnCount(t); }
    void SetColumnCount(std::int32_t t, std::int32_t n) override {
        Write("SetColumnCount"), inner_->SetColumnCount(t, n);
    }
    std::int32_t RowCount(std::int32_t t) const override { return inner_->RowCount(t); }
    void SetRowCount(std::int32_t t, std::int32_t n) override {
        Write("SetRowCount"), inner_->SetRowCount(t, n);
    }
    host::ParamDef ColumnDef(std::int32_t t, std::int32_t c) const override {
        return inner_->ColumnDef(t, c);
    }
    void SetColumnDef(std::int32_t t, std::int32_t c, const host::ParamDef& d) override {
        Write("SetColumnDef"), inner_->SetColumnDef(t, c, d);
    }
    host::Variant Cell(std::int32_t t, std::int32_t c, std::int32_t r) const override {
        return inner_->Cell(t, c, r);
    }
    void SetCell(std::int32_t t, std::int32_t c, std::int32_t r, const host::Variant& v) override {
        Write("SetCell"), inner_->SetCell(t, c, r, v);
    }
    std::int32_t ResultDefCount() const override { return inner_->ResultDefCount(); }
    void SetResultDefCount(std::int32_t n) override {
        Write("SetResultDefCount"), inner_->SetResultDefCount(n);
    }
    host::ResultDef GetResultDef(std::int32_t i) const override { return inner_->GetResultDef(i); }
    void SetResultDef(std::int32_t i, const host::ResultDef& d) override {
        Write("SetResultDef"), inner_->SetResultDef(i, d);
    }
    std::int32_t ResultViewCount() const override { return inner_->ResultViewCount(); }
    void SetResultViewCount(std::int32_t n) override {
        Write("SetResultViewCount"), inner_->SetResultViewCount(n);
    }
    host::ResultView GetResultView(std::int32_t i) const override {
        return inner_->GetResultView(i);
    }
    void SetResultView(std::int32_t i, const host::ResultView& v) override {
        Write("SetResultView"), inner_->SetResultView(i, v);
    }

  private:
    void Write(const char* what) {
        const std::string write = std::string(what) + "#" + std::to_string(++seen_[what]);
        writes_.push_back(write);
        if (write == refuse_) throw host::Error(kErrRefused, "the document refused " + write);
    }

    std::shared_ptr<host::MethodObject> inner_;
    std::string refuse_;
    std::map<std::string, int> seen_;
    std::vector<std::string> writes_;
};

const std::vector<Position> kWells = {
    {14.38, 11.24, 485, 520}, {23.38, 11.24, 480, 525}, {14.38, 20.24, 490, 515}};

using FailurePaths = ScenarioTest;

// The writes of UpdateMethod, from a clean run; each refused in turn.
TEST_F(FailurePaths, UpdateMethod_StopsAtARefusedWriteKeepingEarlierOnesButPassesTheEntries) {
    ASSERT_EQ(control_->LoadMethod(Method(kWells)), 0);
    auto clean = std::make_shared<RefusingMethod>(host_->NewMethodObject(), "");
    ASSERT_EQ(control_->UpdateMethod(clean), 0);
    const auto writes = clean->Writes();
    ASSERT_EQ(writes.back(), "SetResultView#1");

    for (std::size_t k = 0; k < writes.size(); ++k) {
        SCOPED_TRACE("refused: " + writes[k]);
        auto m = std::make_shared<RefusingMethod>(host_->NewMethodObject(), writes[k]);
        const host::Status status = control_->UpdateMethod(m);
        std::vector<std::string> done(writes.begin(), writes.begin() + static_cast<long>(k) + 1);
        if (writes[k].rfind("SetResultDef", 0) == 0) {
            // The entries' own writes end there, unexamined; the rest goes on.
            done.clear();
            for (std::size_t j = 0; j < writes.size(); ++j)
                if (j <= k || writes[j].rfind("SetResultDef", 0) != 0) done.push_back(writes[j]);
            EXPECT_EQ(status, 0);
            EXPECT_EQ(m->Inner().MethodType(), "FLVIZari");
        } else {
            EXPECT_EQ(status, kErrRefused);
            EXPECT_NE(host_->Errors().MessageText(status).find(writes[k]), std::string::npos);
        }
        // Nothing written is undone, nothing after the refusal is written.
        EXPECT_EQ(m->Writes(), done);
    }
}

// --- The adjust dialog on a failing instrument ---

constexpr std::int32_t kRight = 3, kDown = 4;

class AdjustFailures : public ScenarioTest {
  protected:
    void SetUp() override {
        ScenarioTest::SetUp();
        host_->Factory().SetModalRunner([this](host::Form& f) {
            if (person_) person_(f);
        });
        Sent();
    }
    void Adjust(const std::function<void(host::Form&)>& person) {
        uc_->Page().kvsScan->UserSelectRow(1);
        person_ = person;
        uc_->Page().kvpAdjust->UserClick();
        person_ = nullptr;
    }
    static void Press(host::Form& f, std::int32_t arrow) {
        host::As<host::KVPicButton>(f.Find("KVPAlignWPR", arrow))->UserClick();
    }
    static void WhiteLight(host::Form& f, bool on) {
        host::As<host::KVEntry>(f.Find("KVELampOn"))->UserSetValue(on);
    }
    static double Shown(host::Form& f, const char* entry) {
        return host::As<host::KVEntry>(f.Find(entry))->Value().ToDouble();
    }
    std::string StatusText() { return host_->Console().LastStatusText(); }

    std::function<void(host::Form&)> person_;
};

TEST_F(AdjustFailures, StalledOrFailingMoves_ShowTheirMessageAndTheNextPressMoves) {
    for (const auto& [fault, shown] : std::vector<std::pair<std::string, std::string>>{
             {"stall", "stalled"}, {"throw", "failed"}}) {
        SCOPED_TRACE(fault);
        Fault("SetM WPR.POS#1=" + fault);
        host_->Console().ShowStatusText("");
        bool open = false;
        double x = 0.0;
        std::string text;
        Adjust([&](host::Form& f) {
            Press(f, kRight);
            open = f.IsShown();
            x = Shown(f, "KVEPosX");
            text = StatusText();
            Press(f, kDown);
            f.UserPressEscape();
        });
        host_->Simulator().GetInstrument().ClearFaultRules();
        EXPECT_TRUE(open);
        EXPECT_EQ(x, 10.2);  // the entries follow the press, moved or not
        EXPECT_NE(text.find(shown), std::string::npos) << text;
        EXPECT_EQ(Sent(),
                  (std::vector<std::string>{"SetM WPR.POS=10.2;10.0", "SetM WPR.POS=10.2;10.2"}));
        std::string at;
        host_->Instruments().CreateServer()->ExecSynch("Get WPR.POS", at);
        EXPECT_EQ(at, "10.20;10.20");
        Sent();
    }
}

TEST_F(AdjustFailures, WhiteLight_EveryFailureEndsItSilentlyAndAFailedExWlSendsNoLamp) {
    const std::vector<std::string> faults = {"Set ExWl=Injected:refused",
                                             "Set ExWl=start:Injected:refused",
                                             "Set ExWl=throw",
                                             "Set ExWl=start:throw",
                                             "Set Lamp=Injected:refused",
                                             "Set Lamp=stall",
                                             "Set Lamp=throw"};
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault);
        Fault(fault);
        host_->Console().ShowStatusText("");
        bool open = false;
        Adjust([&](host::Form& f) {
            EXPECT_NO_THROW(WhiteLight(f, true));
            open = f.IsShown();
            f.UserPressEscape();
        });
        host_->Simulator().GetInstrument().ClearFaultRules();
        EXPECT_TRUE(open);
        EXPECT_EQ(StatusText(), "");
        const auto sent = Sent();
        if (fault.rfind("Set ExWl", 0) == 0) {
            EXPECT_EQ(sent, (std::vector<std::string>{"Set ExWl=0"}));
        } else {
            EXPECT_EQ(sent, (std::vector<std::string>{"Set ExWl=0", "Set Lamp=On"}));
        }
    }
}

// --- The lamp around the dark current ---

TEST_F(FailurePaths, UnreadableLamp_IsRestoredToWhatTheSetupSetSoTheRunIsNotDark) {
    for (const char* fault : {"Get Lamp=stall", "Get Lamp=throw", "Get Lamp=Injected:refused"}) {
        SCOPED_TRACE(fault);
        Fault(fault);
        auto m = Method(kWells, "Phos", /*autoLamp=*/false);  // the setup switches it on
        ASSERT_EQ(control_->LoadMethod(m), 0);
        Sent();
        ASSERT_EQ(control_->InitMeasurement(m, host_->NewAcqData()), 0);
        EXPECT_EQ(Sent().back(), "Set Lamp=On");
        EXPECT_EQ(host_->Simulator().GetInstrument().GetHardware().Properties().Get("Lamp"), "On");
        auto data = uc_->CurrentAcqData();
        data->AddItem(host::ItemGroup::Type1, 1, "A1");
        ASSERT_EQ(control_->MeasureSample(m, 1, 1, Sample("A1")), 0);
        EXPECT_GT(data->Result(1).record->Value(1), 100.0);  // well A1 glows
        EXPECT_EQ(control_->ExitMeasurement(m), 0);
        host_->Simulator().GetInstrument().ClearFaultRules();
    }
}

TEST_F(FailurePaths, UnreadableLampWithoutALampSetup_EndsInitBeforeTheLampIsTouched) {
    auto m = Method(kWells, "Phos", false);
    auto params = m->Params();
    const std::int32_t lamp = params->IndexOf("Lamp");
    ASSERT_GT(lamp, 0);
    // The same setup without its lamp entry: the lamp's state is the instrument's own.
    auto without = host_->NewMethodObject();
    for (std::int32_t i = 1; i <= params->Count(); ++i)
        if (i != lamp) without->Params()->Add(*params->Def(i), params->Value(i));
    without->SetMethodType("FLVIZari");
    without->SetTableCount(1);
    without->SetColumnCount(1, 4);
    without->SetRowCount(1, 0);
    ASSERT_EQ(control_->LoadMethod(without), 0);
    Fault("Get Lamp=Injected:refused");
    Sent();
    const host::Status status = control_->InitMeasurement(without, host_->NewAcqData());
    EXPECT_EQ(status, host_->Errors().StatusOf(host_->Errors().CodeOfReply("Injected", "")));
    const auto sent = Sent();
    EXPECT_EQ(sent.back(), "Get Lamp");
    EXPECT_FALSE(Contains(sent, "Set Lamp=Off"));
    EXPECT_EQ(control_->ExitMeasurement(without), 0);
}

// A refused lamp switch is read back: the run goes on only when the lamp is
// in the wanted state anyway, never measuring dark while reporting success.
TEST_F(FailurePaths, RefusedLampSwitches_FailTheStepOnlyWhenTheLampIsNotAsWanted) {
    auto& hardware = host_->Simulator().GetInstrument().GetHardware();
    const auto refused = [&] {
        return host_->Errors().StatusOf(host_->Errors().CodeOfReply("Injected", ""));
    };
    {
        SCOPED_TRACE("the restore after the dark current");
        auto m = Method(kWells, "Phos", /*autoLamp=*/false);  // the setup switches it on
        ASSERT_EQ(control_->LoadMethod(m), 0);
        Fault("Set Lamp#3=Injected:refused");  // setup on, dark off, restore on
        EXPECT_EQ(control_->InitMeasurement(m, host_->NewAcqData()), refused());
        EXPECT_EQ(hardware.Properties().Get("Lamp"), "Off");
        EXPECT_EQ(control_->ExitMeasurement(m), 0);
        host_->Simulator().GetInstrument().ClearFaultRules();
    }
    {
        SCOPED_TRACE("the restore keeps the lamp the setup left off");
        auto m = Method(kWells, "Phos", /*autoLamp=*/true);  // the setup switches it off
        ASSERT_EQ(control_->LoadMethod(m), 0);
        Sent();
        ASSERT_EQ(control_->InitMeasurement(m, host_->NewAcqData()), 0);
        EXPECT_EQ(Sent().back(), "Set Lamp=Off");
        EXPECT_EQ(control_->ExitMeasurement(m), 0);
    }
    auto m = Method(kWells, "Fluor", /*autoLamp=*/true);
    ASSERT_EQ(control_->LoadMethod(m), 0);
    ASSERT_EQ(control_->InitMeasurement(m, host_->NewAcqData()), 0);
    auto data = uc_->CurrentAcqData();
    data->AddItem(host::ItemGroup::Type1, 1, "A1");
    data->AddItem(host::ItemGroup::Type1, 2, "A2");
    {
        SCOPED_TRACE("a sample's lamp-on refused with the lamp off");
        Fault("Set Lamp#1=Injected:refused");  // the first lamp switch from here on
        Sent();
        EXPECT_EQ(control_->MeasureSample(m, 1, 1, Sample("A1")), refused());
        EXPECT_FALSE(Contains(Sent(), "Get Int"));
        EXPECT_EQ(data->ResultCount(), 0);
    }
    {
        SCOPED_TRACE("refused, but the lamp is on already");
        std::string answer;  // the lamp switched on behind the module's back
        hardware.Plan(qnserver::ParseCommand("Set Lamp=On").command).action.finish(answer);
        EXPECT_EQ(control_->MeasureSample(m, 1, 2, Sample("A2")), 0);
        EXPECT_EQ(data->ResultCount(), static_cast<std::int32_t>(kWells.size()));
    }
    host_->Simulator().GetInstrument().ClearFaultRules();
    EXPECT_EQ(control_->ExitMeasurement(m), 0);
}

// A position cell that is no finite number ends the sample before it moves
// anything, with a message that names the position and the field.
TEST_F(FailurePaths, PositionsThatAreNoNumbers_AreRefusedBeforeTheSampleMovesAnything) {
    auto m = Method(kWells);
    ASSERT_EQ(control_->LoadMethod(m), 0);
    ASSERT_EQ(control_->InitMeasurement(m, host_->NewAcqData()), 0);
    m->SetCell(1, 3, 2, std::numeric_limits<double>::infinity());
    Sent();
    const host::Status status = control_->MeasureSample(m, 1, 1, Sample("A1"));
    EXPECT_NE(status, 0);
    EXPECT_EQ(host_->Errors().MessageText(status), "position 2: Ex.Wl (nm) is not a finite number");
    // Only the failure's own lamp-off, as after any failed sample.
    EXPECT_EQ(Sent(), std::vector<std::string>{"Set Lamp=Off"});
    EXPECT_EQ(uc_->Page().kvsResult->RowCount(), 0);
    EXPECT_EQ(control_->ExitMeasurement(m), 0);
    // A run started with such a method does not take the instrument at all.
    Sent();
    EXPECT_EQ(control_->InitMeasurement(m, host_->NewAcqData()), status);
    EXPECT_TRUE(Sent().empty());
}

// --- An abort that the instrument cannot act on ---

TEST_F(FailurePaths, AbortAsTheReadEnds_StopsTheSampleBeforeTheNextPosition) {
    auto m = Method(kWells, "Fluor", /*autoLamp=*/true);
    m->Params()->SetValueOf("IntTime", host::Variant(0.1));  // the read ends within one poll
    ASSERT_EQ(control_->LoadMethod(m), 0);
    auto data = host_->NewAcqData();
    ASSERT_EQ(control_->InitMeasurement(m, data), 0);
    data->AddItem(host::ItemGroup::Type1, 1, "A1");
    auto& console = host_->Console();
    console.SetObserver([&] {
        const std::string t = transcript_.str();
        if (t.size() > 9 && t.compare(t.size() - 10, 10, "> Get Int\n") == 0)
            console.RequestAbort();
    });
    Sent();
    const host::Status status = control_->MeasureSample(m, 1, 1, Sample("A1"));
    console.SetObserver(nullptr);

    EXPECT_EQ(status, host_->Errors().StatusOf(console.AbortErrorCode()));
    EXPECT_NE(transcript_.str().find("# EmergencyStop"), std::string::npos);
    const auto sent = Sent();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "Get Int"), 1);
    EXPECT_EQ(sent.back(), "Set Lamp=Off");
    EXPECT_EQ(data->ResultCount(), 1);  // the reading that ended stays
    EXPECT_EQ(sink_.newData, 0);
    console.ClearAbort();
    EXPECT_EQ(control_->ExitMeasurement(m), 0);
}

// --- The command-line host's run: its record and its exports ---

namespace fs = std::filesystem;

class RunRecord : public ScenarioTest {
  protected:
    void SetUp() override {
        ScenarioTest::SetUp();
        dir_ = fs::temp_directory_path() /
               ("orve-run-record-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        kvdova::SaveMethod(*Method(kWells, "Phos", true), Path("plate.json"));
    }
    void TearDown() override {
        fs::remove_all(dir_);
        ScenarioTest::TearDown();
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    loader::RunOptions Options() const {
        loader::RunOptions o;
        o.methodPath = Path("plate.json");
        o.sampleIds = {"A1", "A;2"};
        o.progress = false;
        return o;
    }
    // A run on a fresh session; the commands the instrument received go to sent.
    loader::RunReport Run(const loader::RunOptions& o, std::vector<std::string>* sent = nullptr,
                          const std::vector<std::string>& faults = {}) {
        loader::SessionOptions so;
        so.host.cataloguePath = "";
        so.host.simFaults = faults;
        loader::HostSession session(so);
        std::ostringstream transcript;
        session.Host().Simulator().GetInstrument().GetTranscript().SetStream(&transcript);
        std::ostringstream progress;
        struct Detach {
            loader::HostSession& s;
            ~Detach() { s.Host().Simulator().GetInstrument().GetTranscript().SetStream(nullptr); }
        } detach{session};
        auto report = loader::RunMeasurement(session, o, progress);
        if (sent) {
            std::istringstream in(transcript.str());
            for (std::string l; std::getline(in, l);)
                if (l.rfind("> ", 0) == 0) sent->push_back(l.substr(2));
        }
        firmware_ = session.Info()->Params()->ValueOf("InstFirmRev").ToString();
        serial_ = session.Info()->Serial();
        return report;
    }

    fs::path dir_;
    std::string firmware_, serial_;
};

TEST_F(RunRecord, AFailedRunKeepsItsRecordAndWhatItMeasured) {
    auto o = Options();
    o.outPath = Path("table.txt");
    o.dataPath = Path("data.json");
    auto report = Run(o, nullptr, {"Get Int#2=Overload:detector overload"});
    EXPECT_EQ(report.outcome, loader::RunReport::Outcome::Failed);
    EXPECT_NE(report.error, 0);
    EXPECT_EQ(report.samplesMeasured, 0);
    ASSERT_TRUE(report.tableSaved);
    ASSERT_TRUE(report.dataSaved);

    auto data = kvdova::LoadAcqData(o.dataPath);
    auto info = data->RunInfo();
    const std::regex utc(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)");
    EXPECT_TRUE(std::regex_match(info["startTime"], utc)) << info["startTime"];
    EXPECT_TRUE(std::regex_match(info["endTime"], utc)) << info["endTime"];
    EXPECT_LE(info["startTime"], info["endTime"]);
    EXPECT_FALSE(info["user"].empty());
    EXPECT_EQ(info["methodName"], "Test method");
    EXPECT_EQ(info["methodSha256"], kvbase::Sha256Hex(kvbase::ReadFile(o.methodPath)));
    EXPECT_EQ(info["instrumentType"], "ORVE");
    EXPECT_EQ(info["instrumentSerial"], serial_);
    EXPECT_FALSE(serial_.empty());
    EXPECT_EQ(info["instrumentFirmware"], firmware_);
    EXPECT_FALSE(firmware_.empty());
    EXPECT_EQ(info["outcome"].rfind("failed: error " + std::to_string(report.error), 0), 0u)
        << info["outcome"];
    EXPECT_NE(info["outcome"].find("detector overload"), std::string::npos) << info["outcome"];
    EXPECT_EQ(data->ResultCount(), 1);
    const std::string table = kvbase::ReadFile(o.outPath);
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 2) << table;
}

TEST_F(RunRecord, FilesInTheWayAreRefusedBeforeTheInstrumentIsTouched) {
    kvbase::WriteFileAtomic(Path("old.txt"), "earlier table");
    kvbase::WriteFileAtomic(Path("old.json"), "earlier data");
    struct Case {
        const char* why;
        std::string out, data;
        std::string named;  // the file the refusal names
    };
    const std::vector<Case> cases = {
        {"table exists", Path("old.txt"), "", "old.txt"},
        {"data exists", Path("new.txt"), Path("old.json"), "old.json"},
        // The export adds the default extension to a bare name.
        {"bare table name exists", Path("old"), "", "old.txt"},
        {"table and data one file", Path("same.json"), Path("same.json"), "same.json"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        auto o = Options();
        o.outPath = c.out;
        o.dataPath = c.data;
        std::vector<std::string> sent;
        try {
            Run(o, &sent);
            ADD_FAILURE() << "not refused";
        } catch (const host::Error& e) {
            EXPECT_NE(e.Text().find(c.named), std::string::npos) << e.Text();
        }
        EXPECT_TRUE(sent.empty());
        EXPECT_EQ(kvbase::ReadFile(Path("old.txt")), "earlier table");
        EXPECT_EQ(kvbase::ReadFile(Path("old.json")), "earlier data");
        EXPECT_FALSE(fs::exists(Path("new.txt")));
        EXPECT_FALSE(fs::exists(Path("same.json")));
    }
}

TEST_F(RunRecord, OverwriteReplacesAndABareTableNameIsSavedAndReported) {
    kvbase::WriteFileAtomic(Path("old.json"), "earlier data");
    auto o = Options();
    o.outPath = Path("results");
    o.dataPath = Path("old.json");
    o.overwrite = true;
    auto report = Run(o);
    EXPECT_EQ(report.outcome, loader::RunReport::Outcome::Completed);
    EXPECT_TRUE(report.tableSaved);
    EXPECT_TRUE(report.dataSaved);
    EXPECT_TRUE(fs::exists(Path("results.txt")));
    // The IDs as given, ";" inside one included.
    EXPECT_EQ(kvdova::RunSampleIds(kvdova::LoadAcqData(o.dataPath)->RunInfo()),
              (std::vector<std::string>{"A1", "A;2"}));
}

}  // namespace
