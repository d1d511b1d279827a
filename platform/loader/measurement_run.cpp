#include "platform/loader/measurement_run.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <ostream>
#include <set>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "host/error.h"
#include "platform/kvbase/atomic_file.h"
#include "platform/kvbase/error_registry.h"
#include "platform/kvbase/progress.h"
#include "platform/kvbase/sha256.h"
#include "platform/kvdova/acq_data_file.h"
#include "platform/kvdova/documents.h"
#include "platform/kvdova/method_file.h"
#include "platform/loader/method_check.h"
#include "platform/loader/run_journal.h"
#include "platform/plates/plate_format.h"

namespace loader {
namespace {

namespace fs = std::filesystem;
using kvbase::Say;
using nlohmann::json;

constexpr host::Status kErrRunPlan = 0x7FFF0A05;
constexpr auto kQuietLimit = std::chrono::seconds(10);  // the longest a log goes without a line

[[noreturn]] void Refuse(const std::string& text) {
    throw host::Error(kErrRunPlan, text);
}

std::string UtcNow(const char* format) {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    ::gmtime_r(&t, &tm);
    char buf[64];
    std::strftime(buf, sizeof buf, format, &tm);
    return buf;
}

// The person running: the environment's name, else the account's.
std::string UserName() {
    if (const char* u = std::getenv("USER"); u && *u) return u;
    if (const char* u = std::getenv("LOGNAME"); u && *u) return u;
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name && *pw->pw_name)
        return pw->pw_name;
    return fmt::format("uid {}", ::geteuid());
}

std::string Clock(double seconds) {
    auto s = static_cast<long long>(std::max(0.0, seconds) + 0.5);
    return fmt::format("{}:{:02}:{:02}", s / 3600, (s / 60) % 60, s % 60);
}

// The host's own view of a long run: cycle k of N, sample k of N, the position
// reached, elapsed and remaining instrument time. A terminal gets one line
// rewritten in place; a log gets a line at each sample's end and whenever ten
// seconds of wall time have passed without one.
class ProgressView {
  public:
    ProgressView(std::ostream& out, const host::TextCatalog& texts, host::Clock& clock,
                 host::AcqData& data, std::int32_t samples, std::int32_t positions,
                 std::int32_t cycles, double interval, bool tty)
        : out_(out),
          texts_(texts),
          clock_(clock),
          data_(data),
          samples_(samples),
          positions_(positions),
          cycles_(cycles),
          interval_(interval),
          tty_(tty),
          start_(clock.Now()),
          lastLine_(std::chrono::steady_clock::now()) {}

    void StartSample(std::int32_t cycle, std::int32_t sample) {
        if (waiting_) {
            waited_ += clock_.Now() - waitStart_;
            waiting_ = false;
        }
        if (cycle != cycle_ || sample_ < 1) cycleStart_ = clock_.Now();
        cycle_ = cycle;
        sample_ = sample;
        doneAtSampleStart_ = data_.ResultCount();
        Show(false);
    }
    void Update() noexcept { Show(false); }
    void SampleEnd() noexcept { Show(true); }
    // first: the wait begins (a log gets that line whatever the time since the last).
    void Waiting(double toNextCycle, bool first) noexcept {
        if (!waiting_) {
            waiting_ = true;
            waitStart_ = clock_.Now();
        }
        try {
            const std::string line = Say(&texts_, "cycle {} of {} done; the next starts in {}",
                                         cycle_, cycles_, Clock(toNextCycle));
            Print(line, first);
        } catch (...) {
        }
    }
    void Finish() {
        if (tty_ && printed_) out_ << '\n';
    }

