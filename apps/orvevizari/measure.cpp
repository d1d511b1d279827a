// orvevizari measure METHOD.json | results show ACQDATA.json | results recover JOURNAL
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>

#include <fmt/format.h>

#include "commands.h"
#include "host/error.h"
#include "platform/kvbase/progress.h"
#include "platform/loader/component_loader.h"
#include "platform/loader/measurement_run.h"
#include "platform/loader/run_journal.h"

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
    bool realtime = false, quiet = false, overwrite = false, failOnOverflow = false;
    int cycles = 1;
    double interval = 0.0;
    double speed = 1.0;
    std::string storedData, journal;
} gArgs;

CLI::App* gMeasure = nullptr;
CLI::App* gShow = nullptr;
CLI::App* gRecover = nullptr;

loader::SessionOptions Session(const Common& common) {
    loader::SessionOptions s;
    s.library = common.library;
    s.host.cataloguePath = common.catalogue;
    s.host.realtime = gArgs.realtime;
    s.host.speed = gArgs.speed;
    s.host.simFaults = gArgs.faults;
    s.host.transcriptPath = gArgs.transcript;
    s.host.platePath = gArgs.plate;
    s.host.progressOut = gArgs.quiet ? nullptr : &std::cerr;
    s.host.server = common.server;
    s.autoClearResults = !gArgs.noAutoClear;
    return s;
}

// Warnings go to standard error.
void Warn(const std::string& text) {
    std::cerr << "orvevizari: " << Say("warning: {}", text) << "\n";
}

// What the run says out loud after it: overflowed readings, commands the
// instrument refused, cycles that started late.
void Warn(const loader::RunReport& report) {
    for (const auto& w : report.warnings) Warn(w);
    for (const auto& f : report.failedCommands) {
        Warn(f.reply.empty() ? Say("the instrument refused \"{}\"", f.command)
                             : Say("the instrument refused \"{}\": {}", f.command, f.reply));
    }
    if (!report.overflows.empty()) {
        std::string which;
        for (std::size_t i = 0; i < report.overflows.size() && i < 20; ++i) {
            const auto& o = report.overflows[i];
            which += (i ? ", " : "") +
                     (o.well.empty() ? Say("{} position {}", o.sample, o.position)
                                     : Say("{} position {} ({})", o.sample, o.position, o.well));
        }
        if (report.overflows.size() > 20)
            which = Say("{} and {} more", which, report.overflows.size() - 20);
        Warn(report.overflows.size() == 1
                 ? Say("1 reading overflowed (the detector was saturated; the value is the "
                       "detector's limit, not the sample's): {}",
                       which)
                 : Say("{} readings overflowed (the detector was saturated; the value is the "
                       "detector's limit, not the sample's): {}",
                       report.overflows.size(), which));
    }
}

// True when a transcript holds notes only ("# Lock 0"): no command was sent.
bool NothingSent(const std::string& transcript) {
    std::ifstream in(transcript);
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#') return false;
    return true;
}

