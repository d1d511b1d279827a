#include "platform/loader/measurement_run.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <ostream>

#include <fmt/format.h>

#include "host/error.h"
#include "platform/controls/file_dialogs.h"
#include "platform/kvbase/atomic_file.h"
#include "platform/kvbase/progress.h"
#include "platform/kvbase/sha256.h"
#include "platform/kvdova/acq_data_file.h"
#include "platform/kvdova/documents.h"
#include "platform/kvdova/method_file.h"
#include "platform/loader/method_check.h"

namespace loader {
namespace {

namespace fs = std::filesystem;
constexpr host::Status kErrRun = 0x7FFF0A03;

[[noreturn]] void Refuse(const std::string& text) {
    throw host::Error(kErrRun, text);
}

std::string UtcNow(const char* format) {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    ::gmtime_r(&t, &tm);
    char buf[64];
    std::strftime(buf, sizeof buf, format, &tm);
    return buf;
}

std::string UserName() {
    if (const char* u = std::getenv("USER"); u && *u) return u;
    if (const char* u = std::getenv("LOGNAME"); u && *u) return u;
    return "unknown";
}

std::string Clock(double seconds) {
    auto s = static_cast<long long>(seconds + 0.5);
    return fmt::format("{}:{:02}:{:02}", s / 3600, (s / 60) % 60, s % 60);
}

host::KVSpread& ResultGrid(HostSession& session) {
    auto grid = host::As<host::KVSpread>(session.Page().Find("KVSResult"));
    if (!grid) Refuse("the module's page has no result grid");
    return *grid;
}

// The host's own view of a long run: sample k of N, position i of n, and the
// instrument time, read from the acquisition data as results arrive.
class ProgressView {
  public:
    ProgressView(std::ostream& out, host::Clock& clock, host::AcqData& data, std::int32_t samples,
                 std::int32_t positions, bool tty)
        : out_(out),
          clock_(clock),
          data_(data),
          samples_(samples),
          positions_(positions),
          tty_(tty),
          start_(clock.Now()) {}

    void SetSample(std::int32_t k) { sample_ = k; }

    // A terminal gets one line rewritten in place; a log gets a line per sample.
    void Update() noexcept {
        try {
            if (sample_ < 1) return;
            const std::int32_t done = data_.ResultCount();
            if (done == lastDone_ && sample_ == lastSample_) return;
            const bool newSample = sample_ != lastSample_;
            lastDone_ = done;
            lastSample_ = sample_;
            const std::int32_t total = samples_ * positions_;
            const std::int32_t position =
                std::clamp(done - (sample_ - 1) * positions_, 0, positions_);
            const double elapsed = clock_.Now() - start_;
            const double remaining = done > 0 ? elapsed / done * (total - done) : 0.0;
            std::string line =
                fmt::format("sample {} of {}, position {} of {}, elapsed {}, remaining {}", sample_,
                            samples_, position, positions_, Clock(elapsed), Clock(remaining));
            if (tty_) {
                out_ << '\r' << line << "   " << std::flush;
            } else if (newSample) {
                out_ << line << '\n';
            }
        } catch (...) {  // the view never disturbs the run
        }
    }
    void Finish() {
        if (tty_) out_ << '\n';
    }

  private:
    std::ostream& out_;
    host::Clock& clock_;
    host::AcqData& data_;
    std::int32_t samples_, positions_;
    bool tty_;
    double start_;
    std::int32_t sample_ = 0, lastSample_ = -1, lastDone_ = -1;
};

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ea, eb;
    const auto ca = fs::weakly_canonical(fs::absolute(a), ea);
    const auto cb = fs::weakly_canonical(fs::absolute(b), eb);
    if (ea || eb) return fs::absolute(a).lexically_normal() == fs::absolute(b).lexically_normal();
    return ca == cb;
}

void RequireWritable(const std::string& path, bool overwrite, const char* what) {
    if (path.empty()) return;
    std::error_code ec;
    if (fs::exists(path, ec) && !overwrite) {
        Refuse(fmt::format("{} '{}' exists already; give --overwrite to replace it", what, path));
    }
    auto dir = fs::path(path).parent_path();
    if (!dir.empty() && !fs::is_directory(dir, ec))
        Refuse(fmt::format("the folder of {} '{}' does not exist", what, path));
}

}  // namespace

std::string ResultTableFile(const std::string& path) {
    if (path.empty() || fs::path(path).filename().string().find('.') != std::string::npos)
        return path;
    return path + ".txt";
}

