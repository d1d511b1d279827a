#include <gtest/gtest.h>

#include "controls_support.h"
#include "host/error.h"
#include "platform/controls/kv_spread.h"

using controls_test::Bench;
using host::ControlKind;

namespace {

// The position grid as designed: four number columns, validated.
std::shared_ptr<host::KVSpread> ScanGrid(Bench& b) {
    host::DesignedProps props = {{"validate", true}, {"enablepopup", true}, {"popupcode", 32}};
    const char* ids[] = {"ExPos", "EmPos", "ExWL", "EmWL"};
    const char* names[] = {"X-Pos", "Y-Pos", "Ex.Wl", "Em.Wl"};
    for (int c = 1; c <= 4; ++c) {
        const std::string col = "col(" + std::to_string(c) + ").";
        props.push_back({col + "id", ids[c - 1]});
        props.push_back({col + "name", names[c - 1]});
        props.push_back({col + "vartype", 2});
        props.push_back({col + "width", 1200});
    }
    props.push_back({"nrcols", 4});  // designed last; the factory applies it first
    return b.Make<host::KVSpread>(ControlKind::KVSpread, "KVSScan", props);
}

std::string ErrorText(const std::function<void()>& f) {
    try {
        f();
    } catch (const host::Error& e) {
        return e.Text();
    }
    return "(no error)";
}

}  // namespace

TEST(KVSpreadDesign, ColumnsComeFromTheDesignedProperties) {
    Bench b;
    auto g = ScanGrid(b);
    ASSERT_EQ(g->ColumnCount(), 4);
    EXPECT_EQ(g->ColumnDef(3).id, "ExWL");
    EXPECT_EQ(g->ColumnDef(4).caption, "Em.Wl");
    EXPECT_EQ(g->ColumnDef(1).dataType, host::kTypeNumber);
    EXPECT_EQ(g->ColumnWidth(2), 1200);
    EXPECT_EQ(g->Property("Col(3).Id"), host::Variant("ExWL"));
    EXPECT_EQ(g->Property("NrCols"), host::Variant(4));
    EXPECT_THROW(g->SetProperty("col(5).id", "X"), host::Error);
    EXPECT_THROW(g->SetProperty("col(1).vartype", 3), host::Error);
    EXPECT_THROW(g->SetProperty("col(1).colour", 3), host::Error);

    auto defs = g->ColumnDefs();
    ASSERT_EQ(defs->Count(), 4);
    defs->Item(1)->id = "changed";
    EXPECT_EQ(g->ColumnDef(1).id, "ExPos") << "the list is a fresh copy";
}