int Measure(const Common& common) {
    loader::RunOptions run;
    run.methodPath = gArgs.method;
    if (gArgs.samples > 0 && !gArgs.sampleIds.empty()) {
        std::cerr << "orvevizari: " << Say("give either --samples or --sample-id, not both")
                  << "\n";
        return kExitBadInput;
    }
    for (int i = 1; i <= gArgs.samples; ++i) run.sampleIds.push_back(fmt::format("S{}", i));
    for (const auto& id : gArgs.sampleIds) run.sampleIds.push_back(id);
    run.resultType = gArgs.resultType;
    run.dataId = gArgs.dataId;
    run.outPath = gArgs.out;
    run.dataPath = gArgs.data;
    if (run.dataPath.empty())
        run.runsFolder = (std::filesystem::path(loader::DataFolder()) / "runs").string();
    run.transcriptPath = gArgs.transcript;
    run.platePath = gArgs.plate;
    if (!gArgs.plate.empty()) run.inputPaths.push_back(gArgs.plate);
    run.inputPaths.push_back(common.catalogue);
    run.inputPaths.push_back(common.library);
    run.overwrite = gArgs.overwrite;
    run.progress = !gArgs.quiet;
    run.cycles = gArgs.cycles;
    run.interval = gArgs.interval;
    run.texts = Texts();
    // The table goes to standard output when nothing else asks for it and
    // the output is a file or a pipe; the summary then goes to standard error.
    const bool tableToStdout = run.outPath.empty() && !gArgs.quiet && !::isatty(1);
    std::ostream& summary = tableToStdout ? std::cerr : std::cout;
    loader::RunReport report;
    std::string table;
    std::error_code ec;
    const bool transcriptExisted =
        !run.transcriptPath.empty() && std::filesystem::exists(run.transcriptPath, ec);
    try {
        // Outputs in the way are refused before the host writes its transcript.
        loader::CheckRunFiles(run);
        loader::CheckRunInputs(run);
        loader::HostSession session(Session(common));
        kvbase::ConsoleProgress::InstallStopSignalHandlers();
        report = loader::RunMeasurement(session, run, std::cerr);
        kvbase::ConsoleProgress::RemoveStopSignalHandlers();
        if (tableToStdout) table = loader::ResultTableText(session);
    } catch (const host::Error& e) {
        kvbase::ConsoleProgress::RemoveStopSignalHandlers();
        std::cerr << "orvevizari: " << e.Text() << "\n";
        // A run refused before any command went to the instrument leaves no
        // transcript of its own behind to stand in the way of the next one.
        if (!run.transcriptPath.empty() && !transcriptExisted && NothingSent(run.transcriptPath))
            std::filesystem::remove(run.transcriptPath, ec);
        return ExitFor(e);
    }
    std::cout << table << std::flush;
    const std::size_t total = run.sampleIds.size() * static_cast<std::size_t>(run.cycles);
    summary << (run.cycles > 1
                    ? Say("{} of {} samples measured in {} of {} cycles; instrument time {:.1f} s",
                          report.samplesMeasured, total, report.cyclesDone, run.cycles,
                          report.instrumentSeconds)
                    : Say("{} of {} samples measured; instrument time {:.1f} s",
                          report.samplesMeasured, total, report.instrumentSeconds))
            << "\n";
    if (!run.outPath.empty()) {
        const std::string file = loader::ResultTableFile(run.outPath);
        summary << (report.tableSaved
                        ? Say("result table: {}", file)
                        : Say("result table NOT saved: {}: {}", file, report.tableError))
                << "\n";
    }
    if (!report.dataPath.empty()) {
        summary << (report.dataSaved ? Say("acquisition data: {}", report.dataPath)
                    : report.dataError.empty()
                        ? Say("acquisition data NOT saved: {}", report.dataPath)
                        : Say("acquisition data NOT saved: {}: {}", report.dataPath,
                              report.dataError))
                << "\n";
    }
    if (!report.journalPath.empty()) {
        summary << (report.journalFailed
                        ? Say("the run's journal keeps the readings before it could not be "
                              "written: {}",
                              report.journalPath)
                        : Say("the run's journal keeps every reading: {}", report.journalPath))
                << "\n"
                << Say("recover it with: orvevizari results recover {}", report.journalPath)
                << "\n";
    }
    for (const auto& r : report.unrecorded)
        Warn(Say("a reading saved nowhere (neither journal nor data): {}", r));
    Warn(report);
    switch (report.outcome) {
        case loader::RunReport::Outcome::Completed: {
            const bool saved = (run.outPath.empty() || report.tableSaved) &&
                               (report.dataPath.empty() || report.dataSaved);
            if (!saved) return kExitFailed;
            if (gArgs.failOnOverflow && !report.overflows.empty()) {
                std::cerr << "orvevizari: "
                          << Say("--fail-on-overflow: the run had overflowed readings") << "\n";
                return kExitFailed;
            }
            return kExitOk;
        }
        case loader::RunReport::Outcome::Aborted:
            if (report.stopSignal != 0 && report.stopSignal != SIGINT) {
                std::cerr << "orvevizari: "
                          << Say("stopped by {}; the reader was parked and what was measured is "
                                 "kept",
                                 loader::StopSignalName(report.stopSignal))
                          << "\n";
                return 128 + report.stopSignal;
            }
            std::cerr << "orvevizari: " << Say("aborted by the user; what was measured is kept")
                      << "\n";
            return kExitAborted;
        case loader::RunReport::Outcome::Failed:
            std::cerr << "orvevizari: "
                      << Say("the run stopped: error {}: {}", report.error, report.errorText)
                      << "\n";
            return kExitFailed;
    }
    return kExitFailed;
}

// Saves the table the session shows to --out and says where, or why not.
bool SaveTable(loader::HostSession& session) {
    std::string why;
    const std::string file = loader::ResultTableFile(gArgs.out);
    if (!loader::SaveResultTable(session, gArgs.out, gArgs.overwrite, &why)) {
        std::cerr << "orvevizari: " << Say("the result table was not saved to {}: {}", file, why)
                  << "\n";
        return false;
    }
    std::cout << Say("result table: {}", file) << "\n";
    return true;
}

