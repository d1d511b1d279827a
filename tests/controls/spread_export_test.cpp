#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "controls_support.h"
#include "platform/controls/kv_spread.h"
#include "platform/kvbase/atomic_file.h"

namespace fs = std::filesystem;
using controls_test::Bench;

namespace {

struct ExportFixture : ::testing::Test {
    Bench b;
    std::shared_ptr<host::KVSpread> grid;
    // One folder per test process: ctest runs the cases in parallel.
    fs::path dir =
        fs::temp_directory_path() / ("orve_controls_export_" + std::to_string(::getpid()));

    void SetUp() override {
        fs::remove_all(dir);
        fs::create_directories(dir);
        grid = b.Make<host::KVSpread>(host::ControlKind::KVSpread, "KVSResult");
        host::ParamDef id;
        id.caption = "Sample ID";
        grid->AddColumn(id, 2000);
        host::ParamDef intensity;
        intensity.caption = "Int(1)";
        intensity.dataType = host::kTypeNumber;
        intensity.format = "0.000";
        grid->AddColumn(intensity, 1000);
        host::ParamDef raw;
        raw.caption = "Raw";
        raw.dataType = host::kTypeNumber;
        grid->AddColumn(raw, 1000);
        grid->SetRowCount(2);
        grid->SetCell(1, 1, "Run1.A1");
        grid->SetCell(2, 1, 1234.56789);
        grid->SetCell(3, 1, 0.1);
        grid->SetCell(1, 2, "tab\there\nline\\end\r");
        grid->SetCell(2, 2, std::int32_t{7});
    }
    void TearDown() override { fs::remove_all(dir); }
};

}  // namespace

TEST_F(ExportFixture, WritesHeaderAndRowsWithFormatsAndEscapes) {
    const std::string path = (dir / "table.txt").string();
    ASSERT_EQ(grid->SaveToFile(path), 0);
    EXPECT_EQ(kvbase::ReadFile(path),
              "Sample ID\tInt(1)\tRaw\n"
              "Run1.A1\t1234.568\t0.1\n"
              "tab\\there\\nline\\\\end\\r\t7.000\t\n");
    // Saving again replaces the file and leaves nothing beside it.
    grid->SetRowCount(0);
    ASSERT_EQ(grid->SaveToFile(path), 0);
    EXPECT_EQ(kvbase::ReadFile(path), "Sample ID\tInt(1)\tRaw\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(ExportFixture, FailureReturnsAStatusAndWritesNothing) {
    EXPECT_NE(grid->SaveToFile((dir / "missing" / "table.txt").string()), 0);
    EXPECT_NE(grid->SaveToFile(""), 0);
    // A pattern the number texts refuse fails before any file is touched.
    grid->SetProperty("col(2).outformat", "#,##0");
    const std::string path = (dir / "bad.txt").string();
    EXPECT_NE(grid->SaveToFile(path), 0);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(fs::is_empty(dir));
}