bool SaveResultTable(HostSession& session, const std::string& path, bool overwrite,
                     std::string* why) {
    auto& dialogs = session.Host().HeadlessDialogs();
    dialogs.SetReplaceExisting(overwrite);
    dialogs.AnswerPath(fs::absolute(path).string());
    auto& console = session.Host().Console();
    std::string before = console.LastMessage();
    const std::string file = ResultTableFile(path);
    std::error_code ec;
    auto writtenBefore =
        fs::exists(file, ec) ? fs::last_write_time(file, ec) : fs::file_time_type{};
    const bool existed = fs::exists(file, ec);
    ResultGrid(session).UserSaveRequest();
    const bool written = fs::exists(file, ec) && fs::last_write_time(file, ec) != writtenBefore;
    const bool quiet = console.LastMessage() == before;
    if (written && quiet) return true;
    if (why != nullptr) {
        if (!dialogs.LastFailure().empty()) {
            *why = dialogs.LastFailure();
        } else if (!quiet) {
            *why = console.LastMessage();
        } else if (existed && !overwrite) {
            *why = "it exists already; give --overwrite to replace it";
        } else {
            *why = "the table was not written";
        }
    }
    return false;
}

std::string ResultTableText(HostSession& session) {
    auto& grid = ResultGrid(session);
    std::string text;
    auto defs = grid.ColumnDefs();
    for (std::int32_t c = 1; c <= grid.ColumnCount(); ++c)
        text += (c > 1 ? "\t" : "") + defs->Item(c)->caption;
    text += '\n';
    auto& numbers = session.Host().Numbers();
    for (std::int32_t r = 1; r <= grid.RowCount(); ++r) {
        for (std::int32_t c = 1; c <= grid.ColumnCount(); ++c) {
            auto v = grid.Cell(c, r);
            std::string cell = v.IsNumeric()
                                   ? numbers.DoubleToText(v.ToDouble(), defs->Item(c)->format, 0)
                                   : v.ToString();
            text += (c > 1 ? "\t" : "") + cell;
        }
        text += '\n';
    }
    return text;
}