  private:
    void Show(bool sampleEnd) noexcept {
        try {
            if (sample_ < 1) return;
            const std::int32_t done = data_.ResultCount();
            const std::int32_t position = std::clamp(done - doneAtSampleStart_, 0, positions_);
            const double elapsed = clock_.Now() - start_;
            const std::int64_t total =
                static_cast<std::int64_t>(cycles_) * samples_ * std::max(positions_, 1);
            std::string remaining = Say(&texts_, "estimating");
            if (done > 0) {
                // Measuring time only: the waits between cycles are planned, not measured.
                const double perReading = (elapsed - waited_) / done;
                const std::int64_t perCycle = static_cast<std::int64_t>(samples_) * positions_;
                const std::int64_t leftInCycle = cycle_ * perCycle - done;
                const double byRate = perReading * static_cast<double>(total - done);
                // The last cycle starts (cycles - cycle) intervals after this one did.
                const double byPlan =
                    cycle_ < cycles_ ? cycleStart_ + (cycles_ - cycle_) * interval_ - clock_.Now() +
                                           perReading * static_cast<double>(perCycle)
                                     : perReading * static_cast<double>(leftInCycle);
                remaining = Clock(std::max(byRate, byPlan));
            }
            const std::string line =
                cycles_ > 1
                    ? Say(&texts_,
                          "cycle {} of {}, sample {} of {}, position {} of {}, elapsed {}, "
                          "remaining {}",
                          cycle_, cycles_, sample_, samples_, position, positions_, Clock(elapsed),
                          remaining)
                    : Say(&texts_, "sample {} of {}, position {} of {}, elapsed {}, remaining {}",
                          sample_, samples_, position, positions_, Clock(elapsed), remaining);
            Print(line, sampleEnd);
        } catch (...) {  // the view never disturbs the run
        }
    }
    void Print(const std::string& line, bool always) {
        const auto now = std::chrono::steady_clock::now();
        if (tty_) {
            if (line == last_) return;
            out_ << '\r' << line << "   " << std::flush;
        } else {
            if (!always && line == last_) return;
            if (!always && !last_.empty() && now - lastLine_ < kQuietLimit) return;
            out_ << line << '\n' << std::flush;
        }
        last_ = line;
        lastLine_ = now;
        printed_ = true;
    }

