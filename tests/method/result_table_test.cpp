#include "method/result_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/controls/kv_spread.h"
#include "platform/kvbase/number_format.h"
#include "platform/kvdova/documents.h"
#include "ui/fake_host.h"

namespace {

namespace fs = std::filesystem;
using host::ItemGroup;

constexpr host::WindowHandle kOwner = 4242;

std::shared_ptr<host::ResultRecord> Reading(double intensity) {
    auto record = kvdova::NewResultRecord();
    record->Init(3);
    record->SetValue(1, intensity);
    record->SetValue(2, 0.5);
    record->SetValue(3, -1);
    return record;
}

// Type-1 sample s reads 100 s + p at position p; item s of the other group 1000 s + p.
std::shared_ptr<host::AcqData> Data(int n1, int n2, int positions,
                                    const std::string& text = "Run1") {
    auto data = kvdova::NewAcqData();
    data->SetText(text);
    for (int s = 1; s <= n1; ++s) data->AddItem(ItemGroup::Type1, s, "S" + std::to_string(s));
    for (int s = 1; s <= n2; ++s) data->AddItem(ItemGroup::Other, s, "C" + std::to_string(s));
    for (int p = 1; p <= positions; ++p) {
        for (int s = 1; s <= n1; ++s) data->AddResult(s, p, 1, *Reading(100 * s + p), 0);
        for (int s = 1; s <= n2; ++s) data->AddResult(s, p, 2, *Reading(1000 * s + p), 0);
    }
    return data;
}

// Splits the grid's export into fields, undoing its escapes.
std::vector<std::vector<std::string>> ReadTsv(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::vector<std::string>> lines;
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields(1);
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '\t') {
                fields.emplace_back();
            } else if (c == '\\' && i + 1 < line.size()) {
                const char e = line[++i];
                fields.back() += e == 't' ? '\t' : e == 'n' ? '\n' : e == 'r' ? '\r' : e;
            } else {
                fields.back() += c;
            }
        }
        lines.push_back(fields);
    }
    return lines;
}

class ResultTableTest : public ::testing::Test {
  protected:
    ResultTableTest() {
        scan_.SetColumnCount(4);
        table_.InitResultTable();
        table_.Connect();
        host_->dialogs.RegisterWindow(kOwner, {0, 0, 800, 600});
        dir_ = fs::temp_directory_path() /
               ("result_table_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    ~ResultTableTest() override { fs::remove_all(dir_); }

    void SetPositions(int n) {
        scan_.SetRowCount(n);
        table_.SetResultColumns();
    }
    std::vector<std::string> Captions() const {
        std::vector<std::string> captions;
        const auto defs = result_.ColumnDefs();
        for (int c = 1; c <= defs->Count(); ++c) captions.push_back(defs->Item(c)->caption);
        return captions;
    }
    std::vector<std::string> Ids() const {
        std::vector<std::string> ids;
        for (int c = 1; c <= result_.ColumnCount(); ++c) ids.push_back(result_.ColumnDef(c).id);
        return ids;
    }
    double At(int col, int row) const { return result_.Cell(col, row).ToDouble(); }
    std::string Id(int row) const { return result_.Cell(1, row).ToString(); }

    testhost::ScopedHost host_;
    kvbase::Numbers numbers_;
    controls::KVSpread result_{"KVSResult", -1, "PnlResult", numbers_};
    controls::KVSpread scan_{"KVSScan", -1, "PnlSetup", numbers_};
    bool noAutoClear_ = false;
    std::shared_ptr<host::AcqData> acqData_;
    method::ResultTable table_{*host_, result_, scan_, {noAutoClear_, acqData_, kOwner}};
    fs::path dir_;
};

TEST_F(ResultTableTest, Columns_SampleIdThenOneIntensityColumnPerPosition) {
    EXPECT_EQ(result_.ColumnCount(), 1);
    EXPECT_EQ(result_.RowCount(), 0);
    const host::ParamDef sample = result_.ColumnDef(1);
    EXPECT_EQ(sample.id, "SampleID");
    EXPECT_EQ(sample.caption, "Sample ID");
    EXPECT_EQ(sample.dataType, host::kTypeText);
    EXPECT_TRUE(sample.locked);
    EXPECT_EQ(result_.ColumnWidth(1), 2000);

    SetPositions(0);
    EXPECT_EQ(Ids(), std::vector<std::string>{"SampleID"});

    SetPositions(2);
    result_.SetRowCount(4);
    scan_.InsertRow(3);  // a third position
    table_.SetResultColumns();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Sample ID", "Int(1)", "Int(2)", "Int(3)"}));
    EXPECT_EQ(Ids(), (std::vector<std::string>{"SampleID", "Int[1]", "Int[2]", "Int[3]"}));
    EXPECT_EQ(result_.RowCount(), 0);
    const host::ParamDef third = result_.ColumnDef(4);
    EXPECT_EQ(third.unit, "#");
    EXPECT_EQ(third.format, "0.000");
    EXPECT_EQ(third.dataType, host::kTypeNumber);
    EXPECT_TRUE(third.locked);
    EXPECT_EQ(result_.ColumnWidth(4), 1000);

    // Captions and unit come from the host's texts.
    host_->texts.texts = {{"CapFLIntens", "F"}, {"UnitFLIntens", "cps"}, {"Sample ID", "Probe"}};
    table_.InitResultTable();
    table_.SetResultColumns();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Probe", "F(1)", "F(2)", "F(3)"}));
    EXPECT_EQ(result_.ColumnDef(2).unit, "cps");
}

TEST_F(ResultTableTest, LoadAcqData_PutsBothItemGroupsInTheirRows) {
    SetPositions(2);
    auto data = Data(2, 3, 2);
    data->AddResult(0, 1, 1, *Reading(-7), 0);   // belongs to no item
    data->AddResult(-1, 2, 2, *Reading(-7), 0);  // neither
    EXPECT_EQ(table_.LoadAcqData(data), 0);
    EXPECT_EQ(acqData_, data);

    ASSERT_EQ(result_.RowCount(), 5);
    EXPECT_EQ(Id(1), "S1");
    EXPECT_EQ(Id(2), "S2");
    EXPECT_EQ(Id(3), "C1");  // item 1 of the other group follows the type-1 rows
    EXPECT_EQ(Id(5), "C3");
    EXPECT_DOUBLE_EQ(At(2, 1), 101);
    EXPECT_DOUBLE_EQ(At(3, 2), 202);
    EXPECT_DOUBLE_EQ(At(2, 3), 1001);
    EXPECT_DOUBLE_EQ(At(3, 5), 3002);
}

TEST_F(ResultTableTest, LoadAcqData_PrefixesIdsWithTheDataTextWithoutAutoClear) {
    SetPositions(1);
    auto data = kvdova::NewAcqData();
    data->SetText("Run1");
    data->AddItem(ItemGroup::Type1, 1, "A1");
    data->AddResult(1, 1, 1, *Reading(5), 0);

    noAutoClear_ = true;
    table_.LoadAcqData(data);
    EXPECT_EQ(Id(1), "Run1.A1");
    noAutoClear_ = false;
    table_.LoadAcqData(data);
    EXPECT_EQ(Id(1), "A1");
}

TEST_F(ResultTableTest, LoadAcqData_LeavesNothingOfEarlierData) {
    SetPositions(3);
    table_.LoadAcqData(Data(3, 0, 3));
    ASSERT_DOUBLE_EQ(At(4, 1), 103);

    table_.LoadAcqData(Data(1, 0, 1));
    ASSERT_EQ(result_.RowCount(), 1);
    EXPECT_DOUBLE_EQ(At(2, 1), 101);
    EXPECT_TRUE(result_.Cell(3, 1).IsEmpty());
    EXPECT_TRUE(result_.Cell(4, 1).IsEmpty());
}

TEST_F(ResultTableTest, FillResultTable_StopsAtAResultThatDoesNotFitAndKeepsEarlierRows) {
    SetPositions(2);
    struct Case {
        const char* what;
        std::int32_t item, position;
        host::ResultType type;
    };
    for (const Case& c : {Case{"position beyond the columns", 1, 3, 1},
                          Case{"type-1 item beyond the count", 3, 1, 1},
                          Case{"other item beyond the count", 2, 1, 4}}) {
        auto data = Data(2, 1, 1);  // results for position 1 only
        data->AddResult(c.item, c.position, c.type, *Reading(9), 0);
        data->AddResult(2, 2, 1, *Reading(202), 0);  // after the bad one: not reached
        EXPECT_EQ(table_.FillResultTable(data), method::kErrStoredResult) << c.what;
        EXPECT_EQ(result_.RowCount(), 3) << c.what;
        EXPECT_EQ(Id(2), "S2") << c.what;
        EXPECT_DOUBLE_EQ(At(2, 3), 1001) << c.what;
        EXPECT_TRUE(result_.Cell(3, 2).IsEmpty()) << c.what;
        EXPECT_EQ(table_.LoadAcqData(data), 0) << c.what;
    }

    // No data at all: an empty table, still 0 from the load.
    EXPECT_EQ(table_.LoadAcqData(nullptr), 0);
    EXPECT_EQ(acqData_, nullptr);
    EXPECT_EQ(result_.RowCount(), 0);
    EXPECT_EQ(result_.ColumnCount(), 3);
}

TEST_F(ResultTableTest, LoadAcqData_KeepsANanReading) {
    SetPositions(1);
    auto data = Data(1, 0, 0);
    data->AddResult(1, 1, 1, *Reading(std::nan("")), 0);
    EXPECT_EQ(table_.FillResultTable(data), 0);
    EXPECT_TRUE(std::isnan(At(2, 1)));
}

TEST_F(ResultTableTest, ClearAndMenuCommands) {
    SetPositions(2);
    table_.LoadAcqData(Data(2, 0, 2));
    table_.ClearAcqData();
    EXPECT_EQ(result_.RowCount(), 0);
    EXPECT_EQ(result_.ColumnCount(), 3);

    table_.HandleMenuCommand("table", "Copy");
    table_.HandleMenuCommand("Graph", "Print");
    result_.UserCommand();
    EXPECT_EQ(result_.CommandLog(), (std::vector<std::string>{"MenuCommand Copy", "Command"}));
}

TEST_F(ResultTableTest, SaveRequest_CancelWritesNothingAndShowsNothing) {
    SetPositions(1);
    table_.LoadAcqData(Data(1, 0, 1));
    host_->dialogs.AnswerCancel();
    result_.UserSaveRequest();
    // Too long a name for the dialog's buffer is a failed dialog, which looks like a cancel.
    host_->dialogs.AnswerPath((dir_ / std::string(600, 'x')).string());
    result_.UserSaveRequest();

    EXPECT_EQ(host_->dialogs.DialogCount(), 2);
    EXPECT_TRUE(host_->progress.messages.empty());
    EXPECT_TRUE(host_->errors.checks.empty());
    EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(ResultTableTest, SaveRequest_ExportsOneLinePerSample) {
    SetPositions(2);
    auto data = Data(2, 1, 2);
    data->AddItem(ItemGroup::Type1, 2, "tab\there\nand line");
    table_.LoadAcqData(data);
    host_->dialogs.AnswerPath((dir_ / "plate").string());
    result_.UserSaveRequest();

    const auto& shown = host_->dialogs.LastDialog();
    EXPECT_EQ(shown.title, "Save File");
    EXPECT_EQ(shown.request.owner, kOwner);
    EXPECT_EQ(host_->errors.checks, (std::vector<std::pair<host::Status, std::string>>{{0, "*"}}));
    EXPECT_TRUE(host_->progress.messages.empty());

    const auto lines = ReadTsv(dir_ / "plate.txt");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], (std::vector<std::string>{"Sample ID", "Int(1)", "Int(2)"}));
    EXPECT_EQ(lines[2][0], "tab\there\nand line");
    EXPECT_EQ(lines[3][0], "C1");
    EXPECT_EQ(std::stod(lines[3][2]), 1002);
}

TEST_F(ResultTableTest, SaveRequest_FailedSaveShowsItsMessageAndWritesNoFile) {
    SetPositions(1);
    table_.LoadAcqData(Data(1, 0, 1));
    host_->dialogs.AnswerPath((dir_ / "missing" / "plate.txt").string());
    result_.UserSaveRequest();

    ASSERT_EQ(host_->errors.checks.size(), 1u);
    const host::Status status = host_->errors.checks[0].first;
    EXPECT_NE(status, 0);
    EXPECT_EQ(host_->progress.messages,
              std::vector<std::string>{"error " + std::to_string(status)});
    EXPECT_TRUE(fs::is_empty(dir_));
}

}  // namespace