RunReport RunMeasurement(HostSession& session, const RunOptions& o, std::ostream& progress) {
    // Check everything a person could have got wrong before touching the instrument.
    if (o.sampleIds.empty()) Refuse("no samples to measure: give --samples N or --sample-id ID");
    if (o.resultType < 1)
        Refuse(fmt::format("result type {} is not valid: it must be 1 or more", o.resultType));
    RequireWritable(ResultTableFile(o.outPath), o.overwrite, "result table");
    RequireWritable(o.dataPath, o.overwrite, "acquisition data file");
    if (!o.outPath.empty() && !o.dataPath.empty() &&
        SameFile(ResultTableFile(o.outPath), o.dataPath)) {
        Refuse(fmt::format("the result table and the acquisition data would both be '{}'",
                           o.dataPath));
    }
    const std::string methodBytes = kvbase::ReadFile(o.methodPath);
    auto method = kvdova::LoadMethod(o.methodPath);
    CheckMethodDocument(*method, o.methodPath);

    auto& h = session.Host();
    auto& control = session.Control();
    auto& console = h.Console();
    auto& display = h.Progress();  // the terminal's, or a desktop host's own
    RunReport report;
    auto data = h.NewAcqData();
    const std::string startedAt = UtcNow("%Y-%m-%dT%H:%M:%SZ");
    data->SetText(o.dataId.empty() ? UtcNow("Run-%Y%m%d-%H%M%S") : o.dataId);
    data->SetRunInfo("startTime", startedAt);
    data->SetRunInfo("version", session.ModuleVersion());
    data->SetRunInfo("user", UserName());
    data->SetRunInfo("methodFile", o.methodPath);
    data->SetRunInfo("methodSha256", kvbase::Sha256Hex(methodBytes));
    data->SetRunInfo("methodName", method->Name());
    data->SetRunInfo("method", kvdova::MethodToJson(*method));
    data->SetRunInfo("instrumentType", session.Info()->Type());
    data->SetRunInfo("instrumentSerial", session.Info()->Serial());
    auto params = session.Info()->Params();
    data->SetRunInfo("instrumentFirmware", params->IndexOf("InstFirmRev") > 0
                                               ? params->ValueOf("InstFirmRev").ToString()
                                               : "");
    std::string ids;
    for (const auto& id : o.sampleIds) ids += (ids.empty() ? "" : ";") + id;
    data->SetRunInfo("sampleIds", ids);

    session.Require(control.LoadMethod(method), "LoadMethod");
    control.DisplayPage(1, host::kVTrue);
    display.ClearAbort();
    h.Environment().RequestStop(false);
    const double start = h.GetClock().Now();
    ProgressView view(progress, h.GetClock(), *data, static_cast<std::int32_t>(o.sampleIds.size()),
                      method->RowCount(1), o.progress && ::isatty(2));
    if (o.progress) console.SetObserver([&view] { view.Update(); });

    auto fail = [&](host::Status status) {
        report.error = status;
        report.errorText = h.Errors().MessageText(status);
        report.outcome =
            display.AbortRequested() ? RunReport::Outcome::Aborted : RunReport::Outcome::Failed;
        if (report.outcome == RunReport::Outcome::Aborted)
            report.stopSignal = kvbase::ConsoleProgress::StopSignal();
    };
    host::Status status = control.InitMeasurement(method, data);
    if (status != 0) fail(status);
    const host::ItemGroup group =
        o.resultType == 1 ? host::ItemGroup::Type1 : host::ItemGroup::Other;
    for (std::size_t k = 0; status == 0 && k < o.sampleIds.size(); ++k) {
        const auto sampleNo = static_cast<std::int32_t>(k + 1);
        data->AddItem(group, sampleNo, o.sampleIds[k]);
        auto info = h.NewParamSet();
        host::ParamDef idDef;
        idDef.id = h.Environment().SampleIdKey();
        info->Add(idDef, host::Variant(o.sampleIds[k]));
        view.SetSample(sampleNo);
        status = control.MeasureSample(method, o.resultType, sampleNo, info);
        if (status != 0) {
            fail(status);
        } else {
            ++report.samplesMeasured;
        }
    }
    control.ExitMeasurement(method);  // parks and unlocks, also after a failure or an abort
    console.SetObserver(nullptr);
    if (o.progress) view.Finish();
    control.DisplayPage(1, host::kVFalse);
    report.instrumentSeconds = h.GetClock().Now() - start;

    data->SetRunInfo("endTime", UtcNow("%Y-%m-%dT%H:%M:%SZ"));
    data->SetRunInfo("instrumentSeconds", fmt::format("{:.1f}", report.instrumentSeconds));
    switch (report.outcome) {
        case RunReport::Outcome::Completed:
            data->SetRunInfo("outcome", "completed");
            break;
        case RunReport::Outcome::Failed:
            data->SetRunInfo("outcome",
                             fmt::format("failed: error {}: {}", report.error, report.errorText));
            break;
        case RunReport::Outcome::Aborted:
            data->SetRunInfo("outcome", report.stopSignal != 0
                                            ? "aborted by " + StopSignalName(report.stopSignal)
                                            : "aborted by the user");
            break;
    }
    // What was measured is saved whatever the outcome.
    if (!o.outPath.empty())
        report.tableSaved = SaveResultTable(session, o.outPath, o.overwrite, &report.tableError);
    std::error_code ec;
    if (!o.dataPath.empty() && !o.overwrite && fs::exists(o.dataPath, ec)) {
        // It appeared during the run: the check before it found nothing there.
        progress << "orvevizari: acquisition data file '" << o.dataPath
                 << "' exists already; it is kept\n";
    } else if (!o.dataPath.empty()) {
        try {
            kvdova::SaveAcqData(*data, o.dataPath);
            report.dataSaved = true;
        } catch (const host::Error& e) {
            progress << "orvevizari: " << e.Text() << '\n';
        }
    }
    display.ClearAbort();
    report.data = data;
    return report;
}

std::string StopSignalName(int signal) {
    switch (signal) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            return fmt::format("signal {}", signal);
    }
}

std::string NewRunDataPath(const std::string& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder, ec))
        Refuse(fmt::format("cannot make the folder '{}' for run data: {}", folder,
                           ec ? ec.message() : "not a folder"));
    const std::string stem = UtcNow("Run-%Y%m%d-%H%M%S");
    for (int n = 1; n < 1000; ++n) {
        const fs::path path =
            fs::path(folder) / (n == 1 ? stem + ".json" : fmt::format("{}-{}.json", stem, n));
        // Created empty, exclusively: a second program asking in the same second gets another.
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return path.string();
        }
        if (errno != EEXIST)
            Refuse(fmt::format("cannot make a run data file in '{}': {}", folder,
                               std::strerror(errno)));
    }
    Refuse(fmt::format("cannot make a run data file in '{}': every name for {} is taken", folder,
                       stem));
}

std::shared_ptr<host::AcqData> ShowStoredResults(HostSession& session,
                                                 const std::string& dataPath) {
    auto data = kvdova::LoadAcqData(dataPath);
    auto info = data->RunInfo();
    auto it = info.find("method");
    if (it == info.end())
        Refuse(fmt::format("{}: the file holds no method to lay out its results", dataPath));
    auto method = kvdova::MethodFromJson(it->second, dataPath + " (method)");
    session.Require(session.Control().LoadMethod(method), "LoadMethod");
    session.Require(session.Control().LoadAcqData(data), "LoadAcqData");
    return data;
}

}  // namespace loader
