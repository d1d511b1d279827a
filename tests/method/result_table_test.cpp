#include "method/result_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <fmt/format.h>

#include "platform/controls/kv_spread.h"
#include "platform/kvdova/documents.h"
#include "ui/fake_host.h"

namespace {

namespace fs = std::filesystem;
using host::ItemGroup;
using Strings = std::vector<std::string>;

constexpr host::WindowHandle kOwner = 4242;

std::shared_ptr<host::ResultRecord> Reading(double intensity) {
    auto record = kvdova::NewResultRecord();
    record->Init(3);
    record->SetValue(1, intensity);
    return record;
}

// Type-1 sample s reads 100 s + p at position p; item s of the other group 1000 s + p.
std::shared_ptr<host::AcqData> Data(int n1, int n2, int positions) {
    auto data = kvdova::NewAcqData();
    data->SetText("Run1");
    for (int s = 1; s <= n1; ++s) data->AddItem(ItemGroup::Type1, s, fmt::format("S{}", s));
    for (int s = 1; s <= n2; ++s) data->AddItem(ItemGroup::Other, s, fmt::format("C{}", s));
    for (int p = 1; p <= positions; ++p) {
        for (int s = 1; s <= n1; ++s) data->AddResult(s, p, 1, *Reading(100 * s + p), 0);
        for (int s = 1; s <= n2; ++s) data->AddResult(s, p, 2, *Reading(1000 * s + p), 0);
    }
    return data;
}

// A plain tab-separated reader that undoes the export's \t \n \r \\ escapes.
std::vector<Strings> ReadTsv(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<Strings> lines;
    for (std::string line; std::getline(in, line);) {
        Strings fields(1);
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '\t') {
                fields.emplace_back();
            } else if (line[i] == '\\' && i + 1 < line.size()) {
                const char e = line[++i];
                fields.back() += e == 't' ? '\t' : e == 'n' ? '\n' : e == 'r' ? '\r' : e;
            } else {
                fields.back() += line[i];
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
                std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    ~ResultTableTest() override { fs::remove_all(dir_); }

    void SetPositions(int n) {
        scan_.SetRowCount(n);
        table_.SetResultColumns();
    }
    Strings Columns(std::string host::ParamDef::*field) const {
        Strings out;
        for (int c = 1; c <= result_.ColumnCount(); ++c) out.push_back(result_.ColumnDef(c).*field);
        return out;
    }
    double At(int col, int row) const { return result_.Cell(col, row).ToDouble(); }
    std::string Id(int row) const { return result_.Cell(1, row).ToString(); }

    testhost::ScopedHost host_;
    controls::KVSpread result_{"KVSResult", -1, "PnlResult", host_->numbers};
    controls::KVSpread scan_{"KVSScan", -1, "PnlSetup", host_->numbers};
    bool noAutoClear_ = false;
    std::shared_ptr<host::AcqData> acqData_;
    method::ResultTable table_{*host_, result_, scan_, {noAutoClear_, acqData_, kOwner}};
    fs::path dir_;
};

TEST_F(ResultTableTest, Columns_FollowThePositionList) {
    EXPECT_EQ(Columns(&host::ParamDef::id), Strings{"SampleID"});
    EXPECT_EQ(result_.ColumnWidth(1), 2000);

    SetPositions(2);
    result_.SetRowCount(4);
    scan_.InsertRow(3);
    table_.SetResultColumns();
    EXPECT_EQ(Columns(&host::ParamDef::caption),
              (Strings{"Sample ID", "Int(1)", "Int(2)", "Int(3)"}));
    EXPECT_EQ(Columns(&host::ParamDef::id), (Strings{"SampleID", "Int[1]", "Int[2]", "Int[3]"}));
    EXPECT_EQ(Columns(&host::ParamDef::unit), (Strings{"", "#", "#", "#"}));
    EXPECT_EQ(Columns(&host::ParamDef::format), (Strings{"", "0.000", "0.000", "0.000"}));
    EXPECT_EQ(result_.ColumnWidth(4), 1000);
    EXPECT_EQ(result_.RowCount(), 0);

    host_->texts = kvbase::Catalog::FromJson(
        R"({"texts": {"CapFLIntens": "F", "UnitFLIntens": "cps", "Sample ID": "Probe"}})", "test");
    table_.InitResultTable();
    table_.SetResultColumns();
    EXPECT_EQ(Columns(&host::ParamDef::caption), (Strings{"Probe", "F(1)", "F(2)", "F(3)"}));
    EXPECT_EQ(result_.ColumnDef(2).unit, "cps");
}

TEST_F(ResultTableTest, LoadAcqData_PutsBothItemGroupsInTheirRows) {
    SetPositions(2);
    auto data = Data(2, 3, 2);
    data->AddResult(0, 1, 1, *Reading(-7), 0);  // belongs to no item: skipped
    data->AddResult(-1, 2, 2, *Reading(-7), 0);
    EXPECT_EQ(table_.LoadAcqData(data), 0);
    EXPECT_EQ(acqData_, data);
    ASSERT_EQ(result_.RowCount(), 5);
    EXPECT_EQ((Strings{Id(1), Id(2), Id(3), Id(5)}), (Strings{"S1", "S2", "C1", "C3"}));
    EXPECT_EQ(At(2, 1), 101);
    EXPECT_EQ(At(3, 2), 202);
    EXPECT_EQ(At(2, 3), 1001);
    EXPECT_EQ(At(3, 5), 3002);

    noAutoClear_ = true;  // the ID then carries the data's text
    table_.LoadAcqData(data);
    EXPECT_EQ(Id(1), "Run1.S1");
}

TEST_F(ResultTableTest, LoadAcqData_LeavesNothingOfEarlierData) {
    SetPositions(3);
    table_.LoadAcqData(Data(3, 0, 3));
    table_.LoadAcqData(Data(1, 0, 1));
    ASSERT_EQ(result_.RowCount(), 1);
    EXPECT_EQ(At(2, 1), 101);
    EXPECT_TRUE(result_.Cell(3, 1).IsEmpty());
    EXPECT_TRUE(result_.Cell(4, 1).IsEmpty());
}

TEST_F(ResultTableTest, FillResultTable_StopsAtAResultThatDoesNotFitKeepingEarlierRows) {
    SetPositions(2);
    struct Bad {
        std::int32_t item, position;
        host::ResultType type;
    };
    for (const Bad& bad : {Bad{1, 3, 1}, Bad{3, 1, 1}, Bad{2, 1, 4}}) {
        auto data = Data(2, 1, 1);
        data->AddResult(bad.item, bad.position, bad.type, *Reading(9), 0);
        data->AddResult(2, 2, 1, *Reading(202), 0);  // after the bad one: not reached
        EXPECT_EQ(table_.FillResultTable(data), method::kErrStoredResult);
        EXPECT_EQ(result_.RowCount(), 3);
        EXPECT_EQ(At(2, 3), 1001);
        EXPECT_TRUE(result_.Cell(3, 2).IsEmpty());
        EXPECT_EQ(table_.LoadAcqData(data), 0);
    }
    EXPECT_EQ(table_.LoadAcqData(nullptr), 0);
    EXPECT_EQ(result_.RowCount(), 0);

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
    EXPECT_EQ(result_.CommandLog(), (Strings{"MenuCommand Copy", "Command"}));

    // A table gone before its grid leaves handlers that do nothing.
    std::make_unique<method::ResultTable>(*host_, result_, scan_,
                                          method::ControlState{noAutoClear_, acqData_, kOwner})
        ->Connect();
    result_.UserCommand();
    EXPECT_EQ(result_.CommandLog().size(), 3u);
}

TEST_F(ResultTableTest, SaveRequest_CancelOrAFailedDialogWritesAndShowsNothing) {
    SetPositions(1);
    table_.LoadAcqData(Data(1, 0, 1));
    result_.UserSaveRequest();
    host_->dialogs.AnswerPath((dir_ / std::string(600, 'x')).string());  // too long for the buffer
    result_.UserSaveRequest();
    EXPECT_EQ(host_->dialogs.DialogCount(), 2);
    EXPECT_EQ(host_->progress.LastMessage(), "");
    EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(ResultTableTest, SaveRequest_ExportsOneLinePerSample) {
    SetPositions(2);
    auto data = Data(2, 1, 2);
    data->AddItem(ItemGroup::Type1, 2, "tab\there\nand line");
    table_.LoadAcqData(data);
    host_->dialogs.AnswerPath((dir_ / "plate").string());
    result_.UserSaveRequest();
    EXPECT_EQ(host_->dialogs.LastDialog().title, "Save File");
    EXPECT_EQ(host_->progress.LastMessage(), "");

    const auto lines = ReadTsv(dir_ / "plate.txt");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], (Strings{"Sample ID", "Int(1)", "Int(2)"}));
    EXPECT_EQ(lines[2][0], "tab\there\nand line");
    EXPECT_EQ(lines[3], (Strings{"C1", "1001.000", "1002.000"}));
}

TEST_F(ResultTableTest, SaveRequest_FailedSaveShowsAMessageAndWritesNoFile) {
    SetPositions(1);
    table_.LoadAcqData(Data(1, 0, 1));
    // A folder that does not exist is the dialog's to refuse: no choice, no export.
    host_->dialogs.AnswerPath((dir_ / "missing" / "plate.txt").string());
    result_.UserSaveRequest();
    EXPECT_NE(host_->dialogs.LastFailure().find("missing"), std::string::npos);
    EXPECT_EQ(host_->progress.LastMessage(), "");
    EXPECT_TRUE(fs::is_empty(dir_));

    // The chosen name is a folder: the export fails and says so.
    fs::create_directory(dir_ / "plate.txt");
    host_->dialogs.SetReplaceExisting(true);
    host_->dialogs.AnswerPath((dir_ / "plate.txt").string());
    result_.UserSaveRequest();
    EXPECT_NE(host_->progress.LastMessage(), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
    EXPECT_TRUE(fs::is_directory(dir_ / "plate.txt"));
}

}  // namespace
