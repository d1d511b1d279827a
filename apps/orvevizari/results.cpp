// orvevizari results export | plot: stored acquisition data as plate-shaped,
// long or wide tables, and as a heat map of the plate.
#include <iostream>
#include <optional>

#include <fmt/format.h>

#include "commands.h"
#include "host/error.h"
#include "platform/plates/output_file.h"
#include "platform/plates/plate_export.h"
#include "platform/plates/plate_map.h"
#ifdef ORVE_HAVE_PLOT
#include "platform/qt/plate/plate_image.h"
#endif

namespace cli {
namespace {

struct ResultsArgs {
    std::string data, out, layout, format, scale = "linear";
    std::optional<std::string> sample;
    bool overwrite = false;
} gResults;

CLI::App* gExport = nullptr;
CLI::App* gPlot = nullptr;

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           host::IEquals(std::string_view(text).substr(text.size() - tail.size()), tail);
}

int Export() {
    const auto layout = gResults.layout == "plate"  ? plates::Layout::Plate
                        : gResults.layout == "long" ? plates::Layout::Long
                                                    : plates::Layout::Wide;
    const std::string format = !gResults.format.empty()         ? gResults.format
                               : EndsWith(gResults.out, ".tsv") ? "tsv"
                                                                : "csv";
    plates::CheckOutputFile(gResults.out, gResults.overwrite, gResults.data, Texts());
    const auto results = plates::LoadResults(gResults.data);
    const std::string text = plates::ExportResults(
        results, layout, format == "tsv" ? plates::TextFormat::Tsv : plates::TextFormat::Csv);
    plates::WriteOutputFile(gResults.out, text, gResults.overwrite, gResults.data, Texts());
    const std::size_t samples = results.samples.size();
    std::cout << (samples == 1 ? Say("wrote {}: {} layout, {}, 1 sample", gResults.out,
                                     gResults.layout, format)
                               : Say("wrote {}: {} layout, {}, {} samples", gResults.out,
                                     gResults.layout, format, samples))
              << "\n";
    return kExitOk;
}

int Plot() {
#ifdef ORVE_HAVE_PLOT
    const bool svg = EndsWith(gResults.out, ".svg");
    if (!svg && !EndsWith(gResults.out, ".png"))
        throw host::Error(plates::kErrResults,
                          plateplot::SvgAvailable()
                              ? Say("the picture '{}' must be a .png or .svg file", gResults.out)
                              : Say("the picture '{}' must be a .png file", gResults.out));
    plates::CheckOutputFile(gResults.out, gResults.overwrite, gResults.data, Texts());
    const auto results = plates::LoadResults(gResults.data);
    const std::size_t sample = results.ChooseSample(gResults.sample);
    const auto map = plates::MapOfSample(
        results, sample, gResults.scale == "log" ? plates::Scale::Log : plates::Scale::Linear);
    const std::string bytes = plateplot::RenderPlateImage(
        map, svg ? plateplot::ImageKind::Svg : plateplot::ImageKind::Png);
    plates::WriteOutputFile(gResults.out, bytes, gResults.overwrite, gResults.data, Texts());
    std::cout << Say("wrote {}: sample {}, {}", gResults.out, results.samples[sample].id,
                     map.format ? Say("{}-well plate", map.format->wells)
                                : Say("positions on the stage"))
              << "\n";
    return kExitOk;
#else
    std::cerr << "orvevizari: " << Say("this build has no Qt, so it cannot draw pictures") << "\n";
    return kExitFailed;
#endif
}

}  // namespace

void AddResultsCommands(CLI::App& app, Common&) {
    CLI::App* results = app.get_subcommand("results");
    auto& a = gResults;
    gExport = results->add_subcommand(
        "export", "write stored results as a plate-shaped, long or wide table (CSV or TSV)");
    gExport->add_option("data", a.data, "acquisition data file (JSON)")
        ->required()
        ->check(CLI::ExistingFile);
    gExport->add_option("--layout", a.layout, "plate, long or wide")
        ->required()
        ->check(CLI::IsMember({"plate", "long", "wide"}));
    gExport->add_option("--format", a.format, "csv or tsv (default: tsv for a .tsv file, else csv)")
        ->check(CLI::IsMember({"csv", "tsv"}));
    gExport->add_option("-o,--output", a.out, "file to write")->required();
    gExport->add_flag("--overwrite", a.overwrite, "replace an existing file");

    gPlot =
        results->add_subcommand("plot", "draw one sample's readings as a heat map of the plate");
    gPlot->add_option("data", a.data, "acquisition data file (JSON)")
        ->required()
        ->check(CLI::ExistingFile);
    gPlot->add_option("--sample", a.sample, "the sample ID to draw (default: the first sample)");
    gPlot->add_option("--scale", a.scale, "colour scale: linear or log")
        ->capture_default_str()
        ->check(CLI::IsMember({"linear", "log"}));
    gPlot->add_option("-o,--output", a.out, "picture to write: .png or .svg")->required();
    gPlot->add_flag("--overwrite", a.overwrite, "replace an existing file");
}

int RunResultsCommands(CLI::App&, const Common&) {
    const bool isExport = gExport && gExport->parsed();
    const bool isPlot = gPlot && gPlot->parsed();
    if (!isExport && !isPlot) return -1;
    try {
        return isExport ? Export() : Plot();
    } catch (const host::Error& e) {
        // Every failure here is a file or an argument the person can fix.
        std::cerr << "orvevizari: " << e.Text() << "\n";
        return kExitBadInput;
    } catch (const std::exception& e) {
        std::cerr << "orvevizari: " << e.what() << "\n";
        return kExitFailed;
    }
}

}  // namespace cli

#ifdef ORVE_HAVE_PLOT
// The leak checker of the sanitizer build reads these: fontconfig, which the
// pictures' text needs, keeps its caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif
