// orvevizari results plot | export, run as a person runs them: the picture
// checked pixel by pixel against the plate's layout and the colour map, and
// every bad input refused without leaving a file behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>

#include <QImage>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "platform/kvbase/atomic_file.h"
#include "platform/plates/plate_map.h"
#include "platform/qt/plate/colour_map.h"
#include "platform/qt/plate/plate_image.h"
#include "platform/qt/plate/plate_painter.h"
#include "qt/qt_support.h"
#include "remote/process.h"

namespace {

namespace fs = std::filesystem;

struct CliRun {
    int exit = -1;
    std::string output;  // stdout and stderr
};

// The command line with args split at spaces, then the arguments of more as
// they are; ended after 120 s, so that a hang fails the test.
CliRun Cli(const std::string& args, const std::vector<std::string>& more = {}) {
    std::vector<std::string> argv{std::string(ORVE_BINARY_DIR) + "/bin/orvevizari"};
    std::istringstream words(args);
    for (std::string w; words >> w;) argv.push_back(w);
    argv.insert(argv.end(), more.begin(), more.end());
    const fs::path out =
        fs::temp_directory_path() / ("orve-results-cli-" + std::to_string(::getpid()) + ".out");
    CliRun run;
    {
        testproc::Process cli(argv, out.string());
        run.exit = cli.Wait(120.0);
        run.output = cli.Output();
    }
    fs::remove(out);
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
        const CliRun run =
            Cli("measure " + kExamples + "plate-96.json --samples 2 --plate " + kExamples +
                    "plate-96-concentrations.txt --quiet --data " + Path("d.json"),
                {"--sim-fault", "Get Int#150=Overload:overload"});
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
    // A stored result without a value: no reading, not a 0.
    doc = nlohmann::json::parse(kvbase::ReadFile(Path("d.json")));
    auto& emptied = doc["results"][5];
    ASSERT_GT(emptied["item"].get<int>(), 0);
    emptied["values"] = nlohmann::json::array();
    const std::string noReading =
        fmt::format("result 6 (sample 'S{}', position {}) holds no reading",
                    emptied["item"].get<int>(), emptied["position"].get<int>());
    kvbase::WriteFileAtomic(Path("novalue.json"), doc.dump());
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
        {"export " + Path("novalue.json") + " --layout wide -o " + Path("x.csv"), noReading},
        {"plot " + Path("novalue.json") + " -o " + Path("x.png"), noReading},
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

// Ticks on the stage's axes and the colour bar are counted, whatever the
// numbers: positions far off any plate, and readings one rounding unit apart,
// still give a picture.
TEST(PlatePicture, PositionsFarOffAndReadingsOneUnitApartStillDraw) {
    plateplot::EnsureGuiApplication();
    const double next = std::nextafter(1000.0, 2000.0);
    for (const double far : {1e9, 1e18}) {
        for (const auto scale : {plates::Scale::Linear, plates::Scale::Log}) {
            const auto map = plates::BuildMap({{10, 10}, {far, 20}, {30, -far}}, {1000.0, next, {}},
                                              {false, false, false}, scale);
            ASSERT_EQ(map.format, nullptr);
            ASSERT_LT(map.low, map.high);
            const std::string png = plateplot::RenderPlateImage(map, plateplot::ImageKind::Png);
            QImage image;
            ASSERT_TRUE(image.loadFromData(reinterpret_cast<const uchar*>(png.data()),
                                           static_cast<int>(png.size()), "PNG"));
            EXPECT_EQ(image.width(), plateplot::kPlotSize.width);
        }
    }
}

}  // namespace
