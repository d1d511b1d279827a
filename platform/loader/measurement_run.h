#pragma once
// A host's measurement run of a method file: the host's order of calls on the
// control, the acquisition data with its run record, and the exports.
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "platform/loader/host_session.h"

namespace loader {

struct RunOptions {
    std::string methodPath;
    std::vector<std::string> sampleIds;  // one sample each, in order
    std::int32_t resultType = 1;
    std::string dataId;    // the acquisition data's identifying text; empty: Run-YYYYMMDD-HHMMSS
    std::string outPath;   // result table (tab-separated); empty: none
    std::string dataPath;  // acquisition data JSON; empty: none
    bool overwrite = false;
    bool progress = true;  // the host's own progress lines
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
    bool dataSaved = false;
    std::shared_ptr<host::AcqData> data;  // what the run measured, whatever its outcome
};

// Refuses (host::Error) a missing or malformed method file, a result type or
// sample list that makes no sense, and existing output files without overwrite;
// nothing is measured then. Otherwise runs and reports; a failure of the module
// or the instrument is a report, not an exception.
RunReport RunMeasurement(HostSession& session, const RunOptions& options, std::ostream& progress);

// "SIGINT", "SIGTERM", "SIGHUP", else "signal N".
std::string StopSignalName(int signal);

// A new file for a run's acquisition data in folder, named after the time
// (Run-YYYYMMDD-HHMMSS.json, with -2, -3... when taken) and reserved by
// creating it empty; the run then replaces it (RunOptions::overwrite). The
// folder is made when missing. Raises host::Error when either cannot be made.
std::string NewRunDataPath(const std::string& folder);

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

}  // namespace loader
