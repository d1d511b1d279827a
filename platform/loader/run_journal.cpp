#include "platform/loader/run_journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "host/error.h"
#include "platform/kvbase/atomic_file.h"
#include "platform/kvdova/acq_data_file.h"
#include "platform/kvdova/json_values.h"
#include "platform/kvdova/result_record.h"

namespace loader {
namespace {

using nlohmann::json;

constexpr const char* kFormat = "ORVEVIZari run journal";
constexpr auto kSyncEvery = std::chrono::seconds(1);

[[noreturn]] void Fail(const std::string& text) {
    throw host::Error(kErrJournal, text);
}

std::string Utc() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    ::gmtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return buf;
}

// The shortest text that reads back to the same double; non-finite values as
// the strings the data files use.
std::string Number(double v) {
    if (std::isnan(v)) return "\"NaN\"";
    if (std::isinf(v)) return v > 0 ? "\"Infinity\"" : "\"-Infinity\"";
    return fmt::format("{}", v);
}

const char* GroupName(host::ItemGroup group) {
    return group == host::ItemGroup::Type1 ? "type1" : "other";
}

}  // namespace

std::string JournalPathFor(const std::string& dataPath) {
    return dataPath + ".journal";
}

RunJournal::RunJournal(std::string path) : path_(std::move(path)) {
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        if (errno == EEXIST) {
            Fail(
                fmt::format("a run journal '{}' exists already: an earlier run was interrupted. "
                            "Recover its readings with: orvevizari results recover {}",
                            path_, path_));
        }
        Fail(fmt::format("cannot make the run journal '{}': {}", path_, std::strerror(errno)));
    }
    // The new name reaches the disk too: a journal a power cut forgets would
    // keep nothing.
    const std::string folder = std::filesystem::path(path_).parent_path().string();
    const int dir =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    syncer_ = std::thread([this] { SyncEverySecond(); });
}

RunJournal::~RunJournal() {
    Close();
}

void RunJournal::Close() noexcept {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (syncer_.joinable()) syncer_.join();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

// Lines written since the last sync reach the disk within a second, also when
// the instrument takes a long time before the next line comes.
void RunJournal::SyncEverySecond() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
        wake_.wait_for(lock, kSyncEvery);
        if (stop_ || !dirty_) continue;
        dirty_ = false;
        if (::fdatasync(fd_) != 0 && syncError_.empty()) syncError_ = std::strerror(errno);
    }
}

void RunJournal::Sync() {
    std::lock_guard<std::mutex> lock(mutex_);
    dirty_ = false;
    if (::fdatasync(fd_) != 0 && syncError_.empty()) syncError_ = std::strerror(errno);
}

void RunJournal::Write(const std::string& line, bool sync) {
    if (fd_ < 0) Fail(fmt::format("the run journal '{}' is closed", path_));
    if (broken_) {
        Fail(
            fmt::format("the run journal '{}' could not be written before; nothing more is "
                        "added to it",
                        path_));
    }
    const std::string whole = line + "\n";
    std::size_t done = 0;
    while (done < whole.size()) {
        const ssize_t n = ::write(fd_, whole.data() + done, whole.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = errno;
            // Take back a line written in part, so the journal ends with whole
            // lines, and add nothing after it: what follows a gap would lie.
            broken_ = true;
            if (done > 0) (void)!::ftruncate(fd_, size_);
            errno = error;
            Fail(
                fmt::format("cannot write the run journal '{}': {}; the run stops, since a run "
                            "that cannot record must not go on measuring",
                            path_, n < 0 ? std::strerror(errno) : "nothing was written"));
        }
        done += static_cast<std::size_t>(n);
    }
    size_ += static_cast<off_t>(done);
    if (sync) {
        Sync();
    } else {
        std::lock_guard<std::mutex> lock(mutex_);
        dirty_ = true;
    }
    std::string syncError;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        syncError = syncError_;
    }
    if (!syncError.empty()) {
        broken_ = true;
        Fail(
            fmt::format("cannot sync the run journal '{}' to disk: {}; the run stops, since a "
                        "run that cannot record must not go on measuring",
                        path_, syncError));
    }
}

