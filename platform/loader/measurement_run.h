#pragma once
// A host's measurement run of a method file: the host's order of calls on the
// control, the acquisition data with its run record and journal, kinetic
// cycles, and the exports.
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "platform/kvbase/host_texts.h"
#include "platform/kvdova/acq_data.h"
#include "platform/kvdova/method_object.h"
#include "platform/loader/host_session.h"
#include "platform/loader/run_journal.h"

namespace loader {

// The most readings one run may take (cycles × samples × positions): far
// beyond a day of kinetics, and still a data file a person can open.
inline constexpr std::int64_t kMaxRunReadings = 10'000'000;

struct RunOptions {
    std::string methodPath;
    std::vector<std::string> sampleIds;  // one sample each, in order
    std::int32_t resultType = 1;
    std::string dataId;      // the acquisition data's identifying text; empty: Run-YYYYMMDD-HHMMSS
    std::string outPath;     // result table (tab-separated); empty: none
    std::string dataPath;    // acquisition data JSON; empty: a new file in runsFolder, if any
    std::string runsFolder;  // where the data of a run without dataPath go; empty: none
    std::string transcriptPath;  // written by the host; checked here with the other outputs
    std::string platePath;       // the simulator's plate file; checked against the method's plate
    std::vector<std::string> inputPaths;  // other files the run reads; no output may be one
    bool overwrite = false;
    bool progress = true;  // the host's own progress lines
    // Kinetics: the sample list is measured `cycles` times; cycle k starts
    // `interval` seconds after cycle k - 1 started (at once when that ran over).
    std::int32_t cycles = 1;
    double interval = 0.0;
    bool journal = true;  // journal the run beside its data file (when it has one)
    // The language of the refusals raised before a session exists (CheckRunFiles,
    // CheckRunInputs); nullptr: English. RunMeasurement speaks its session's.
    const host::TextCatalog* texts = nullptr;
};

struct Overflow {
    std::string sample;  // the sample's ID as stored
    std::int32_t position = 0;
    std::string well;  // the well of the position; empty when it lies in none
};

struct FailedCommand {
    std::string command;
    std::string reply;
};

struct RunReport {
    enum class Outcome { Completed, Failed, Aborted } outcome = Outcome::Completed;
    std::int32_t samplesMeasured = 0;
    host::Status error = 0;
    std::string errorText;
    double instrumentSeconds = 0.0;  // instrument time the run took (on the host's clock)
    int stopSignal = 0;  // the signal that aborted the run (SIGINT, SIGTERM, SIGHUP); 0: none
    bool tableSaved = false;
    std::string tableError;  // why the table was not saved
    std::string dataPath;    // where the data went (or were to go); empty: nowhere
    bool dataSaved = false;
    std::string dataError;            // why the data were not saved
    bool earlierOutputsKept = false;  // the run measured nothing: existing outputs left alone
    std::string journalPath;     // the run's journal; it stays only when the data were not saved
    bool journalFailed = false;  // it could not be written to the end (the run stopped there)
    // Readings in neither the journal nor a saved data file ("S1 position 14: 79.5 4902.7 0").
    std::vector<std::string> unrecorded;
    std::vector<Overflow> overflows;            // readings the detector could not hold
    std::vector<FailedCommand> failedCommands;  // commands the instrument refused during the run
    std::vector<std::string> warnings;  // said out loud at the end (kinetic cycles late, …)
    std::int32_t cyclesDone = 0;
    std::shared_ptr<kvdova::AcqData> data;  // what the run measured, whatever its outcome
};

// Refuses (host::Error, kErrRunFiles) output files in the way before anything
// is created: an existing one without overwrite, one in a folder that does not
// exist, one that is an input of the run (overwrite or not), two outputs that
// are one file, and the journal of an interrupted run beside the data file.
inline constexpr host::Status kErrRunFiles = 0x7FFF0A03;
void CheckRunFiles(const RunOptions& options);
// One output: refused when it exists (without overwrite), is a folder, or its
// folder does not exist; what names it in the message ("the method file").
void CheckOutputFile(const std::string& path, kvbase::HostText<> what, bool overwrite,
                     const host::TextCatalog* texts = nullptr);

// Refuses a missing or malformed method file, a method without positions or
// with positions outside the stage travel the instrument describes, a plate
// file for another plate than the method's (CheckPlateFits), a result
// type, sample list or cycle plan that makes no sense, and the files of
// CheckRunFiles; nothing is measured then. Otherwise runs and reports; a
// failure of the module or the instrument is a report, not an exception.
// Every event of the run goes to its journal first (when it has a data file);
// the data file is written at the end, and then the journal removed.
RunReport RunMeasurement(HostSession& session, const RunOptions& options, std::ostream& progress);

// The checks of the run's input files that need no instrument: the method
// file (CheckMethodDocument) and the plate file (CheckPlateFits). A host
// calls it before it opens a session, so a refused run leaves no transcript;
// RunMeasurement calls it again. Returns the method; raises host::Error.
std::shared_ptr<kvdova::MethodObject> CheckRunInputs(const RunOptions& options);

// "SIGINT", "SIGTERM", "SIGHUP", else "signal N".
std::string StopSignalName(int signal);

// A new file for a run's acquisition data in folder, named after the time
// (Run-YYYYMMDD-HHMMSS.json, with -2, -3... when taken) and reserved by
// creating it empty; the run then replaces it (RunOptions::overwrite). The
// folder is made when missing. Raises host::Error when either cannot be made.
std::string NewRunDataPath(const std::string& folder, const host::TextCatalog* texts = nullptr);

// The data file a journal belongs to: its path without ".journal"; a journal
// named otherwise gets ".json" added.
std::string DataPathOfJournal(const std::string& journalPath);

struct SavedRecovery {
    RecoveredRun run;
    std::string dataPath;          // where the recovered data were saved
    bool tookReservation = false;  // the data file was the killed run's empty reservation
};
// Rebuilds the run a journal holds (RecoverJournal) and saves its acquisition
// data to dataPath (empty: DataPathOfJournal), checked first as a run's
// outputs are, with outPath (a result table the caller saves; may be empty).
// An existing data file is replaced only with overwrite, or when it is the
// empty file the killed run reserved. The journal stays. Failure policy: let
// pass (host::Error naming the file, and nothing saved).
SavedRecovery SaveRecoveredRun(const std::string& journalPath, std::string dataPath,
                               const std::string& outPath, bool overwrite,
                               const host::TextCatalog* texts = nullptr);

// Loads stored acquisition data and shows it through the control: the method
// stored with the data, LoadMethod, LoadAcqData. Raises for a malformed file.
// Returns the data shown.
std::shared_ptr<host::AcqData> ShowStoredResults(HostSession& session, const std::string& dataPath);

// The result grid's cells as tab-separated lines (header of captions first).
std::string ResultTableText(HostSession& session);

// The file the result table's export writes for path: the save dialog gives
// a name without an extension the table's default one, ".txt".
std::string ResultTableFile(const std::string& path);

// Saves the result table as a person does: the grid's save request with the
// save dialog answering path. Returns false (and leaves no file) on failure,
// with the reason in why when given.
bool SaveResultTable(HostSession& session, const std::string& path, bool overwrite,
                     std::string* why = nullptr);

// True when a and b name one file (existing or not).
bool SameFile(const std::string& a, const std::string& b);

}  // namespace loader
