#include "platform/loader/run_journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>
#include <filesystem>

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
    lastSync_ = std::chrono::steady_clock::now();
}

RunJournal::~RunJournal() {
    if (fd_ >= 0) ::close(fd_);
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
    const off_t before = ::lseek(fd_, 0, SEEK_END);
    std::size_t done = 0;
    while (done < whole.size()) {
        const ssize_t n = ::write(fd_, whole.data() + done, whole.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = errno;
            // Take back a line written in part, so the journal ends with whole
            // lines, and add nothing after it: what follows a gap would lie.
            broken_ = true;
            if (done > 0 && before >= 0) (void)!::ftruncate(fd_, before);
            errno = error;
            Fail(
                fmt::format("cannot write the run journal '{}': {}; the run stops, since a run "
                            "that cannot record must not go on measuring",
                            path_, n < 0 ? std::strerror(errno) : "nothing was written"));
        }
        done += static_cast<std::size_t>(n);
    }
    const auto now = std::chrono::steady_clock::now();
    if (sync || now - lastSync_ >= kSyncEvery) {
        if (::fdatasync(fd_) != 0)
            Fail(fmt::format("cannot sync the run journal '{}' to disk: {}", path_,
                             std::strerror(errno)));
        lastSync_ = now;
    }
}

void RunJournal::Start(const host::AcqData& data) {
    json line = {{"event", "start"},    {"format", kFormat},
                 {"formatVersion", 1},  {"utc", Utc()},
                 {"text", data.Text()}, {"runInfo", kvdova::RunInfoToJson(data.RunInfo())}};
    Write(line.dump(), true);
}

void RunJournal::Instrument(std::int32_t index, const host::ParamSet& params) {
    json line = {
        {"event", "instrument"}, {"index", index}, {"params", kvdova::ParamSetToJson(params)}};
    Write(line.dump(), false);
}

void RunJournal::Item(host::ItemGroup group, std::int32_t number, const std::string& id) {
    json line = {{"event", "item"}, {"group", GroupName(group)}, {"number", number}, {"id", id}};
    Write(line.dump(), false);
}

void RunJournal::Reading(std::int32_t item, std::int32_t position, host::ResultType type,
                         const host::ResultRecord& record, double seconds,
                         double instrumentSeconds) {
    // Formatted by hand: a reading is the one line written thousands of times.
    std::string values;
    for (std::int32_t i = 1; i <= record.Count(); ++i)
        values += (i > 1 ? "," : "") + Number(record.Value(i));
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
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
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
    std::string outcome;
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
        const std::string line = text.substr(from, end - from);
        from = end + 1;
        const std::string where = fmt::format("{}, line {}", source, lineNo);
        json doc = json::parse(line, nullptr, false);
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
                f.Guard([&] {
                    data.AddItem(group, f.Member("number").Int32(), f.Member("id").Text());
                });
            } else if (event == "reading") {
                f.ExpectObject({"event", "item", "position", "type", "values", "seconds",
                                "instrumentSeconds", "utc"});
                const kvdova::JsonField values = f.Member("values");
                const std::size_t n = values.ArraySize();
                record.Init(static_cast<std::int32_t>(n));
                for (std::size_t i = 0; i < n; ++i)
                    record.SetValue(static_cast<std::int32_t>(i + 1),
                                    kvdova::DoubleFromJson(values.Element(i)));
                f.Guard([&] {
                    data.AddResult(f.Member("item").Int32(), f.Member("position").Int32(),
                                   f.Member("type").Int32(), record, 0);
                });
                ++run.readings;
            } else if (event == "sampleEnd") {
                f.ExpectObject({"event", "group", "item", "flag", "status", "text"});
                f.Member("text").Text();
                f.Member("status").Int32();
                const auto group = GroupOf(f.Member("group"));
                const std::int32_t item = f.Member("item").Int32();
                const bool flag = f.Member("flag").Bool();
                f.Guard([&] { data.SetItemFlag(group, item, flag); });
            } else if (event == "end") {
                f.ExpectObject({"event", "outcome", "utc"});
                outcome = f.Member("outcome").Text();
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
    if (!started) Fail(fmt::format("{}: the journal holds no run start", source));
    data.SetRunInfo("outcome", run.ended ? outcome + " (recovered from its journal)"
                                         : "interrupted and recovered");
    return run;
}

RecoveredRun RecoverJournal(const std::string& path) {
    return ReadJournal(kvbase::ReadFile(path), path);
}

}  // namespace loader