// Text that is not UTF-8 cannot be a JSON line: refused with the journal's
// error rather than escaping as a JSON library's.
std::string RunJournal::Dump(const nlohmann::json& line) const {
    try {
        return line.dump();
    } catch (const json::exception&) {
        Fail(fmt::format("the run journal '{}' cannot take text that is not valid UTF-8 ({})",
                         path_, line.value("event", "")));
    }
}

void RunJournal::Start(const host::AcqData& data) {
    json line = {{"event", "start"},    {"format", kFormat},
                 {"formatVersion", 1},  {"utc", Utc()},
                 {"text", data.Text()}, {"runInfo", kvdova::RunInfoToJson(data.RunInfo())}};
    Write(Dump(line), true);
}

void RunJournal::Instrument(std::int32_t index, const host::ParamSet& params) {
    json line = {
        {"event", "instrument"}, {"index", index}, {"params", kvdova::ParamSetToJson(params)}};
    Write(Dump(line), false);
}

void RunJournal::Item(host::ItemGroup group, std::int32_t number, const std::string& id) {
    json line = {{"event", "item"}, {"group", GroupName(group)}, {"number", number}, {"id", id}};
    Write(Dump(line), false);
}

void RunJournal::Cycle(std::int32_t number, double seconds) {
    Write(fmt::format("{{\"event\":\"cycle\",\"number\":{},\"seconds\":{},\"utc\":\"{}\"}}", number,
                      Number(seconds), Utc()),
          true);
}

void RunJournal::Reading(std::int32_t item, std::int32_t position, host::ResultType type,
                         const host::ResultRecord& record, double seconds,
                         double instrumentSeconds) {
    // Formatted by hand: a reading is the one line written thousands of times.
    std::string values;
    for (std::int32_t i = 1; i <= record.Count(); ++i) {
        if (i > 1) values += ',';
        values += Number(record.Value(i));
    }
    Write(fmt::format("{{\"event\":\"reading\",\"item\":{},\"position\":{},\"type\":{},"
                      "\"values\":[{}],\"seconds\":{},\"instrumentSeconds\":{},\"utc\":\"{}\"}}",
                      item, position, type, values, Number(seconds), Number(instrumentSeconds),
                      Utc()),
          false);
}

void RunJournal::SampleEnd(host::ItemGroup group, std::int32_t item, bool flag, host::Status status,
                           const std::string& text) {
    json line = {{"event", "sampleEnd"}, {"group", GroupName(group)}, {"item", item},
                 {"flag", flag},         {"status", status},          {"text", text}};
    Write(line.dump(-1, ' ', false, json::error_handler_t::replace), true);
}

void RunJournal::End(const std::string& outcome) {
    json line = {{"event", "end"}, {"outcome", outcome}, {"utc", Utc()}};
    Write(line.dump(-1, ' ', false, json::error_handler_t::replace), true);
}

bool RunJournal::Remove() noexcept {
    Close();
    return ::unlink(path_.c_str()) == 0;
}

// ---- the data a run writes to ----

JournalledAcqData::JournalledAcqData(std::shared_ptr<kvdova::AcqData> inner, RunJournal* journal,
                                     host::Clock& clock, double runStart)
    : inner_(std::move(inner)), journal_(journal), clock_(clock), runStart_(runStart) {}

void JournalledAcqData::SetInstrumentInfo(std::int32_t index, const host::ParamSet& info) {
    inner_->SetInstrumentInfo(index, info);
    if (journal_) journal_->Instrument(index, info);
}

void JournalledAcqData::AddItem(host::ItemGroup group, std::int32_t number, const std::string& id) {
    inner_->AddItem(group, number, id);
    if (journal_) journal_->Item(group, number, id);
}

