#include <gtest/gtest.h>

#include "host/error.h"
#include "ui/page_fixture.h"
#include "ui/setup_page.h"

namespace {

using Cells = std::vector<double>;
constexpr double kEmpty = -1.0;  // how Row() shows an empty cell

class PositionListTest : public pagetest::PageTest {
  protected:
    void Insert() { page_->kvpAddPos->UserClick(); }
    void Select(std::int32_t row) { page_->kvsScan->UserSelectRow(row); }
    std::vector<std::string> Captions() const {
        std::vector<std::string> captions;
        for (std::int32_t r = 1; r <= page_->kvsScan->RowCount(); ++r)
            captions.push_back(page_->kvsScan->RowCaption(r));
        return captions;
    }
    std::int32_t ResultColumns() const { return page_->kvsResult->ColumnCount(); }
};

TEST_F(PositionListTest, Insert_WithoutActiveRowAppendsACopyOfTheLastRow) {
    Insert();  // an empty grid gets an empty row
    ASSERT_EQ(page_->kvsScan->RowCount(), 1);
    EXPECT_EQ(Row(1), (Cells{kEmpty, kEmpty, kEmpty, kEmpty}));

    SetRows({{1, 2, 400, 500}, {3, 4, 410, 510}});
    Insert();
    ASSERT_EQ(page_->kvsScan->RowCount(), 3);
    EXPECT_EQ(Row(3), (Cells{3, 4, 410, 510}));
    EXPECT_EQ(Captions(), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(ResultColumns(), 1 + 3);
}

TEST_F(PositionListTest, Insert_InTheMiddleCopiesTheRowAboveAndAtTheTopStaysEmpty) {
    SetRows(
        {{1, 1, 401, 501}, {2, 2, 402, 502}, {3, 3, 403, 503}, {4, 4, 404, 504}, {5, 5, 405, 505}});
    Select(3);
    Insert();
    ASSERT_EQ(page_->kvsScan->RowCount(), 6);
    EXPECT_EQ(Row(3), (Cells{2, 2, 402, 502}));
    EXPECT_EQ(Row(4), (Cells{3, 3, 403, 503}));
    EXPECT_EQ(Row(6), (Cells{5, 5, 405, 505}));
    EXPECT_EQ(Captions(), (std::vector<std::string>{"1", "2", "3", "4", "5", "6"}));

    Select(1);
    Insert();
    EXPECT_EQ(Row(1), (Cells{kEmpty, kEmpty, kEmpty, kEmpty}));
    EXPECT_EQ(Row(2), (Cells{1, 1, 401, 501}));
}

TEST_F(PositionListTest, Heights_FollowTheRowCount) {
    SetRows({{10, 10, 400, 500}});
    Insert();
    EXPECT_EQ(Height(page_->kvsScan), 1305);
    EXPECT_EQ(Height(page_->pnlSetup), 1560);
    EXPECT_EQ(page_->setupAreaHeight, 1590);
    Select(2);
    page_->kvpRemovePos->UserClick();
    EXPECT_EQ(Height(page_->kvsScan), 1305);
    EXPECT_EQ(Height(page_->pnlSetup), 1590);
    EXPECT_EQ(page_->setupAreaHeight, 1620);

    for (int i = 0; i < 5; ++i) Insert();
    ASSERT_EQ(page_->kvsScan->RowCount(), 6);
    EXPECT_EQ(Height(page_->kvsScan), 1815);
    EXPECT_EQ(Height(page_->pnlSetup), 2070);

    // With the details shown the instrument panel counts in, and the layout follows.
    page_->kvpShowDetails->UserClick();
    Insert();
    EXPECT_EQ(page_->setupAreaHeight, 2325 + 30 + 3585);
    EXPECT_EQ(Height(page_->kvsResult), form_->Height() - page_->setupAreaHeight);
}

TEST_F(PositionListTest, Delete_RemovesTheActiveRowAndDisablesItselfUntilTheNextSelection) {
    SetRows({{1, 1, 401, 501}, {2, 2, 402, 502}, {3, 3, 403, 503}});
    Select(2);
    EXPECT_TRUE(page_->kvpRemovePos->Enabled());
    page_->kvpRemovePos->UserClick();
    ASSERT_EQ(page_->kvsScan->RowCount(), 2);
    EXPECT_EQ(Row(2), (Cells{3, 3, 403, 503}));
    EXPECT_EQ(Captions(), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(ResultColumns(), 1 + 2);
    EXPECT_FALSE(page_->kvpRemovePos->Enabled());

    page_->kvpRemovePos->UserClick();  // a press on the disabled button is lost
    EXPECT_EQ(page_->kvsScan->RowCount(), 2);
    Select(1);
    EXPECT_TRUE(page_->kvpRemovePos->Enabled());
}

TEST_F(PositionListTest, Delete_WithoutActiveRowOrOfTheLastRowFailsToTheCaller) {
    SetRows({{1, 1, 401, 501}, {2, 2, 402, 502}});
    EXPECT_THROW(page_->DeletePos(), host::Error);
    EXPECT_EQ(page_->kvsScan->RowCount(), 2);

    SetRows({{1, 1, 401, 501}});
    Select(1);
    try {
        page_->DeletePos();
        FAIL() << "the only position was deleted";
    } catch (const host::Error& e) {
        EXPECT_EQ(e.Number(), ui::kErrLastPosition);
    }
    EXPECT_EQ(page_->kvsScan->RowCount(), 1);
}

TEST_F(PositionListTest, RowSelection_EnablesDeleteForTwoRowsAndAdjustForAny) {
    SetRows({{10, 10, 400, 500}});
    Select(1);
    EXPECT_FALSE(page_->kvpRemovePos->Enabled());
    EXPECT_TRUE(page_->kvpAdjust->Enabled());
    page_->kvpAdjust->UserClick();
    EXPECT_EQ(adjustCalls_, 1);

    Insert();  // the buttons stay as they were
    EXPECT_FALSE(page_->kvpRemovePos->Enabled());
    Select(2);
    EXPECT_TRUE(page_->kvpRemovePos->Enabled());
    Select(0);
    EXPECT_FALSE(page_->kvpRemovePos->Enabled());
    EXPECT_FALSE(page_->kvpAdjust->Enabled());
}

TEST_F(PositionListTest, CellEdit_RebuildsResultColumnsAndForwardsRowOneWavelengthsOnly) {
    SetRows({{10, 10, 400, 500}, {20, 20, 410, 510}});
    page_->kvsScan->UserEditCell(4, 1, 520.0);
    EXPECT_EQ(Shown("EmWl").ToDouble(), 520.0);
    EXPECT_EQ(ResultColumns(), 1 + 2);
    page_->kvsScan->UserEditCell(3, 1, "430");
    EXPECT_EQ(Shown("ExWl").ToDouble(), 430.0);

    page_->kvsScan->UserEditCell(4, 2, 600.0);
    page_->kvsScan->UserEditCell(3, 2, 300.0);
    page_->kvsScan->UserEditCell(1, 1, 12.0);
    EXPECT_EQ(Shown("EmWl").ToDouble(), 520.0);
    EXPECT_EQ(Shown("ExWl").ToDouble(), 430.0);
}

TEST_F(PositionListTest, CellEdit_TheGridRefusesTextAndOutOfRangeWavelengths) {
    page_->ApplySetupRanges(*description_);
    SetRows({{10, 10, 400, 500}});
    EXPECT_THROW(page_->kvsScan->UserEditCell(3, 1, "blue"), host::Error);
    EXPECT_THROW(page_->kvsScan->UserEditCell(4, 1, 1000.0), host::Error);
    EXPECT_EQ(Row(1), (Cells{10, 10, 400, 500}));
    EXPECT_EQ(Shown("ExWl").ToDouble(), 400.0);
    EXPECT_EQ(Shown("EmWl").ToDouble(), 500.0);
}

TEST_F(PositionListTest, Insert_AThousandRowsStaysDefined) {
    SetRows({{10, 10, 400, 500}});
    for (int i = 0; i < 1000; ++i) Insert();
    const std::int32_t rows = page_->kvsScan->RowCount();
    ASSERT_EQ(rows, 1001);
    EXPECT_EQ(Row(rows), (Cells{10, 10, 400, 500}));
    EXPECT_EQ(page_->kvsScan->RowCaption(rows), "1001");
    EXPECT_EQ(Height(page_->kvsScan), 285 + 255 * 1001);
    EXPECT_EQ(Height(page_->pnlSetup), 285 + 255 * 1001 + 255);
    EXPECT_EQ(ResultColumns(), 1 + 1001);
}

}  // namespace
