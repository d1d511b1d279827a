#include <gtest/gtest.h>

#include "host/error.h"
#include "ui/page_fixture.h"
#include "ui/setup_page.h"

namespace {

using Cells = std::vector<double>;
constexpr double kEmpty = -1.0;  // how Row() shows an empty cell
const Cells kEmptyRow{kEmpty, kEmpty, kEmpty, kEmpty};

class PositionListTest : public pagetest::PageTest {
  protected:
    void Insert() { page_->kvpAddPos->UserClick(); }
    void Select(std::int32_t row) { page_->kvsScan->UserSelectRow(row); }
    std::string Captions() const {
        std::string captions;
        for (std::int32_t r = 1; r <= page_->kvsScan->RowCount(); ++r)
            captions += page_->kvsScan->RowCaption(r) + " ";
        return captions;
    }
};

TEST_F(PositionListTest, Insert_CopiesTheRowAboveOrAppendsOrStaysEmptyAtTheTop) {
    Insert();  // an empty grid gets an empty row
    EXPECT_EQ(Row(1), kEmptyRow);

    SetRows({{1, 1, 401, 501}, {2, 2, 402, 502}, {3, 3, 403, 503}, {4, 4, 404, 504}});
    Insert();  // no active row: a copy of the last one at the end
    EXPECT_EQ(Row(5), (Cells{4, 4, 404, 504}));
    Select(3);
    Insert();
    EXPECT_EQ(Row(3), (Cells{2, 2, 402, 502}));
    EXPECT_EQ(Row(4), (Cells{3, 3, 403, 503}));
    EXPECT_EQ(Captions(), "1 2 3 4 5 6 ");
    EXPECT_EQ(page_->kvsResult->ColumnCount(), 1 + 6);
    Select(1);
    Insert();
    EXPECT_EQ(Row(1), kEmptyRow);
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
    EXPECT_THROW(page_->DeletePos(), host::Error);  // no active row
    Select(2);
    page_->kvpRemovePos->UserClick();
    EXPECT_EQ(Row(2), (Cells{3, 3, 403, 503}));
    EXPECT_EQ(Captions(), "1 2 ");
    EXPECT_EQ(page_->kvsResult->ColumnCount(), 1 + 2);
    EXPECT_FALSE(page_->kvpRemovePos->Enabled());
    Select(1);
    EXPECT_TRUE(page_->kvpRemovePos->Enabled());

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
    Insert();  // leaves the buttons as they were
    EXPECT_FALSE(page_->kvpRemovePos->Enabled());
    Select(2);
    EXPECT_TRUE(page_->kvpRemovePos->Enabled());
    Select(0);
    EXPECT_FALSE(page_->kvpRemovePos->Enabled());
    EXPECT_FALSE(page_->kvpAdjust->Enabled());
}

TEST_F(PositionListTest, CellEdit_ForwardsRowOneWavelengthsOnly) {
    page_->ApplySetupRanges(*description_);
    SetRows({{10, 10, 400, 500}, {20, 20, 410, 510}});
    page_->kvsScan->UserEditCell(4, 1, 520.0);
    page_->kvsScan->UserEditCell(3, 1, "430");
    EXPECT_EQ(Shown("EmWl").ToDouble(), 520.0);
    EXPECT_EQ(Shown("ExWl").ToDouble(), 430.0);
    EXPECT_EQ(page_->kvsResult->ColumnCount(), 1 + 2);

    page_->kvsScan->UserEditCell(4, 2, 600.0);
    page_->kvsScan->UserEditCell(1, 1, 12.0);
    // The grid refuses text and wavelengths outside the instrument's range.
    EXPECT_THROW(page_->kvsScan->UserEditCell(3, 1, "blue"), host::Error);
    EXPECT_THROW(page_->kvsScan->UserEditCell(4, 1, 1000.0), host::Error);
    EXPECT_EQ(Shown("EmWl").ToDouble(), 520.0);
    EXPECT_EQ(Shown("ExWl").ToDouble(), 430.0);
}

TEST_F(PositionListTest, Insert_AThousandRowsStaysDefined) {
    SetRows({{10, 10, 400, 500}});
    for (int i = 0; i < 1000; ++i) Insert();
    ASSERT_EQ(page_->kvsScan->RowCount(), 1001);
    EXPECT_EQ(Row(1001), (Cells{10, 10, 400, 500}));
    EXPECT_EQ(page_->kvsScan->RowCaption(1001), "1001");
    EXPECT_EQ(Height(page_->pnlSetup), 285 + 255 * 1001 + 255);
    EXPECT_EQ(page_->kvsResult->ColumnCount(), 1 + 1001);
}

}  // namespace