void JournalledAcqData::AddResult(std::int32_t item, std::int32_t position, host::ResultType type,
                                  const host::ResultRecord& record, std::int32_t extra) {
    const double now = clock_.Now();
    kvdova::ResultRecord timed;
    timed.Init(record.Count() + 1);
    for (std::int32_t i = 1; i <= record.Count(); ++i) timed.SetValue(i, record.Value(i));
    timed.SetValue(record.Count() + 1, now - runStart_);
    inner_->AddResult(item, position, type, timed, extra);
    // Written before the module goes on to its next command.
    if (journal_) journal_->Reading(item, position, type, timed, now - runStart_, now);
    ++journalled_;
}

// ---- reading a journal back ----

namespace {

host::ItemGroup GroupOf(const kvdova::JsonField& f) {
    const std::string name = f.Text();
    if (name == "type1") return host::ItemGroup::Type1;
    if (name == "other") return host::ItemGroup::Other;
    f.Fail("expected \"type1\" or \"other\"");
}

}  // namespace

RecoveredRun ReadJournal(const std::string& text, const std::string& source) {
    RecoveredRun run;
    run.data = std::make_shared<kvdova::AcqData>();
    auto& data = *run.data;
    bool started = false;
    std::string outcome, lastUtc;
    std::vector<double> cycleStarts;
    std::int32_t samplesMeasured = 0, overflows = 0;
    kvdova::ResultRecord record;
    std::size_t from = 0;
    std::int32_t lineNo = 0;
    while (from < text.size()) {
        const auto end = text.find('\n', from);
        ++lineNo;
        if (end == std::string::npos) {
            // Cut short by a kill while it was written: nothing after it, drop it.
            run.tornLastLine = true;
            break;
        }
        const auto first = text.begin() + static_cast<std::ptrdiff_t>(from);
        const auto last = text.begin() + static_cast<std::ptrdiff_t>(end);
        from = end + 1;
        const std::string where = fmt::format("{}, line {}", source, lineNo);
        json doc = json::parse(first, last, nullptr, false);
        if (doc.is_discarded()) Fail(fmt::format("{}: the line is no JSON object", where));
        try {
            const kvdova::JsonField f(doc, where);
            const std::string event = f.Member("event").Text();
            if (!started && event != "start")
                f.Fail("the journal does not begin with the run's start");
            if (event == "start") {
                if (started) f.Fail("a second start");
                f.ExpectObject({"event", "format", "formatVersion", "utc", "text", "runInfo"});
                if (f.Member("format").Text() != kFormat || f.Member("formatVersion").Int32() != 1)
                    f.Fail(fmt::format("not a journal of version 1 ('{}')", kFormat));
                data.SetText(f.Member("text").Text());
                kvdova::RunInfoFromJson(f.Member("runInfo"), data);
                started = true;
            } else if (event == "instrument") {
                f.ExpectObject({"event", "index", "params"});
                const auto params = kvdova::ParamSetFromJson(f.Member("params"));
                f.Guard([&] { data.SetInstrumentInfo(f.Member("index").Int32(), *params); });
            } else if (event == "item") {
                f.ExpectObject({"event", "group", "number", "id"});
                const auto group = GroupOf(f.Member("group"));
                const std::int32_t number = f.Member("number").Int32();
                // A run adds its samples one after the other.
                if (number != data.ItemCount(group) + 1) {
                    f.Member("number").Fail(fmt::format("sample {} comes after sample {}", number,
                                                        data.ItemCount(group)));
                }
                f.Guard([&] { data.AddItem(group, number, f.Member("id").Text()); });
            } else if (event == "cycle") {
                f.ExpectObject({"event", "number", "seconds", "utc"});
                if (f.Member("number").Int32() != static_cast<std::int32_t>(cycleStarts.size()) + 1)
                    f.Member("number").Fail("cycles come one after the other from 1");
                cycleStarts.push_back(kvdova::DoubleFromJson(f.Member("seconds")));
                lastUtc = f.Member("utc").Text();
            } else if (event == "reading") {
                f.ExpectObject({"event", "item", "position", "type", "values", "seconds",
                                "instrumentSeconds", "utc"});
                const kvdova::JsonField values = f.Member("values");
                const std::size_t n = values.ArraySize();
                if (n == 0) values.Fail("a reading has values");
                record.Init(static_cast<std::int32_t>(n));
                for (std::size_t i = 0; i < n; ++i)
                    record.SetValue(static_cast<std::int32_t>(i + 1),
                                    kvdova::DoubleFromJson(values.Element(i)));
                const std::int32_t type = f.Member("type").Int32();
                const std::int32_t item = f.Member("item").Int32();
                const auto group = type == 1 ? host::ItemGroup::Type1 : host::ItemGroup::Other;
                // A reading belongs to a sample journalled before it, of its result type.
                if (item < 1 || item > data.ItemCount(group)) {
                    f.Member("item").Fail(
                        fmt::format("no sample {} of result type {} was started", item, type));
                }
                f.Guard(
                    [&] { data.AddResult(item, f.Member("position").Int32(), type, record, 0); });
                if (n >= 3 && record.Value(3) == -1.0) ++overflows;
                lastUtc = f.Member("utc").Text();
                ++run.readings;
            } else if (event == "sampleEnd") {
                f.ExpectObject({"event", "group", "item", "flag", "status", "text"});
                f.Member("text").Text();
                f.Member("status").Int32();
                const auto group = GroupOf(f.Member("group"));
                const std::int32_t item = f.Member("item").Int32();
                const bool flag = f.Member("flag").Bool();
                if (item < 1 || item > data.ItemCount(group))
                    f.Member("item").Fail(fmt::format("no sample {} was started", item));
                f.Guard([&] { data.SetItemFlag(group, item, flag); });
                if (f.Member("status").Int32() == 0) ++samplesMeasured;
            } else if (event == "end") {
                f.ExpectObject({"event", "outcome", "utc"});
                outcome = f.Member("outcome").Text();
                lastUtc = f.Member("utc").Text();
                run.ended = true;
            } else {
                f.Member("event").Fail(fmt::format("unknown event '{}'", event));
            }
        } catch (const host::Error& e) {
            if (e.Number() == kErrJournal) throw;
            Fail(e.Text());
        }
        run.lines = lineNo;
    }
    if (!started) {
        Fail(
            fmt::format("{}: the journal holds no run start: the run ended before it measured "
                        "anything, and the journal can be deleted",
                        source));
    }
    // What the run would have written at its end, as far as the journal tells it.
    if (!lastUtc.empty()) data.SetRunInfo("endTime", lastUtc);
    data.SetRunInfo("samplesMeasured", fmt::format("{}", samplesMeasured));
    data.SetRunInfo("overflowCount", fmt::format("{}", overflows));
    if (!cycleStarts.empty()) {
        const auto samples = static_cast<std::int32_t>(kvdova::RunSampleIds(data.RunInfo()).size());
        if (samples > 0)
            data.SetRunInfo("cyclesDone", fmt::format("{}", samplesMeasured / samples));
        if (cycleStarts.size() > 1) {
            data.SetRunInfo("intervalAchieved",
                            fmt::format("{:.3f}", (cycleStarts.back() - cycleStarts.front()) /
                                                      static_cast<double>(cycleStarts.size() - 1)));
        }
    }
    data.SetRunInfo("outcome", run.ended ? outcome + " (recovered from its journal)"
                                         : "interrupted and recovered");
    return run;
}

RecoveredRun RecoverJournal(const std::string& path) {
    return ReadJournal(kvbase::ReadFile(path), path);
}

}  // namespace loader