// Rebuilds the data of an interrupted run from its journal and saves them,
// with the table, through the usual save path.
int RecoverRun(const Common& common) {
    try {
        const std::string journal = gArgs.journal;
        const loader::SavedRecovery saved =
            loader::SaveRecoveredRun(journal, gArgs.data, gArgs.out, gArgs.overwrite, Texts());
        const loader::RecoveredRun& recovered = saved.run;
        const std::string& dataPath = saved.dataPath;
        if (recovered.tornLastLine) {
            Warn(
                Say("the journal's last line was cut short when the run was killed; it was "
                    "dropped"));
        }
        const std::int32_t samples = recovered.data->ItemCount(host::ItemGroup::Type1) +
                                     recovered.data->ItemCount(host::ItemGroup::Other);
        std::cout << Say("recovered {} of {} ({}): {}",
                         recovered.readings == 1 ? Say("1 reading")
                                                 : Say("{} readings", recovered.readings),
                         samples == 1 ? Say("1 sample") : Say("{} samples", samples),
                         recovered.data->RunInfo().at("outcome"), dataPath)
                  << "\n";
        if (!gArgs.out.empty()) {
            loader::HostSession session(Session(common));
            loader::ShowStoredResults(session, dataPath);
            if (!SaveTable(session)) return kExitFailed;
        }
        std::cout << Say("the journal {} is kept; remove it once the recovered data are checked",
                         journal)
                  << "\n";
        return kExitOk;
    } catch (const host::Error& e) {
        std::cerr << "orvevizari: " << e.Text() << "\n";
        return kExitBadInput;
    }
}

int ShowResults(const Common& common) {
    try {
        if (!gArgs.out.empty()) {
            loader::RunOptions files;  // the table is checked as a run's output
            files.outPath = gArgs.out;
            files.overwrite = gArgs.overwrite;
            files.journal = false;
            files.inputPaths.push_back(gArgs.storedData);
            files.inputPaths.push_back(common.catalogue);
            files.inputPaths.push_back(common.library);
            files.texts = Texts();
            loader::CheckRunFiles(files);
        }
        loader::HostSession session(Session(common));
        loader::ShowStoredResults(session, gArgs.storedData);
        if (gArgs.out.empty()) {
            std::cout << loader::ResultTableText(session);
            return kExitOk;
        }
        return SaveTable(session) ? kExitOk : kExitFailed;
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
        ->check(NumberIn(1, 100000, true));
    gMeasure->add_option("--sample-id", a.sampleIds, "measure a sample with this ID (repeatable)");
    gMeasure->add_option("--result-type", a.resultType, "result type of the samples")
        ->capture_default_str()
        ->check(NumberIn(std::numeric_limits<std::int32_t>::min(),
                         std::numeric_limits<std::int32_t>::max(), true));
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
    gMeasure
        ->add_option("--speed", a.speed,
                     "with --realtime: divide every physical time by N (demos and tests)")
        ->check(PositiveNumber());
    gMeasure->add_flag("--quiet", a.quiet, "no progress output");
    gMeasure->add_flag("--fail-on-overflow", a.failOnOverflow,
                       "exit 1 when a reading overflowed (the detector was saturated)");
    auto* cycles =
        gMeasure->add_option("--cycles", a.cycles, "measure the sample list N times (kinetics)");
    cycles->check(NumberIn(1, 1000000, true));
    gMeasure
        ->add_option("--interval", a.interval,
                     "with --cycles: seconds from the start of one cycle to the start of the next")
        ->needs(cycles)
        ->check(CLI::Validator(
            [](std::string& text) -> std::string {
                double v = 0.0;
                if (!CLI::detail::lexical_cast(text, v) || !std::isfinite(v))
                    return Say("'{}' is not a number of seconds", text);
                if (v < 0) return Say("'{}' is negative: give 0 seconds or more", text);
                return {};
            },
            "SECONDS>=0"));

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

    gRecover = results->add_subcommand(
        "recover", "rebuild the data of an interrupted run from its journal and save them");
    gRecover->add_option("journal", a.journal, "the run's journal (<data>.journal)")
        ->required()
        ->check(CLI::ExistingFile);
    gRecover->add_option("--data", a.data, "save the data here (default: the journal's data file)");
    gRecover->add_option("--out", a.out, "save the result table here too");
    gRecover->add_flag("--overwrite", a.overwrite, "replace existing output files");
}

int RunMeasureCommands(CLI::App&, const Common& common) {
    if (gMeasure && gMeasure->parsed()) return Measure(common);
    if (gShow && gShow->parsed()) return ShowResults(common);
    if (gRecover && gRecover->parsed()) return RecoverRun(common);
    return -1;
}

}  // namespace cli
