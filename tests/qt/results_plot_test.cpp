// orvevizari results plot | export, run as a person runs them: the picture
// checked pixel by pixel against the plate's layout and the colour map, and
// every bad input refused without leaving a file behind.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <QImage>

#include <nlohmann/json.hpp>

#include "platform/kvbase/atomic_file.h"
#include "platform/plates/plate_map.h"
#include "platform/qt/plate/colour_map.h"
#include "platform/qt/plate/plate_image.h"
#include "platform/qt/plate/plate_painter.h"
#include "qt/qt_support.h"

namespace {

namespace fs = std::filesystem;

struct CliRun {
    int exit = -1;
    std::string output;  // stdout and stderr
};

CliRun Cli(const std::string& args) {
    const std::string cmd = std::string(ORVE_BINARY_DIR) + "/bin/orvevizari " + args + " 2>&1";
    CliRun run;
    FILE* pipe = ::popen(cmd.c_str(), "r");
    if (!pipe) return run;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) run.output.append(buf, n);
    const int status = ::pclose(pipe);
    run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

const std::string kExamples = std::string(ORVE_SOURCE_DIR) + "/examples/";

class ResultsCli : public qttest::QtTest {
  protected:
    static void SetUpTestSuite() {
        dir_ = fs::temp_directory_path() / ("orve-results-cli-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        // Two samples; the run stops at the 150th reading, so S2 ends part-way.
        const CliRun run = Cli("measure " + kExamples + "plate-96.json --samples 2 --plate " +
                               kExamples + "plate-96-concentrations.txt --quiet --data " +
                               Path("d.json") + " --sim-fault 'Get Int#150=Overload:overload'");
        ASSERT_EQ(run.exit, 1) << run.output;
    }
    static void TearDownTestSuite() { fs::remove_all(dir_); }

    static std::string Path(const std::string& name) { return (dir_ / name).string(); }
    // The folder's files, so a test sees anything left behind.
    static std::vector<std::string> Files() {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    static fs::path dir_;
};
fs::path ResultsCli::dir_;

TEST_F(ResultsCli, PlotPaintsEachWellInTheColourOfItsReading) {
    const CliRun run = Cli("results plot " + Path("d.json") + " --sample S2 -o " + Path("s2.png"));
    ASSERT_EQ(run.exit, 0) << run.output;
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(Path("s2.png"))));
    ASSERT_EQ(image.size(), QSize(plateplot::kPlotSize.width, plateplot::kPlotSize.height));

    const auto results = plates::LoadResults(Path("d.json"));
    const auto map = plates::MapOfSample(results, 1, plates::Scale::Linear);
    EXPECT_NE(map.title.find("S2"), std::string::npos);
    const plateplot::PlatePainter layout(map, image.size());
    int measured = 0, hollow = 0;
    for (const auto& spot : map.spots) {
        const QPointF c = layout.ToPixel(spot.centre);
        const QRgb centre = image.pixel(c.toPoint());
        if (spot.value && !spot.overflow) {
            ASSERT_EQ(QColor(centre), plateplot::Viridis(map.Fraction(*spot.value))) << spot.label;
            ++measured;
        } else if (!spot.value) {
            // Hollow: the plate shows through, inside a ring.
            ASSERT_EQ(centre, plateplot::kPlateFill) << spot.label;
            const QPoint rim(static_cast<int>(c.x() + layout.SpotRadius()),
                             static_cast<int>(c.y()));
            EXPECT_NE(image.pixel(rim), plateplot::kPlateFill) << spot.label;
            ++hollow;
        }
    }
    // 149 readings in all: S1 has 96, S2 53; the other 43 wells of S2 are hollow.
    EXPECT_GT(measured, 50);
    EXPECT_EQ(hollow, 43);

    if (plateplot::SvgAvailable()) {
        ASSERT_EQ(Cli("results plot " + Path("d.json") + " --scale log -o " + Path("s1.svg")).exit,
                  0);
        EXPECT_NE(kvbase::ReadFile(Path("s1.svg")).find("<svg"), std::string::npos);
    }
}

TEST_F(ResultsCli, BadInputIsRefusedByNameAndLeavesNoFile) {
    // Data without a method, and data whose method fits no plate.
    auto doc = nlohmann::json::parse(kvbase::ReadFile(Path("d.json")));
    doc["runInfo"].erase("method");
    kvbase::WriteFileAtomic(Path("nomethod.json"), doc.dump());
    ASSERT_EQ(Cli("measure " + kExamples + "method-3pos.json --samples 1 --quiet --data " +
                  Path("stage.json"))
                  .exit,
              0);
    kvbase::WriteFileAtomic(Path("taken.csv"), "keep me");
    const auto before = Files();

    const std::string d = Path("d.json");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"export " + Path("nomethod.json") + " --layout long -o " + Path("x.csv"),
         "holds no method"},
        {"plot " + Path("nomethod.json") + " -o " + Path("x.png"), "holds no method"},
        {"plot " + d + " --sample S9 -o " + Path("x.png"), "no sample 'S9'"},
        {"export " + Path("stage.json") + " --layout plate -o " + Path("x.csv"),
         "position 1 (x 12.5 mm, y 4 mm) lies between wells"},
        {"export " + d + " --layout grid -o " + Path("x.csv"), "--layout"},
        {"export " + d + " --layout long --format xls -o " + Path("x.csv"), "--format"},
        {"plot " + d + " --scale cubic -o " + Path("x.png"), "--scale"},
        {"plot " + d + " -o " + Path("x.jpg"), "x.jpg"},
        {"export " + d + " --layout wide -o " + Path("taken.csv"), "taken.csv' exists already"},
        {"plot " + d + " -o " + Path("taken.csv"), "taken.csv"},
        {"export " + d + " --layout long -o " + Path("no/such/x.csv"), "no/such' of the output"},
        {"plot " + d + " -o " + Path("no/such/x.png"), "no/such' of the output"},
        {"export " + d + " --layout long --overwrite -o " + d, "is the data file itself"},
        {"export " + Path("missing.json") + " --layout long -o " + Path("x.csv"), "missing.json"},
    };
    for (const auto& [args, named] : cases) {
        const CliRun run = Cli("results " + args);
        EXPECT_EQ(run.exit, 2) << args << "\n" << run.output;
        EXPECT_NE(run.output.find(named), std::string::npos) << args << "\n" << run.output;
    }
    EXPECT_EQ(Files(), before);
    EXPECT_EQ(kvbase::ReadFile(Path("taken.csv")), "keep me");
}

}  // namespace
