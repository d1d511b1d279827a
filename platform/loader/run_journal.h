#pragma once
// The run journal: every event of a measurement run, one JSON object per line,
// appended beside the run's data file (<data>.journal) as it happens, so a run
// whose process is killed loses nothing it wrote.
//
//   {"event":"start", "format":"ORVEVIZari run journal", "formatVersion":1,
//    "utc":…, "text":…, "runInfo":{…}}                      the run record so far
//   {"event":"instrument", "index":1, "params":{…}}        the instrument's identity
//   {"event":"item", "group":"type1"|"other", "number":n, "id":…}
//   {"event":"reading", "item":n, "position":i, "type":t, "values":[…],
//    "seconds":…, "instrumentSeconds":…, "utc":…}           as the reading is stored
//   {"event":"sampleEnd", "group":…, "item":n, "flag":b, "status":s, "text":…}
//   {"event":"end", "outcome":…}                            the run's end
//
// Each line is written whole with one write before the call returns (the next
// instrument command comes after it). The file is synced to disk when a second
// of wall time has passed since the last sync and at every sample's end, so a
// power cut loses at most the last second. Numbers are written so they read
// back to the same double.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/acq_data.h"
#include "host/services.h"
#include "host/types.h"
#include "platform/kvdova/acq_data.h"

namespace loader {

// Raised when the journal cannot be made or written, or a journal read back
// is malformed (the text names the file and line).
inline constexpr host::Status kErrJournal = 0x7FFF0A21;

// The journal of a data file.
std::string JournalPathFor(const std::string& dataPath);

class RunJournal {
  public:
    // Creates the file exclusively: a journal already there is another run's,
    // unrecovered, and is refused naming the recover command. Raises kErrJournal.
    explicit RunJournal(std::string path);
    ~RunJournal();
    RunJournal(const RunJournal&) = delete;
    RunJournal& operator=(const RunJournal&) = delete;

    const std::string& Path() const { return path_; }

    // Each raises kErrJournal when the line cannot be written whole.
    void Start(const host::AcqData& data);
    void Instrument(std::int32_t index, const host::ParamSet& params);
    void Item(host::ItemGroup group, std::int32_t number, const std::string& id);
    void Reading(std::int32_t item, std::int32_t position, host::ResultType type,
                 const host::ResultRecord& record, double seconds, double instrumentSeconds);
    // flag: the item's flag as the module left it; status and text: how it ended.
    void SampleEnd(host::ItemGroup group, std::int32_t item, bool flag, host::Status status,
                   const std::string& text);
    void End(const std::string& outcome);

    // Closes and removes the file, once the data file holds everything.
    // Never raises; false when the file could not be removed.
    bool Remove() noexcept;

  private:
    void Write(const std::string& line, bool sync);

    std::string path_;
    int fd_ = -1;
    bool broken_ = false;  // a write failed: the journal takes nothing more
    std::chrono::steady_clock::time_point lastSync_;
};

// An acquisition data document that journals every change a run makes to it
// before it returns: the module and the result table see it as the run's data;
// the run keeps the plain document underneath for saving. A reading is stored
// with a fourth value, its time in seconds since the run's start.
class JournalledAcqData final : public host::AcqData {
  public:
    JournalledAcqData(std::shared_ptr<kvdova::AcqData> inner, RunJournal* journal,
                      host::Clock& clock, double runStart);

    std::shared_ptr<kvdova::AcqData> Inner() const { return inner_; }

    std::string Text() const override { return inner_->Text(); }
    void SetText(const std::string& text) override { inner_->SetText(text); }
    void SetInstrumentInfo(std::int32_t index, const host::ParamSet& info) override;
    std::shared_ptr<host::ParamSet> InstrumentInfo(std::int32_t index) const override {
        return inner_->InstrumentInfo(index);
    }
    void AddItem(host::ItemGroup group, std::int32_t number, const std::string& id) override;
    std::int32_t ItemCount(host::ItemGroup group) const override {
        return inner_->ItemCount(group);
    }
    std::string ItemId(host::ItemGroup group, std::int32_t number) const override {
        return inner_->ItemId(group, number);
    }
    void SetItemFlag(host::ItemGroup group, std::int32_t number, bool flag) override {
        inner_->SetItemFlag(group, number, flag);
    }
    bool ItemFlag(host::ItemGroup group, std::int32_t number) const override {
        return inner_->ItemFlag(group, number);
    }
    void AddResult(std::int32_t item, std::int32_t position, host::ResultType type,
                   const host::ResultRecord& record, std::int32_t extra) override;
    std::int32_t ResultCount() const override { return inner_->ResultCount(); }
    host::StoredResult Result(std::int32_t k) const override { return inner_->Result(k); }
    void SetRunInfo(const std::string& key, const std::string& value) override {
        inner_->SetRunInfo(key, value);
    }
    std::map<std::string, std::string> RunInfo() const override { return inner_->RunInfo(); }

  private:
    std::shared_ptr<kvdova::AcqData> inner_;
    RunJournal* journal_;  // nullptr: nothing is journalled
    host::Clock& clock_;
    double runStart_;
};

// What a journal read back holds: the acquisition data as the run left them
// (items, readings, flags, the run record with "outcome" set to how the run
// ended, "interrupted" when no end was journalled) and what was dropped.
struct RecoveredRun {
    std::shared_ptr<kvdova::AcqData> data;
    bool ended = false;         // the journal has the run's end
    bool tornLastLine = false;  // the last line was cut short and dropped
    std::int32_t readings = 0;
    std::int32_t lines = 0;
};

// Reads a journal. A last line without its line end (cut short by a kill) is
// dropped and reported; anything else malformed raises kErrJournal naming the
// file and the line number.
RecoveredRun ReadJournal(const std::string& text, const std::string& source);
RecoveredRun RecoverJournal(const std::string& path);

}  // namespace loader