    std::ostream& out_;
    const host::TextCatalog& texts_;
    host::Clock& clock_;
    host::AcqData& data_;
    std::int32_t samples_, positions_, cycles_;
    double interval_;
    bool tty_;
    double start_;
    std::int32_t cycle_ = 1, sample_ = 0, doneAtSampleStart_ = 0;
    double cycleStart_ = 0.0, waitStart_ = 0.0, waited_ = 0.0;
    bool waiting_ = false;
    std::string last_;
    std::chrono::steady_clock::time_point lastLine_;
    bool printed_ = false;
};

// The message the module registered for one of its "Method" errors.
std::string ModuleText(host::ErrorService& errors, const char* key, const char* fallback) {
    for (const auto& e : errors.Entries())
        if (host::IEquals(e.section, "Method") && host::IEquals(e.key, key)) return e.message;
    return fallback;
}

bool IsUtf8(const std::string& text) {
    try {
        (void)json(text).dump();
        return true;
    } catch (const json::exception&) {
        return false;
    }
}

// Text the run only records (a file name, the account's name) with whatever
// is not UTF-8 replaced, so the record can be written.
std::string AsUtf8(const std::string& text) {
    return json::parse(json(text).dump(-1, ' ', false, json::error_handler_t::replace))
        .get<std::string>();
}

void CheckPlan(HostSession& session, const RunOptions& o, std::int32_t positions) {
    auto& errors = session.Host().Errors();
    const host::TextCatalog* texts = &session.Host().Texts();
    if (o.sampleIds.empty())
        Refuse(Say(texts, "no samples to measure: give --samples N or --sample-id ID"));
    std::set<std::string> seen;
    for (std::size_t i = 0; i < o.sampleIds.size(); ++i) {
        const std::string& id = o.sampleIds[i];
        if (id.empty())
            Refuse(Say(texts, "sample {}: {}", i + 1,
                       ModuleText(errors, "EmptyID", "Empty ID detected")));
        std::string folded = id;
        std::transform(folded.begin(), folded.end(), folded.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (!seen.insert(folded).second)
            Refuse(Say(texts, "sample {} '{}': {}", i + 1, id,
                       ModuleText(errors, "DupID", "Duplicate ID detected")));
        if (!IsUtf8(id)) Refuse(Say(texts, "sample {}: its ID is not valid UTF-8 text", i + 1));
    }
    if (!IsUtf8(o.dataId))
        Refuse(Say(texts, "the data's identifying text is not valid UTF-8 text"));
    if (o.resultType < 1)
        Refuse(Say(texts, "result type {} is not valid: it must be 1 or more", o.resultType));
    if (o.cycles < 1)
        Refuse(Say(texts, "--cycles {} is not a number of cycles of at least 1", o.cycles));
    if (!std::isfinite(o.interval) || o.interval < 0)
        Refuse(Say(texts, "--interval {} is not a time of 0 seconds or more", o.interval));
    const std::int64_t readings = static_cast<std::int64_t>(o.cycles) *
                                  static_cast<std::int64_t>(o.sampleIds.size()) *
                                  std::max<std::int64_t>(positions, 1);
    if (readings > kMaxRunReadings)
        Refuse(Say(texts,
                   "{} cycles of {} samples at {} positions are {} readings, more than the {} one "
                   "run may take",
                   o.cycles, o.sampleIds.size(), positions, readings, kMaxRunReadings));
}

std::vector<Overflow> OverflowsOf(const host::AcqData& data, const host::MethodObject& method) {
    std::vector<plates::Point> points;
    for (std::int32_t r = 1; r <= method.RowCount(1); ++r)
        points.push_back({method.Cell(1, 1, r).ToDouble(), method.Cell(1, 2, r).ToDouble()});
    const plates::PlateFormat* format = plates::FormatOf(points);
    std::vector<Overflow> out;
    for (std::int32_t k = 1; k <= data.ResultCount(); ++k) {
        const auto r = data.Result(k);
        if (!r.record || r.record->Count() < 3 || r.record->Value(3) != -1.0) continue;
        Overflow o;
        o.position = r.position;
        const auto group = r.type == 1 ? host::ItemGroup::Type1 : host::ItemGroup::Other;
        if (r.item >= 1 && r.item <= data.ItemCount(group)) o.sample = data.ItemId(group, r.item);
        if (format && r.position >= 1 && r.position <= static_cast<std::int32_t>(points.size())) {
            const auto& p = points[static_cast<std::size_t>(r.position - 1)];
            if (auto well = plates::WellAt(*format, p.x, p.y)) o.well = plates::WellName(*well);
        }
        out.push_back(std::move(o));
    }
    return out;
}

std::string Joined(const std::vector<std::string>& ids) {
    return json(ids).dump();
}

}  // namespace

std::shared_ptr<kvdova::MethodObject> CheckRunInputs(const RunOptions& o) {
    auto method = kvdova::LoadMethod(o.methodPath);
    CheckMethodDocument(*method, o.methodPath, o.texts);
    if (!o.platePath.empty()) CheckPlateFits(*method, o.methodPath, o.platePath, o.texts);
    return method;
}

RunReport RunMeasurement(HostSession& session, const RunOptions& given, std::ostream& progress) {
    RunOptions o = given;
    const host::TextCatalog* texts = &session.Host().Texts();
    o.texts = texts;
    // Check everything a person could have got wrong before touching the
    // instrument. The transcript is open by now: the host checked it with the
    // other outputs before it made it.
    {
        RunOptions outputs = o;
        outputs.transcriptPath.clear();
        CheckRunFiles(outputs);
    }
    const std::string methodBytes = kvbase::ReadFile(o.methodPath);
    auto method = CheckRunInputs(o);
    auto& h = session.Host();
    CheckPositionsReachable(*method, ReadStageTravel(h.Instruments()), o.methodPath, texts);
    const std::int32_t positions = method->RowCount(1);
    CheckPlan(session, o, positions);

    std::error_code ec;
    const bool tableExisted = !o.outPath.empty() && fs::exists(ResultTableFile(o.outPath), ec);
    bool dataExisted =
        !o.dataPath.empty() && fs::exists(o.dataPath, ec) && fs::file_size(o.dataPath, ec) > 0;
    if (o.dataPath.empty() && !o.runsFolder.empty()) {
        o.dataPath = NewRunDataPath(o.runsFolder, texts);  // reserved: this run's to replace
        o.overwrite = true;
        dataExisted = false;
    }

    auto& control = session.Control();
    auto& console = h.Console();
    auto& display = h.Progress();  // the terminal's, or a desktop host's own
    auto* registry = dynamic_cast<kvbase::ErrorRegistry*>(&h.Errors());
    const std::size_t failedBefore = registry ? registry->FailedCommandReplies().size() : 0;

    RunReport report;
    report.dataPath = o.dataPath;
    auto inner = std::make_shared<kvdova::AcqData>();
    const std::string startedAt = UtcNow("%Y-%m-%dT%H:%M:%SZ");
    inner->SetText(o.dataId.empty() ? UtcNow("Run-%Y%m%d-%H%M%S") : o.dataId);
    inner->SetRunInfo("startTime", startedAt);
    inner->SetRunInfo("version", session.ModuleVersion());
    inner->SetRunInfo("user", AsUtf8(UserName()));
    inner->SetRunInfo("methodFile", AsUtf8(o.methodPath));
    inner->SetRunInfo("methodSha256", kvbase::Sha256Hex(methodBytes));
    inner->SetRunInfo("methodName", method->Name());
    inner->SetRunInfo("method", json::parse(kvdova::MethodToJson(*method)).dump());
    inner->SetRunInfo("instrumentType", session.Info()->Type());
    inner->SetRunInfo("instrumentSerial", session.Info()->Serial());
    auto params = session.Info()->Params();
    inner->SetRunInfo("instrumentFirmware", params->IndexOf("InstFirmRev") > 0
                                                ? params->ValueOf("InstFirmRev").ToString()
                                                : "");
    inner->SetRunInfo("sampleIds", Joined(o.sampleIds));
    if (o.cycles > 1) {
        inner->SetRunInfo("cyclesAsked", fmt::format("{}", o.cycles));
        inner->SetRunInfo("intervalAsked", fmt::format("{}", o.interval));
    }

    // The journal exists before the instrument is touched, or the run does not start.
    std::unique_ptr<RunJournal> journal;
    if (o.journal && !o.dataPath.empty()) {
        journal = std::make_unique<RunJournal>(JournalPathFor(o.dataPath));
        report.journalPath = journal->Path();
    }
    try {
        if (journal) journal->Start(*inner);
        session.Require(control.LoadMethod(method), "LoadMethod");
    } catch (...) {
        // Nothing was measured: a journal left here would only block the next run.
        if (journal) journal->Remove();
        throw;
    }
    control.DisplayPage(1, host::kVTrue);
    display.ClearAbort();
    h.Environment().RequestStop(false);
    const double start = h.GetClock().Now();
    auto data = std::make_shared<JournalledAcqData>(inner, journal.get(), h.GetClock(), start);
    const auto samples = static_cast<std::int32_t>(o.sampleIds.size());
    ProgressView view(progress, *texts, h.GetClock(), *data, samples, positions, o.cycles,
                      o.interval, o.progress && ::isatty(2));
    if (o.progress) console.SetObserver([&view] { view.Update(); });

    auto fail = [&](host::Status status, const std::string& text) {
        report.error = status;
        report.errorText = text;
        report.outcome =
            display.AbortRequested() ? RunReport::Outcome::Aborted : RunReport::Outcome::Failed;
        if (report.outcome == RunReport::Outcome::Aborted)
            report.stopSignal = kvbase::ConsoleProgress::StopSignal();
    };
    auto failStatus = [&](host::Status status) { fail(status, h.Errors().MessageText(status)); };
    host::Status status = control.InitMeasurement(method, data);
    if (status != 0) failStatus(status);
    const host::ItemGroup group =
        o.resultType == 1 ? host::ItemGroup::Type1 : host::ItemGroup::Other;
    std::vector<double> cycleStarts;
    bool journalFailed = false;
    for (std::int32_t cycle = 1; status == 0 && cycle <= o.cycles; ++cycle) {
        if (cycle > 1) {
            // Cycle k starts interval after cycle k - 1 started; the wait is
            // in steps, so a stop request between cycles ends the run at once.
            const double due = cycleStarts.back() + o.interval;
            const double late = h.GetClock().Now() - due;
            if (late > 0 && o.interval > 0) {
                report.warnings.push_back(Say(texts,
                                              "cycle {} started {:.1f} s late: cycle {} took "
                                              "{:.1f} s, longer than the interval of {} s",
                                              cycle, late, cycle - 1,
                                              h.GetClock().Now() - cycleStarts.back(), o.interval));
            }
            bool first = true;
            for (double left = due - h.GetClock().Now(); left > 0 && !display.AbortRequested();
                 left = due - h.GetClock().Now()) {
                if (o.progress) view.Waiting(left, first);
                first = false;
                display.Wait(std::min(left, 1.0));
            }
            if (display.AbortRequested()) {
                const host::Status aborted = h.Errors().StatusOf(display.AbortErrorCode());
                failStatus(aborted);
                status = aborted;
                break;
            }
        }
        cycleStarts.push_back(h.GetClock().Now());
        if (journal && o.cycles > 1) {
            try {
                journal->Cycle(cycle, cycleStarts.back() - start);
            } catch (const host::Error& e) {
                fail(e.Number(), e.Text());
                status = e.Number();
                journalFailed = true;
                break;
            }
        }
        for (std::int32_t s = 1; status == 0 && s <= samples; ++s) {
            const std::int32_t sampleNo = (cycle - 1) * samples + s;
            const std::string& id = o.sampleIds[static_cast<std::size_t>(s - 1)];
            const std::string stored = o.cycles > 1 ? fmt::format("{}@{}", id, cycle) : id;
            try {
                data->AddItem(group, sampleNo, stored);
            } catch (const host::Error& e) {  // the journal could not take it
                fail(e.Number(), e.Text());
                status = e.Number();
                journalFailed = true;
                break;
            }
            auto info = h.NewParamSet();
            host::ParamDef idDef;
            idDef.id = h.Environment().SampleIdKey();
            info->Add(idDef, host::Variant(stored));
            if (o.progress) view.StartSample(cycle, s);
            status = control.MeasureSample(method, o.resultType, sampleNo, info);
            if (status != 0) {
                failStatus(status);
            } else {
                ++report.samplesMeasured;
            }
            journalFailed = journalFailed || status == kErrJournal;
            if (o.progress) view.SampleEnd();
            if (journal && !journalFailed) {
                try {
                    journal->SampleEnd(group, sampleNo, data->ItemFlag(group, sampleNo), status,
                                       status == 0 ? "" : report.errorText);
                } catch (const host::Error& e) {
                    if (status == 0) {
                        fail(e.Number(), e.Text());
                        status = e.Number();
                    }
                    journalFailed = true;
                }
            }
        }
        if (status == 0) report.cyclesDone = cycle;
    }
    control.ExitMeasurement(method);  // parks and unlocks, also after a failure or an abort
    if (journalFailed) {
        // A run that cannot record stopped; the lamp goes off whatever the
        // method said, since nobody measures with it now.
        try {
            std::string answer;
            if (auto server = h.Instruments().CreateServer())
                server->ExecSynch("Set Lamp=Off", answer);
        } catch (...) {
        }
    }
    console.SetObserver(nullptr);
    if (o.progress) view.Finish();
    control.DisplayPage(1, host::kVFalse);
    report.instrumentSeconds = h.GetClock().Now() - start;
    report.cyclesDone = std::max<std::int32_t>(report.cyclesDone, 0);
    report.journalFailed = journalFailed;

    // What the run says out loud afterwards, and keeps in its record.
    report.overflows = OverflowsOf(*inner, *method);
    if (registry) {
        const auto& failed = registry->FailedCommandReplies();
        for (std::size_t i = failedBefore; i < failed.size(); ++i)
            report.failedCommands.push_back({failed[i].command, failed[i].reply});
    }
    inner->SetRunInfo("endTime", UtcNow("%Y-%m-%dT%H:%M:%SZ"));
    inner->SetRunInfo("instrumentSeconds", fmt::format("{:.1f}", report.instrumentSeconds));
    inner->SetRunInfo("samplesMeasured", fmt::format("{}", report.samplesMeasured));
    json overflowList = json::array();
    for (const auto& ov : report.overflows)
        overflowList.push_back(
            {{"sample", ov.sample}, {"position", ov.position}, {"well", ov.well}});
    inner->SetRunInfo("overflowCount", fmt::format("{}", report.overflows.size()));
    inner->SetRunInfo("overflowReadings", overflowList.dump());
    json failedList = json::array();
    for (const auto& f : report.failedCommands)
        failedList.push_back({{"command", f.command}, {"reply", f.reply}});
    inner->SetRunInfo("failedCommands",
                      failedList.dump(-1, ' ', false, json::error_handler_t::replace));
    if (o.cycles > 1) {
        inner->SetRunInfo("cyclesDone", fmt::format("{}", report.cyclesDone));
        if (cycleStarts.size() > 1) {
            const double achieved = (cycleStarts.back() - cycleStarts.front()) /
                                    static_cast<double>(cycleStarts.size() - 1);
            inner->SetRunInfo("intervalAchieved", fmt::format("{:.3f}", achieved));
        }
    }
    std::string outcome;
    switch (report.outcome) {
        case RunReport::Outcome::Completed:
            outcome = "completed";
            break;
        case RunReport::Outcome::Failed:
            outcome = fmt::format("failed: error {}: {}", report.error, report.errorText);
            break;
        case RunReport::Outcome::Aborted:
            outcome = report.stopSignal != 0 ? "aborted by " + StopSignalName(report.stopSignal)
                                             : "aborted by the user";
            break;
    }
    inner->SetRunInfo("outcome", outcome);

    // What was measured is saved whatever the outcome; a run that measured
    // nothing leaves the outputs of an earlier run alone.
    const bool measuredNothing =
        report.outcome != RunReport::Outcome::Completed && inner->ResultCount() == 0;
    if (!o.outPath.empty()) {
        if (measuredNothing && tableExisted) {
            report.earlierOutputsKept = true;
            report.tableError = Say(texts, "the run measured nothing; the earlier table is kept");
        } else {
            report.tableSaved =
                SaveResultTable(session, o.outPath, o.overwrite, &report.tableError);
        }
    }
    if (journal && !journalFailed) {
        try {
            journal->End(outcome);
        } catch (const host::Error&) {  // the data file below holds everything anyway
        }
    }
    if (!o.dataPath.empty()) {
        if (measuredNothing && dataExisted) {
            report.earlierOutputsKept = true;
            report.dataError =
                Say(texts, "the run measured nothing; the earlier data file is kept");
        } else if (!o.overwrite && fs::exists(o.dataPath, ec)) {
            // It appeared during the run: the check before it found nothing there.
            report.dataError = Say(texts, "it appeared during the run; it is kept");
        } else {
            try {
                kvdova::SaveAcqData(*inner, o.dataPath);
                report.dataSaved = true;
            } catch (const host::Error& e) {
                report.dataError = e.Text();
            }
        }
    }
    // Readings neither the journal nor the data file could take are said,
    // so that the person has them at least on the screen.
    if (!report.dataSaved && journalFailed) {
        for (std::int32_t k = data->JournalledReadings() + 1; k <= inner->ResultCount(); ++k) {
            const auto r = inner->Result(k);
            const auto g = r.type == 1 ? host::ItemGroup::Type1 : host::ItemGroup::Other;
            std::string line =
                Say(texts, "{} position {}",
                    r.item <= inner->ItemCount(g) ? inner->ItemId(g, r.item) : "?", r.position) +
                ":";
            for (std::int32_t i = 1; r.record && i <= r.record->Count() && i <= 3; ++i)
                line += fmt::format(" {}", r.record->Value(i));
            report.unrecorded.push_back(std::move(line));
        }
    }
    // The journal goes once the data file holds the run; otherwise it stays
    // for `results recover`.
    if (journal && (report.dataSaved || report.earlierOutputsKept) && journal->Remove())
        report.journalPath.clear();
    // A file reserved in the runs folder that nothing was written to goes:
    // the journal beside where it was is what holds the run.
    if (!report.dataSaved && !given.runsFolder.empty() && given.dataPath.empty() &&
        fs::exists(o.dataPath, ec) && fs::file_size(o.dataPath, ec) == 0)
        fs::remove(o.dataPath, ec);
    display.ClearAbort();
    report.data = inner;
    return report;
}

}  // namespace loader
