// orvevizari measure METHOD.json | results show ACQDATA.json
#include <csignal>
#include <iostream>

#include <fmt/format.h>

#include "commands.h"
#include "host/error.h"
#include "platform/kvbase/progress.h"
#include "platform/loader/measurement_run.h"

namespace cli {
namespace {

struct MeasureArgs {
    std::string method;
    int samples = 0;
    std::vector<std::string> sampleIds;
    int resultType = 1;
    std::string dataId;
    bool noAutoClear = false;
    std::string out, data, transcript, plate;
    std::vector<std::string> faults;
    bool realtime = false, quiet = false, overwrite = false;
    std::string storedData;
} gArgs;

CLI::App* gMeasure = nullptr;
CLI::App* gShow = nullptr;

loader::SessionOptions Session(const Common& common) {
    loader::SessionOptions s;
    s.library = common.library;
    s.host.cataloguePath = common.catalogue;
    s.host.realtime = gArgs.realtime;
    s.host.simFaults = gArgs.faults;
    s.host.transcriptPath = gArgs.transcript;
    s.host.platePath = gArgs.plate;
    s.host.progressOut = gArgs.quiet ? nullptr : &std::cerr;
    s.host.server = common.server;
    s.autoClearResults = !gArgs.noAutoClear;
    return s;
}

int Measure(const Common& common) {
    loader::RunOptions run;
    run.methodPath = gArgs.method;
    if (gArgs.samples > 0 && !gArgs.sampleIds.empty()) {
        std::cerr << "orvevizari: give either --samples or --sample-id, not both\n";
        return kExitBadInput;
    }
    for (int i = 1; i <= gArgs.samples; ++i) run.sampleIds.push_back(fmt::format("S{}", i));
    for (const auto& id : gArgs.sampleIds) run.sampleIds.push_back(id);
    run.resultType = gArgs.resultType;
    run.dataId = gArgs.dataId;
    run.outPath = gArgs.out;
    run.dataPath = gArgs.data;
    run.overwrite = gArgs.overwrite;
    run.progress = !gArgs.quiet;
    loader::RunReport report;
    try {
        loader::HostSession session(Session(common));
        kvbase::ConsoleProgress::InstallStopSignalHandlers();
        report = loader::RunMeasurement(session, run, std::cerr);
        kvbase::ConsoleProgress::RemoveStopSignalHandlers();
    } catch (const host::Error& e) {
        kvbase::ConsoleProgress::RemoveStopSignalHandlers();
        std::cerr << "orvevizari: " << e.Text() << "\n";
        return ExitFor(e);
    }
    std::cout << fmt::format("{} of {} samples measured; instrument time {:.1f} s\n",
                             report.samplesMeasured, run.sampleIds.size(),
                             report.instrumentSeconds);
    if (!run.outPath.empty()) {
        const std::string table = loader::ResultTableFile(run.outPath);
        std::cout << (report.tableSaved
                          ? "result table: " + table
                          : "result table NOT saved: " + table + ": " + report.tableError)
                  << "\n";
    }
    if (!run.dataPath.empty()) {
        std::cout << (report.dataSaved ? "acquisition data: " + run.dataPath
                                       : "acquisition data NOT saved: " + run.dataPath)
                  << "\n";
    }
    switch (report.outcome) {
        case loader::RunReport::Outcome::Completed:
            return (run.outPath.empty() || report.tableSaved) &&
                           (run.dataPath.empty() || report.dataSaved)
                       ? kExitOk
                       : kExitFailed;
        case loader::RunReport::Outcome::Aborted:
            if (report.stopSignal != 0 && report.stopSignal != SIGINT) {
                std::cerr << "orvevizari: stopped by " << loader::StopSignalName(report.stopSignal)
                          << "; the reader was parked and what was measured is kept\n";
                return 128 + report.stopSignal;
            }
            std::cerr << "orvevizari: aborted by the user; what was measured is kept\n";
            return kExitAborted;
        case loader::RunReport::Outcome::Failed:
            std::cerr << fmt::format("orvevizari: the run stopped: error {}: {}\n", report.error,
                                     report.errorText);
            return kExitFailed;
    }
    return kExitFailed;
}

int ShowResults(const Common& common) {
    try {
        loader::HostSession session(Session(common));
        loader::ShowStoredResults(session, gArgs.storedData);
        if (gArgs.out.empty()) {
            std::cout << loader::ResultTableText(session);
            return kExitOk;
        }
        std::string why;
        if (!loader::SaveResultTable(session, gArgs.out, gArgs.overwrite, &why)) {
            std::cerr << "orvevizari: the result table was not saved to "
                      << loader::ResultTableFile(gArgs.out) << ": " << why << "\n";
            return kExitFailed;
        }
        std::cout << "result table: " << loader::ResultTableFile(gArgs.out) << "\n";
        return kExitOk;
    } catch (const host::Error& e) {
        std::cerr << "orvevizari: " << e.Text() << "\n";
        return kExitBadInput;
    }
}

}  // namespace

void AddMeasureCommands(CLI::App& app, Common&) {
    gMeasure =
        app.add_subcommand("measure", "measure samples with a method on the simulated instrument");
    auto& a = gArgs;
    gMeasure->add_option("method", a.method, "method file (JSON)")
        ->required()
        ->check(CLI::ExistingFile);
    gMeasure->add_option("--samples", a.samples, "measure N samples named S1...SN")
        ->check(CLI::Range(1, 100000));
    gMeasure->add_option("--sample-id", a.sampleIds, "measure a sample with this ID (repeatable)");
    gMeasure->add_option("--result-type", a.resultType, "result type of the samples")
        ->capture_default_str();
    gMeasure->add_option("--data-id", a.dataId,
                         "identifying text of the acquisition data (default Run-<time>)");
    gMeasure->add_flag("--no-auto-clear", a.noAutoClear, "prefix sample IDs with the data's text");
    gMeasure->add_option("--out", a.out, "save the result table here (tab-separated)");
    gMeasure->add_option("--data", a.data, "save the acquisition data here (JSON)");
    gMeasure->add_flag("--overwrite", a.overwrite, "replace existing output files");
    gMeasure->add_option("--transcript", a.transcript,
                         "write every instrument exchange to this file");
    gMeasure->add_option("--sim-fault", a.faults,
                         "fault rule PREFIX[#N]=REPLY for the simulator (repeatable)");
    gMeasure->add_option("--plate", a.plate, "well concentrations for the simulator")
        ->check(CLI::ExistingFile);
    gMeasure->add_flag("--realtime", a.realtime,
                       "wait in real time instead of on the virtual clock");
    gMeasure->add_flag("--quiet", a.quiet, "no progress output");

    auto* results = app.add_subcommand("results", "stored acquisition data");
    results->require_subcommand(1);
    gShow = results->add_subcommand("show",
                                    "show stored acquisition data as the module's result table");
    gShow->add_option("data", a.storedData, "acquisition data file (JSON)")
        ->required()
        ->check(CLI::ExistingFile);
    gShow->add_option("--out", a.out, "save the table here instead of printing it");
    gShow->add_flag("--overwrite", a.overwrite, "replace an existing file");
    gShow->add_flag("--no-auto-clear", a.noAutoClear, "prefix sample IDs with the data's text");
    gShow->add_flag("--quiet", a.quiet, "no progress output");
}

int RunMeasureCommands(CLI::App&, const Common& common) {
    if (gMeasure && gMeasure->parsed()) return Measure(common);
    if (gShow && gShow->parsed()) return ShowResults(common);
    return -1;
}

}  // namespace cli
