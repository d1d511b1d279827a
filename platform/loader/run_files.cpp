// The files around a run: the checks of its outputs before anything is made,
// the runs folder, and the result table as a person saves it.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <filesystem>

#include <fmt/format.h>

#include "host/error.h"
#include "platform/controls/file_dialogs.h"
#include "platform/kvbase/host_texts.h"
#include "platform/kvbase/progress.h"
#include "platform/kvdova/acq_data_file.h"
#include "platform/kvdova/method_file.h"
#include "platform/loader/measurement_run.h"
#include "platform/loader/run_journal.h"

namespace loader {
namespace {

namespace fs = std::filesystem;
using kvbase::Say;

[[noreturn]] void Refuse(const std::string& text) {
    throw host::Error(kErrRunFiles, text);
}

host::KVSpread& ResultGrid(HostSession& session) {
    auto grid = host::As<host::KVSpread>(session.Page().Find("KVSResult"));
    if (!grid) Refuse(Say(&session.Host().Texts(), "the module's page has no result grid"));
    return *grid;
}

struct Output {
    std::string path;
    kvbase::HostText<> what;
};

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ea, eb;
    const auto ca = fs::weakly_canonical(fs::absolute(a), ea);
    const auto cb = fs::weakly_canonical(fs::absolute(b), eb);
    if (ea || eb) return fs::absolute(a).lexically_normal() == fs::absolute(b).lexically_normal();
    return ca == cb;
}

void CheckOutputFile(const std::string& path, kvbase::HostText<> what, bool overwrite,
                     const host::TextCatalog* texts) {
    std::error_code ec;
    if (fs::is_directory(path, ec))
        Refuse(Say(texts, "{} '{}' is a folder", Say(texts, what), path));
    if (fs::exists(path, ec) && !overwrite)
        Refuse(Say(texts, "{} '{}' exists already; give --overwrite to replace it",
                   Say(texts, what), path));
    const auto dir = fs::path(path).parent_path();
    if (!dir.empty() && !fs::is_directory(dir, ec))
        Refuse(Say(texts, "the folder of {} '{}' does not exist", Say(texts, what), path));
}

void CheckRunFiles(const RunOptions& o) {
    std::vector<Output> outputs;
    const host::TextCatalog* texts = o.texts;
    if (!o.outPath.empty()) outputs.push_back({ResultTableFile(o.outPath), "the result table"});
    if (!o.dataPath.empty()) outputs.push_back({o.dataPath, "the acquisition data file"});
    if (!o.transcriptPath.empty()) outputs.push_back({o.transcriptPath, "the transcript"});
    std::vector<Output> inputs;
    if (!o.methodPath.empty()) inputs.push_back({o.methodPath, "the method being measured"});
    for (const auto& in : o.inputPaths)
        if (!in.empty()) inputs.push_back({in, "an input of the run"});
    // The run's journal is the run's own: no other output may be it.
    if (!o.dataPath.empty() && o.journal)
        inputs.push_back({JournalPathFor(o.dataPath), "the run's journal"});

    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const Output& out = outputs[i];
        // An input is never replaced, whatever --overwrite says.
        for (const Output& in : inputs) {
            if (SameFile(out.path, in.path))
                Refuse(Say(texts, "{} '{}' is {}; an output never replaces an input",
                           Say(texts, out.what), out.path, Say(texts, in.what)));
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (SameFile(out.path, outputs[j].path))
                Refuse(Say(texts, "{} and {} would both be '{}'", Say(texts, outputs[j].what),
                           Say(texts, out.what), out.path));
        }
        CheckOutputFile(out.path, out.what, o.overwrite, texts);
    }
    std::error_code ec;
    if (!o.dataPath.empty() && o.journal) {
        const std::string journal = JournalPathFor(o.dataPath);
        if (fs::exists(journal, ec)) {
            Refuse(Say(texts,
                       "a run journal '{}' lies beside the data file: an earlier run into '{}' "
                       "was interrupted. Recover its readings first with: orvevizari results "
                       "recover {}",
                       journal, o.dataPath, journal));
        }
    }
}

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
            *why =
                Say(&session.Host().Texts(), "it exists already; give --overwrite to replace it");
        } else {
            *why = Say(&session.Host().Texts(), "the table was not written");
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

std::string NewRunDataPath(const std::string& folder, const host::TextCatalog* texts) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder, ec))
        Refuse(Say(texts, "cannot make the folder '{}' for run data: {}", folder,
                   ec ? ec.message() : Say(texts, "not a folder")));
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    ::gmtime_r(&t, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "Run-%Y%m%d-%H%M%S", &tm);
    const std::string stem = stamp;
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
            Refuse(Say(texts, "cannot make a run data file in '{}': {}", folder,
                       std::string(std::strerror(errno))));
    }
    Refuse(Say(texts, "cannot make a run data file in '{}': every name for {} is taken", folder,
               stem));
}

std::string DataPathOfJournal(const std::string& journalPath) {
    const std::string suffix = ".journal";
    if (journalPath.size() > suffix.size() &&
        journalPath.compare(journalPath.size() - suffix.size(), suffix.size(), suffix) == 0)
        return journalPath.substr(0, journalPath.size() - suffix.size());
    return journalPath + ".json";
}

SavedRecovery SaveRecoveredRun(const std::string& journalPath, std::string dataPath,
                               const std::string& outPath, bool overwrite,
                               const host::TextCatalog* texts) {
    SavedRecovery saved;
    if (dataPath.empty()) dataPath = DataPathOfJournal(journalPath);
    RunOptions files;
    files.dataPath = dataPath;
    files.outPath = outPath;
    files.overwrite = overwrite;
    files.journal = false;
    files.texts = texts;
    files.inputPaths.push_back(journalPath);
    // A reserved but empty data file (a run killed before it saved) is no
    // earlier output: the recovery takes its place. Only that file: a table
    // in the way is refused as ever, and may not be that file.
    std::error_code ec;
    if (fs::exists(dataPath, ec) && fs::is_regular_file(dataPath, ec) &&
        fs::file_size(dataPath, ec) == 0 && !ec) {
        files.dataPath.clear();
        files.inputPaths.push_back(dataPath);
        saved.tookReservation = true;
    }
    CheckRunFiles(files);
    if (SameFile(dataPath, journalPath))
        Refuse(Say(texts, "'{}' is the journal itself: give another data file", dataPath));
    saved.run = RecoverJournal(journalPath);
    kvdova::SaveAcqData(*saved.run.data, dataPath);
    saved.dataPath = dataPath;
    return saved;
}

std::shared_ptr<host::AcqData> ShowStoredResults(HostSession& session,
                                                 const std::string& dataPath) {
    auto data = kvdova::LoadAcqData(dataPath);
    auto info = data->RunInfo();
    auto it = info.find("method");
    if (it == info.end())
        Refuse(Say(&session.Host().Texts(), "{}: the file holds no method to lay out its results",
                   dataPath));
    auto method = kvdova::MethodFromJson(it->second, dataPath + " (method)");
    session.Require(session.Control().LoadMethod(method), "LoadMethod");
    session.Require(session.Control().LoadAcqData(data), "LoadAcqData");
    return data;
}

}  // namespace loader