TEST(KVSpreadBounds, CellsOutsideTheGridRaiseAndNothingGrows) {
    Bench b;
    auto g = ScanGrid(b);
    g->SetRowCount(1);
    EXPECT_NE(ErrorText([&] {
                  g->SetCell(5, 2, 1.0);
              }).find("cell (5, 2) is outside the grid of 4 columns and 1 rows"),
              std::string::npos);
    EXPECT_THROW(g->Cell(0, 1), host::Error);
    EXPECT_THROW(g->Cell(1, 2), host::Error);
    EXPECT_THROW(g->SetRowCaption(2, "2"), host::Error);
    EXPECT_THROW(g->InsertRow(3), host::Error);
    EXPECT_THROW(g->DeleteRow(0), host::Error);
    EXPECT_THROW(g->SetColumnRange(5, "0..1"), host::Error);
    EXPECT_THROW(g->SetRowCount(-1), host::Error);
    EXPECT_THROW(g->SetRowCount(2'000'000'000), host::Error);
    EXPECT_EQ(g->RowCount(), 1);
    EXPECT_EQ(g->ColumnCount(), 4);
}

TEST(KVSpreadRows, InsertDeleteAndCountsKeepCellsAndTheActiveRow) {
    Bench b;
    auto g = ScanGrid(b);
    g->SetRowCount(3);
    for (int r = 1; r <= 3; ++r) g->SetCell(1, r, r * 10.0);
    g->UserSelectRow(2);
    g->InsertRow(2);  // at the active row: the active row moves with its content
    EXPECT_EQ(g->ActiveRow(), 3);
    EXPECT_TRUE(g->Cell(1, 2).IsEmpty());
    EXPECT_EQ(g->Cell(1, 3), host::Variant(20.0));
    g->InsertRow(5);  // one past the end appends
    EXPECT_EQ(g->RowCount(), 5);
    g->DeleteRow(1);
    EXPECT_EQ(g->ActiveRow(), 2);
    g->DeleteRow(2);
    EXPECT_EQ(g->ActiveRow(), 0) << "deleting the active row leaves none";
    EXPECT_EQ(g->Cell(1, 2), host::Variant(30.0));

    g->UserSelectRow(3);
    g->SetRowCount(2);
    EXPECT_EQ(g->ActiveRow(), 0);
    g->SetColumnCount(1);
    EXPECT_EQ(g->ColumnDef(1).id, "ExPos") << "shrinking keeps the first columns";
    g->SetColumnCount(2);
    EXPECT_EQ(g->ColumnDef(2).dataType, host::kTypeText);
    EXPECT_TRUE(g->Cell(2, 1).IsEmpty());
    g->Reset();
    EXPECT_EQ(g->RowCount() + g->ColumnCount() + g->ActiveRow(), 0);
}

TEST(KVSpreadColumns, AddColumnKeepsItsOwnCopy) {
    Bench b;
    auto g = b.Make<host::KVSpread>(ControlKind::KVSpread, "KVSResult");
    host::ParamDef def;
    def.id = "Int";
    def.caption = "Int";
    def.dataType = host::kTypeNumber;
    def.format = "0.000";
    for (int i = 1; i <= 3; ++i) {
        def.id = "Int[" + std::to_string(i) + "]";
        def.caption = "Int(" + std::to_string(i) + ")";
        g->AddColumn(def, 1000);
    }
    ASSERT_EQ(g->ColumnCount(), 3);
    EXPECT_EQ(g->ColumnDef(1).id, "Int[1]");
    EXPECT_EQ(g->ColumnDef(2).caption, "Int(2)");
    EXPECT_EQ(g->ColumnDef(3).id, "Int[3]");
    EXPECT_EQ(g->ColumnWidth(3), 1000);
    EXPECT_THROW(g->AddColumn(def, -1), host::Error);
}

TEST(KVSpreadValidation, APersonsEditMustFitTypeAndRange) {
    Bench b;
    auto g = ScanGrid(b);
    g->SetRowCount(1);
    g->SetColumnRange(4, "250..800");
    std::vector<std::pair<int, int>> changed;
    g->OnCellChanged([&](std::int32_t c, std::int32_t r) { changed.push_back({c, r}); });

    EXPECT_TRUE(g->Accepts(4, 520.0));
    EXPECT_FALSE(g->Accepts(4, 900.0));
    EXPECT_FALSE(g->Accepts(4, "abc"));
    EXPECT_FALSE(g->Accepts(4, host::Variant()));
    EXPECT_TRUE(g->Accepts(1, -3.5)) << "a column without a range takes any number";
    EXPECT_NE(ErrorText([&] { g->UserEditCell(4, 1, 900.0); }).find("outside the range '250..800'"),
              std::string::npos);
    EXPECT_NE(ErrorText([&] { g->UserEditCell(3, 1, "blue"); }).find("'blue' is not a number"),
              std::string::npos);
    g->UserEditCell(4, 1, "520");
    EXPECT_EQ(g->Cell(4, 1), host::Variant(520.0)) << "taken as the column's type";
    g->SetCell(4, 1, 9999.0);  // code writes measured values unchecked
    EXPECT_EQ(g->Cell(4, 1), host::Variant(9999.0));
    EXPECT_EQ(changed, (std::vector<std::pair<int, int>>{{4, 1}}));

    g->SetColumnRange(3, "400..");
    EXPECT_TRUE(g->Accepts(3, 1e6));
    g->SetColumnRange(3, "garbage");
    EXPECT_FALSE(g->Accepts(3, 500.0)) << "a malformed range takes nothing";
    g->SetProperty("validate", false);
    EXPECT_TRUE(g->Accepts(3, "anything"));
    g->SetProperty("col(1).locked", true);
    EXPECT_THROW(g->UserEditCell(1, 1, 1.0), host::Error);
}

TEST(KVSpreadNotifications, UserCallsAndALostSelectionNotifyAndADisabledGridRefusesThem) {
    Bench b;
    auto g = ScanGrid(b);
    g->SetRowCount(2);
    std::vector<std::int32_t> selected;
    int commands = 0, saves = 0;
    g->OnRowSelected([&](std::int32_t r) { selected.push_back(r); });
    g->OnCommand([&] { ++commands; });
    g->OnSaveRequest([&] { ++saves; });
    g->InsertRow(1);
    g->DeleteRow(1);
    g->MenuCommand("Print");
    g->Command();
    EXPECT_TRUE(selected.empty());
    EXPECT_EQ(commands + saves, 0);
    EXPECT_EQ(dynamic_cast<controls::KVSpread&>(*g).CommandLog(),
              (std::vector<std::string>{"MenuCommand Print", "Command"}));

    g->UserSelectRow(2);
    g->UserSelectRow(0);
    g->UserCommand();
    g->UserSaveRequest();
    EXPECT_EQ(selected, (std::vector<std::int32_t>{2, 0}));
    EXPECT_EQ(commands, 1);
    EXPECT_EQ(saves, 1);
    EXPECT_THROW(g->UserSelectRow(3), host::Error);

    // Rows that change under the selection and take it away report that it is gone.
    g->UserSelectRow(2);
    g->InsertRow(1);  // the selection moves with its row
    g->SetRowCount(3);
    EXPECT_EQ(g->ActiveRow(), 3);
    g->DeleteRow(3);
    EXPECT_EQ(g->ActiveRow(), 0);
    g->UserSelectRow(2);
    g->SetRowCount(1);
    EXPECT_EQ(selected, (std::vector<std::int32_t>{2, 0, 2, 0, 2, 0}));
    selected.clear();

    g->SetEnabled(false);
    EXPECT_THROW(g->UserSelectRow(1), host::Error);
    EXPECT_THROW(g->UserEditCell(1, 1, 1.0), host::Error);
    EXPECT_THROW(g->UserCommand(), host::Error);
    EXPECT_THROW(g->UserSaveRequest(), host::Error);
    EXPECT_TRUE(selected.empty());
    EXPECT_TRUE(g->Cell(1, 1).IsEmpty());
}
